#include "LockState.h"

#include <QPointer>
#include <QTimer>

LockState& LockState::instance()
{
    static LockState* state = new LockState;
    return *state;
}

void LockState::setLocked(bool locked)
{
    if (m_locked == locked)
        return;
    m_locked = locked;
    if (!locked)
        emit unlocked();
}

void LockState::whenUnlocked(QObject* context, std::function<void()> work)
{
    if (!locked()) {
        work();
        return;
    }
    QPointer<QObject> guard(context);
    connect(
        &instance(), &LockState::unlocked, context,
        [guard, work = std::move(work)] {
            if (guard)
                QTimer::singleShot(0, guard, work);
        },
        Qt::SingleShotConnection);
}
