#pragma once

#include "MessageBox.h"

#include <QList>

// Answers message boxes from a queue instead of showing them, and remembers every box that
// would have been shown. With no queued answer the first button is taken.
class ScriptedMessageBox
{
public:
    ScriptedMessageBox();
    ~ScriptedMessageBox();

    void answer(int button) { m_answers << button; }
    const QList<MessageBoxRequest>& shown() const { return m_shown; }
    MessageBoxRequest last() const { return m_shown.isEmpty() ? MessageBoxRequest{} : m_shown.last(); }
    int count() const { return int(m_shown.size()); }
    void clear() { m_shown.clear(); }

private:
    QList<int> m_answers;
    QList<MessageBoxRequest> m_shown;
};
