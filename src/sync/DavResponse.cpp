#include "DavResponse.h"

namespace
{

QByteArray mediaType(const QByteArray& contentType)
{
    return contentType.split(';').value(0).trimmed().toLower();
}

} // namespace

DavResponse::Kind DavResponse::kind() const
{
    if (failure != Failure::None || status == 0)
        return Kind::Failed;
    if (status >= 200 && status < 300)
        return Kind::Done;
    if (status == 412)
        return Kind::Conflict;
    if (status == 404 || status == 410)
        return Kind::Gone;
    if (status == 401)
        return Kind::Unauthorized;
    if (status == 501 || status == 400)
        return Kind::NotSupported;
    if (status >= 500 || status == 429 || status == 408)
        return Kind::Retry;
    return Kind::Refused;
}

bool DavResponse::wholeCard(const QByteArray& card)
{
    // BEGIN and END may carry a group ("home.BEGIN:VCARD") and come in any case.
    auto is = [](const QByteArray& line, const char* name) {
        const QByteArray upper = line.trimmed().toUpper();
        const qsizetype colon = upper.indexOf(':');
        QByteArray head = upper.left(colon).trimmed();
        if (const qsizetype dot = head.lastIndexOf('.'); dot >= 0)
            head = head.mid(dot + 1);
        return colon > 0 && head == name && upper.mid(colon + 1).trimmed() == "VCARD";
    };
    const QByteArray text = card.trimmed();
    const qsizetype firstEnd = text.indexOf('\n');
    return firstEnd > 0 && is(text.left(firstEnd), "BEGIN") && is(text.mid(text.lastIndexOf('\n') + 1), "END");
}

bool DavResponse::checkLength()
{
    // A compressed body comes unpacked, so its announced length says nothing of what is here.
    if (failure != Failure::None)
        return false;
    const QByteArray announced = header("content-length");
    if (announced.isEmpty() || !header("content-encoding").isEmpty())
        return true;
    bool number = false;
    const qint64 length = announced.trimmed().toLongLong(&number);
    if (number && length != body.size()) {
        failure = Failure::Incomplete;
        return false;
    }
    return true;
}

bool DavResponse::acceptMultistatus()
{
    if (!ok())
        return false;
    const QByteArray type = mediaType(header("content-type"));
    Multistatus read = Multistatus::parse(body);
    if (status != 207 || (!type.isEmpty() && !type.endsWith("xml")) || !read.valid) {
        failure = Failure::Unreadable;
        return false;
    }
    listing = std::move(read);
    return true;
}

bool DavResponse::acceptCard()
{
    if (!ok())
        return false;
    const QByteArray type = mediaType(header("content-type"));
    const bool cardType = type == "text/vcard" || type == "text/x-vcard" || type == "text/directory";
    const bool loose = type.isEmpty() || type == "text/plain" || type == "application/octet-stream";
    if (!(cardType || loose) || !wholeCard(body)) {
        failure = Failure::Unreadable;
        return false;
    }
    return true;
}
