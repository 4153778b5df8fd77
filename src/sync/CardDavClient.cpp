#include "CardDavClient.h"

#include <QEventLoop>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace
{
const QByteArray kXml = "application/xml; charset=utf-8";
}

CardDavClient::CardDavClient(const QString& user, const QString& password)
{
    // Sent with the first request, so a server that answers 401 without asking again still lets us in.
    m_authorization = "Basic " + (user.toUtf8() + ':' + password.toUtf8()).toBase64();
}

void CardDavClient::cancel()
{
    m_cancelled = true;
}

DavResponse CardDavClient::propfind(const QUrl& url, int depth, const QByteArray& body)
{
    return send("PROPFIND", url, body, {{"Depth", QByteArray::number(depth)}, {"Content-Type", kXml}});
}

DavResponse CardDavClient::report(const QUrl& url, int depth, const QByteArray& body)
{
    return send("REPORT", url, body, {{"Depth", QByteArray::number(depth)}, {"Content-Type", kXml}});
}

DavResponse CardDavClient::get(const QUrl& url)
{
    return send("GET", url, {}, {});
}

DavResponse CardDavClient::put(const QUrl& url, const QByteArray& card, const QByteArray& ifMatch)
{
    QList<QPair<QByteArray, QByteArray>> headers{{"Content-Type", "text/vcard; charset=utf-8"}};
    if (ifMatch.isEmpty())
        headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
    else
        headers.append(qMakePair(QByteArray("If-Match"), ifMatch));
    return send("PUT", url, card, headers);
}

DavResponse CardDavClient::remove(const QUrl& url, const QByteArray& ifMatch)
{
    return send("DELETE", url, {}, {{"If-Match", ifMatch}});
}

DavResponse CardDavClient::mkcol(const QUrl& url, const QByteArray& body)
{
    return send("MKCOL", url, body, {{"Content-Type", kXml}});
}

DavResponse CardDavClient::send(const QByteArray& verb, const QUrl& url, const QByteArray& body,
                                const QList<QPair<QByteArray, QByteArray>>& headers)
{
    DavResponse response;
    if (m_cancelled) {
        response.failure = DavResponse::Failure::Cancelled;
        return response;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setRawHeader("Authorization", m_authorization);
    request.setRawHeader("User-Agent", "qavtelephone");
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);

    QNetworkReply* reply = m_network.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QTimer cancelWatch; // a cancel from the window's own loop reaches the request in flight
    QObject::connect(&cancelWatch, &QTimer::timeout, &loop, [&] {
        if (m_cancelCheck && m_cancelCheck())
            m_cancelled = true;
        if (m_cancelled)
            reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(m_timeoutMs);
    cancelWatch.start(100);
    if (!reply->isFinished())
        loop.exec();

    response.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    response.body = reply->readAll();
    for (const auto& [name, value] : reply->rawHeaderPairs())
        response.headers.insert(name.toLower(), value);
    if (response.status == 0) {
        response.error = reply->errorString();
        response.networkError = int(reply->error());
        if (timedOut)
            response.failure = DavResponse::Failure::Timeout;
        else if (m_cancelled)
            response.failure = DavResponse::Failure::Cancelled;
        else if (reply->error() == QNetworkReply::SslHandshakeFailedError)
            response.failure = DavResponse::Failure::Certificate;
        else
            response.failure = DavResponse::Failure::Unreachable;
    }
    reply->deleteLater();
    return response;
}
