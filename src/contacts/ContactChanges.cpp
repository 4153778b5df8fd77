#include "ContactChanges.h"

#include "ContactMerge.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirectoryStore.h"
#include "SharedData.h"
#include "Transaction.h"
#include "TrashStore.h"

#include <memory>

namespace
{

QString quoted(const QString& name)
{
    return QStringLiteral("«%1»").arg(name);
}

// Runs write only while the contact called name is as expected (values and directory).
DataResult whileUnchanged(const ContactFields& expected, const QString& dir,
                          const std::function<DataResult(ContactStore&)>& write)
{
    DataConnection& connection = SharedData::connection();
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    ContactStore store(connection);
    bool same = false;
    QString nowDir;
    if (DataResult read = store.isAsRead(expected, same, nowDir); !read)
        return read;
    if (!same || nowDir != dir)
        return UndoHistory::changedSince();
    if (DataResult written = write(store); !written)
        return written;
    return transaction.commit();
}

// Runs write only while no contact has that name.
DataResult whileNameFree(const QString& name, const std::function<DataResult(ContactStore&)>& write)
{
    DataConnection& connection = SharedData::connection();
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    ContactStore store(connection);
    qint64 row = 0;
    if (DataResult looked = store.findByName(name, row); !looked)
        return looked;
    if (row != 0)
        return UndoHistory::changedSince();
    if (DataResult written = write(store); !written)
        return written;
    return transaction.commit();
}

// The directories the trash entries of ids were deleted from.
QStringList trashedFrom(const std::vector<qint64>& ids)
{
    QStringList directories;
    TrashStore trash(SharedData::connection());
    for (const qint64 id : ids)
        if (QString dir; trash.dirOf(id, dir).ok && !dir.isEmpty() && !directories.contains(dir))
            directories << dir;
    return directories;
}

} // namespace

UndoHistory::Change ContactChanges::added(const ContactFields& contact, const QString& dir, const MoreValues& more)
{
    return {QStringLiteral("إضافة ") + quoted(contact.name),
            [contact, dir] {
                return whileUnchanged(contact, dir,
                                      [&](ContactStore& store) { return store.removeByName(contact.name); });
            },
            [contact, dir, more] {
                return whileNameFree(contact.name, [&](ContactStore& store) -> DataResult {
                    qint64 row = 0;
                    if (DataResult inserted = store.insert(contact, dir, &row); !inserted)
                        return inserted;
                    return ContactValueStore(SharedData::connection()).replaceWithin(row, contact.name, more);
                });
            },
            {dir}};
}

UndoHistory::Change ContactChanges::edited(const ContactFields& before, const QString& dirBefore,
                                           const ContactFields& after, const QString& dirAfter,
                                           const std::optional<std::pair<MoreValues, MoreValues>>& values)
{
    // Back to the old name needs that name free, unless it is the contact's own.
    auto rewrite = [](const ContactFields& from, const QString& fromDir, const ContactFields& to, const QString& toDir,
                      const std::optional<MoreValues>& toMore) {
        return whileUnchanged(from, fromDir, [&](ContactStore& store) -> DataResult {
            qint64 other = 0;
            if (to.name != from.name) {
                if (DataResult looked = store.findByName(to.name, other); !looked)
                    return looked;
                if (other != 0)
                    return UndoHistory::changedSince();
            }
            DataResult written = store.updateByName(from.name, to, toDir);
            qint64 row = 0;
            if (written && toMore)
                written = store.findByName(to.name, row);
            if (written && toMore && row != 0)
                written = ContactValueStore(SharedData::connection()).replaceWithin(row, to.name, *toMore);
            return written;
        });
    };
    std::optional<MoreValues> moreBefore;
    std::optional<MoreValues> moreAfter;
    if (values) {
        moreBefore = values->first;
        moreAfter = values->second;
    }
    return {QStringLiteral("تعديل ") + quoted(before.name),
            [=] { return rewrite(after, dirAfter, before, dirBefore, moreBefore); },
            [=] { return rewrite(before, dirBefore, after, dirAfter, moreAfter); }, QStringList{dirBefore, dirAfter}};
}

