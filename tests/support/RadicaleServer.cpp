#include "RadicaleServer.h"

#include "CardDavClient.h"
#include "PortWait.h"

#include <QFile>
#include <QTcpServer>

RadicaleServer::RadicaleServer(bool tls) : m_tls(tls)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    m_port = probe.serverPort();
    probe.close();
    QFile users(m_folder.filePath(QStringLiteral("users")));
    if (users.open(QIODevice::WriteOnly))
        users.write((kUser + QLatin1Char(':') + kPassword + QLatin1Char('\n')).toUtf8());
}

RadicaleServer::~RadicaleServer()
{
    stop();
}

bool RadicaleServer::start()
{
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.setStandardOutputFile(m_folder.filePath(QStringLiteral("log")), QIODevice::Append);
    QStringList tlsArguments;
    if (m_tls) {
        const QString certificate = m_folder.filePath(QStringLiteral("cert.pem"));
        const QString key = m_folder.filePath(QStringLiteral("key.pem"));
        if (QProcess::execute(QStringLiteral("openssl"),
                              {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                               QStringLiteral("rsa:2048"), QStringLiteral("-nodes"), QStringLiteral("-days"),
                               QStringLiteral("1"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                               QStringLiteral("-keyout"), key, QStringLiteral("-out"), certificate}) != 0)
            return false;
        tlsArguments = {QStringLiteral("--server-ssl"),         QStringLiteral("True"),
                        QStringLiteral("--server-certificate"), certificate,
                        QStringLiteral("--server-key"),         key};
    }
    m_process.start(
        QStringLiteral("radicale"),
        tlsArguments +
            QStringList{QStringLiteral("--config"), QString(), QStringLiteral("--server-hosts"),
                        QStringLiteral("127.0.0.1:%1").arg(m_port), QStringLiteral("--storage-filesystem-folder"),
                        m_folder.filePath(QStringLiteral("storage")), QStringLiteral("--auth-type"),
                        QStringLiteral("htpasswd"), QStringLiteral("--auth-htpasswd-filename"),
                        m_folder.filePath(QStringLiteral("users")), QStringLiteral("--auth-htpasswd-encryption"),
                        QStringLiteral("plain"), QStringLiteral("--rights-type"), QStringLiteral("owner_only"),
                        QStringLiteral("--auth-delay"), QStringLiteral("0")});
    return m_process.waitForStarted(10000) && portOpens(m_process, m_port);
}

void RadicaleServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString RadicaleServer::log() const
{
    QFile file(m_folder.filePath(QStringLiteral("log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QUrl RadicaleServer::serverUrl() const
{
    return QUrl(
        QStringLiteral("%1://127.0.0.1:%2/").arg(m_tls ? QStringLiteral("https") : QStringLiteral("http")).arg(m_port));
}

QUrl RadicaleServer::createBook(const QString& name)
{
    const QUrl url = serverUrl().resolved(QUrl(kUser + QLatin1Char('/') + name + QLatin1Char('/')));
    CardDavClient client(kUser, kPassword);
    const DavResponse made = client.mkcol(
        url, "<?xml version=\"1.0\"?><mkcol xmlns=\"DAV:\" xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><set><prop>"
             "<resourcetype><collection/><C:addressbook/></resourcetype></prop></set></mkcol>");
    return made.ok() ? url : QUrl();
}

bool RadicaleServer::writeCards(const QString& book, int count)
{
    const QString folder = m_folder.filePath(QStringLiteral("storage/collection-root/%1/%2").arg(kUser, book));
    for (int i = 0; i < count; ++i) {
        QFile card(QStringLiteral("%1/card-%2.vcf").arg(folder).arg(i, 5, 10, QLatin1Char('0')));
        if (!card.open(QIODevice::WriteOnly))
            return false;
        card.write(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:card-%1\r\nFN:جهة %1\r\n"
                                  "TEL;TYPE=CELL:010%1\r\nEND:VCARD\r\n")
                       .arg(i, 5, 10, QLatin1Char('0'))
                       .toUtf8());
    }
    return true;
}
