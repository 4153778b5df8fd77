#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// A real Radicale CardDAV server for one test: on 127.0.0.1 at a free port, with its storage and
// one user ("alice", "secret") in a temporary folder. Stopped when the test ends; it can be
// stopped and started again on the same port and storage, as a server that went down.
class RadicaleServer
{
public:
    static inline const QString kUser = QStringLiteral("alice");
    static inline const QString kPassword = QStringLiteral("secret");

    // With tls, the server answers HTTPS with a certificate of its own that no one signed.
    explicit RadicaleServer(bool tls = false);
    ~RadicaleServer();

    bool start();
    void stop();
    QString log() const;

    // An address book of that name in the user's home, made empty on the server.
    QUrl createBook(const QString& name);
    QUrl serverUrl() const;
    // Cards written straight into a book's storage, as the server keeps them: fast for many.
    bool writeCards(const QString& book, int count);

private:
    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
    bool m_tls = false;
};
