#include "ModalDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

namespace
{
int unanswered = 0; // waiting, or given up
} // namespace

int ModalDriver::takeUnanswered()
{
    const int count = unanswered;
    unanswered = 0;
    // Those still waiting wait no more: the next test starts afresh.
    for (QTimer* timer : qApp->findChildren<QTimer*>(QStringLiteral("qavModalWait")))
        timer->deleteLater();
    return count;
}

void ModalDriver::whenModal(std::function<void(QWidget*)> action, int timeoutMs)
{
    act(std::move(action), timeoutMs, true);
}

void ModalDriver::watchForModal(std::function<void(QWidget*)> action, int timeoutMs)
{
    act(std::move(action), timeoutMs, false);
}

void ModalDriver::act(std::function<void(QWidget*)> action, int timeoutMs, bool expected)
{
    if (expected)
        ++unanswered;
    auto* timer = new QTimer(qApp);
    timer->setObjectName(QStringLiteral("qavModalWait"));
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, action, timeoutMs, expected] {
        QWidget* modal = QApplication::activeModalWidget();
        // Acts once the window is up and active, as the user meets it (its focus set); a busy
        // machine can register the modal window a moment before it is activated.
        if (modal && !modal->isActiveWindow() && clock->elapsed() < 1000)
            return;
        if (modal || clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
            if (modal) {
                if (expected)
                    --unanswered;
                QPointer<QWidget> window(modal);
                action(modal);
                // A test that stopped early (a failed check) must not leave the window waiting.
                if (window && window->isVisible())
                    window->close();
            }
        }
    });
    timer->start();
}

void ModalDriver::closeAll()
{
    while (QWidget* modal = QApplication::activeModalWidget())
        modal->close();
}
