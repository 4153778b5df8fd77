#pragma once

#include "FileChooser.h"

#include <QList>
#include <QStringList>

// Answers file and folder choosers from a queue (empty = cancelled) and remembers the requests.
class ScriptedFileChooser
{
public:
    ScriptedFileChooser();
    ~ScriptedFileChooser();

    void answer(const QString& path) { m_answers << path; }
    const QList<FileChooserRequest>& asked() const { return m_asked; }

private:
    QStringList m_answers;
    QList<FileChooserRequest> m_asked;
};
