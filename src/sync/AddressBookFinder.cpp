#include "AddressBookFinder.h"

#include "Multistatus.h"
#include "OutsideText.h"
#include "ServerMessages.h"

#include <QUuid>

namespace
{

QByteArray propfind(const QByteArray& properties)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<d:propfind xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>" +
           properties + "</d:prop></d:propfind>";
}

QUrl withSlash(QUrl url)
{
    if (!url.path().endsWith(QLatin1Char('/')))
        url.setPath(url.path() + QLatin1Char('/'));
    return url;
}

} // namespace

QUrl AddressBookFinder::serverUrl(const QString& typed)
{
    const QString trimmed = typed.trimmed();
    QUrl url(trimmed.contains(QLatin1String("://")) ? trimmed : QStringLiteral("https://") + trimmed);
    if (url.path().isEmpty())
        url.setPath(QStringLiteral("/"));
    return url;
}

QString AddressBookFinder::elsewhereMessage(const QUrl& book, const QUrl& server)
{
    return QStringLiteral("دفتر العناوين %1 على عنوان غير الخادم %2 , لم يقبل ولم ترسل إليه كلمة المرور")
        .arg(book.toDisplayString(QUrl::RemoveUserInfo), server.toDisplayString(QUrl::RemoveUserInfo));
}

// The user's principal and home, where the server names them, lie on the server typed.
bool AddressBookFinder::onServer(const QUrl& url, const QUrl& server)
{
    if (CardDavClient::sameOrigin(url, server))
        return true;
    m_error = elsewhereMessage(url, server);
    return false;
}

bool AddressBookFinder::ask(const QUrl& url, int depth, const QByteArray& properties, Multistatus& listing)
{
    const DavResponse answer = m_client.propfind(url, depth, propfind(properties));
    if (!answer.ok()) {
        m_error = ServerMessages::failure(answer, url);
        return false;
    }
    listing = *answer.listing;
    return true;
}

// Where the server says its address books start (a redirect from /.well-known/carddav), else the
// address itself. A redirect is followed only on the same server: the password goes nowhere else.
QUrl AddressBookFinder::wellKnown(const QUrl& server)
{
    QUrl probe = server;
    probe.setPath(QStringLiteral("/.well-known/carddav"));
    for (int redirects = 0; redirects < 5; ++redirects) {
        const DavResponse answer = m_client.propfind(probe, 0, propfind("<d:current-user-principal/>"));
        if (answer.failure != DavResponse::Failure::Redirected)
            return answer.ok() ? probe : server;
        if (!CardDavClient::sameOrigin(answer.location, server)) {
            m_error = ServerMessages::failure(answer, probe);
            return {};
        }
        probe = answer.location;
    }
    return server;
}

bool AddressBookFinder::find(const QString& typed, std::vector<AddressBook>& books)
{
    books.clear();
    m_elsewhere.clear();
    m_error.clear();
    const QUrl server = serverUrl(typed);
    m_client.setOrigin(server);
    const QUrl start = server.path() == QLatin1String("/") ? wellKnown(server) : server;
    if (start.isEmpty())
        return false;

    Multistatus answer;
    if (!ask(start, 0, "<d:current-user-principal/><d:resourcetype/><d:displayname/>", answer))
        return false;
    // The address typed may be a book itself.
    if (!answer.responses.empty() && answer.responses.front().isAddressBook)
        books.push_back({withSlash(start), answer.responses.front().displayName});

    QUrl principal = start;
    if (!answer.responses.empty() && !answer.responses.front().principalHrefs.isEmpty())
        principal = start.resolved(QUrl(answer.responses.front().principalHrefs.front()));
    if (!onServer(principal, server) || !ask(principal, 0, "<c:addressbook-home-set/>", answer))
        return false;
    m_home = principal;
    if (!answer.responses.empty() && !answer.responses.front().homeSetHrefs.isEmpty())
        m_home = principal.resolved(QUrl(answer.responses.front().homeSetHrefs.front()));
    m_home = withSlash(m_home);

    if (!onServer(m_home, server) || !ask(m_home, 1, "<d:resourcetype/><d:displayname/>", answer))
        return false;
    for (const Multistatus::Response& response : answer.responses) {
        const QUrl url = withSlash(m_home.resolved(QUrl(response.href)));
        if (!response.isAddressBook || (!books.empty() && books.front().url == url))
            continue;
        if (!CardDavClient::sameOrigin(url, server)) {
            m_elsewhere.push_back(url);
            continue;
        }
        // A name the server gave, even one taken from its path, is outside text.
        books.push_back({url, response.displayName.isEmpty()
                                  ? OutsideText::oneLine(url.path().section(QLatin1Char('/'), -2, -2))
                                  : response.displayName});
    }
    return true;
}

bool AddressBookFinder::create(const QUrl& home, const QString& name, AddressBook& made)
{
    const QUrl url = home.resolved(QUrl(QUuid::createUuid().toString(QUuid::WithoutBraces) + QLatin1Char('/')));
    const QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                            "<d:mkcol xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:set><d:prop>"
                            "<d:resourcetype><d:collection/><c:addressbook/></d:resourcetype>"
                            "<d:displayname>" +
                            name.toHtmlEscaped().toUtf8() + "</d:displayname></d:prop></d:set></d:mkcol>";
    const DavResponse answer = m_client.mkcol(url, body);
    if (!answer.ok()) {
        m_error = ServerMessages::failure(answer, url);
        return false;
    }
    made = {url, name};
    return true;
}
