#include "BookSearchIndex.h"

#include "ContactValueStore.h"
#include "Directory.h"
#include "FailureText.h"
#include "NarrowText.h"
#include "NeedleFinder.h"
#include "PackedText.h"
#include "ReadLock.h"
#include "SoundKey.h"
#include "StoredRow.h"
#include "TextFold.h"
#include "TwoHalves.h"

#include <QHash>

#include <sqlite3.h>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstring>
#include <limits>
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

// From this many rows the blocks are kept compressed: a million contacts' texts would take some
// 300 MB, a quarter of that packed; a smaller book is searched faster as it stands.
constexpr qint64 kPackedFrom = 200000;

// The more values that are searched, of the unlocked directories' contacts: the tables and the
// condition a read of them selects from, then the values that condition binds.
QString searchedValues()
{
    // "+v.kind": the values of a range of contacts are found by their contact, never by going
    // through every value of the searched kinds (the plan the kinds' index would otherwise give).
    return QStringLiteral("FROM qav_contact_value v JOIN info i ON i.rowid = v.contact AND i.name = v.name "
                          "JOIN dirg d ON d.code = i.dir WHERE d.pass = ? AND +v.kind IN (?, ?, ?, ?)");
}
QStringList searchedValueBindings()
{
    return {Directory::unlocked(), ContactValue::kindName(ContactValue::Kind::Phone),
            ContactValue::kindName(ContactValue::Kind::Email), ContactValue::kindName(ContactValue::Kind::Address),
            ContactValue::kindName(ContactValue::Kind::Web)};
}

} // namespace

struct BookSearchIndex::Half {
    std::vector<Hit> exact, bySound; // the first ones found, up to the limit
    qsizetype exactCount = 0, bySoundCount = 0;
    std::string scratch, soundScratch;
};

BookSearchIndex::BookSearchIndex(const NumberKey& numbers, qsizetype rowsPerBlock)
    : m_numbers(numbers), m_rowsPerBlock(std::max<qsizetype>(rowsPerBlock, 1))
{
}

qsizetype BookSearchIndex::byteSize() const
{
    qsizetype bytes = 0;
    for (const Block& block : m_blocks)
        bytes += qsizetype(block.texts.capacity() + block.numbers.capacity() + block.soundKeys.capacity() +
                           block.rows.bytes().capacity());
    bytes += qsizetype(m_blockEnds.capacity() * sizeof(qint64));
    // A node and a bucket per more value.
    bytes += qsizetype(m_valueContacts.capacity() * sizeof(m_valueContacts.front()));
    // A node and a bucket per value changed since.
    bytes += qsizetype(m_valueContactsSince.size() * (4 * sizeof(qint64) + sizeof(void*)) +
                       m_valueContactsSince.bucket_count() * sizeof(void*));
    return bytes;
}

bool BookSearchIndex::adopt(DataConnection& connection, std::vector<Block> blocks, bool packed, ChangeStamp stamp)
{
    m_loaded = false;
    // Rows rising through the blocks, none empty: each block then stands for the ids up to its
    // last row, as a full read leaves them.
    for (size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].rows.empty() || (i > 0 && blocks[i].rows.front() <= blocks[i - 1].rows.back()))
            return false;
    // The contacts of the more values held, as a full read finds them (none in a book without).
    std::vector<std::pair<qint64, qint64>> values;
    if (ContactValueStore(connection).inUse() &&
        !connection.query(QStringLiteral("SELECT v.rowid, v.contact ") + searchedValues(), searchedValueBindings(),
                          [&](sqlite3_stmt* statement) {
                              values.emplace_back(sqlite3_column_int64(statement, 0),
                                                  sqlite3_column_int64(statement, 1));
                          }))
        return false;
    std::sort(values.begin(), values.end());
    m_blocks = std::move(blocks);
    m_blockEnds.clear();
    for (const Block& block : m_blocks)
        m_blockEnds.push_back(block.rows.back());
    if (!m_blockEnds.empty())
        m_blockEnds.back() = std::numeric_limits<qint64>::max();
    m_valueContacts = std::move(values);
    m_valueContactsSince.clear();
    m_packed = packed;
    m_stamp = stamp;
    m_keptAt = stamp;
    m_changed.assign(m_blocks.size(), false);
    m_brought = Brought::Read;
    m_rowCount = 0;
    for (const Block& block : m_blocks)
        m_rowCount += qsizetype(block.rows.size());
    m_loaded = !m_blocks.empty();
    countBytes();
    return m_loaded;
}

