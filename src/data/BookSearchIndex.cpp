#include "BookSearchIndex.h"

#include "ContactValueStore.h"
#include "Directory.h"
#include "PackedText.h"
#include "SoundKey.h"
#include "StoredRow.h"
#include "TextFold.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace
{

bool isNumberField(int field)
{
    return field >= BookSearchIndex::HomeTel && field <= BookSearchIndex::Fax;
}

// The fields of each row in a block's texts and in its numbers, in their order there.
const std::vector<BookSearchIndex::Field> kTextFields = {BookSearchIndex::Name,  BookSearchIndex::Address,
                                                         BookSearchIndex::Email, BookSearchIndex::Org,
                                                         BookSearchIndex::Notes, BookSearchIndex::MoreValue};
const std::vector<BookSearchIndex::Field> kNumberFields = {BookSearchIndex::HomeTel, BookSearchIndex::JobTel,
                                                           BookSearchIndex::Mobile, BookSearchIndex::Fax,
                                                           BookSearchIndex::MoreValue};

// The text of a more value that is searched: an address as it reads on one line.
QString searchedText(const ContactValue& value)
{
    return value.kind == ContactValue::Kind::Address ? value.oneLine() : value.value;
}

// Below this many rows a second connection costs more (its key is derived anew) than it saves.
constexpr qint64 kTwoConnectionsFrom = 150000;
// From this many rows the blocks are kept compressed: a million contacts' texts would take some
// 300 MB, a quarter of that packed; a smaller book is searched faster as it stands.
constexpr qint64 kPackedFrom = 200000;
// Below this many contacts a second thread costs more than it saves.
constexpr qsizetype kTwoThreadsFrom = 20000;

bool run(sqlite3* db, const char* sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

} // namespace

struct BookSearchIndex::Half {
    std::vector<Hit> exact, bySound; // the first ones found, up to the limit
    qsizetype exactCount = 0, bySoundCount = 0;
    std::string scratch, soundScratch;
};

BookSearchIndex::BookSearchIndex(const NumberKey& numbers) : m_numbers(numbers) {}

qsizetype BookSearchIndex::byteSize() const
{
    qsizetype bytes = 0;
    for (const Block& block : m_blocks)
        bytes += qsizetype(block.texts.capacity() + block.numbers.capacity() + block.soundKeys.capacity() +
                           block.rows.capacity() * sizeof(qint64));
    return bytes;
}

void BookSearchIndex::adopt(std::vector<Block> blocks, bool packed, ChangeStamp stamp)
{
    m_blocks = std::move(blocks);
    m_packed = packed;
    m_stamp = stamp;
    m_adoptedAt = stamp;
    m_rowCount = 0;
    for (const Block& block : m_blocks)
        m_rowCount += qsizetype(block.rows.size());
    m_loaded = true;
}

DataResult BookSearchIndex::load(DataConnection& connection)
{
    m_blocks.clear();
    m_rowCount = 0;
    m_loaded = false;
    sqlite3* db = connection.handle();
    if (!db)
        return {false, QStringLiteral("database is not open")};
    // One read lock over both halves: no writer commits until both are read, so the stamp taken
    // under it is the stamp of what was read.
    const bool ownLock = sqlite3_get_autocommit(db) != 0;
    if (ownLock && !run(db, "BEGIN"))
        return {false, QString::fromUtf8(sqlite3_errmsg(db))};
    auto unlock = [&] {
        if (ownLock)
            run(db, "COMMIT");
    };
    QString first, last;
    DataResult read = connection.scalar(QStringLiteral("SELECT min(rowid) FROM info"), {}, first);
    if (read)
        read = connection.scalar(QStringLiteral("SELECT max(rowid) FROM info"), {}, last);
    if (!read || !connection.takeReadLock()) {
        unlock();
        return read ? DataResult{false, QStringLiteral("no read lock")} : read;
    }
    m_stamp = connection.changeStamp();
    const qint64 low = first.toLongLong();
    const qint64 high = last.toLongLong();
    m_packed = high - low >= kPackedFrom;
    std::vector<Block> upper;
    DataConnection helper;
    if (ownLock && high - low >= kTwoConnectionsFrom && connection.openReaderBeside(helper)) {
        // A writer waiting for our lock keeps the second connection out: it gives up soon, and
        // the first reads that half too.
        sqlite3_busy_timeout(helper.handle(), 100);
        const qint64 middle = low + (high - low) / 2;
        DataResult upperRead;
        std::thread second([&] { upperRead = readRange(helper, middle, high, upper); });
        read = readRange(connection, low, middle - 1, m_blocks);
        second.join();
        if (!upperRead) {
            upper.clear();
            upperRead = readRange(connection, middle, high, upper);
        }
        if (read)
            read = upperRead;
    } else {
        read = readRange(connection, low, high, m_blocks);
    }
    unlock();
    for (Block& block : upper)
        m_blocks.push_back(std::move(block));
    if (!read) {
        m_blocks.clear();
        return read;
    }
    for (const Block& block : m_blocks)
        m_rowCount += qsizetype(block.rows.size());
    m_loaded = true;
    return read;
}

DataResult BookSearchIndex::readRange(DataConnection& connection, qint64 from, qint64 to,
                                      std::vector<Block>& blocks) const
{
    Block block;
    std::string texts;
    std::string numbers;
    std::string sounds;
    std::string folded;
    QHash<QByteArray, QByteArray> wordSounds;
    auto keep = [this](std::string& into, const std::string& made) {
        into = m_packed ? PackedText::pack(made) : made;
        into.shrink_to_fit();
    };
    auto close = [&] {
        keep(block.texts, texts);
        keep(block.numbers, numbers);
        keep(block.soundKeys, sounds);
        blocks.push_back(std::move(block));
        block = Block();
        texts.clear();
        numbers.clear();
        sounds.clear();
    };
    std::unordered_map<qint64, RowMore> more;
    if (DataResult values = readMoreValues(connection, from, to, more); !values)
        return values;
    DataResult read = connection.query(
        QStringLiteral("SELECT info.rowid, info.name, info.hometel, info.jobtel, info.mobil, info.fax, "
                       "info.address, info.email, info.org, info.moreinfo FROM info JOIN dirg ON dirg.code = info.dir "
                       "WHERE dirg.pass = ? AND info.rowid BETWEEN ? AND ?"),
        {Directory::unlocked(), QString::number(from), QString::number(to)}, [&](sqlite3_stmt* statement) {
            block.rows.push_back(sqlite3_column_int64(statement, 0));
            for (int field = 0; field < kFieldCount; ++field) {
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, field + 1));
                const int size = sqlite3_column_bytes(statement, field + 1);
                std::string& into = isNumberField(field) ? numbers : texts;
                if (text && size > 0 && isNumberField(field)) {
                    m_numbers.appendUtf8(text, size, into); // digits only
                } else if (text && size > 0) {
                    TextFold::foldAnyUtf8(text, size, folded);
                    // The field mark never stands inside a field, so no match runs across two.
                    std::erase(folded, kFieldEnd);
                    into += folded;
                }
                into += kFieldEnd;
            }
            if (const auto values = more.find(block.rows.back()); values != more.end()) {
                texts += values->second.texts;
                numbers += values->second.numbers;
            }
            texts += kFieldEnd;
            numbers += kFieldEnd;
            const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
            appendSound(QByteArrayView(name, sqlite3_column_bytes(statement, 1)), wordSounds, sounds);
            if (qsizetype(block.rows.size()) == kRowsPerBlock)
                close();
        });
    if (!block.rows.empty())
        close();
    return read;
}

