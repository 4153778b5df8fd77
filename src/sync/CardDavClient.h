#pragma once

#include "DavResponse.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QString>
#include <QUrl>

#include <functional>

// Speaks HTTP to one CardDAV server as one user. Each call waits for its answer while the event
// loop runs, so a window stays painted; certificates are checked against the system's.
//
// The password goes only to the server's origin (scheme, host and port of the first address
// asked, or of setOrigin()), and only when that server asks for it (Basic or Digest); a request
// elsewhere is refused before it leaves, and a redirect is handed back, never followed. An answer
// that stalls for the inactivity limit, breaks off, is shorter than announced or larger than
// DavResponse::kMaxBodyBytes is a failure, whatever its status line said.
class CardDavClient
{
public:
    CardDavClient(const QString& user, const QString& password);
    // The password's own copy is overwritten.
    ~CardDavClient();
    CardDavClient(const CardDavClient&) = delete;
    CardDavClient& operator=(const CardDavClient&) = delete;

    // Answers come whole and parsed as a multistatus, else with a failure.
    DavResponse propfind(const QUrl& url, int depth, const QByteArray& body);
    DavResponse report(const QUrl& url, int depth, const QByteArray& body);
    // The answer is a whole card, else a failure.
    DavResponse get(const QUrl& url);
    // A new card (ifMatch empty: only when nothing is there yet) or a change of a known one.
    DavResponse put(const QUrl& url, const QByteArray& card, const QByteArray& ifMatch);
    // ifMatch empty: whatever is there (the card was just read and agreed).
    DavResponse putOver(const QUrl& url, const QByteArray& card);
    DavResponse remove(const QUrl& url, const QByteArray& ifMatch);
    DavResponse mkcol(const QUrl& url, const QByteArray& body);

    void setOrigin(const QUrl& url);
    static bool sameOrigin(const QUrl& a, const QUrl& b);
    // How long a request may go without a byte moving either way.
    void setTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    // Stops the request in flight and every later one (a user's cancel).
    void cancel();
    // Asked now and then while a request waits: true stops it as cancel() does.
    void setCancelCheck(std::function<bool()> check) { m_cancelCheck = std::move(check); }
    bool cancelled() const { return m_cancelled; }

private:
    enum class Expect { Nothing, Multistatus, Card };
    DavResponse send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                     const QList<QPair<QByteArray, QByteArray>>& headers, Expect expect);
    DavResponse transfer(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                         const QList<QPair<QByteArray, QByteArray>>& headers);

    QNetworkAccessManager m_network;
    QString m_user;
    QString m_password;
    QUrl m_origin;
    int m_timeoutMs = 60000;
    bool m_cancelled = false;
    std::function<bool()> m_cancelCheck;
};