bool BookSearchIndex::spans(DataConnection& connection, qint64 rows)
{
    QString first, last;
    if (!connection.scalar(QStringLiteral("SELECT min(rowid) FROM info"), {}, first) ||
        !connection.scalar(QStringLiteral("SELECT max(rowid) FROM info"), {}, last))
        return false;
    const qint64 low = first.toLongLong();
    const qint64 high = last.toLongLong();
    return high >= low && quint64(high) - quint64(low) >= quint64(rows);
}

void BookSearchIndex::unload()
{
    m_blocks.clear();
    m_blockEnds.clear();
    m_valueContacts.clear();
    m_valueContactsSince.clear();
    m_rowCount = 0;
    m_loaded = false;
    m_keptAt.reset();
    m_changed.clear();
}

DataResult BookSearchIndex::load(DataConnection& connection, Reading reading, const std::atomic<bool>* stop)
{
    unload();
    m_brought = Brought::Read;
    // One read lock over both halves: no writer commits until both are read, so the stamp taken
    // under it is the stamp of what was read.
    std::optional<ReadLock> lock;
    if (reading == Reading::UnderOneLock) {
        lock.emplace(connection);
        if (!lock->taken())
            return lock->taken();
    }
    QString first, last;
    DataResult read = connection.scalar(QStringLiteral("SELECT min(rowid) FROM info"), {}, first);
    if (read)
        read = connection.scalar(QStringLiteral("SELECT max(rowid) FROM info"), {}, last);
    if (!read)
        return read;
    m_stamp = connection.changeStamp();
    const qint64 low = first.toLongLong();
    const qint64 high = last.toLongLong();
    // Row ids may lie anywhere from the lowest to the highest there is: the distance is taken
    // without overflow.
    const quint64 span = high >= low ? quint64(high) - quint64(low) : 0;
    m_packed = span >= quint64(kPackedFrom);
    RangeRead lower, upper;
    DataConnection helper;
    const qint64 piece = lock ? 0 : kRowsPerPiece;
    if ((!lock || lock->own()) && span >= quint64(DataConnection::kReaderBesideFrom) &&
        connection.openReaderBeside(helper, lock ? DataConnection::Wait::Briefly : DataConnection::Wait::AsUsual)) {
        // A writer waiting for our lock keeps the second connection out: it gives up soon, and
        // the first reads that half too. In pieces, it waits for writers as the first does.
        if (stop)
            helper.waitForWritersUnless(*stop);
        const qint64 middle = low + qint64(span / 2);
        DataResult upperRead;
        std::thread second(
            [&] { upperRead = readRange(helper, middle, high, m_rowsPerBlock, m_packed, piece, stop, upper); });
        read = readRange(connection, low, middle - 1, m_rowsPerBlock, m_packed, piece, stop, lower);
        second.join();
        if (!upperRead) {
            upper = RangeRead();
            upperRead = readRange(connection, middle, high, m_rowsPerBlock, m_packed, piece, stop, upper);
        }
        if (read)
            read = upperRead;
    } else {
        read = readRange(connection, low, high, m_rowsPerBlock, m_packed, piece, stop, lower);
    }
    lock.reset();
    if (!read)
        return read;
    take(lower);
    take(upper);
    std::sort(m_valueContacts.begin(), m_valueContacts.end());
    m_valueContacts.shrink_to_fit();
    // The first block stands from the lowest row id there can be, the last to the highest: a
    // row added before or after every row read belongs to one of them.
    if (m_blocks.empty()) {
        m_blocks.emplace_back();
        m_blockEnds.push_back(0);
    }
    m_blockEnds.back() = std::numeric_limits<qint64>::max();
    for (const Block& block : m_blocks)
        m_rowCount += qsizetype(block.rows.size());
    m_loaded = true;
    countBytes();
#if defined(__GLIBC__)
    // The read's passing rooms (two threads', the second connection's) lie between the blocks
    // kept: the pages they leave empty are given back, for the searches to come.
    malloc_trim(0);
#endif
    return read;
}

