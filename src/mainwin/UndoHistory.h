#pragma once

#include "DataConnection.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>

// The changes of this session that can be taken back, the latest first, and those taken back
// that can be made again. Each step checks, in its own transaction, that the book is still as
// the change left it: when another writer changed it since, the step says so and does nothing.
class UndoHistory : public QObject
{
    Q_OBJECT
public:
    static constexpr int kKept = 50;

    struct Change {
        QString description; // what was done, as the menu names it: "حذف «سارة»"
        std::function<DataResult()> undo;
        std::function<DataResult()> redo;
    };

    // A new change: the ones taken back can no longer be made again.
    void record(Change change);
    bool canUndo() const { return !m_done.empty(); }
    bool canRedo() const { return !m_undone.empty(); }
    // "تراجع عن حذف «سارة»", "إعادة حذف «سارة»"; the bare verbs when there is nothing.
    QString undoText() const;
    QString redoText() const;
    // Takes back the latest change (or makes the latest taken back again). A step that failed
    // stays where it was.
    DataResult undo();
    DataResult redo();

    // The failure of a step that found the book changed by someone else.
    static DataResult changedSince();
    static bool isChangedSince(const DataResult& result);

signals:
    void changed();

private:
    DataResult step(std::deque<Change>& from, std::deque<Change>& to, bool forward);

    std::deque<Change> m_done;
    std::deque<Change> m_undone;
};
