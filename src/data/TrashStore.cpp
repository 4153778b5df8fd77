#include "TrashStore.h"

#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirectoryStore.h"
#include "StoredRow.h"
#include "Transaction.h"

#include <sqlite3.h>

namespace
{
const QString kNameTaken = QStringLiteral("the name is taken");
} // namespace

DataResult TrashStore::createTable()
{
    return m_connection.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS qav_trash (\n"
                                               "  id INTEGER PRIMARY KEY,\n"
                                               "  %1\n"
                                               "  dir TEXT NOT NULL DEFAULT '', dirname TEXT NOT NULL DEFAULT '',\n"
                                               "  lockpass TEXT NOT NULL DEFAULT '0',\n"
                                               "  deleted INTEGER NOT NULL DEFAULT 0\n"
                                               ")")
                                    .arg(ContactFields::textColumnsDeclared()));
}

DataResult TrashStore::moveIn(const QString& name, qint64* id)
{
    Transaction transaction(m_connection);
    if (!transaction.begun())
        return transaction.begun();
    if (DataResult moved = moveInWithin(name, id); !moved)
        return moved;
    return transaction.commit();
}

DataResult TrashStore::moveInWithin(const QString& name, qint64* id)
{
    if (DataResult made = createTable(); !made)
        return made;
    ContactStore contacts(m_connection);
    ContactFields contact;
    QString dir;
    bool found = false;
    if (DataResult read = contacts.readByName(name, contact, dir, found); !read)
        return read;
    if (!found)
        return DataResult{false, QStringLiteral("لا توجد جهة اتصال باسم %1").arg(name)};
    Directory from;
    if (DataResult looked = DirectoryStore(m_connection).find(dir, from); !looked)
        return looked;
    QStringList values = contact.row(dir);
    values << from.name << (from.exists() ? from.pass : Directory::unlocked())
           << QString::number(QDateTime::currentSecsSinceEpoch());
    if (DataResult kept =
            m_connection.execute(QStringLiteral("INSERT INTO qav_trash (%1, dir, dirname, lockpass, deleted) "
                                                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)")
                                     .arg(ContactFields::columnList()),
                                 values);
        !kept)
        return kept;
    const qint64 made = m_connection.lastInsertRowId();
    if (id)
        *id = made;
    if (DataResult copied = ContactValueStore(m_connection).copyToTrashWithin(name, made); !copied)
        return copied;
    return contacts.removeByName(name);
}

DataResult TrashStore::list(QList<Trashed>& out)
{
    out.clear();
    if (DataResult made = createTable(); !made)
        return made;
    const qint64 oldest = QDateTime::currentSecsSinceEpoch() - qint64(kKeptDays) * 24 * 3600;
    if (DataResult purged =
            m_connection.execute(QStringLiteral("DELETE FROM qav_trash WHERE deleted < ?"), {QString::number(oldest)});
        !purged)
        return purged;
    if (DataResult purged = ContactValueStore(m_connection).removeTrashOrphans(); !purged)
        return purged;
    return m_connection.query(
        QStringLiteral("SELECT id, %1, dir, dirname, lockpass, deleted FROM qav_trash ORDER BY deleted DESC, id DESC")
            .arg(ContactFields::columnList()),
        {}, [&out](sqlite3_stmt* statement) {
            // A row no deletion could have made is not offered back.
            if (!StoredRow::fits(statement, 1, 13))
                return;
            Trashed item;
            item.id = sqlite3_column_int64(statement, 0);
            item.contact = ContactStore::fieldsAt(statement, 1);
            item.dir = DataConnection::columnText(statement, 10);
            item.dirName = DataConnection::columnText(statement, 11);
            item.lockPass = DataConnection::columnText(statement, 12);
            item.deletedAt = QDateTime::fromSecsSinceEpoch(sqlite3_column_int64(statement, 13));
            out << item;
        });
}

DataResult TrashStore::dirOf(qint64 id, QString& dir)
{
    dir.clear();
    if (DataResult made = createTable(); !made)
        return made;
    return m_connection.scalar(QStringLiteral("SELECT dir FROM qav_trash WHERE id = ?"), {QString::number(id)}, dir);
}

DataResult TrashStore::restore(qint64 id, const QString& dir, qint64* row)
{
    Transaction transaction(m_connection);
    if (!transaction.begun())
        return transaction.begun();
    if (DataResult restored = restoreWithin(id, dir, row); !restored)
        return restored;
    return transaction.commit();
}