void BookSearchIndex::countBytes()
{
    m_textCounts = {};
    m_numberCounts = {};
    if (m_blocks.empty())
        return;
    std::string sample;
    if (const std::string* texts = textsOf(m_blocks.front().texts, sample))
        m_textCounts = NeedleFinder::countBytes(*texts);
    if (const std::string* numbers = textsOf(m_blocks.front().numbers, sample))
        m_numberCounts = NeedleFinder::countBytes(*numbers);
}

void BookSearchIndex::take(RangeRead& read)
{
    for (size_t i = 0; i < read.blocks.size(); ++i) {
        m_blocks.push_back(std::move(read.blocks[i]));
        m_blockEnds.push_back(read.ends[i]);
    }
    m_valueContacts.insert(m_valueContacts.end(), read.values.begin(), read.values.end());
}

std::optional<qint64> BookSearchIndex::valueContact(qint64 value) const
{
    if (const auto since = m_valueContactsSince.find(value); since != m_valueContactsSince.end())
        return since->second;
    const auto found = std::lower_bound(m_valueContacts.begin(), m_valueContacts.end(),
                                        std::pair<qint64, qint64>(value, std::numeric_limits<qint64>::min()));
    if (found != m_valueContacts.end() && found->first == value)
        return found->second;
    return std::nullopt;
}

DataResult BookSearchIndex::bringUpToDate(DataConnection& connection, FullRead full)
{
    auto readAll = [&]() -> DataResult {
        if (full == FullRead::Allowed)
            return load(connection);
        unload();
        return {};
    };
    if (!m_loaded)
        return readAll();
    if (!connection.handle())
        return {false, FailureText::bookNotOpen()};
    // The usual case at a keystroke, told without a transaction.
    if (connection.changeStamp() == m_stamp) {
        m_brought = Brought::Current;
        return {};
    }
    // Under one read lock, as load(): the stamp, the changes and the blocks read agree.
    ReadLock lock(connection);
    if (!lock.taken()) {
        lock.release();
        return readAll();
    }
    const ChangeStamp now = connection.changeStamp();
    if (now == m_stamp) {
        m_brought = Brought::Current;
        return {};
    }
    std::vector<size_t> stale;
    qsizetype rowsToRead = 0;
    if (!staleBlocks(connection, stale, rowsToRead) || !mendsBlocks(stale.size(), rowsToRead, full)) {
        lock.release();
        return readAll();
    }
    // From the last, so that a block split in two leaves the indexes of those before it alone.
    for (size_t i = stale.size(); i-- > 0;)
        if (DataResult read = readBlockAgain(connection, stale[i]); !read) {
            lock.release();
            // Half mended is worse than nothing: it is read whole next time.
            unload();
            return read;
        }
    lock.release();
    m_stamp = now;
    m_brought = Brought::Mended;
    if (!stale.empty() && stale.front() == 0)
        countBytes(); // the first block read again
    return {};
}

size_t BookSearchIndex::blockOf(qint64 row) const
{
    // The last block stands to the highest row id, so there always is one.
    return size_t(std::lower_bound(m_blockEnds.begin(), m_blockEnds.end(), row) - m_blockEnds.begin());
}