DataResult BookSearchIndex::readMoreValues(DataConnection& connection, qint64 from, qint64 to,
                                           std::unordered_map<qint64, RowMore>& out) const
{
    if (!ContactValueStore(connection).inUse())
        return {};
    std::string folded;
    return connection.query(
        QStringLiteral("SELECT v.contact, v.kind, v.value FROM qav_contact_value v "
                       "JOIN info i ON i.rowid = v.contact AND i.name = v.name JOIN dirg d ON d.code = i.dir "
                       "WHERE d.pass = ? AND v.contact BETWEEN ? AND ? AND v.kind IN (?, ?, ?, ?)"),
        {Directory::unlocked(), QString::number(from), QString::number(to),
         ContactValue::kindName(ContactValue::Kind::Phone), ContactValue::kindName(ContactValue::Kind::Email),
         ContactValue::kindName(ContactValue::Kind::Address), ContactValue::kindName(ContactValue::Kind::Web)},
        [&](sqlite3_stmt* statement) {
            const auto kind = ContactValue::kindNamed(DataConnection::columnText(statement, 1));
            if (!kind || sqlite3_column_bytes(statement, 2) > StoredRow::kMostFieldBytes)
                return;
            RowMore& row = out[sqlite3_column_int64(statement, 0)];
            const ContactValue value{*kind, {}, DataConnection::columnText(statement, 2)};
            const QByteArray text = searchedText(value).toUtf8();
            if (*kind == ContactValue::Kind::Phone) {
                m_numbers.appendUtf8(text.constData(), int(text.size()), row.numbers);
                row.numbers += kValueEnd;
                return;
            }
            TextFold::foldAnyUtf8(text.constData(), int(text.size()), folded);
            std::erase(folded, kFieldEnd);
            std::erase(folded, kValueEnd);
            row.texts += folded;
            row.texts += kValueEnd;
        });
}

