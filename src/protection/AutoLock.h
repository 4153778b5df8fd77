#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

// Locks a protected book after some minutes without input, or when the desktop's screen locks:
// until the master password is given again no window of the program shows anything of the book
// (titles included), a number the program copied leaves the clipboard, and no shortcut or timer
// acts. Open windows keep what was typed in them, unsaved and unwritten.
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

    void concealWindows();
    void revealWindows();

    // A window as it was before the lock: hidden whole, or (a modal one, whose loop hiding would
    // end) left up, empty and under a neutral title.
    struct Concealed {
        QPointer<QWidget> window;
        QString title;
        QString accessibleName;
        bool hiddenWhole = false;
    };

    QTimer m_idle;
    bool m_locked = false;
    std::vector<Concealed> m_windows;
    std::vector<QPointer<QWidget>> m_hidden; // the contents of the windows left up
    QPointer<QWidget> m_active;
};