DataResult ContactChanges::writeInPlace(const std::vector<InPlaceEdit>& edits, bool forward)
{
    DataConnection& connection = SharedData::connection();
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    ContactStore store(connection);
    ContactValueStore values(connection);
    for (const InPlaceEdit& edit : edits) {
        const ContactFields& from = forward ? edit.before : edit.after;
        const ContactFields& to = forward ? edit.after : edit.before;
        bool same = false;
        QString nowDir;
        if (DataResult read = store.isAsRead(from, same, nowDir); !read)
            return read;
        qint64 row = 0;
        if (DataResult found = store.findByName(from.name, row); !found)
            return found;
        if (!same || nowDir != edit.dir || row == 0)
            return UndoHistory::changedSince();
        if (DataResult written = store.updateByName(from.name, to, edit.dir); !written)
            return written;
        if (DataResult written = values.replaceWithin(row, to.name, forward ? edit.moreAfter : edit.moreBefore);
            !written)
            return written;
    }
    return transaction.commit();
}

UndoHistory::Change ContactChanges::editedTogether(const QString& caption, const std::vector<InPlaceEdit>& edits)
{
    QStringList dirs;
    for (const InPlaceEdit& edit : edits)
        if (!dirs.contains(edit.dir))
            dirs << edit.dir;
    return {caption, [edits] { return writeInPlace(edits, false); }, [edits] { return writeInPlace(edits, true); },
            dirs};
}

UndoHistory::Change ContactChanges::deleted(const QString& name, qint64 trashId)
{
    // Each redo puts it in the trash again under a new id, which the next undo takes back.
    auto id = std::make_shared<qint64>(trashId);
    return {QStringLiteral("حذف ") + quoted(name),
            [id] {
                // Back into the directory it was deleted from; restored or emptied meanwhile, or its
                // name taken again, it is someone else's change in the way.
                const DataResult restored = TrashStore(SharedData::connection()).restore(*id, QString());
                return restored ? restored : UndoHistory::changedSince();
            },
            [id, name] { return TrashStore(SharedData::connection()).moveIn(name, id.get()); }, trashedFrom({trashId})};
}

UndoHistory::Change ContactChanges::deletedTogether(const QStringList& names, const std::vector<qint64>& trashIds)
{
    auto ids = std::make_shared<std::vector<qint64>>(trashIds);
    return {QStringLiteral("حذف %1 من جهات الاتصال").arg(names.size()),
            [ids] {
                // All of them back, or none: one restored or emptied meanwhile is someone else's change.
                DataConnection& connection = SharedData::connection();
                Transaction transaction(connection);
                if (!transaction.begun())
                    return transaction.begun();
                TrashStore trash(connection);
                for (const qint64 id : *ids)
                    if (!trash.restoreWithin(id, QString()))
                        return UndoHistory::changedSince();
                return transaction.commit();
            },
            [ids, names] {
                DataConnection& connection = SharedData::connection();
                Transaction transaction(connection);
                if (!transaction.begun())
                    return transaction.begun();
                TrashStore trash(connection);
                std::vector<qint64> again(size_t(names.size()));
                for (qsizetype i = 0; i < names.size(); ++i)
                    if (!trash.moveInWithin(names.at(i), &again[size_t(i)]))
                        return UndoHistory::changedSince();
                if (DataResult done = transaction.commit(); !done)
                    return done;
                *ids = again;
                return DataResult{};
            }};
}

UndoHistory::Change ContactChanges::movedTogether(const std::vector<ContactFields>& contacts, const QStringList& from,
                                                  const QString& to)
{
    auto moveAll = [contacts](const QStringList& expectedDirs, const QStringList& targetDirs) -> DataResult {
        DataConnection& connection = SharedData::connection();
        Transaction transaction(connection);
        if (!transaction.begun())
            return transaction.begun();
        ContactStore store(connection);
        for (size_t i = 0; i < contacts.size(); ++i) {
            bool same = false;
            QString nowDir;
            if (DataResult read = store.isAsRead(contacts[i], same, nowDir); !read)
                return read;
            if (!same || nowDir != expectedDirs.value(qsizetype(i)))
                return UndoHistory::changedSince();
            if (DataResult moved = store.moveByName(contacts[i].name, targetDirs.value(qsizetype(i))); !moved)
                return moved;
        }
        return transaction.commit();
    };
    QStringList allTo;
    for (size_t i = 0; i < contacts.size(); ++i)
        allTo << to;
    return {QStringLiteral("نقل %1 من جهات الاتصال").arg(contacts.size()), [=] { return moveAll(allTo, from); },
            [=] { return moveAll(from, allTo); }};
}

