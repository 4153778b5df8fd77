#include "UndoHistory.h"

#include <algorithm>

namespace
{
const QString kChangedSince = QStringLiteral("changed since");
const QString kClosed = QStringLiteral("directory closed");
} // namespace

void UndoHistory::record(Change change)
{
    m_done.push_back(std::move(change));
    while (m_done.size() > size_t(kKept))
        m_done.pop_front();
    m_undone.clear();
    emit changed();
}

QString UndoHistory::undoText() const
{
    return canUndo() ? QStringLiteral("تراجع عن ") + m_done.back().description : QStringLiteral("تراجع");
}

QString UndoHistory::redoText() const
{
    return canRedo() ? QStringLiteral("إعادة ") + m_undone.back().description : QStringLiteral("إعادة");
}

// Takes the latest change of from, runs its undo or redo, and moves it to to when it went through.
DataResult UndoHistory::step(std::deque<Change>& from, std::deque<Change>& to, bool forward)
{
    if (from.empty())
        return {};
    if (!isOpen(from.back()))
        return DataResult{false, kClosed};
    DataResult result = forward ? from.back().redo() : from.back().undo();
    if (result) {
        to.push_back(std::move(from.back()));
        from.pop_back();
        emit changed();
    }
    return result;
}

DataResult UndoHistory::undo()
{
    return step(m_done, m_undone, false);
}

DataResult UndoHistory::redo()
{
    return step(m_undone, m_done, true);
}

DataResult UndoHistory::changedSince()
{
    return DataResult{false, kChangedSince};
}

bool UndoHistory::isOpen(const Change& change) const
{
    if (!m_closed)
        return true;
    return std::none_of(change.directories.begin(), change.directories.end(),
                        [this](const QString& code) { return !code.isEmpty() && m_closed(code); });
}

bool UndoHistory::isClosed(const DataResult& result)
{
    return !result.ok && result.error == kClosed;
}

bool UndoHistory::isChangedSince(const DataResult& result)
{
    return !result.ok && result.error == kChangedSince;
}
