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
    // Closes any modal widget still up (clean-up after a failed test).
    static void closeAll();
};
