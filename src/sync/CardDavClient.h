#pragma once

#include <QByteArray>
#include <QHash>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include <functional>

// One answer from the server. A request that never got an answer (no connection, a timeout, a
// certificate that does not verify, cancelled) has status 0 and says why in error.
struct DavResponse {
    enum class Failure { None, Unreachable, Timeout, Certificate, Cancelled };
    int status = 0;
    Failure failure = Failure::None;
    QByteArray body;
    QHash<QByteArray, QByteArray> headers; // lower-case names
    QString error;
    int networkError = 0; // QNetworkReply::NetworkError, when there was no answer
    bool ok() const { return status >= 200 && status < 300; }
    QByteArray header(const char* name) const { return headers.value(QByteArray(name)); }
};

// Speaks HTTP to one CardDAV server as one user. Each call waits for its answer while the event
// loop runs, so a window stays painted; certificates are checked against the system's.
class CardDavClient
{
public:
    CardDavClient(const QString& user, const QString& password);

    DavResponse propfind(const QUrl& url, int depth, const QByteArray& body);
    DavResponse report(const QUrl& url, int depth, const QByteArray& body);
    DavResponse get(const QUrl& url);
    // A new card (ifMatch empty: only when nothing is there yet) or a change of a known one.
    DavResponse put(const QUrl& url, const QByteArray& card, const QByteArray& ifMatch);
    DavResponse remove(const QUrl& url, const QByteArray& ifMatch);
    DavResponse mkcol(const QUrl& url, const QByteArray& body);

    // How long one request may wait for its answer.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // Stops the request in flight and every later one (a user's cancel).
    void cancel();
    // Asked now and then while a request waits: true stops it as cancel() does.
    void setCancelCheck(std::function<bool()> check) { m_cancelCheck = std::move(check); }
    bool cancelled() const { return m_cancelled; }

private:
    DavResponse send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                     const QList<QPair<QByteArray, QByteArray>>& headers);

    QNetworkAccessManager m_network;
    QByteArray m_authorization;
    int m_timeoutMs = 60000;
    bool m_cancelled = false;
    std::function<bool()> m_cancelCheck;
};
