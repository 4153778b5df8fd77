#include "DavRequests.h"

namespace
{

const QByteArray kHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
const QByteArray kNamespaces = "xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\"";

QByteArray xmlText(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

} // namespace

QByteArray DavRequests::bookState()
{
    return kHead + "<d:propfind " + kNamespaces +
           "><d:prop><d:getlastmodified/><d:current-user-privilege-set/></d:prop></d:propfind>";
}

QByteArray DavRequests::allCards()
{
    return kHead + "<c:addressbook-query " + kNamespaces +
           "><d:prop><d:getetag/><c:address-data/></d:prop><c:filter/></c:addressbook-query>";
}

QByteArray DavRequests::syncCollection(const QString& token)
{
    return kHead + "<d:sync-collection " + kNamespaces + "><d:sync-token>" + xmlText(token) +
           "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/>" +
           (token.isEmpty() ? QByteArray() : QByteArray("<c:address-data/>")) + "</d:prop></d:sync-collection>";
}

QByteArray DavRequests::etags()
{
    return kHead + "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/><d:resourcetype/></d:prop></d:propfind>";
}

QByteArray DavRequests::multiget(const QStringList& hrefs)
{
    QByteArray body =
        kHead + "<c:addressbook-multiget " + kNamespaces + "><d:prop><d:getetag/><c:address-data/></d:prop>";
    for (const QString& href : hrefs)
        body += "<d:href>" + xmlText(href) + "</d:href>";
    return body + "</c:addressbook-multiget>";
}
