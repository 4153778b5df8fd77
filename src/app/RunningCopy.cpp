#include "RunningCopy.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 5000;
const QByteArray kEnd = QByteArrayLiteral("end\n");
const QByteArray kLastLine = QByteArrayLiteral("\nend\n"); // a path's line never ends so: its line ends are encoded
const QByteArray kTaken = QByteArrayLiteral("ok\n");

// A folder only this user can enter: owned by them, no symbolic link, no rights for anyone else.
bool isPrivateFolder(const QString& path)
{
    struct stat info {
    };
    const QByteArray native = QFile::encodeName(path);
    return !path.isEmpty() && ::lstat(native.constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::getuid() && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

} // namespace

RunningCopy::RunningCopy(const QString& bookPath, QObject* parent) : QObject(parent)
{
    // The same book reached through a link or another spelling of its path is the same book.
    const QFileInfo book(bookPath);
    const QString resolved = book.exists() ? book.canonicalFilePath() : book.absoluteFilePath();
    const QString folder = privateFolder();
    if (folder.isEmpty())
        return;
    const QByteArray hash = QCryptographicHash::hash(resolved.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    m_socketPath = folder + QStringLiteral("/qavtelephone-") + QString::fromLatin1(hash);
}

QString RunningCopy::privateFolder()
{
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (isPrivateFolder(runtime))
        return runtime;
    // Without one, a folder of the program's own in Qt's runtime location, made for the user alone.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty())
        return {};
    const QString own = base + QStringLiteral("/qavtelephone");
    ::mkdir(QFile::encodeName(own).constData(), S_IRWXU);
    return isPrivateFolder(own) ? own : QString();
}

bool RunningCopy::handOver(const QStringList& files) const
{
    if (m_socketPath.isEmpty())
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kConnectMs))
        return false; // nobody there, or a socket left by a copy that crashed
    QByteArray message = QByteArrayLiteral("show\n");
    for (const QString& file : files)
        message += QByteArrayLiteral("import ") + QUrl::toPercentEncoding(file, "/") + '\n';
    message += kEnd;
    if (message.size() > kLongestMessage)
        return false;
    socket.write(message);
    if (!socket.waitForBytesWritten(kAnswerMs))
        return false;
    QByteArray answer;
    while (answer.size() < kTaken.size() && socket.waitForReadyRead(kAnswerMs))
        answer += socket.readAll();
    return answer == kTaken;
}

bool RunningCopy::listen()
{
    if (m_socketPath.isEmpty() || m_server != nullptr)
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath)) {
        // Someone answers: another copy that started at the same moment. Nobody: a crashed copy's socket.
        QLocalSocket probe;
        probe.connectToServer(m_socketPath);
        if (probe.waitForConnected(kConnectMs) || !QLocalServer::removeServer(m_socketPath) ||
            !m_server->listen(m_socketPath)) {
            delete m_server;
            m_server = nullptr;
            return false;
        }
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection())
            take(socket);
    });
    return true;
}

void RunningCopy::take(QLocalSocket* socket)
{
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A caller that says nothing, or too much, or anything else, is let go with nothing done.
    auto* patience = new QTimer(socket);
    patience->setSingleShot(true);
    connect(patience, &QTimer::timeout, socket, &QLocalSocket::abort);
    patience->start(kAnswerMs);
    auto received = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
        *received += socket->read(kLongestMessage + 1 - received->size());
        if (received->size() > kLongestMessage) {
            socket->abort();
            return;
        }
        if (!received->endsWith(kLastLine))
            return;
        bool show = false;
        QStringList files;
        if (!parse(*received, show, files)) {
            socket->abort();
            return;
        }
        socket->write(kTaken);
        socket->flush();
        socket->disconnectFromServer();
        if (show)
            emit showRequested();
        if (!files.isEmpty())
            emit filesReceived(files);
    });
}

bool RunningCopy::parse(const QByteArray& message, bool& show, QStringList& files)
{
    show = false;
    files.clear();
    if (message.size() > kLongestMessage || !message.endsWith(kLastLine))
        return false;
    const QList<QByteArray> lines = message.chopped(1).split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& line = lines.at(i);
        if (line == "end")
            return i == lines.size() - 1;
        if (line == "show") {
            show = true;
            continue;
        }
        if (!line.startsWith("import "))
            return false;
        const QByteArray raw = QByteArray::fromPercentEncoding(line.mid(7));
        const QString path = QString::fromUtf8(raw);
        // Only an absolute path that is text as it stands: no NUL, nothing lost in decoding.
        if (!path.startsWith(QLatin1Char('/')) || path.toUtf8() != raw || raw.contains('\0'))
            return false;
        files << path;
    }
    return false;
}
