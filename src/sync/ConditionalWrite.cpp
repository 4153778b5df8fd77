#include "ConditionalWrite.h"

#include "CardMerge.h"

namespace
{

// Only a strong ETag can make a write conditional (RFC 7232 §3.1): a weak one never matches.
QByteArray strong(const QByteArray& etag)
{
    return etag.startsWith("W/") ? QByteArray() : etag;
}

} // namespace

ConditionalWrite::ConditionalWrite(CardDavClient& client, QUrl url) : m_client(client), m_url(std::move(url)) {}

ConditionalWrite::Result ConditionalWrite::run(const NextRequest& next, const TakeFresh& takeFresh)
{
    for (int attempt = 0; attempt < kTries; ++attempt) {
        const Request request = next();
        if (request.kind == Request::Kind::Nothing)
            return {Answer::Fresh};
        QByteArray ifMatch = strong(request.etag);
        if (ifMatch.isEmpty()) {
            // No ETag to hold the request to: read the card first, and go only over the version agreed.
            DavResponse fresh = m_client.get(m_url);
            if (const std::optional<Result> ended = unusable(fresh))
                return *ended;
            if (const CardMerge::Read read = CardMerge::readAll(fresh.body);
                read.fields != request.agreed || (request.agreedMore && read.more != *request.agreedMore)) {
                if (!takeFresh(fresh))
                    return {.answer = Answer::Stop, .bookFailed = true};
                continue;
            }
            ifMatch = strong(fresh.etag());
        }
        DavResponse answer = send(request, ifMatch);
        switch (answer.kind()) {
        case DavResponse::Kind::Done:
            return {Answer::Done, std::move(answer), request.card};
        case DavResponse::Kind::Conflict: {
            // Changed there, or only its ETag moved on: either way the server's version comes in
            // (a new ETag alone is then only noted), and the caller says what goes out over it.
            DavResponse fresh = m_client.get(m_url);
            if (const std::optional<Result> ended = unusable(fresh))
                return *ended;
            if (!takeFresh(fresh))
                return {.answer = Answer::Stop, .bookFailed = true};
            continue;
        }
        case DavResponse::Kind::Gone:
            return {Answer::Gone};
        case DavResponse::Kind::Refused:
            return {Answer::Refused, std::move(answer)};
        default:
            return {Answer::Stop, std::move(answer)};
        }
    }
    return {Answer::Fresh};
}

// The card read again is gone there, or could not be read (the sync stops).
std::optional<ConditionalWrite::Result> ConditionalWrite::unusable(const DavResponse& fresh)
{
    if (fresh.kind() == DavResponse::Kind::Gone)
        return Result{Answer::Gone};
    if (!fresh.ok())
        return Result{Answer::Stop, fresh};
    return std::nullopt;
}

DavResponse ConditionalWrite::send(const Request& request, const QByteArray& ifMatch)
{
    if (request.kind == Request::Kind::Delete)
        return m_client.remove(m_url, ifMatch);
    return ifMatch.isEmpty() ? m_client.putOver(m_url, request.card) : m_client.put(m_url, request.card, ifMatch);
}