bool BookSearchIndex::mendsBlocks(size_t stale, qsizetype rowsToRead, FullRead full) const
{
    switch (full) {
    case FullRead::Allowed:
        break;
    case FullRead::Deferred:
        return rowsToRead <= 4 * kRowsPerPiece;
    case FullRead::Avoided:
        return rowsToRead <= std::max<qsizetype>(m_rowCount / 4, 4 * kRowsPerPiece);
    }
    return stale * 4 <= m_blocks.size();
}

bool BookSearchIndex::staleBlocks(DataConnection& connection, std::vector<size_t>& stale, qsizetype& rowsToRead)
{
    // A directory added, locked, unlocked or deleted brings in or takes out all of its contacts.
    if (const ChangedRows directories = connection.changesSince(m_stamp, QStringLiteral("dirg"), 0);
        !directories.known || directories.size() > 0)
        return false;
    // Past an eighth of the book a full read, in two halves at once, is the cheaper way.
    const size_t most = size_t(m_rowCount) / 8 + 64;
    const ChangedRows contacts = connection.changesSince(m_stamp, QStringLiteral("info"), most);
    if (!contacts.known)
        return false;
    const ChangedRows values = connection.changesSince(m_stamp, QStringLiteral("qav_contact_value"), most);
    if (!values.known)
        return false;
    std::vector<qint64> rows = contacts.added;
    rows.insert(rows.end(), contacts.changed.begin(), contacts.changed.end());
    // A more value stands in its contact's block: the contact it was read for, and the one it
    // belongs to now (an update may have given it to another).
    for (const std::vector<qint64>* part : {&values.added, &values.changed})
        for (const qint64 value : *part) {
            // Forgotten here, and noted again if its contact's block, read again, holds it.
            if (const std::optional<qint64> held = valueContact(value))
                rows.push_back(*held);
            m_valueContactsSince[value] = std::nullopt;
            const DataResult read = connection.query(
                QStringLiteral("SELECT contact FROM qav_contact_value WHERE rowid = ?"), {QString::number(value)},
                [&rows](sqlite3_stmt* statement) { rows.push_back(sqlite3_column_int64(statement, 0)); });
            if (!read)
                return false;
        }
    for (const qint64 row : rows)
        stale.push_back(blockOf(row));
    std::sort(stale.begin(), stale.end());
    stale.erase(std::unique(stale.begin(), stale.end()), stale.end());
    rowsToRead = qsizetype(contacts.added.size());
    for (const size_t block : stale)
        rowsToRead += m_blocks[block].rows.size();
    return true;
}

DataResult BookSearchIndex::readBlockAgain(DataConnection& connection, size_t index)
{
    const qint64 from = index == 0 ? std::numeric_limits<qint64>::min() : m_blockEnds[index - 1] + 1;
    const qint64 to = m_blockEnds[index];
    // A block may grow to twice its rows before it is split; split, its parts are full blocks.
    RangeRead read;
    if (DataResult done = readRange(connection, from, to, m_rowsPerBlock * 2, m_packed, 0, nullptr, read); !done)
        return done;
    if (read.blocks.size() > 1) {
        read = RangeRead();
        if (DataResult done = readRange(connection, from, to, m_rowsPerBlock, m_packed, 0, nullptr, read); !done)
            return done;
    }
    m_rowCount -= qsizetype(m_blocks[index].rows.size());
    for (const Block& block : read.blocks)
        m_rowCount += qsizetype(block.rows.size());
    for (const auto& [value, contact] : read.values)
        m_valueContactsSince[value] = contact;
    // The kept rows are numbered as the blocks: a block more or less leaves none of them in place.
    if (read.blocks.size() == 1 && index < m_changed.size())
        m_changed[index] = true;
    else
        m_keptAt.reset();
    if (read.blocks.empty()) {
        // No row left in its range: the next block takes the range over, or the one before
        // when it was the last; the only block stays, empty.
        if (m_blocks.size() == 1) {
            m_blocks.front() = Block();
            return {};
        }
        if (index + 1 == m_blocks.size())
            m_blockEnds[index - 1] = to;
        m_blocks.erase(m_blocks.begin() + qsizetype(index));
        m_blockEnds.erase(m_blockEnds.begin() + qsizetype(index));
        return {};
    }
    read.ends.back() = to;
    m_blocks[index] = std::move(read.blocks.front());
    m_blockEnds[index] = read.ends.front();
    m_blocks.insert(m_blocks.begin() + qsizetype(index) + 1, std::make_move_iterator(read.blocks.begin() + 1),
                    std::make_move_iterator(read.blocks.end()));
    m_blockEnds.insert(m_blockEnds.begin() + qsizetype(index) + 1, read.ends.begin() + 1, read.ends.end());
    return {};
}

