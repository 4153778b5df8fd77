#include "ModalDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

void ModalDriver::whenModal(std::function<void(QWidget*)> action, int timeoutMs)
{
    auto* timer = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, action, timeoutMs] {
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
