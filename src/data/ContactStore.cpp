#include "ContactStore.h"

#include "ContactValueStore.h"

#include "PassedOver.h"

#include <QCryptographicHash>
#include <QHash>

#include <sqlite3.h>

namespace
{

// "name = ?, hometel = ?, …" for an UPDATE of the nine fields.
QString assignments()
{
    QStringList set;
    for (const ContactField& field : ContactFields::kFields)
        set << field.columnName() + QStringLiteral(" = ?");
    return set.join(QStringLiteral(", "));
}

} // namespace

ContactFields ContactStore::fieldsAt(sqlite3_stmt* statement, int firstColumn)
{
    QStringList values;
    for (int column = firstColumn; column < firstColumn + ContactFields::kCount; ++column)
        values << DataConnection::columnText(statement, column);
    return ContactFields::fromRow(values);
}

DataResult ContactStore::exactlyOneChanged(const DataResult& written, const QString& what)
{
    if (written && m_connection.changes() != 1)
        return DataResult{false, QStringLiteral("no contact %1").arg(what)};
    return written;
}

DataResult ContactStore::findByName(const QString& name, qint64& row)
{
    row = 0;
    return m_connection.query(QStringLiteral("SELECT rowid FROM info WHERE name = ? LIMIT 1"), {name},
                              [&row](sqlite3_stmt* statement) { row = sqlite3_column_int64(statement, 0); });
}

DataResult ContactStore::insert(const ContactFields& contact, const QString& dir, qint64* row)
{
    DataResult added = m_connection.execute(
        QStringLiteral("INSERT INTO info (%1, dir) VALUES (%2?)")
            .arg(ContactFields::columnList(), QStringLiteral("?, ").repeated(ContactFields::kCount)),
        contact.row(dir));
    if (added && row)
        *row = m_connection.lastInsertRowId();
    return added;
}

DataResult ContactStore::updateByName(const QString& key, const ContactFields& contact, const QString& dir)
{
    QStringList values = contact.row(dir);
    values << key;
    return keepingValues(key == contact.name ? 0 : rowOf(key), contact.name, [&] {
        return exactlyOneChanged(
            m_connection.execute(QStringLiteral("UPDATE info SET %1, dir = ? WHERE name = ?").arg(assignments()),
                                 values),
            QStringLiteral("named %1").arg(key));
    });
}

DataResult ContactStore::update(qint64 row, const ContactFields& contact)
{
    QStringList values = contact.row(QString()).mid(0, ContactFields::kCount);
    values << QString::number(row);
    return keepingValues(row, contact.name, [&] {
        return m_connection.execute(QStringLiteral("UPDATE info SET %1 WHERE rowid = ?").arg(assignments()), values);
    });
}

qint64 ContactStore::rowOf(const QString& name)
{
    qint64 row = 0;
    PassedOver::note(findByName(name, row), Q_FUNC_INFO);
    return row;
}

DataResult ContactStore::keepingValues(qint64 row, const QString& name, const std::function<DataResult()>& write)
{
    // A contact renamed takes its more values along, in the same step: both or neither.
    if (row == 0 || !ContactValueStore(m_connection).inUse())
        return write();
    if (DataResult saved = m_connection.execute(QStringLiteral("SAVEPOINT qav_contact_write")); !saved)
        return saved;
    DataResult done = ContactValueStore(m_connection).renameWithin(row, name);
    if (done)
        done = write();
    if (!done) {
        PassedOver::note(m_connection.execute(QStringLiteral("ROLLBACK TO qav_contact_write")), Q_FUNC_INFO);
        PassedOver::note(m_connection.execute(QStringLiteral("RELEASE qav_contact_write")), Q_FUNC_INFO);
        return done;
    }
    return m_connection.execute(QStringLiteral("RELEASE qav_contact_write"));
}

DataResult ContactStore::removeByName(const QString& name)
{
    const qint64 row = rowOf(name);
    DataResult removed =
        exactlyOneChanged(m_connection.execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {name}),
                          QStringLiteral("named %1").arg(name));
    if (removed && row != 0)
        PassedOver::note(ContactValueStore(m_connection).forget(row), Q_FUNC_INFO);
    return removed;
}

DataResult ContactStore::remove(qint64 row, const QString& dir)
{
    DataResult removed = m_connection.execute(QStringLiteral("DELETE FROM info WHERE rowid = ? AND dir = ?"),
                                              {QString::number(row), dir});
    if (removed && m_connection.changes() == 1)
        PassedOver::note(ContactValueStore(m_connection).forget(row), Q_FUNC_INFO);
    return removed;
}

