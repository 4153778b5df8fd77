#pragma once

#include "ContactValue.h"
#include "DataConnection.h"
#include "NeedleFinder.h"
#include "NumberKey.h"
#include "RowIds.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <atomic>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

// Every contact of the unlocked directories, folded once for a search through all of their
// fields at each keystroke: the name and the other texts as TextFold reads them (written as
// NarrowText, each Arabic letter one byte), the four numbers as NumberKey's digits, and so its
// more values (numbers, e-mails, addresses, web pages). A contact of a locked directory is never read into it, nor are
// its values.
//
// Invariant: it holds exactly the rows of "select rowid, the nine fields from info join dirg on
// dirg.code = info.dir where dirg.pass = '0'" (and their searched more values) as the book stood
// at stamp(). The rows lie in blocks of about kRowsPerBlock in row id order, each block's fields
// compressed (PackedText) in a large book and unpacked as it is searched. Each block stands for a
// range of row ids (the first from the lowest row id there can be, the last to the highest, none
// left between): every row of that range that the query gives, and no other. So a row written
// since is found in one block by its row id, and reading that block again (one bounded select of
// its range, as the full read does) brings it up to date.
//
// bringUpToDate() is the one way callers keep it current: when the connection can tell which
// contacts and more values it changed since stamp() (ChangeLog), only their blocks are read
// again; when it cannot (another program wrote, a transaction was rolled back half way, too
// many rows), when a directory was added, locked, unlocked, renamed or deleted, or when the
// blocks to read are a large part of the book, everything is read again.
class BookSearchIndex
{
public:
    // The contact table's first nine columns, in their order.
    // MoreValue: one of the contact's more values (numbers, e-mails, addresses, web pages).
    enum Field { Name, HomeTel, JobTel, Mobile, Fax, Address, Email, Org, Notes, kFieldCount, MoreValue };
    struct Hit {
        qint64 row = 0;
        Field field = Name; // the first field that matched
        bool bySound = false;
    };
    struct Found {
        std::vector<Hit> hits; // exact hits first, then the names that sound like the query
        qsizetype total = 0;   // all of them, where hits stops at the limit asked for
    };
    // Whether every hit is counted, or the search may stop once limit exact hits are found (the
    // total then counts only as far as it went).
    enum class Count { All, UpToLimit };

    // rowsPerBlock: a test's small book is split into many blocks as a large one is.
    explicit BookSearchIndex(const NumberKey& numbers, qsizetype rowsPerBlock = kRowsPerBlock);

    // How a full read holds the book. UnderOneLock: no writer commits until it ends, and the
    // index stands at connection's stamp. InPieces: statements of about kRowsPerPiece rows each,
    // between which a writer gets in; it stands at no stamp of connection's, the caller's
    // standAt() gives it one from before the read began.
    enum class Reading { UnderOneLock, InPieces };
    static constexpr qint64 kRowsPerPiece = 16384;
    // Reads the book through connection (a large book in two halves, the second on a connection
    // of its own). In pieces, it ends early, failed, once stop is set.
    DataResult load(DataConnection& connection, Reading reading = Reading::UnderOneLock,
                    const std::atomic<bool>* stop = nullptr);
    // Whether the book's row ids span at least rows (about as many contacts as a full read reads):
    // the window reads such a book on a thread of its own (IndexReading).
    static bool spans(DataConnection& connection, qint64 rows);
    // For an index read through another connection: it stands at stamp, this connection's own
    // from before that read began. bringUpToDate() then reads again what this connection wrote
    // since (some of it may be read already: it is read the same), and everything when another
    // program wrote.
    void standAt(ChangeStamp stamp) { m_stamp = stamp; }
    // Whether bringUpToDate() reads everything where it would (see above). Otherwise it reads
    // blocks again up to a bound, and leaves the index unloaded where it would read more, for the
    // caller to read as it chooses. Deferred: a few pieces' rows (a window that reads the rest
    // behind it). Avoided: a quarter of the book (the close of the program, which keeps no index
    // rather than read it all).
    enum class FullRead { Allowed, Deferred, Avoided };
    // Brings it to the book as it stands now: nothing when nothing changed, the blocks of the
    // rows this connection changed, or everything (see above). A failure leaves it unloaded.
    DataResult bringUpToDate(DataConnection& connection, FullRead full = FullRead::Allowed);
    // How the last bringUpToDate() went, for the tests and the bench.
    enum class Brought { Current, Mended, Read };
    Brought lastBrought() const { return m_brought; }
    ChangeStamp stamp() const { return m_stamp; }
    bool loaded() const { return m_loaded; }
    qsizetype size() const { return m_rowCount; }
    // The bytes it keeps, for the bench.
    qsizetype byteSize() const;

    // Contacts with a field containing query, and, for a name-like query, names that sound like
    // it (Mohamed finds محمد); at most limit hits are returned, all are counted unless asked not to.
    Found find(const QString& query, qsizetype limit, Count count = Count::All) const;

    // The first of values that the query finds, as find() compares them; -1 for none.
    qsizetype firstMatching(const MoreValues& values, const QString& query) const;

    static constexpr qsizetype kRowsPerBlock = 4096;

    struct Block {
        RowIds rows;
        // Each row's name, address, e-mail, organisation, notes and more values, each ended by kFieldEnd;
        // packed in a large book. A number is never looked for among texts, nor a text among
        // numbers.
        std::string texts;
        // each row's four numbers and its more numbers as NumberKey digits, each ended by kFieldEnd
        std::string numbers;
        std::string soundKeys; // each row's name as it sounds, ended by kFieldEnd
    };
    static constexpr char kFieldEnd = '\x1f';
    // How many fields each row has in a block's texts, numbers and sound keys.
    static constexpr int kTextsPerRow = 6, kNumbersPerRow = 5, kSoundsPerRow = 1;

