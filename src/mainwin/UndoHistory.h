#pragma once

#include "DataConnection.h"

#include <QObject>
#include <QString>
#include <QStringList>

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
        // The codes of the directories whose contacts the step reads or writes.
        QStringList directories{};
    };

    // Which directories are closed now (locked, and not the one open). A step that touches one
    // is neither named nor taken until its directory is open again: the history would otherwise
    // name a locked directory's contacts, and change them, without its password.
    void setClosedCheck(std::function<bool(const QString& code)> closed) { m_closed = std::move(closed); }
    // A directory was opened or closed, or a lock changed: what the commands show is looked at again.
    void refresh() { emit changed(); }

    // A new change: the ones taken back can no longer be made again.
    void record(Change change);
    bool canUndo() const { return !m_done.empty() && isOpen(m_done.back()); }
    bool canRedo() const { return !m_undone.empty() && isOpen(m_undone.back()); }
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
    // The failure of a step refused because a directory it touches is closed.
    static bool isClosed(const DataResult& result);

signals:
    void changed();

private:
    DataResult step(std::deque<Change>& from, std::deque<Change>& to, bool forward);
    bool isOpen(const Change& change) const;

    std::function<bool(const QString& code)> m_closed;

    std::deque<Change> m_done;
    std::deque<Change> m_undone;
};
