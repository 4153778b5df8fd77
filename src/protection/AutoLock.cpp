#include "AutoLock.h"

#include "BookPasswordDialog.h"
#include "Preferences.h"
#include "SharedData.h"

#include <QApplication>
#include <QDBusConnection>
#include <QEvent>

AutoLock& AutoLock::instance()
{
    static AutoLock* lock = new AutoLock;
    return *lock;
}

AutoLock::AutoLock()
{
    m_idle.setSingleShot(true);
    connect(&m_idle, &QTimer::timeout, this, &AutoLock::lockNow);
    qApp->installEventFilter(this);
    // The desktop's screen lock, where a session bus tells of it (freedesktop and GNOME names).
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        bus.connect(QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
                    QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("ActiveChanged"), this,
                    SLOT(screenSaverChanged(bool)));
        bus.connect(QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
                    QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("ActiveChanged"), this,
                    SLOT(screenSaverChanged(bool)));
    }
    setIdleInterval(Preferences::lockMinutes() * 60000);
}

void AutoLock::setIdleMinutes(int minutes)
{
    Preferences::setLockMinutes(minutes);
    instance().setIdleInterval(Preferences::lockMinutes() * 60000);
}

void AutoLock::setIdleInterval(int milliseconds)
{
    m_idle.setInterval(milliseconds);
    restartIdleTimer();
}

void AutoLock::restartIdleTimer()
{
    if (m_idle.interval() > 0 && !m_locked)
        m_idle.start();
    else
        m_idle.stop();
}

bool AutoLock::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
        if (!m_locked && m_idle.isActive())
            m_idle.start();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void AutoLock::screenSaverChanged(bool active)
{
    if (active)
        lockNow();
}

void AutoLock::lockNow()
{
    // Only a protected book has a password to ask; one lock at a time.
    if (m_locked || !SharedData::bookProtected())
        return;
    m_locked = true;
    m_idle.stop();
    // The contents go, the windows stay: a modal window keeps running, with what was typed in it.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        for (QObject* child : window->children()) {
            auto* part = qobject_cast<QWidget*>(child);
            if (part && !part->isWindow() && part->isVisible()) {
                part->hide();
                m_hidden.emplace_back(part);
            }
        }
    }
    const QString key = SharedData::bookKey();
    // No way past it but the password: Escape only asks again.
    while (!BookPasswordDialog::ask(QStringLiteral("الدفتر مقفل. اكتب كلمة المرور للعودة إليه."), QString(),
                                    [&key](const QString& typed) { return typed == key; })) {
    }
    for (const QPointer<QWidget>& part : m_hidden)
        if (part)
            part->show();
    m_hidden.clear();
    m_locked = false;
    restartIdleTimer();
}
