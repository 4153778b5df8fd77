#include "ContactValueStore.h"

#include "Directory.h"
#include "StoredRow.h"

#include <sqlite3.h>

namespace
{

const QString kColumns = QStringLiteral("kind, label, value, calendar, position");

// A stored value as this program writes it, or nothing.
std::optional<ContactValue> valueAt(sqlite3_stmt* statement, int first)
{
    const auto kind = ContactValue::kindNamed(DataConnection::columnText(statement, first));
    if (!kind)
        return std::nullopt;
    const qint64 most =
        *kind == ContactValue::Kind::Photo ? ContactValueStore::kMostPhotoBytes : StoredRow::kMostFieldBytes;
    if (!StoredRow::fits(statement, first + 1, first + 4, most))
        return std::nullopt;
    ContactValue value;
    value.kind = *kind;
    value.label = DataConnection::columnText(statement, first + 1);
    value.value = DataConnection::columnText(statement, first + 2);
    value.calendar = DataConnection::columnText(statement, first + 3);
    if (value.value.isEmpty())
        return std::nullopt;
    return value;
}

} // namespace

bool ContactValueStore::hasTable(const char* table)
{
    return m_connection.hasTable(QLatin1String(table)).value_or(false);
}

DataResult ContactValueStore::createTables()
{
    return m_connection.executeScript(QStringLiteral("CREATE TABLE IF NOT EXISTS qav_contact_value (\n"
                                                     "  contact  INTEGER NOT NULL,\n"
                                                     "  name     TEXT NOT NULL,\n"
                                                     "  kind     TEXT NOT NULL,\n"
                                                     "  label    TEXT NOT NULL DEFAULT '',\n"
                                                     "  value    TEXT NOT NULL DEFAULT '',\n"
                                                     "  calendar TEXT NOT NULL DEFAULT '',\n"
                                                     "  position INTEGER NOT NULL DEFAULT 0\n"
                                                     ");\n"
                                                     "CREATE INDEX IF NOT EXISTS qav_contact_value_contact "
                                                     "ON qav_contact_value(contact);\n"
                                                     "CREATE INDEX IF NOT EXISTS qav_contact_value_kind "
                                                     "ON qav_contact_value(kind, label);\n"
                                                     "CREATE TABLE IF NOT EXISTS qav_trash_value (\n"
                                                     "  id       INTEGER NOT NULL,\n"
                                                     "  kind     TEXT NOT NULL,\n"
                                                     "  label    TEXT NOT NULL DEFAULT '',\n"
                                                     "  value    TEXT NOT NULL DEFAULT '',\n"
                                                     "  calendar TEXT NOT NULL DEFAULT '',\n"
                                                     "  position INTEGER NOT NULL DEFAULT 0\n"
                                                     ");\n"
                                                     "CREATE INDEX IF NOT EXISTS qav_trash_value_id "
                                                     "ON qav_trash_value(id);\n"));
}

DataResult ContactValueStore::readByName(const QString& name, MoreValues& out)
{
    out.clear();
    if (!hasTable("qav_contact_value"))
        return {};
    return m_connection.query(QStringLiteral("SELECT v.kind, v.label, v.value, v.calendar FROM qav_contact_value v "
                                             "JOIN info i ON i.rowid = v.contact AND i.name = v.name "
                                             "WHERE i.name = ? ORDER BY v.position, v.rowid"),
                              {name}, [&out](sqlite3_stmt* statement) {
                                  if (const auto value = valueAt(statement, 0))
                                      out.push_back(*value);
                              });
}

DataResult ContactValueStore::readDirectory(const QString& dir, QHash<QString, MoreValues>& out)
{
    out.clear();
    if (!hasTable("qav_contact_value"))
        return {};
    return m_connection.query(QStringLiteral("SELECT i.name, v.kind, v.label, v.value, v.calendar "
                                             "FROM qav_contact_value v "
                                             "JOIN info i ON i.rowid = v.contact AND i.name = v.name "
                                             "WHERE i.dir = ? ORDER BY v.contact, v.position, v.rowid"),
                              {dir}, [&out](sqlite3_stmt* statement) {
                                  if (const auto value = valueAt(statement, 1))
                                      out[DataConnection::columnText(statement, 0)].push_back(*value);
                              });
}

DataResult ContactValueStore::readUnlocked(ContactValue::Kind kind, const char* columns,
                                           const DataConnection::RowCallback& onRow)
{
    if (!hasTable("qav_contact_value"))
        return {};
    // columns: the program's own text, naming columns of v (the value), i (its contact) and d.
    return m_connection.query(QStringLiteral("SELECT %1 FROM qav_contact_value v "
                                             "JOIN info i ON i.rowid = v.contact AND i.name = v.name "
                                             "JOIN dirg d ON d.code = i.dir "
                                             "WHERE v.kind = ? AND d.pass = ? ORDER BY v.contact, v.position")
                                  .arg(QLatin1String(columns)),
                              {ContactValue::kindName(kind), Directory::unlocked()}, onRow);
}

DataResult ContactValueStore::readUnlockedDates(std::vector<NamedDate>& out)
{
    out.clear();
    return readUnlocked(ContactValue::Kind::Date, "i.name, i.dir, v.kind, v.label, v.value, v.calendar",
                        [&out](sqlite3_stmt* statement) {
                            if (const auto value = valueAt(statement, 2))
                                out.push_back({DataConnection::columnText(statement, 0),
                                               DataConnection::columnText(statement, 1), *value});
                        });
}

