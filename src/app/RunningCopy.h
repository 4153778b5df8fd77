#pragma once

#include <QObject>
#include <QStringList>

class QLocalServer;
class QLocalSocket;

// One window per book. The first copy of the program on a book listens on a socket in the
// user's runtime folder, named after the book's resolved path; a later start on the same book
// hands it its files and asks it to show itself, then ends. What the socket takes is a few lines:
// "show", "import PATH" (an absolute path, percent-encoded) and "end"; anything else is refused
// whole.
class RunningCopy : public QObject
{
    Q_OBJECT
public:
    static constexpr qsizetype kLongestMessage = 256 * 1024;

    explicit RunningCopy(const QString& bookPath, QObject* parent = nullptr);

    // The socket of the copy running on this book; "" when no private folder can hold it.
    QString socketPath() const { return m_socketPath; }

    // A later start: true when the running copy took the files (none, to show itself only).
    bool handOver(const QStringList& files) const;
    // The first start listens for later ones; false when it cannot (it runs on alone).
    bool listen();

    // What a message asks for; false when it is anything but the lines above.
    static bool parse(const QByteArray& message, bool& show, QStringList& files);

signals:
    void showRequested();
    void filesReceived(const QStringList& files);

private:
    static QString privateFolder();
    void take(QLocalSocket* socket);

    QString m_socketPath;
    QLocalServer* m_server = nullptr;
};