DataResult ContactStore::removeAllIn(const QString& dir)
{
    DataResult removed = m_connection.execute(QStringLiteral("DELETE FROM info WHERE dir = ?"), {dir});
    if (removed && m_connection.changes() > 0)
        PassedOver::note(ContactValueStore(m_connection).removeOrphans(), Q_FUNC_INFO);
    return removed;
}

DataResult ContactStore::moveByName(const QString& name, const QString& dir)
{
    return exactlyOneChanged(
        m_connection.execute(
            QStringLiteral("UPDATE info SET dir = ? WHERE name = ? AND EXISTS (SELECT 1 FROM dirg WHERE code = ?)"),
            {dir, name, dir}),
        QStringLiteral("named %1 or no directory %2").arg(name, dir));
}

DataResult ContactStore::readByName(const QString& name, ContactFields& contact, QString& dir, bool& found)
{
    found = false;
    return m_connection.query(
        QStringLiteral("SELECT %1, dir FROM info WHERE name = ? LIMIT 1").arg(ContactFields::columnList()), {name},
        [&](sqlite3_stmt* statement) {
            contact = fieldsAt(statement, 0);
            dir = DataConnection::columnText(statement, ContactFields::kCount);
            found = true;
        });
}

DataResult ContactStore::isAsRead(const ContactFields& asRead, bool& same, QString& dir)
{
    ContactFields now;
    bool found = false;
    DataResult read = readByName(asRead.name, now, dir, found);
    same = read && found && now == asRead;
    return read;
}

DataResult ContactStore::countIn(const QString& dir, qint64& count)
{
    QString text;
    DataResult counted = m_connection.scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {dir}, text);
    count = counted ? text.toLongLong() : 0;
    return counted;
}

DataResult ContactStore::countAll(qint64& count)
{
    QString text;
    DataResult counted = m_connection.scalar(QStringLiteral("SELECT count(*) FROM info"), {}, text);
    count = counted ? text.toLongLong() : 0;
    return counted;
}

DataResult ContactStore::readDirectory(const QString& dir, const Visitor& visit)
{
    return m_connection.query(
        QStringLiteral("SELECT rowid, %1 FROM info WHERE dir = ?").arg(ContactFields::columnList()), {dir},
        [&visit](sqlite3_stmt* statement) { visit(sqlite3_column_int64(statement, 0), fieldsAt(statement, 1)); });
}

DataResult ContactStore::readNamesAndNumbers(const QString& dir, const Visitor& visit)
{
    std::vector<QString ContactFields::*> read;
    QStringList columns;
    for (const ContactField& field : ContactFields::kFields)
        if (ContactFields::comparesBy(field.kind)) {
            read.push_back(field.member);
            columns << field.columnName();
        }
    return m_connection.query(
        QStringLiteral("SELECT rowid, %1 FROM info WHERE dir = ?").arg(columns.join(QStringLiteral(", "))), {dir},
        [&visit, &read](sqlite3_stmt* statement) {
            ContactFields contact;
            for (size_t i = 0; i < read.size(); ++i)
                contact.*read[i] = DataConnection::columnText(statement, int(i) + 1);
            visit(sqlite3_column_int64(statement, 0), contact);
        });
}

DataResult ContactStore::readRows(const std::vector<qint64>& rows, const RowVisitor& visit)
{
    // Read as they come, then handed on in the order asked.
    QHash<qint64, std::pair<ContactFields, QString>> read;
    DataResult done = m_connection.queryByRowIds(
        QStringLiteral("SELECT rowid, %1, dir FROM info WHERE rowid IN ").arg(ContactFields::columnList()), rows,
        [&read](sqlite3_stmt* statement) {
            read.insert(sqlite3_column_int64(statement, 0),
                        {fieldsAt(statement, 1), DataConnection::columnText(statement, 1 + ContactFields::kCount)});
        });
    if (!done)
        return done;
    for (const qint64 row : rows)
        if (const auto found = read.constFind(row); found != read.constEnd())
            visit(row, found->first, found->second);
    return {};
}

QString ContactStore::digestOf(const QString& dir)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const DataResult read = m_connection.query(
        QStringLiteral("SELECT rowid, %1 FROM info WHERE dir = ? ORDER BY rowid").arg(ContactFields::columnList()),
        {dir}, [&hash](sqlite3_stmt* statement) {
            for (int column = 0; column <= ContactFields::kCount; ++column) {
                const int bytes = sqlite3_column_bytes(statement, column);
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
                hash.addData(QByteArrayView(reinterpret_cast<const char*>(&bytes), sizeof bytes));
                hash.addData(QByteArrayView(text, bytes));
            }
        });
    return read ? QString::fromLatin1(hash.result().toHex()) : QString();
}
