#include "AddressQuery.h"

#include "BookSearchIndex.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Directory.h"
#include "DirectoryStore.h"
#include "KeptSearchIndex.h"
#include "NumberKey.h"
#include "PhoneMatch.h"
#include "ReadLock.h"
#include "SoundKey.h"
#include "TextFold.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace
{

bool isLineBreak(char32_t u)
{
    return u == '\t' || u == '\n' || u == '\v' || u == '\f' || u == '\r' || u == 0x85 || u == 0x2028 || u == 0x2029;
}

bool isLeftOut(char32_t u)
{
    // C0 and C1 controls, and the embeddings, overrides and isolates that reorder what follows.
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

} // namespace

QString AddressQuery::printable(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const char32_t u : text.toUcs4()) {
        if (isLineBreak(u))
            out += QLatin1Char(' ');
        else if (!isLeftOut(u))
            out += QString::fromUcs4(&u, 1);
    }
    return out.simplified();
}

QStringList AddressQuery::addresses(const QString& field)
{
    // Commas, semicolons (the Arabic ones too) and blanks separate them; "<a@b>" and "mailto:" are
    // how some programs write one.
    static const QRegularExpression separators(QStringLiteral("[,;\\x{060C}\\x{061B}\\s]+"));
    QStringList out;
    for (QString word : field.split(separators, Qt::SkipEmptyParts)) {
        word = printable(word);
        while (word.startsWith(QLatin1Char('<')))
            word.remove(0, 1);
        while (word.endsWith(QLatin1Char('>')))
            word.chop(1);
        if (word.startsWith(QLatin1String("mailto:"), Qt::CaseInsensitive))
            word.remove(0, 7);
        const qsizetype at = word.indexOf(QLatin1Char('@'));
        if (at > 0 && at < word.size() - 1 && !out.contains(word))
            out << word;
    }
    return out;
}

QString AddressQuery::summary(qsizetype count)
{
    const QString name = QStringLiteral("QAV Telephone: ");
    if (count == 0)
        return name + QStringLiteral("لا توجد عناوين مطابقة");
    if (count == 1)
        return name + QStringLiteral("عنوان واحد");
    if (count == 2)
        return name + QStringLiteral("عنوانان");
    // Arabic counts: 3 to 10 take the plural, 11 to 99 the singular accusative, the rest the singular.
    const qsizetype lastTwo = count % 100;
    const QString noun = lastTwo >= 3 && lastTwo <= 10 ? QStringLiteral("عناوين")
                         : lastTwo >= 11               ? QStringLiteral("عنوانا")
                                                       : QStringLiteral("عنوان");
    return name + QStringLiteral("%1 %2").arg(count).arg(noun);
}

DataResult AddressQuery::run(DataConnection& connection, const QString& query, QList<Line>& lines)
{
    lines.clear();
    const QString trimmed = query.trimmed();
    // The index the program kept at its last close, when the book is as it left it: a mail
    // program asks at every address typed, and reading every contact again takes seconds in a
    // large book. Taken under a read lock of its own, then brought up to date in the snapshot.
    BookSearchIndex index(PhoneMatch::numberKey(PhoneMatch::preferredRegion()));
    (void)KeptSearchIndex::adopt(connection, index);
    // One snapshot for every read: a directory locked meanwhile is not read after it was locked.
    // The lock first, so that the index is told of whatever this snapshot reads.
    const ReadLock snapshot(connection);
    if (!snapshot.taken())
        return snapshot.taken();
    if (DataResult current = index.bringUpToDate(connection); !current)
        return current;
    const BookSearchIndex::Found found = index.find(trimmed, std::numeric_limits<qsizetype>::max());
    std::vector<qint64> rows;
    QHash<qint64, bool> bySoundOf;
    for (const BookSearchIndex::Hit& hit : found.hits) {
        rows.push_back(hit.row);
        bySoundOf.insert(hit.row, hit.bySound);
    }
    QList<Directory> directories;
    if (DataResult read = DirectoryStore(connection).all(directories); !read)
        return read;
    QHash<QString, Directory> directoryOfCode;
    for (const Directory& directory : directories)
        directoryOfCode.insert(directory.code, directory);
    QHash<qint64, QStringList> moreEmails;
    if (DataResult read = ContactValueStore(connection).readUnlockedEmails(moreEmails); !read)
        return read;

    // The index finds a hit in any field and names the first; only the name and the e-mail count
    // here, and a name may sound like the query while another field holds it exactly.
    const QString folded = TextFold::fold(trimmed);
    const QByteArray sound = NumberKey::looksLikeNumber(trimmed, 3) ? QByteArray() : SoundKey::of(trimmed);
    const bool searchBySound = SoundKey::worthSearching(trimmed, sound);
    struct Kept {
        Line line;
        bool bySound;
    };
    QList<Kept> kept;
    DataResult read =
        ContactStore(connection).readRows(rows, [&](qint64 row, const ContactFields& contact, const QString& dir) {
            const Directory directory = directoryOfCode.value(dir);
            if (!directory.exists() || directory.isLocked())
                return;
            QStringList all = addresses(contact.email);
            for (const QString& more : moreEmails.value(row))
                for (const QString& address : addresses(more))
                    if (!all.contains(address))
                        all << address;
            if (all.isEmpty())
                return;
            const QString foldedName = TextFold::fold(contact.name);
            const bool exactName = foldedName.contains(folded);
            const bool soundName =
                !exactName &&
                (bySoundOf.value(row) || (searchBySound && SoundKey::matches(sound, SoundKey::of(foldedName))));
            QStringList chosen = all;
            if (!exactName && !soundName) {
                // Only the addresses that hold the text, unless it spans the field's words.
                chosen.removeIf([&](const QString& address) { return !TextFold::fold(address).contains(folded); });
                if (chosen.isEmpty() && TextFold::fold(contact.email).contains(folded))
                    chosen = addresses(contact.email);
            }
            const bool bySound = soundName && !TextFold::fold(contact.email).contains(folded);
            const QString name = printable(contact.name);
            const QString directoryName = printable(directory.name);
            for (const QString& address : std::as_const(chosen))
                kept.append({{address, name, directoryName}, bySound});
        });
    if (!read)
        return read;
    QCollator collator{QLocale(QLocale::Arabic)};
    std::stable_sort(kept.begin(), kept.end(), [&collator](const Kept& a, const Kept& b) {
        if (a.bySound != b.bySound)
            return !a.bySound;
        return collator.compare(a.line.name, b.line.name) < 0;
    });
    for (const Kept& one : std::as_const(kept))
        lines.append(one.line);
    return read;
}
