#pragma once

#include "CardDavClient.h"
#include "ContactFields.h"
#include "ContactValue.h"

#include <functional>
#include <optional>

// One change or one deletion of a card the server already has, held to the version last agreed so
// that nothing another client wrote meanwhile is overwritten. The request carries that version's
// ETag (If-Match); without a strong one to hold it to, the card is read first and the request goes
// out only when it still holds the values agreed. When the card changed there (a 412, or values
// read first that differ), the server's version is handed to the caller to take in, and the caller
// says what is to be sent after that.
class ConditionalWrite
{
public:
    enum class Answer {
        Done,    // the server took it: response is its answer, card what went out
        Fresh,   // nothing of ours went out: the server's version stands, taken in (or already agreed)
        Gone,    // the card is no longer there
        Refused, // the server will never take it: response says why
        Stop,    // the sync stops: response is the server's answer, unless the book failed
    };
    struct Result {
        Answer answer = Answer::Fresh;
        DavResponse response{};
        QByteArray card{};
        bool bookFailed = false; // Stop: the book could not take the server's version in
    };
    // What to send now, against which agreed version; Nothing when nothing is left to send.
    struct Request {
        enum class Kind { Nothing, Put, Delete };
        Kind kind = Kind::Nothing;
        QByteArray card{};                      // Put: the card
        QByteArray etag{};                      // the agreed version's ETag
        ContactFields agreed{};                 // the agreed version's values
        std::optional<MoreValues> agreedMore{}; // none: agreed on before more values were synced
    };
    using NextRequest = std::function<Request()>;
    // The server's version as read just now; false when the book could not take it in.
    using TakeFresh = std::function<bool(const DavResponse& fresh)>;

    // Three tries at most: the first, and two more each after the server's version came in. A card
    // that keeps changing there is left for the next sync.
    static constexpr int kTries = 3;

    ConditionalWrite(CardDavClient& client, QUrl url);
    Result run(const NextRequest& next, const TakeFresh& takeFresh);

private:
    static std::optional<Result> unusable(const DavResponse& fresh);
    DavResponse send(const Request& request, const QByteArray& ifMatch);

    CardDavClient& m_client;
    QUrl m_url;
};
