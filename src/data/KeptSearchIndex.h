#pragma once

#include "BookSearchIndex.h"
#include "DataConnection.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

// The whole-book search index kept in the book when the program closes, so that the next
// session's first search reads it back instead of reading and folding every contact. Like the
// kept name order it is believed only while the file is exactly as this program left it
// (BookFingerprint), and only under the same number rules, ICU and format it was made with;
// otherwise the contacts are read as usual. A kept index the file no longer vouches for is
// dropped when the program next keeps what it keeps, so no contact's texts outlive it there.
//
// One row per block in a table of its own: the block's rows as varint differences, then its
// texts, numbers and sound keys packed (PackedText); beside it, in a second table, the row ids of
// the more values the block holds, so that a value deleted or moved tells which block to read
// again. A locked directory's contacts are never in
// the index, so never here; a protected book keeps it encrypted with everything else.
class KeptSearchIndex
{
public:
    // Keeps index when it is true of the file as it stands (read at the connection's stamp).
    // Where the file changed since it was left, the kept order found there becomes a head start
    // only. False when there is nothing to keep or it could not be kept.
    static bool save(DataConnection& connection, const BookSearchIndex& index);
    // Drops a kept index the file no longer vouches for (another program wrote, or this one
    // without keeping it). True when none is left that could mislead.
    static bool dropUnbelieved(DataConnection& connection);
    // Takes the kept index into index when the file is as the program left it and every row of it
    // reads back whole. False, index untouched, otherwise: the contacts are then read as usual.
    static bool adopt(DataConnection& connection, BookSearchIndex& index);

    // Where the book stands when its kept index is believed (the file is as the program left it
    // and holds one); none otherwise. Noted when a session opens the book, for mend().
    static std::optional<ChangeStamp> believedAt(DataConnection& connection);
    // Brings the kept index, believed at stamp, to the file as it stands after this connection's
    // own writes, in the book, without the rest of the index: only the kept blocks whose range
    // holds a contact or more value written since are read again from info and rewritten (a block
    // left empty is taken out; one grown past twice rowsPerBlock rows is split into blocks of
    // rowsPerBlock, as the index splits one it holds). False, nothing written, when that cannot be
    // told (another program wrote, a directory changed, the log forgot): the caller then drops the
    // kept index.
    static bool mend(DataConnection& connection, ChangeStamp stamp,
                     qsizetype rowsPerBlock = BookSearchIndex::kRowsPerBlock);

    // Empties the table inside the caller's write transaction.
    static bool forget(DataConnection& connection);

    // One kept block as save() wrote it, held packed or plain. False for a row that is not exactly
    // that: a count out of range, ids that do not fill their bytes, a stream that does not unpack
    // (or would unpack to more than kMostUnpacked, or than is left of budget, which it lessens) or
    // does not hold count rows of fields.
    static bool blockFromRow(qint64 count, QByteArrayView rows, QByteArrayView texts, QByteArrayView numbers,
                             QByteArrayView sounds, bool packed, size_t& budget, BookSearchIndex::Block& out);

    // A field stream of one block unpacks to no more than this; a larger one is read as usual.
    static constexpr size_t kMostUnpacked = size_t(64) << 20;
    // All the kept blocks together unpack to no more than this many bytes per byte of the book.
    static constexpr int kUnpackedPerFileByte = 16;

private:
    // What the rows were made under: another format, other number rules or ICU make another kind.
    static QString kindOf(const NumberKey& numbers, bool packed);
    static bool write(DataConnection& connection, const BookSearchIndex& index);
    static bool hasRows(DataConnection& connection);
    static bool mendRows(DataConnection& connection, ChangeStamp since, qsizetype rowsPerBlock);
    // Takes the kept row of a block left empty out, inside the caller's write transaction.
    static bool takeOut(DataConnection& connection, qint64 block);
    // Moves the kept rows of both tables after block by rows (up to make room, down to close a gap).
    static bool shift(DataConnection& connection, qint64 after, qint64 by);
    // Whether the kept rows are as they were at since: nobody wrote them, and both tables are there.
    static bool keptRowsUntouched(DataConnection& connection, ChangeStamp since);
    // Writes the blocks of index read again since it was taken from the book, over their rows.
    static bool writeChanged(DataConnection& connection, const BookSearchIndex& index);
};