DataResult TrashStore::restoreWithin(qint64 id, const QString& dir, qint64* row)
{
    if (DataResult made = createTable(); !made)
        return made;
    ContactFields contact;
    QString into = dir;
    bool found = false;
    DataResult read = m_connection.query(
        QStringLiteral("SELECT %1, dir FROM qav_trash WHERE id = ?").arg(ContactFields::columnList()),
        {QString::number(id)}, [&](sqlite3_stmt* statement) {
            if (!StoredRow::fits(statement, 0, ContactFields::kCount + 1))
                return;
            contact = ContactStore::fieldsAt(statement, 0);
            if (into.isEmpty())
                into = DataConnection::columnText(statement, ContactFields::kCount);
            found = true;
        });
    if (!read)
        return read;
    if (!found)
        return DataResult{false, QStringLiteral("لم يعد هذا فى سلة المحذوفات (%1)").arg(id)};
    ContactStore contacts(m_connection);
    qint64 existing = 0;
    if (DataResult looked = contacts.findByName(contact.name, existing); !looked)
        return looked;
    if (existing != 0)
        return DataResult{false, kNameTaken};
    Directory target;
    if (DataResult looked = DirectoryStore(m_connection).find(into, target); !looked)
        return looked;
    if (!target.exists())
        return DataResult{false, QStringLiteral("لم يعد الدليل موجودًا (%1)").arg(into)};
    qint64 made = 0;
    if (DataResult added = contacts.insert(contact, into, &made); !added)
        return added;
    if (row)
        *row = made;
    if (DataResult values = ContactValueStore(m_connection).restoreFromTrashWithin(id, made, contact.name); !values)
        return values;
    return m_connection.execute(QStringLiteral("DELETE FROM qav_trash WHERE id = ?"), {QString::number(id)});
}

DataResult TrashStore::moveDirectoryIn(const Directory& directory, QList<qint64>& ids)
{
    ids.clear();
    Transaction transaction(m_connection);
    if (!transaction.begun())
        return transaction.begun();
    if (DataResult made = createTable(); !made)
        return made;
    Directory current;
    if (DataResult looked = DirectoryStore(m_connection).find(directory.code, current); !looked)
        return looked;
    if (!current.exists() || current.name != directory.name || current.pass != directory.pass)
        return DataResult{false, QStringLiteral("تغير اسم الدليل %1").arg(directory.name)};
    qint64 before = 0;
    if (DataResult read = m_connection.query(QStringLiteral("SELECT coalesce(max(id), 0) FROM qav_trash"), {},
                                             [&before](sqlite3_stmt* row) { before = sqlite3_column_int64(row, 0); });
        !read)
        return read;
    const QString columns = ContactFields::columnList();
    if (DataResult kept = m_connection.execute(
            QStringLiteral("INSERT INTO qav_trash (%1, dir, dirname, lockpass, deleted) "
                           "SELECT %1, dir, ?, ?, ? FROM info WHERE dir = ? ORDER BY rowid")
                .arg(columns),
            {current.name, current.pass, QString::number(QDateTime::currentSecsSinceEpoch()), current.code});
        !kept)
        return kept;
    if (DataResult values = ContactValueStore(m_connection).copyDirectoryToTrashWithin(current.code, before); !values)
        return values;
    if (DataResult removed = ContactStore(m_connection).removeAllIn(current.code); !removed)
        return removed;
    if (DataResult gone = DirectoryStore(m_connection).removeIfEmpty(current); !gone)
        return gone;
    if (DataResult read = m_connection.query(QStringLiteral("SELECT id FROM qav_trash WHERE id > ? ORDER BY id"),
                                             {QString::number(before)},
                                             [&ids](sqlite3_stmt* row) { ids << sqlite3_column_int64(row, 0); });
        !read)
        return read;
    return transaction.commit();
}

DataResult TrashStore::restoreIntoNewDirectory(const QList<qint64>& ids, const QString& name, const QString& pass,
                                               QString& code, QList<qint64>* passedOver)
{
    Transaction transaction(m_connection);
    if (!transaction.begun())
        return transaction.begun();
    QString made;
    bool taken = false;
    if (DataResult added = DirectoryStore(m_connection).addIfNameFree(name, pass, made, taken); !added)
        return added;
    if (taken)
        return DataResult{false, kNameTaken};
    int back = 0;
    for (qint64 id : ids) {
        DataResult restored = restoreWithin(id, made);
        if (passedOver && isNameTaken(restored)) {
            *passedOver << id;
            continue;
        }
        if (!restored)
            return restored;
        ++back;
    }
    if (back == 0 && !ids.isEmpty())
        return DataResult{false, kNameTaken};
    if (DataResult committed = transaction.commit(); !committed)
        return committed;
    code = made;
    return {};
}

DataResult TrashStore::empty()
{
    if (DataResult made = createTable(); !made)
        return made;
    if (DataResult emptied = m_connection.execute(QStringLiteral("DELETE FROM qav_trash")); !emptied)
        return emptied;
    return ContactValueStore(m_connection).removeTrashOrphans();
}

DataResult TrashStore::relock(const QString& dir, const QString& pass)
{
    bool exists = false;
    if (DataResult looked = m_connection.query(
            QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'qav_trash'"), {},
            [&exists](sqlite3_stmt*) { exists = true; });
        !looked || !exists)
        return looked;
    return m_connection.execute(QStringLiteral("UPDATE qav_trash SET lockpass = ? WHERE dir = ?"), {pass, dir});
}

bool TrashStore::isNameTaken(const DataResult& result)
{
    return !result.ok && result.error == kNameTaken;
}
