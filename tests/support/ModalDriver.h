#pragma once

#include <QObject>
#include <QWidget>

#include <functional>

// Acts on the next modal window as soon as it is up: a test queues what the user would do,
// then triggers the command that opens the window. Nothing ever waits for a person.
class ModalDriver : public QObject
{
    Q_OBJECT
public:
    // Runs action on the first modal widget that appears within timeoutMs; returns at once.
    // Should the window still be up after the action, it is closed.
    static void whenModal(std::function<void(QWidget*)> action, int timeoutMs = 5000);
    // The same for a window that should not come up: no window is no failure.
    static void watchForModal(std::function<void(QWidget*)> action, int timeoutMs);
    // Closes any modal widget still up (clean-up after a failed test).
    static void closeAll();
    // How many of the windows waited for never came up, counted since the last call: a test of
    // a window must fail when its window never appears.
    static int takeUnanswered();

private:
    static void act(std::function<void(QWidget*)> action, int timeoutMs, bool expected);
};
