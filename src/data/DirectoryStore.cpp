#include "DirectoryStore.h"

#include <sqlite3.h>

namespace
{
Directory fromStatement(sqlite3_stmt* statement)
{
    return {DataConnection::columnText(statement, 0), DataConnection::columnText(statement, 1),
            DataConnection::columnText(statement, 2)};
}
} // namespace

DataResult DirectoryStore::oneChanged(const DataResult& written, const Directory& directory)
{
    if (written && m_connection.changes() != 1)
        return DataResult{false, QStringLiteral("لم يعد الدليل %1 موجودًا").arg(directory.name)};
    return written;
}

DataResult DirectoryStore::findByName(const QString& name, Directory& found)
{
    found = {};
    return m_connection.query(
        QStringLiteral("SELECT code, dirname, pass FROM dirg WHERE dirname = ? ORDER BY code LIMIT 1"), {name},
        [&found](sqlite3_stmt* statement) { found = fromStatement(statement); });
}

DataResult DirectoryStore::find(const QString& code, Directory& found)
{
    found = {};
    return m_connection.query(QStringLiteral("SELECT code, dirname, pass FROM dirg WHERE code = ?"), {code},
                              [&found](sqlite3_stmt* statement) { found = fromStatement(statement); });
}

DataResult DirectoryStore::nameTaken(const QString& name, const QString& exceptCode, bool& taken)
{
    QString count;
    DataResult counted = m_connection.scalar(
        QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = ? AND code <> ?"), {name, exceptCode}, count);
    taken = counted && count.toInt() > 0;
    return counted;
}

DataResult DirectoryStore::add(const QString& name, QString* code)
{
    DataResult added = m_connection.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES (?, ?)"),
                                            {name, Directory::unlocked()});
    if (added && code)
        *code = QString::number(m_connection.lastInsertRowId());
    return added;
}

DataResult DirectoryStore::addIfNameFree(const QString& name, const QString& pass, QString& code, bool& taken)
{
    if (DataResult looked = nameTaken(name, QString(), taken); !looked || taken)
        return looked;
    if (DataResult added = add(name, &code); !added)
        return added;
    if (Directory::isLocked(pass))
        return setPassword({code, name, QString()}, pass);
    return {};
}

DataResult DirectoryStore::rename(const Directory& directory, const QString& newName)
{
    return oneChanged(m_connection.execute(QStringLiteral("UPDATE dirg SET dirname = ? WHERE dirname = ? AND code = ?"),
                                           {newName, directory.name, directory.code}),
                      directory);
}

DataResult DirectoryStore::setPassword(const Directory& directory, const QString& pass)
{
    return oneChanged(m_connection.execute(QStringLiteral("UPDATE dirg SET pass = ? WHERE dirname = ? AND code = ?"),
                                           {pass, directory.name, directory.code}),
                      directory);
}

DataResult DirectoryStore::removeIfEmpty(const Directory& directory)
{
    return oneChanged(m_connection.execute(QStringLiteral("DELETE FROM dirg WHERE dirname = ? AND code = ? "
                                                          "AND NOT EXISTS (SELECT 1 FROM info WHERE dir = ?)"),
                                           {directory.name, directory.code, directory.code}),
                      directory);
}

DataResult DirectoryStore::unlocked(QList<Directory>& out)
{
    out.clear();
    return m_connection.query(QStringLiteral("SELECT code, dirname, pass FROM dirg WHERE pass = ? ORDER BY dirname"),
                              {Directory::unlocked()},
                              [&out](sqlite3_stmt* statement) { out.append(fromStatement(statement)); });
}

DataResult DirectoryStore::any(bool& found)
{
    QString first;
    DataResult read = m_connection.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM dirg)"), {}, first);
    found = read && first == QLatin1String("1");
    return read;
}

DataResult DirectoryStore::all(QList<Directory>& out)
{
    out.clear();
    return m_connection.query(QStringLiteral("SELECT code, dirname, pass FROM dirg ORDER BY dirname"), {},
                              [&out](sqlite3_stmt* statement) { out.append(fromStatement(statement)); });
}
