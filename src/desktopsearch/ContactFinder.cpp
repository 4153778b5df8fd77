#include "ContactFinder.h"

#include "ContactStore.h"
#include "Directory.h"
#include "DirectoryStore.h"
#include "KeptSearchIndex.h"
#include "OutsideText.h"
#include "PhoneMatch.h"

#include <QHash>
#include <QSet>

#include <limits>

ContactFinder::ContactFinder(Book book) : m_book(std::move(book)) {}

ContactFinder::~ContactFinder() = default;

bool ContactFinder::keepIndexCurrent(DataConnection& connection)
{
    // Any commit since it was read, this process's or another's, may have changed a contact or
    // locked a directory: the index is brought up to date before it answers.
    if (!m_index)
        m_index = std::make_unique<BookSearchIndex>(PhoneMatch::numberKey(PhoneMatch::preferredRegion()));
    // The first time, the index the program's last session kept, when the book is as it left it.
    if (!m_index->loaded())
        (void)KeptSearchIndex::adopt(connection, *m_index);
    if (m_index->bringUpToDate(connection))
        return true;
    // Half read is worse than nothing: a failed read answers nothing until the next try.
    m_index.reset();
    return false;
}

void ContactFinder::prepare()
{
    if (DataConnection* connection = m_book())
        keepIndexCurrent(*connection);
}

QStringList ContactFinder::find(const QStringList& terms)
{
    DataConnection* connection = m_book();
    QStringList words;
    for (const QString& term : terms)
        if (!term.trimmed().isEmpty())
            words << term.trimmed();
    if (!connection || words.isEmpty() || !keepIndexCurrent(*connection))
        return {};
    // The words as typed, one after the other, is one pass over the book and the likelier
    // meaning; only when that finds nothing is each word looked for on its own.
    BookSearchIndex::Found first =
        m_index->find(words.join(QLatin1Char(' ')), kMostResults, BookSearchIndex::Count::UpToLimit);
    QSet<qint64> kept;
    for (const BookSearchIndex::Hit& hit : first.hits)
        kept.insert(hit.row);
    if (kept.isEmpty() && words.size() > 1) {
        // The first word gives the order (its exact hits, then the names that sound like it);
        // each further word keeps only the contacts it finds too.
        const qsizetype all = std::numeric_limits<qsizetype>::max();
        first = m_index->find(words.constFirst(), all);
        for (const BookSearchIndex::Hit& hit : first.hits)
            kept.insert(hit.row);
        for (qsizetype i = 1; i < words.size() && !kept.isEmpty(); ++i) {
            QSet<qint64> alsoFound;
            for (const BookSearchIndex::Hit& hit : m_index->find(words.at(i), all).hits)
                if (kept.contains(hit.row))
                    alsoFound.insert(hit.row);
            kept = alsoFound;
        }
    }
    QStringList ids;
    for (const BookSearchIndex::Hit& hit : first.hits) {
        if (ids.size() == kMostResults)
            break;
        if (kept.contains(hit.row))
            ids << QString::number(hit.row);
    }
    return ids;
}

std::optional<qint64> ContactFinder::parsedId(const QString& id)
{
    // Only what find gives out: a row number in plain digits.
    if (id.isEmpty() || id.size() > 18)
        return std::nullopt;
    for (const QChar c : id)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    const qint64 row = id.toLongLong();
    return row > 0 ? std::optional<qint64>(row) : std::nullopt;
}

bool ContactFinder::readUnlocked(const QStringList& ids, const Visit& visit)
{
    DataConnection* connection = m_book();
    if (!connection)
        return false;
    std::vector<qint64> rows;
    for (const QString& id : ids.mid(0, kMostIds))
        if (const std::optional<qint64> row = parsedId(id))
            rows.push_back(*row);
    QList<Directory> directories;
    if (rows.empty() || !DirectoryStore(*connection).all(directories))
        return false;
    QHash<QString, Directory> directoryOfCode;
    for (const Directory& directory : std::as_const(directories))
        directoryOfCode.insert(directory.code, directory);
    const DataResult read =
        ContactStore(*connection).readRows(rows, [&](qint64 row, const ContactFields& contact, const QString& dir) {
            const Directory directory = directoryOfCode.value(dir);
            if (directory.exists() && !directory.isLocked())
                visit(row, contact, directory);
        });
    return read.ok;
}

QList<ContactFinder::Meta> ContactFinder::metas(const QStringList& ids)
{
    QList<Meta> out;
    const bool read = readUnlocked(ids, [&out](qint64 row, const ContactFields& contact, const Directory& directory) {
        // The first number the contact has, in the table's order.
        QString number;
        for (const auto one : ContactFields::membersOf<ContactField::Kind::Number>())
            if (number.isEmpty())
                number = OutsideText::printable(contact.*one);
        // A name from any file or server must not turn the desktop's line around.
        const QString where = OutsideText::printable(directory.name);
        out.append({QString::number(row), OutsideText::printable(contact.name),
                    number.isEmpty() ? where : where + QStringLiteral(" ، ") + number});
    });
    return read ? out : QList<Meta>();
}

QStringList ContactFinder::columnsOf(const QString& id)
{
    QStringList columns;
    readUnlocked({id}, [&columns](qint64, const ContactFields& contact, const Directory& directory) {
        columns = contact.row(directory.code);
    });
    return columns;
}