    // For keeping the index in the book (KeptSearchIndex): its blocks as they are held, and
    // blocks read back, true of the book at stamp, taken in their place.
    const std::vector<Block>& blocks() const { return m_blocks; }
    bool packed() const { return m_packed; }
    const NumberKey& numberKey() const { return m_numbers; }
    // False, and left unloaded, for blocks whose rows do not rise from block to block.
    bool adopt(DataConnection& connection, std::vector<Block> blocks, bool packed, ChangeStamp stamp);
    // Where the book stood when its kept rows were last these very blocks, but for those read again
    // since (changedSinceKept()): the close then writes only those. None when the blocks were read
    // from the contacts or their number changed since (a block split or emptied).
    std::optional<ChangeStamp> keptAt() const { return m_keptAt; }
    // The same as a stamp, never current when there is none: equal to the book's stamp while the
    // book holds these very blocks.
    ChangeStamp adoptedAt() const { return m_keptAt.value_or(ChangeStamp()); }
    bool changedSinceKept(size_t block) const { return block < m_changed.size() && m_changed[block]; }
    // The row ids of the more values each block holds, by block (some may be held no longer): a
    // kept block is known by them when a value's change tells only its own row id.
    std::vector<std::vector<qint64>> valuesByBlock() const;
    // Reads the rows from..to as a block of the index is read, packed, in blocks of at most
    // rowsPerBlock rows, with the row ids of the more values each holds: how a kept block is
    // mended in the book without the rest of the index.
    DataResult readBlocks(DataConnection& connection, qint64 from, qint64 to, qsizetype rowsPerBlock,
                          std::vector<Block>& blocks, std::vector<std::vector<qint64>>& valuesByBlock) const;

private:
    struct Half;
    // Between two more values of a row, so that no match runs across them.
    static constexpr char kValueEnd = '\x1e';
    // Each row's more values that are searched, as the row's last text and number fields.
    struct RowMore {
        std::string texts, numbers;
    };
    // What one read of a range of row ids gave: its blocks, the last row id each stands for, and
    // each searched more value's row id with its contact's.
    struct RangeRead {
        std::vector<Block> blocks;
        std::vector<qint64> ends;
        std::vector<std::pair<qint64, qint64>> values;
    };
    DataResult readMoreValues(DataConnection& connection, qint64 from, qint64 to,
                              std::unordered_map<qint64, RowMore>& out, RangeRead& read) const;
    // Appends the rows of from..to in blocks of at most rowsPerBlock rows, packed or not.
    // piece: about how many rows a statement reads (0: one statement for all), until stop is set.
    DataResult readRange(DataConnection& connection, qint64 from, qint64 to, qsizetype rowsPerBlock, bool packed,
                         qint64 piece, const std::atomic<bool>* stop, RangeRead& read) const;
    // The blocks that hold the rows this connection changed since stamp(), sorted, and about how
    // many rows reading them again reads (those they hold, and those added); false when that
    // cannot be told (everything is read again).
    bool staleBlocks(DataConnection& connection, std::vector<size_t>& stale, qsizetype& rowsToRead);
    // Whether the stale blocks are read again one after the other: where that is the cheaper way
    // (a whole read goes in two halves at once), or full says how much may be read here.
    bool mendsBlocks(size_t stale, qsizetype rowsToRead, FullRead full) const;
    size_t blockOf(qint64 row) const;
    // Reads block index again, splitting it when it grew past twice the rows of a block.
    DataResult readBlockAgain(DataConnection& connection, size_t index);
    // Keeps what a read of the whole book gave.
    void take(RangeRead& read);
    // Holds nothing, as before the first read.
    void unload();
    // Counts which bytes are rare in the book's texts and numbers, as its first block tells, once
    // the blocks are read, taken or mended, not at every keystroke.
    void countBytes();
    // The block's texts as they are searched: unpacked into scratch, or the block's own.
    const std::string* textsOf(const std::string& kept, std::string& scratch) const;
    // The rows of the block whose field of fields (each row's, in that order) holds needle.
    static void findIn(const Block& block, const std::string& kept, const NeedleFinder& needle,
                       const std::vector<Field>& fields, std::vector<std::pair<size_t, Field>>& places);
    // Appends the sound of name, then kFieldEnd.
    static void appendSound(QByteArrayView name, QHash<QByteArray, QByteArray>& wordSounds, std::string& keys);

    NumberKey m_numbers;
    qsizetype m_rowsPerBlock;
    std::vector<Block> m_blocks;
    // Parallel to m_blocks: the last row id each block stands for; it starts after the previous
    // one's (the first at the lowest row id), the last one's is the highest row id.
    std::vector<qint64> m_blockEnds;
    // The contact of every more value held, by the value's row id: an update or a deletion tells
    // only the value's row id, and the contact it was read for is then read again. It may name
    // values no longer held (harmless: one block read in vain), never misses one that is held.
    // Empty while the book has no more values. As the full read found them, sorted by the
    // value's row id (16 bytes a value), then what changed since (none: no longer held).
    std::optional<qint64> valueContact(qint64 value) const;
    std::vector<std::pair<qint64, qint64>> m_valueContacts;
    std::unordered_map<qint64, std::optional<qint64>> m_valueContactsSince;
    NeedleFinder::ByteCounts m_textCounts{}, m_numberCounts{};
    Brought m_brought = Brought::Read;
    qsizetype m_rowCount = 0;
    ChangeStamp m_stamp;
    std::optional<ChangeStamp> m_keptAt;
    std::vector<bool> m_changed; // parallel to m_blocks while m_keptAt holds
    bool m_loaded = false;
    bool m_packed = false; // a large book's blocks are kept compressed
};
