#include "FaultyDavServer.h"

#include "PortWait.h"

#include <QEventLoop>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTcpServer>

namespace
{
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
} // namespace

FaultyDavServer::FaultyDavServer() : m_port(freePort()), m_recorderPort(freePort())
{
    while (m_recorderPort == m_port)
        m_recorderPort = freePort();
}

FaultyDavServer::~FaultyDavServer()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool FaultyDavServer::start()
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral("python3"),
                    {QStringLiteral(QAV_FAULTDAV), QStringLiteral("--port"), QString::number(m_port),
                     QStringLiteral("--recorder-port"), QString::number(m_recorderPort)});
    return m_process.waitForStarted(10000) && portOpens(m_process, m_port);
}

QUrl FaultyDavServer::book() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/dav/alice@example/book/").arg(m_port));
}

QUrl FaultyDavServer::recorder() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_recorderPort));
}

QJsonObject FaultyDavServer::fault(const QString& on, const QString& kind, const QJsonObject& more)
{
    QJsonObject made = more;
    made.insert(QStringLiteral("on"), on);
    made.insert(QStringLiteral("kind"), kind);
    return made;
}

bool FaultyDavServer::configure(const QJsonObject& settings)
{
    return !control(QStringLiteral("faults"), settings).isNull();
}

QMap<QString, QString> FaultyDavServer::cards()
{
    QMap<QString, QString> found;
    const QJsonObject all = QJsonDocument::fromJson(control(QStringLiteral("cards"))).object();
    for (auto it = all.begin(); it != all.end(); ++it)
        found.insert(it.key(), it.value().toString());
    return found;
}

bool FaultyDavServer::put(const QString& name, const QByteArray& card)
{
    return !control(QStringLiteral("put"),
                    {{QStringLiteral("name"), name}, {QStringLiteral("card"), QString::fromUtf8(card)}})
                .isNull();
}

bool FaultyDavServer::remove(const QString& name)
{
    return !control(QStringLiteral("delete"), {{QStringLiteral("name"), name}}).isNull();
}

bool FaultyDavServer::move(const QString& from, const QString& to)
{
    return !control(QStringLiteral("move"), {{QStringLiteral("from"), from}, {QStringLiteral("to"), to}}).isNull();
}

QJsonArray FaultyDavServer::recorded()
{
    return QJsonDocument::fromJson(control(QStringLiteral("recorded"))).array();
}

QByteArray FaultyDavServer::control(const QString& what, const QJsonObject& data)
{
    QNetworkAccessManager network;
    QNetworkRequest request(QUrl(QStringLiteral("http://127.0.0.1:%1/_control/%2").arg(m_port).arg(what)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    QNetworkReply* reply = network.post(request, QJsonDocument(data).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    const QByteArray body = reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
    reply->deleteLater();
    return body;
}
