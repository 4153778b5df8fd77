#include "CardDavClient.h"

#include "SecretMemory.h"

#include <QAuthenticator>
#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace
{
const QByteArray kXml = "application/xml; charset=utf-8";

// QNetworkReply's errors below 200 are the network's; from 200 on they only restate the HTTP status.
bool transferBroke(QNetworkReply::NetworkError error)
{
    return error != QNetworkReply::NoError && int(error) < 200;
}
} // namespace

CardDavClient::CardDavClient(const QString& user, const QString& password)
    : m_user(user), m_password(password.constData(), password.size())
{
    QObject::connect(&m_network, &QNetworkAccessManager::authenticationRequired, &m_network,
                     [this](QNetworkReply* reply, QAuthenticator* authenticator) {
                         // Asked a second time for one request: the password was wrong, let the 401 through.
                         if (!sameOrigin(reply->url(), m_origin) || reply->property("qavAsked").toBool())
                             return;
                         reply->setProperty("qavAsked", true);
                         authenticator->setUser(m_user);
                         authenticator->setPassword(m_password);
                     });
}

CardDavClient::~CardDavClient()
{
    SecretMemory::wipe(m_password);
}

void CardDavClient::setOrigin(const QUrl& url)
{
    m_origin = url;
}

bool CardDavClient::sameOrigin(const QUrl& a, const QUrl& b)
{
    return a.scheme().compare(b.scheme(), Qt::CaseInsensitive) == 0 &&
           a.host().compare(b.host(), Qt::CaseInsensitive) == 0 &&
           a.port(a.scheme() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme() == QLatin1String("https") ? 443 : 80);
}

void CardDavClient::cancel()
{
    m_cancelled = true;
}

DavResponse CardDavClient::propfind(const QUrl& url, int depth, const QByteArray& body)
{
    return send("PROPFIND", url, body, {{"Depth", QByteArray::number(depth)}, {"Content-Type", kXml}},
                Expect::Multistatus);
}

DavResponse CardDavClient::report(const QUrl& url, int depth, const QByteArray& body)
{
    return send("REPORT", url, body, {{"Depth", QByteArray::number(depth)}, {"Content-Type", kXml}},
                Expect::Multistatus);
}

DavResponse CardDavClient::get(const QUrl& url)
{
    return send("GET", url, {}, {{"Accept", "text/vcard"}}, Expect::Card);
}

DavResponse CardDavClient::put(const QUrl& url, const QByteArray& card, const QByteArray& ifMatch)
{
    QList<QPair<QByteArray, QByteArray>> headers{{"Content-Type", "text/vcard; charset=utf-8"}};
    if (ifMatch.isEmpty())
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        headers.append(qMakePair(QByteArray("If-Match"), ifMatch));
    return send("PUT", url, card, headers, Expect::Nothing);
}

DavResponse CardDavClient::putOver(const QUrl& url, const QByteArray& card)
{
    return send("PUT", url, card, {{"Content-Type", "text/vcard; charset=utf-8"}}, Expect::Nothing);
}

DavResponse CardDavClient::remove(const QUrl& url, const QByteArray& ifMatch)
{
    if (ifMatch.isEmpty()) // never an empty If-Match: a card whose ETag is not known goes unconditionally
        return send("DELETE", url, {}, {}, Expect::Nothing);
    return send("DELETE", url, {}, {{"If-Match", ifMatch}}, Expect::Nothing);
}

DavResponse CardDavClient::mkcol(const QUrl& url, const QByteArray& body)
{
    return send("MKCOL", url, body, {{"Content-Type", kXml}}, Expect::Nothing);
}

DavResponse CardDavClient::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                                const QList<QPair<QByteArray, QByteArray>>& headers, Expect expect)
{
    if (m_origin.isEmpty())
        m_origin = url;
    DavResponse response;
    if (!sameOrigin(url, m_origin)) {
        response.url = url;
        response.location = url;
        response.failure = DavResponse::Failure::OtherOrigin;
        return response;
    }
    response = transfer(verb, url, body, headers);
    if (response.failure == DavResponse::Failure::None && response.status >= 300 && response.status < 400 &&
        !response.header("location").isEmpty()) {
        response.location = url.resolved(QUrl(QString::fromUtf8(response.header("location"))));
        response.failure = DavResponse::Failure::Redirected;
    }
    if (!response.checkLength())
        return response;
    if (expect == Expect::Multistatus)
        response.acceptMultistatus();
    else if (expect == Expect::Card)
        response.acceptCard();
    return response;
}

DavResponse CardDavClient::transfer(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                                    const QList<QPair<QByteArray, QByteArray>>& headers)
{
    DavResponse response;
    response.url = url;
    if (m_cancelled) {
        response.failure = DavResponse::Failure::Cancelled;
        return response;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("User-Agent", "qavtelephone");
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);

    QNetworkReply* reply = m_network.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QTimer stall; // restarted by every byte that moves: a slow link finishes, a silent one does not
    stall.setSingleShot(true);
    bool timedOut = false;
    bool tooLarge = false;
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    auto moved = [&] { stall.start(m_timeoutMs); };
    QObject::connect(reply, &QNetworkReply::uploadProgress, &loop, moved);
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        moved();
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > DavResponse::kMaxBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) {
        moved();
        if (received > DavResponse::kMaxBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QTimer cancelWatch; // a cancel from the window's own loop reaches the request in flight
    QObject::connect(&cancelWatch, &QTimer::timeout, &loop, [&] {
        if (m_cancelCheck && m_cancelCheck())
            m_cancelled = true;
        if (m_cancelled)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    moved();
    cancelWatch.start(100);
    if (!reply->isFinished())
        loop.exec();

    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (!tooLarge && reply->isOpen())
        response.body = reply->readAll();
    for (const auto& [name, value] : reply->rawHeaderPairs())
        response.headers.insert(name.toLower(), value);
    const QNetworkReply::NetworkError error = reply->error();
    if (tooLarge) {
        response.failure = DavResponse::Failure::TooLarge;
    } else if (timedOut) {
        response.failure = DavResponse::Failure::Timeout;
    } else if (m_cancelled && error == QNetworkReply::OperationCanceledError) {
        response.failure = DavResponse::Failure::Cancelled;
    } else if (response.status == 0 || transferBroke(error)) {
        response.error = reply->errorString();
        response.networkError = int(error);
        if (response.status != 0)
            response.failure = DavResponse::Failure::Incomplete; // the headers came, the body broke off
        else if (error == QNetworkReply::SslHandshakeFailedError)
            response.failure = DavResponse::Failure::Certificate;
        else
            response.failure = DavResponse::Failure::Unreachable;
    }
    reply->deleteLater();
    return response;
}
