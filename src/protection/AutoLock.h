#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

// Locks the window of a protected book after some minutes without input, or when the desktop's
// screen locks: every window's contents are hidden (open windows keep what was typed in them,
// unsaved and unwritten) until the master password is given again.
class AutoLock : public QObject
{
    Q_OBJECT
public:
    // The one for the program, watching all input; started with the minutes kept in the settings.
    static AutoLock& instance();

    // Keeps the minutes in the preferences and takes them at once.
    static void setIdleMinutes(int minutes);

    // 0 turns it off. Takes effect at once.
    void setIdleInterval(int milliseconds);
    bool isLocked() const { return m_locked; }
    // Hides everything and asks for the password; returns once it was given.
    void lockNow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AutoLock();
    void restartIdleTimer();
    Q_SLOT void screenSaverChanged(bool active);

    QTimer m_idle;
    bool m_locked = false;
    std::vector<QPointer<QWidget>> m_hidden;
};
