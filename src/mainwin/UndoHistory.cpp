#include "UndoHistory.h"

namespace
{
const QString kChangedSince = QStringLiteral("changed since");
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
    return m_done.empty() ? QStringLiteral("تراجع") : QStringLiteral("تراجع عن ") + m_done.back().description;
}

QString UndoHistory::redoText() const
{
    return m_undone.empty() ? QStringLiteral("إعادة") : QStringLiteral("إعادة ") + m_undone.back().description;
}

DataResult UndoHistory::undo()
{
    if (m_done.empty())
        return {};
    DataResult result = m_done.back().undo();
    if (result) {
        m_undone.push_back(std::move(m_done.back()));
        m_done.pop_back();
        emit changed();
    }
    return result;
}

DataResult UndoHistory::redo()
{
    if (m_undone.empty())
        return {};
    DataResult result = m_undone.back().redo();
    if (result) {
        m_done.push_back(std::move(m_undone.back()));
        m_undone.pop_back();
        emit changed();
    }
    return result;
}

DataResult UndoHistory::changedSince()
{
    return DataResult{false, kChangedSince};
}

bool UndoHistory::isChangedSince(const DataResult& result)
{
    return !result.ok && result.error == kChangedSince;
}