DataResult ContactValueStore::readUnlockedEmails(QHash<qint64, QStringList>& out)
{
    out.clear();
    return readUnlocked(ContactValue::Kind::Email, "v.contact, v.value", [&out](sqlite3_stmt* statement) {
        out[sqlite3_column_int64(statement, 0)] << DataConnection::columnText(statement, 1);
    });
}

DataResult ContactValueStore::replaceWithin(qint64 row, const QString& name, const MoreValues& values)
{
    if (values.empty() && !hasTable("qav_contact_value"))
        return {};
    if (DataResult made = createTables(); !made)
        return made;
    const QString contact = QString::number(row);
    if (DataResult cleared =
            m_connection.execute(QStringLiteral("DELETE FROM qav_contact_value WHERE contact = ?"), {contact});
        !cleared)
        return cleared;
    int position = 0;
    for (const ContactValue& value : values) {
        if (value.value.isEmpty())
            continue;
        if (DataResult kept = m_connection.execute(
                QStringLiteral("INSERT INTO qav_contact_value (contact, name, %1) VALUES (?, ?, ?, ?, ?, ?, ?)")
                    .arg(kColumns),
                {contact, name, ContactValue::kindName(value.kind), value.label, value.value, value.calendar,
                 QString::number(position++)});
            !kept)
            return kept;
    }
    return {};
}

DataResult ContactValueStore::renameWithin(qint64 row, const QString& name)
{
    if (!hasTable("qav_contact_value"))
        return {};
    const QString contact = QString::number(row);
    // Values left at this row by a contact another program deleted are not this contact's.
    if (DataResult dropped =
            m_connection.execute(QStringLiteral("DELETE FROM qav_contact_value WHERE contact = ? AND name IS NOT "
                                                "(SELECT name FROM info WHERE rowid = ?)"),
                                 {contact, contact});
        !dropped)
        return dropped;
    return m_connection.execute(QStringLiteral("UPDATE qav_contact_value SET name = ? WHERE contact = ?"),
                                {name, contact});
}

DataResult ContactValueStore::forget(qint64 row)
{
    if (!hasTable("qav_contact_value"))
        return {};
    return m_connection.execute(QStringLiteral("DELETE FROM qav_contact_value WHERE contact = ?"),
                                {QString::number(row)});
}

DataResult ContactValueStore::removeOrphans()
{
    if (!hasTable("qav_contact_value"))
        return {};
    return m_connection.execute(QStringLiteral("DELETE FROM qav_contact_value WHERE NOT EXISTS (SELECT 1 FROM info "
                                               "WHERE info.rowid = qav_contact_value.contact "
                                               "AND info.name = qav_contact_value.name)"));
}

DataResult ContactValueStore::copyToTrashWithin(const QString& name, qint64 trashId)
{
    if (!hasTable("qav_contact_value"))
        return {};
    if (DataResult made = createTables(); !made)
        return made;
    // An entry's id may have been used before by one another program removed.
    if (DataResult cleared = m_connection.execute(QStringLiteral("DELETE FROM qav_trash_value WHERE id = ?"),
                                                  {QString::number(trashId)});
        !cleared)
        return cleared;
    return m_connection.execute(QStringLiteral("INSERT INTO qav_trash_value (id, %1) "
                                               "SELECT ?, v.kind, v.label, v.value, v.calendar, v.position "
                                               "FROM qav_contact_value v "
                                               "JOIN info i ON i.rowid = v.contact AND i.name = v.name "
                                               "WHERE i.name = ?")
                                    .arg(kColumns),
                                {QString::number(trashId), name});
}

DataResult ContactValueStore::copyDirectoryToTrashWithin(const QString& dir, qint64 afterId)
{
    if (!hasTable("qav_contact_value"))
        return {};
    if (DataResult made = createTables(); !made)
        return made;
    if (DataResult cleared = m_connection.execute(QStringLiteral("DELETE FROM qav_trash_value WHERE id > ?"),
                                                  {QString::number(afterId)});
        !cleared)
        return cleared;
    return m_connection.execute(QStringLiteral("INSERT INTO qav_trash_value (id, %1) "
                                               "SELECT t.id, v.kind, v.label, v.value, v.calendar, v.position "
                                               "FROM qav_trash t JOIN info i ON i.name = t.name AND i.dir = ? "
                                               "JOIN qav_contact_value v ON v.contact = i.rowid AND v.name = i.name "
                                               "WHERE t.id > ?")
                                    .arg(kColumns),
                                {dir, QString::number(afterId)});
}

DataResult ContactValueStore::restoreFromTrashWithin(qint64 trashId, qint64 row, const QString& name)
{
    if (!hasTable("qav_trash_value"))
        return {};
    MoreValues values;
    const QString id = QString::number(trashId);
    if (DataResult read =
            m_connection.query(QStringLiteral("SELECT kind, label, value, calendar FROM qav_trash_value WHERE id = ? "
                                              "ORDER BY position, rowid"),
                               {id},
                               [&values](sqlite3_stmt* statement) {
                                   if (const auto value = valueAt(statement, 0))
                                       values.push_back(*value);
                               });
        !read)
        return read;
    if (DataResult put = replaceWithin(row, name, values); !put)
        return put;
    return m_connection.execute(QStringLiteral("DELETE FROM qav_trash_value WHERE id = ?"), {id});
}

DataResult ContactValueStore::removeTrashOrphans()
{
    if (!hasTable("qav_trash_value"))
        return {};
    return m_connection.execute(QStringLiteral("DELETE FROM qav_trash_value WHERE NOT EXISTS "
                                               "(SELECT 1 FROM qav_trash WHERE qav_trash.id = qav_trash_value.id)"));
}
