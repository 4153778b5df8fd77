#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QString>
#include <QUrl>

// The project's own CardDAV server that misbehaves on demand (tests/support/faultdav.py): one
// book for "alice"/"secret" on 127.0.0.1 at a free port, cut, stalled, foreign, paged, huge and
// redirected answers, weak or missing ETags, Digest only, read-only, refused cards, encoded
// addresses. A second port records whatever reaches it, password included. Stopped with the test.
class FaultyDavServer
{
public:
    static inline const QString kUser = QStringLiteral("alice");
    static inline const QString kPassword = QStringLiteral("secret");

    FaultyDavServer();
    ~FaultyDavServer();

    bool start();
    QUrl book() const;
    QUrl recorder() const;

    // Replaces every switch and fault (see faultdav.py); an empty object puts the server right.
    bool configure(const QJsonObject& settings);
    static QJsonObject fault(const QString& on, const QString& kind, const QJsonObject& more = {});
    // href → card, as the server holds them.
    QMap<QString, QString> cards();
    // As another client would: a card written, deleted or moved on the server.
    bool put(const QString& name, const QByteArray& card);
    bool remove(const QString& name);
    bool move(const QString& from, const QString& to);
    // What reached the recorder: method, path and authorization of each request.
    QJsonArray recorded();

private:
    QByteArray control(const QString& what, const QJsonObject& data = {});

    QProcess m_process;
    quint16 m_port = 0;
    quint16 m_recorderPort = 0;
};