DataResult BookSearchIndex::readRange(DataConnection& connection, qint64 from, qint64 to, qsizetype rowsPerBlock,
                                      bool packed, qint64 piece, const std::atomic<bool>* stop, RangeRead& read) const
{
    Block block;
    std::string texts;
    std::string numbers;
    std::string sounds;
    std::string folded;
    QHash<QByteArray, QByteArray> wordSounds;
    auto keep = [packed](std::string& into, const std::string& made) {
        into = packed ? PackedText::pack(made) : made;
        into.shrink_to_fit();
    };
    auto close = [&] {
        keep(block.texts, texts);
        keep(block.numbers, numbers);
        keep(block.soundKeys, sounds);
        block.rows.squeeze();
        read.ends.push_back(block.rows.back());
        read.blocks.push_back(std::move(block));
        block = Block();
        texts.clear();
        numbers.clear();
        sounds.clear();
    };
    std::unordered_map<qint64, RowMore> more;
    const size_t blocksBefore = read.blocks.size();
    // In row id order, so that each block stands for a range of row ids.
    auto onRow = [&](sqlite3_stmt* statement) {
        block.rows.append(sqlite3_column_int64(statement, 0));
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
                NarrowText::append(folded, into);
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
        if (qsizetype(block.rows.size()) == rowsPerBlock)
            close();
    };
    // In pieces, each its own statements: between two, a writer waiting for the book gets in. A
    // piece spans enough row ids for about `piece` rows: twice as many after a piece that found
    // few (row ids far apart), half as many after one that found many; one that reaches twice
    // `piece` rows ends there, and the rest of its row ids come next.
    quint64 ids = piece > 0 ? quint64(piece) : 0;   // none: all of from..to at once
    const qint64 most = piece > 0 ? 2 * piece : -1; // -1: no limit
    DataResult rows;
    for (qint64 start = from; start <= to;) {
        const qint64 end = ids > 0 && quint64(to) - quint64(start) >= ids ? qint64(quint64(start) + ids - 1) : to;
        more.clear();
        const size_t valuesBefore = read.values.size();
        rows = readMoreValues(connection, start, end, more, read);
        qint64 found = 0;
        qint64 last = start;
        if (rows)
            rows = connection.query(
                QStringLiteral("SELECT info.rowid, info.name, info.hometel, info.jobtel, info.mobil, info.fax, "
                               "info.address, info.email, info.org, info.moreinfo FROM info JOIN dirg ON "
                               "dirg.code = info.dir WHERE dirg.pass = ? AND info.rowid BETWEEN ? AND ? "
                               "ORDER BY info.rowid LIMIT ?"),
                {Directory::unlocked(), QString::number(start), QString::number(end), QString::number(most)},
                [&](sqlite3_stmt* statement) {
                    ++found;
                    last = sqlite3_column_int64(statement, 0);
                    onRow(statement);
                });
        if (!rows)
            break;
        const bool cut = found == most && last < end;
        if (cut) // the values of the rows left for the next piece are read with them
            read.values.erase(std::remove_if(read.values.begin() + qsizetype(valuesBefore), read.values.end(),
                                             [last](const auto& value) { return value.second > last; }),
                              read.values.end());
        const qint64 through = cut ? last : end;
        if (through == to)
            break;
        if (stop && stop->load()) {
            rows = {false, QStringLiteral("the read was stopped")};
            break;
        }
        start = through + 1;
        if (cut && ids > 1)
            ids /= 2;
        else if (!cut && found < piece / 2 && ids <= quint64(1) << 62)
            ids *= 2;
    }
    if (!block.rows.empty())
        close();
    // The last block stands to the end of the range.
    if (read.blocks.size() > blocksBefore)
        read.ends.back() = to;
    return rows;
}