qsizetype BookSearchIndex::firstMatching(const MoreValues& values, const QString& query) const
{
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty())
        return -1;
    std::string text;
    const QByteArray utf8 = trimmed.toUtf8();
    TextFold::foldAnyUtf8(utf8.constData(), int(utf8.size()), text);
    const std::string digits = NumberKey::looksLikeNumber(trimmed, 3) ? m_numbers.of(trimmed) : std::string();
    std::string folded;
    for (size_t i = 0; i < values.size(); ++i) {
        const ContactValue& value = values[i];
        if (value.kind == ContactValue::Kind::Phone) {
            if (!digits.empty() && m_numbers.of(value.value).find(digits) != std::string::npos)
                return qsizetype(i);
        } else if (value.kind != ContactValue::Kind::Date && value.kind != ContactValue::Kind::Photo) {
            const QByteArray shown = searchedText(value).toUtf8();
            TextFold::foldAnyUtf8(shown.constData(), int(shown.size()), folded);
            if (!text.empty() && folded.find(text) != std::string::npos)
                return qsizetype(i);
        }
    }
    return -1;
}

BookSearchIndex::Found BookSearchIndex::find(const QString& query, qsizetype limit, Count count) const
{
    Found found;
    const QString trimmed = query.trimmed();
    if (trimmed.isEmpty() || !m_loaded)
        return found;
    std::string text;
    const QByteArray utf8 = trimmed.toUtf8();
    TextFold::foldAnyUtf8(utf8.constData(), int(utf8.size()), text);
    std::erase(text, kFieldEnd);
    std::erase(text, kValueEnd);
    const bool number = NumberKey::looksLikeNumber(trimmed, 3);
    const std::string digits = number ? m_numbers.of(trimmed) : std::string();
    // A name is looked for by sound too, never a number.
    const QByteArray sound = number ? QByteArray() : SoundKey::of(trimmed);
    const bool bySound = SoundKey::consonants(sound) >= 2;

    Half halves[2];
    // Once the first half holds limit exact hits, nothing the rest finds is listed.
    std::atomic<bool> firstHalfFull = false;
    auto work = [&](size_t from, size_t to, Half& half) {
        for (size_t index = from; index < to; ++index) {
            if (count == Count::UpToLimit && (qsizetype(half.exact.size()) >= limit || firstHalfFull.load()))
                break;
            const Block& block = m_blocks[index];
            std::vector<std::pair<size_t, Field>> places;
            if (const std::string* texts = textsOf(block.texts, half.scratch))
                findIn(block, *texts, text, kTextFields, places);
            if (!digits.empty())
                if (const std::string* numbers = textsOf(block.numbers, half.scratch))
                    findIn(block, *numbers, digits, kNumberFields, places);
            // Each row once, in the block's order, with the first field that matched.
            std::stable_sort(places.begin(), places.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            // Hits beyond the limit are counted, not kept.
            std::vector<size_t> exactRows;
            for (const auto& [row, field] : places) {
                if ((!exactRows.empty() && row == exactRows.back()) || row >= block.rows.size())
                    continue;
                exactRows.push_back(row);
                if (qsizetype(half.exact.size()) < limit)
                    half.exact.push_back({block.rows[row], field, false});
            }
            half.exactCount += qsizetype(exactRows.size());
            if (&half == &halves[0] && qsizetype(half.exact.size()) >= limit)
                firstHalfFull = true;
            if (!bySound)
                continue;
            const std::string* keys = textsOf(block.soundKeys, half.soundScratch);
            if (!keys)
                continue;
            // Every row's key in turn, leaving out the rows found exactly.
            auto exactNext = exactRows.begin();
            const char* key = keys->data();
            const char* end = key + keys->size();
            for (size_t row = 0; row < block.rows.size() && key < end; ++row) {
                const char* keyEnd = static_cast<const char*>(std::memchr(key, kFieldEnd, size_t(end - key)));
                if (!keyEnd)
                    break;
                if (exactNext != exactRows.end() && *exactNext == row) {
                    ++exactNext;
                } else if (keyEnd > key && SoundKey::matches(sound, QByteArrayView(key, keyEnd - key))) {
                    ++half.bySoundCount;
                    if (qsizetype(half.bySound.size()) < limit)
                        half.bySound.push_back({block.rows[row], Name, true});
                }
                key = keyEnd + 1;
            }
        }
    };
    const size_t blocks = m_blocks.size();
    if (m_rowCount >= kTwoThreadsFrom && blocks >= 2) {
        std::thread second([&] { work(blocks / 2, blocks, halves[1]); });
        work(0, blocks / 2, halves[0]);
        second.join();
    } else {
        work(0, blocks, halves[0]);
    }
    found.total = halves[0].exactCount + halves[1].exactCount + halves[0].bySoundCount + halves[1].bySoundCount;
    for (const std::vector<Hit>* part : {&halves[0].exact, &halves[1].exact, &halves[0].bySound, &halves[1].bySound})
        for (const Hit& hit : *part) {
            if (qsizetype(found.hits.size()) >= limit)
                return found;
            found.hits.push_back(hit);
        }
    return found;
}

const std::string* BookSearchIndex::textsOf(const std::string& kept, std::string& scratch) const
{
    if (!m_packed)
        return &kept;
    return PackedText::unpack(kept, scratch) ? &scratch : nullptr;
}

void BookSearchIndex::findIn(const Block& block, const std::string& kept, const std::string& needle,
                             const std::vector<Field>& fields, std::vector<std::pair<size_t, Field>>& places)
{
    if (needle.empty())
        return;
    // Every row has as many fields, each ended by the mark: counting marks tells row and field.
    const size_t perRow = fields.size();
    const char* base = kept.data();
    const size_t size = kept.size();
    size_t from = 0;
    size_t counted = 0; // marks before from
    while (from < size) {
        const void* at = memmem(base + from, size - from, needle.data(), needle.size());
        if (!at)
            return;
        const auto offset = size_t(static_cast<const char*>(at) - base);
        counted += size_t(std::count(base + from, base + offset, kFieldEnd));
        const size_t row = counted / perRow;
        if (row >= block.rows.size())
            return;
        places.emplace_back(row, fields[counted % perRow]);
        // On to the next row: past the marks that end this one.
        const size_t marksLeft = perRow - counted % perRow;
        size_t next = offset;
        for (size_t mark = 0; mark < marksLeft && next < size; ++mark) {
            const void* found = std::memchr(base + next, kFieldEnd, size - next);
            next = found ? size_t(static_cast<const char*>(found) - base) + 1 : size;
        }
        counted += marksLeft;
        from = next;
    }
}

void BookSearchIndex::appendSound(QByteArrayView name, QHash<QByteArray, QByteArray>& wordSounds, std::string& keys)
{
    // SoundKey sounds a name word by word, so each word's sound is made once: names share their
    // words. A word already met is looked up without a copy of it.
    bool first = true;
    qsizetype start = 0;
    while (start < name.size()) {
        qsizetype end = name.indexOf(' ', start);
        if (end < 0)
            end = name.size();
        if (end > start) {
            const QByteArray word = QByteArray::fromRawData(name.data() + start, end - start);
            auto known = wordSounds.constFind(word);
            if (known == wordSounds.constEnd())
                known =
                    wordSounds.insert(QByteArray(word.constData(), word.size()), SoundKey::of(QString::fromUtf8(word)));
            if (!known->isEmpty()) {
                if (!first)
                    keys += ' ';
                keys.append(known->constData(), size_t(known->size()));
                first = false;
            }
        }
        start = end + 1;
    }
    keys += kFieldEnd; // a key is letters and blanks: the mark never stands inside one
}
