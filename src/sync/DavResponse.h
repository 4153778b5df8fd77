#pragma once

#include "Multistatus.h"
#include "SyncStore.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QUrl>

#include <optional>

// One answer from the server, used only when it arrived whole. A request that never got an
// answer (no connection, a stall, a certificate that does not verify, cancelled) or whose answer
// was cut, too large, a redirect, or not what was asked for has a failure, and ok() is false
// whatever the status line said.
struct DavResponse {
    enum class Failure {
        None,
        Unreachable,
        Timeout, // nothing arrived for the inactivity limit
        Certificate,
        Cancelled,
        Incomplete,  // the transfer broke off, or the body is shorter than announced
        TooLarge,    // more than kMaxBodyBytes
        Redirected,  // to location; never followed with the user's password
        OtherOrigin, // a request outside the linked server was refused before it went out
        Unreadable,  // not the kind of answer asked for (an HTML page for a card, a cut listing)
    };
    // What a status means to a client, whatever the request.
    enum class Kind {
        Done,         // 2xx
        Conflict,     // 412: the ETag no longer matches
        Gone,         // 404, 410
        Refused,      // 403, 405, 409, 415 and other 4xx: this request will never go through
        Unauthorized, // 401: the user name or password
        NotSupported, // 501, 400: the server does not know what was asked (a report it lacks)
        Retry,        // 5xx, 429: the server's trouble, try again later
        Failed,       // no usable answer at all (failure is set)
    };

    static constexpr qint64 kMaxBodyBytes = SyncStore::kMostCardBytes; // the cards kept are no larger

    int status = 0;
    Failure failure = Failure::None;
    QByteArray body;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QString error;
    int networkError = 0;               // QNetworkReply::NetworkError, when there was no answer
    QUrl url;                           // what was asked
    QUrl location;                      // where a redirect pointed
    std::optional<Multistatus> listing; // a multistatus answer, read whole

    bool ok() const { return failure == Failure::None && status >= 200 && status < 300; }
    Kind kind() const;
    QByteArray header(const char* name) const { return headers.value(QByteArray(name)); }
    // The ETag the server gave, empty when none (some servers send none after a PUT).
    QByteArray etag() const { return header("etag").trimmed(); }

    // Whether the body is a whole answer of the kind asked for; on false, failure says why.
    bool acceptMultistatus();
    bool acceptCard();
    // The length, when one was announced, is the length that came.
    bool checkLength();
    // A card stands whole between its first BEGIN and its last END line.
    static bool wholeCard(const QByteArray& card);
};