DataResult BookSearchIndex::readBlocks(DataConnection& connection, qint64 from, qint64 to, qsizetype rowsPerBlock,
                                       std::vector<Block>& blocks,
                                       std::vector<std::vector<qint64>>& valuesByBlock) const
{
    RangeRead read;
    if (DataResult done = readRange(connection, from, to, rowsPerBlock, true, 0, nullptr, read); !done)
        return done;
    blocks = std::move(read.blocks);
    valuesByBlock.assign(blocks.size(), {});
    if (blocks.empty())
        return {};
    for (const auto& [value, contact] : read.values) {
        const auto at = std::lower_bound(read.ends.begin(), read.ends.end(), contact);
        valuesByBlock[std::min(size_t(at - read.ends.begin()), blocks.size() - 1)].push_back(value);
    }
    for (std::vector<qint64>& values : valuesByBlock) {
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
    }
    return {};
}

std::vector<std::vector<qint64>> BookSearchIndex::valuesByBlock() const
{
    std::vector<std::vector<qint64>> byBlock(m_blocks.size());
    if (m_blocks.empty())
        return byBlock;
    for (const auto& [value, contact] : m_valueContacts)
        if (!m_valueContactsSince.contains(value))
            byBlock[blockOf(contact)].push_back(value);
    for (const auto& [value, contact] : m_valueContactsSince)
        if (contact)
            byBlock[blockOf(*contact)].push_back(value);
    for (std::vector<qint64>& values : byBlock) {
        std::sort(values.begin(), values.end());
        values.erase(std::unique(values.begin(), values.end()), values.end());
    }
    return byBlock;
}

