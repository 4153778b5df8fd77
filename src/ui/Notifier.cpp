#include "Notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

bool Notifier::notify(const QString& summary, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("org.qav.telephone")}};
    // Most desktops read the body as markup: a server's text in it is shown, never obeyed.
    call << QStringLiteral("QAV Telephone") << uint(0) << QStringLiteral("org.qav.telephone") << summary
         << body.toHtmlEscaped() << QStringList() << hints << int(-1);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kAnswerMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}
