#pragma once

#include "BookSearchIndex.h"
#include "ContactFields.h"
#include "DataConnection.h"
#include "Directory.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// What the desktop's search boxes ask of the book: the contacts of the unlocked directories that
// hold every typed term, and for each one found its name and a line saying where it is. The
// contacts are kept folded in memory and read again only when the book changed, so an answer
// comes at once however large the book. Whoever asks, a locked directory's contact is never
// named: an id handed in is checked again, not trusted.
class ContactFinder
{
public:
    struct Meta {
        QString id, name, description;
    };
    // The book to answer from, or null while nothing may be answered (a protected book not
    // opened, or the window locked).
    using Book = std::function<DataConnection*()>;

    explicit ContactFinder(Book book);
    ~ContactFinder();

    // The ids of the contacts holding every term, the exact hits first; at most kMostResults.
    QStringList find(const QStringList& terms);
    // The contacts of those ids that are still there and readable, in the order asked.
    QList<Meta> metas(const QStringList& ids);
    // The contact of an id as the editor takes it (the nine fields, then the directory's code),
    // while it is a contact of an unlocked directory; empty otherwise.
    QStringList columnsOf(const QString& id);
    // Reads the book now, so the first search does not wait for it.
    void prepare();
    // Drops what was read: the book is another file now.
    void forget() { m_index.reset(); }

    static constexpr qsizetype kMostResults = 20;
    // A desktop may hand in any list: more ids than this are not looked at.
    static constexpr qsizetype kMostIds = 200;

private:
    bool keepIndexCurrent(DataConnection& connection);
    static std::optional<qint64> parsedId(const QString& id);
    using Visit = std::function<void(qint64 row, const ContactFields& contact, const Directory& directory)>;
    // The contacts of those ids in unlocked directories, in the order asked.
    bool readUnlocked(const QStringList& ids, const Visit& visit);

    Book m_book;
    std::unique_ptr<BookSearchIndex> m_index;
};
