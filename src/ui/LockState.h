#pragma once

#include <QObject>

#include <functional>

// Whether the book is locked behind its master password right now. What runs by itself (a
// timer, a sync at start-up) asks here before it shows or changes anything, and waits for the
// password instead of running behind the lock.
class LockState : public QObject
{
    Q_OBJECT
public:
    static LockState& instance();
    static bool locked() { return instance().m_locked; }
    void setLocked(bool locked);

    // Runs work now, or, while locked, once the password was given again (from the event loop,
    // after the windows are back). Nothing runs if context is gone by then.
    static void whenUnlocked(QObject* context, std::function<void()> work);

signals:
    void unlocked();

private:
    LockState() = default;
    bool m_locked = false;
};
