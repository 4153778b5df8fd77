#include "LinkedBook.h"

#include "ContactStore.h"
#include "ContactValueStore.h"
#include "SyncStore.h"
#include "Transaction.h"

#include <QtTest>

LinkedBook::LinkedBook(const QUrl& book, const QString& user, const QString& password) : m_password(password)
{
    m_dir = m_db.addDirectory(QStringLiteral("الأصدقاء"));
    m_other = m_db.addDirectory(QStringLiteral("العمل"));
    SyncLink link;
    link.dir = m_dir;
    link.server = book.adjusted(QUrl::RemovePath).toString();
    link.user = user;
    link.book = book.toString();
    if (!SyncStore(m_db.reader()).saveLink(link))
        qFatal("cannot link");
}

SyncSummary LinkedBook::sync(const DirectorySync::Progress& progress, int timeoutMs)
{
    const auto links = SyncStore(m_db.reader()).links();
    const QString password = m_password;
    return BookSync::run(
        m_db.reader(), links, [password](const SyncLink&) { return std::optional<QString>(password); }, {}, progress,
        timeoutMs);
}

void LinkedBook::add(const QString& name, const QStringList& more)
{
    m_db.addContact(name, m_dir, more);
}

void LinkedBook::set(const QString& name, const QString& column, const QString& value)
{
    QVERIFY(m_db.reader().execute(QStringLiteral("UPDATE info SET %1 = ? WHERE name = ?").arg(column), {value, name}));
}

void LinkedBook::remove(const QString& name)
{
    QVERIFY(m_db.reader().execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {name}));
}

void LinkedBook::moveAway(const QString& name)
{
    QVERIFY(m_db.reader().execute(QStringLiteral("UPDATE info SET dir = ? WHERE name = ?"), {m_other, name}));
}

void LinkedBook::lock(const QString& password)
{
    QVERIFY(m_db.reader().execute(QStringLiteral("UPDATE dirg SET pass = ? WHERE code = ?"), {password, m_dir}));
}

LinkedBook::Contacts LinkedBook::contacts(bool linked)
{
    Contacts found;
    const DataResult read = m_db.reader().query(
        QStringLiteral("SELECT name, hometel, jobtel, mobil, fax, address, email, org, moreinfo FROM info "
                       "WHERE dir = ?"),
        {linked ? m_dir : m_other}, [&found](sqlite3_stmt* row) {
            QStringList values;
            for (int column = 1; column < 9; ++column)
                values << DataConnection::columnText(row, column);
            found.insert(DataConnection::columnText(row, 0), values);
        });
    if (!read)
        qWarning("contacts could not be read");
    return found;
}

MoreValues LinkedBook::more(const QString& name)
{
    MoreValues values;
    if (!ContactValueStore(m_db.reader()).readByName(name, values))
        qWarning("more values could not be read");
    return values;
}

void LinkedBook::setMore(const QString& name, const MoreValues& values)
{
    qint64 row = 0;
    QVERIFY(ContactStore(m_db.reader()).findByName(name, row));
    QVERIFY(row != 0);
    Transaction transaction(m_db.reader());
    QVERIFY(ContactValueStore(m_db.reader()).replaceWithin(row, name, values));
    QVERIFY(transaction.commit());
}

int LinkedBook::count()
{
    return m_db.scalar(QStringLiteral("SELECT count(*) FROM info")).toInt();
}
