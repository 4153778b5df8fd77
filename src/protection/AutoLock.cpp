#include "AutoLock.h"

#include "BookPasswordDialog.h"
#include "LockState.h"
#include "Preferences.h"
#include "ProgramClipboard.h"
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

namespace
{
// What a window left up shows while locked, in place of a title that may name a contact.
const QString kLockedTitle = QStringLiteral("QAV Telephone");

bool insidePrompt(const QObject* object)
{
    for (; object; object = object->parent())
        if (qobject_cast<const BookPasswordDialog*>(object))
            return true;
    return false;
}
} // namespace

bool AutoLock::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::Shortcut:
        // Hidden windows have no reachable shortcut; this refuses any other one (an application
        // wide key, a window a timer put up) while locked.
        if (m_locked && !insidePrompt(watched))
            return true;
        break;
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
    LockState::instance().setLocked(true);
    m_idle.stop();
    // Every window goes; the prompt then stays the only one shown, and closing it must not end
    // the program as the last window closed would.
    const bool quitOnLastWindow = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    concealWindows();
    ProgramClipboard::clearIfStillOurs();
    const QString key = SharedData::bookKey();
    // No way past it but the password: Escape only asks again.
    while (!BookPasswordDialog::ask(QStringLiteral("الدفتر مقفل. اكتب كلمة المرور للعودة إليه."), QString(),
                                    [&key](const QString& typed) { return typed == key; })) {
    }
    revealWindows();
    QGuiApplication::setQuitOnLastWindowClosed(quitOnLastWindow);
    m_locked = false;
    // What waited for the password (a timed sync) runs from the event loop, after this returns.
    LockState::instance().setLocked(false);
    restartIdleTimer();
}

void AutoLock::concealWindows()
{
    m_active = QApplication::activeWindow();
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || insidePrompt(window))
            continue;
        // A menu or a tip open over the book closes for good.
        if (window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip) {
            window->close();
            continue;
        }
        Concealed before{window, window->windowTitle(), window->accessibleName(), !window->isModal()};
        if (before.hiddenWhole) {
            window->hide();
        } else {
            // A modal window runs a loop of its own that hiding would end, losing what was typed
            // in it: it stays up, empty, under a title that names nobody.
            window->setWindowTitle(kLockedTitle);
            if (!window->accessibleName().isEmpty())
                window->setAccessibleName(kLockedTitle);
            for (QObject* child : window->children()) {
                auto* part = qobject_cast<QWidget*>(child);
                if (part && !part->isWindow() && part->isVisible()) {
                    part->hide();
                    m_hidden.emplace_back(part);
                }
            }
        }
        m_windows.push_back(std::move(before));
    }
}

void AutoLock::revealWindows()
{
    for (const Concealed& before : m_windows) {
        if (!before.window)
            continue;
        before.window->setWindowTitle(before.title);
        before.window->setAccessibleName(before.accessibleName);
        if (before.hiddenWhole)
            before.window->setVisible(true);
    }
    // The windows that stayed up stay above the ones shown again.
    for (const Concealed& before : m_windows)
        if (before.window && !before.hiddenWhole)
            before.window->raise();
    for (const QPointer<QWidget>& part : m_hidden)
        if (part)
            part->show();
    m_windows.clear();
    m_hidden.clear();
    if (m_active && m_active->isVisible())
        m_active->activateWindow();
    m_active = nullptr;
}