UndoHistory::Change ContactChanges::imported(const std::vector<ContactFields>& contacts, const QString& dir,
                                             const QString& newDirectory, const std::vector<MoreValues>& more)
{
    auto added = std::make_shared<const std::vector<ContactFields>>(contacts);
    auto addedMore = std::make_shared<const std::vector<MoreValues>>(more);
    auto code = std::make_shared<QString>(dir);
    const QString what = QStringLiteral("استيراد %1 من جهات الاتصال").arg(contacts.size());
    auto takeBack = [added, code, newDirectory]() -> DataResult {
        DataConnection& connection = SharedData::connection();
        Transaction transaction(connection);
        if (!transaction.begun())
            return transaction.begun();
        ContactStore store(connection);
        // All of them as imported, or none is touched.
        for (const ContactFields& contact : *added) {
            bool same = false;
            QString nowDir;
            if (DataResult read = store.isAsRead(contact, same, nowDir); !read)
                return read;
            if (!same || nowDir != *code)
                return UndoHistory::changedSince();
        }
        for (const ContactFields& contact : *added)
            if (DataResult removed = store.removeByName(contact.name); !removed)
                return removed;
        if (!newDirectory.isEmpty())
            if (DataResult gone = DirectoryStore(connection).removeIfEmpty({*code, newDirectory, QString()}); !gone)
                return gone;
        return transaction.commit();
    };
    auto makeAgain = [added, addedMore, code, newDirectory]() -> DataResult {
        DataConnection& connection = SharedData::connection();
        Transaction transaction(connection);
        if (!transaction.begun())
            return transaction.begun();
        if (!newDirectory.isEmpty())
            if (DataResult made = DirectoryStore(connection).add(newDirectory, code.get()); !made)
                return UndoHistory::changedSince();
        ContactStore store(connection);
        ContactValueStore values(connection);
        for (size_t i = 0; i < added->size(); ++i) {
            const ContactFields& contact = (*added)[i];
            qint64 row = 0;
            if (DataResult looked = store.findByName(contact.name, row); !looked)
                return looked;
            if (row != 0)
                return UndoHistory::changedSince();
            if (DataResult inserted = store.insert(contact, *code, &row); !inserted)
                return inserted;
            if (i < addedMore->size())
                if (DataResult kept = values.replaceWithin(row, contact.name, (*addedMore)[i]); !kept)
                    return kept;
        }
        return transaction.commit();
    };
    return {what, takeBack, makeAgain, {dir}};
}

UndoHistory::Change ContactChanges::moved(const ContactFields& contact, const QString& from, const QString& to)
{
    return {QStringLiteral("نقل ") + quoted(contact.name),
            [=] {
                return whileUnchanged(contact, to,
                                      [&](ContactStore& store) { return store.moveByName(contact.name, from); });
            },
            [=] {
                return whileUnchanged(contact, from,
                                      [&](ContactStore& store) { return store.moveByName(contact.name, to); });
            },
            QStringList{from, to}};
}

UndoHistory::Change ContactChanges::merged(const ContactMerge::Whole& keptBefore, const ContactMerge::Whole& merged,
                                           const std::vector<ContactFields>& others,
                                           const std::vector<qint64>& trashIds)
{
    auto ids = std::make_shared<std::vector<qint64>>(trashIds);
    // Where the kept contact is, and where the others were taken from.
    QStringList directories = trashedFrom(trashIds);
    ContactFields kept;
    QString keptDir;
    bool found = false;
    if (ContactStore(SharedData::connection()).readByName(merged.fields.name, kept, keptDir, found).ok && found)
        directories << keptDir;
    return {QStringLiteral("دمج ") + quoted(keptBefore.fields.name),
            [=] {
                const DataResult undone = ContactMerge::undo(SharedData::connection(), keptBefore, merged, *ids);
                return undone ? undone : UndoHistory::changedSince();
            },
            [=] {
                std::vector<qint64> again;
                DataResult done = ContactMerge::apply(SharedData::connection(), keptBefore, merged, others, &again);
                if (!done)
                    return UndoHistory::changedSince();
                *ids = again;
                return done;
            },
            directories};
}