DataResult BookSearchIndex::readMoreValues(DataConnection& connection, qint64 from, qint64 to,
                                           std::unordered_map<qint64, RowMore>& out, RangeRead& read) const
{
    if (!ContactValueStore(connection).inUse())
        return {};
    std::string folded;
    return connection.query(QStringLiteral("SELECT v.contact, v.kind, v.value, v.rowid ") + searchedValues() +
                                QStringLiteral(" AND v.contact BETWEEN ? AND ?"),
                            searchedValueBindings() << QString::number(from) << QString::number(to),
                            [&](sqlite3_stmt* statement) {
                                const auto kind = ContactValue::kindNamed(DataConnection::columnText(statement, 1));
                                if (!kind || sqlite3_column_bytes(statement, 2) > StoredRow::kMostFieldBytes)
                                    return;
                                const qint64 contact = sqlite3_column_int64(statement, 0);
                                read.values.emplace_back(sqlite3_column_int64(statement, 3), contact);
                                RowMore& row = out[contact];
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
                                NarrowText::append(folded, row.texts);
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
    std::string folded;
    const QByteArray utf8 = trimmed.toUtf8();
    TextFold::foldAnyUtf8(utf8.constData(), int(utf8.size()), folded);
    std::erase(folded, kFieldEnd);
    std::erase(folded, kValueEnd);
    const std::string text = NarrowText::of(folded); // as the blocks keep their texts
    const bool number = NumberKey::looksLikeNumber(trimmed, 3);
    const std::string digits = number ? m_numbers.of(trimmed) : std::string();
    // A name is looked for by sound too, never a number.
    const QByteArray sound = number ? QByteArray() : SoundKey::of(trimmed);
    const bool bySound = SoundKey::worthSearching(trimmed, sound);
    const NeedleFinder textFinder(text, m_textCounts);
    const NeedleFinder digitFinder(digits, m_numberCounts);

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
                findIn(block, *texts, textFinder, kTextFields, places);
            if (!digits.empty())
                if (const std::string* numbers = textsOf(block.numbers, half.scratch))
                    findIn(block, *numbers, digitFinder, kNumberFields, places);
            // Each row once, in the block's order, with the first field that matched.
            std::stable_sort(places.begin(), places.end(),
                             [](const auto& a, const auto& b) { return a.first < b.first; });
            // The block's row ids are read where it has a hit.
            std::vector<qint64> ids;
            auto idOf = [&](size_t row) {
                if (ids.empty())
                    ids = block.rows.all();
                return ids[row];
            };
            // Hits beyond the limit are counted, not kept.
            std::vector<size_t> exactRows;
            for (const auto& [row, field] : places) {
                if ((!exactRows.empty() && row == exactRows.back()) || row >= size_t(block.rows.size()))
                    continue;
                exactRows.push_back(row);
                if (qsizetype(half.exact.size()) < limit)
                    half.exact.push_back({idOf(row), field, false});
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
            for (size_t row = 0; row < size_t(block.rows.size()) && key < end; ++row) {
                const char* keyEnd = static_cast<const char*>(std::memchr(key, kFieldEnd, size_t(end - key)));
                if (!keyEnd)
                    break;
                if (exactNext != exactRows.end() && *exactNext == row) {
                    ++exactNext;
                } else if (keyEnd > key && SoundKey::matches(sound, QByteArrayView(key, keyEnd - key))) {
                    ++half.bySoundCount;
                    if (qsizetype(half.bySound.size()) < limit)
                        half.bySound.push_back({idOf(row), Name, true});
                }
                key = keyEnd + 1;
            }
        }
    };
    const size_t blocks = m_blocks.size();
    if (m_rowCount >= TwoHalves::kSecondThreadFrom && blocks >= 2) {
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

void BookSearchIndex::findIn(const Block& block, const std::string& kept, const NeedleFinder& needle,
                             const std::vector<Field>& fields, std::vector<std::pair<size_t, Field>>& places)
{
    // Every row has as many fields, each ended by the mark: counting marks tells row and field.
    const size_t perRow = fields.size();
    const char* base = kept.data();
    const size_t size = kept.size();
    size_t from = 0;
    size_t counted = 0; // marks before from
    while (from < size) {
        const char* at = needle.find(base + from, base + size);
        if (!at)
            return;
        const auto offset = size_t(at - base);
        counted += size_t(std::count(base + from, base + offset, kFieldEnd));
        const size_t row = counted / perRow;
        if (row >= size_t(block.rows.size()))
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
    // words. A word already met is looked up without a copy of it. A book of names that share
    // little (a number in every name) would fill the cache with words met once: it is emptied
    // when full, and the common words come back at once.
    constexpr qsizetype kMostWords = 1 << 12;
    bool first = true;
    qsizetype start = 0;
    while (start < name.size()) {
        qsizetype end = name.indexOf(' ', start);
        if (end < 0)
            end = name.size();
        if (end > start) {
            const QByteArray word = QByteArray::fromRawData(name.data() + start, end - start);
            auto known = wordSounds.constFind(word);
            if (known == wordSounds.constEnd()) {
                if (wordSounds.size() >= kMostWords)
                    wordSounds.clear();
                known =
                    wordSounds.insert(QByteArray(word.constData(), word.size()), SoundKey::of(QString::fromUtf8(word)));
            }
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
