#pragma once

#include "DataConnection.h"
#include "NumberKey.h"

#include <QString>

#include <string>
#include <vector>

// Every contact of the unlocked directories, folded once for a search through all of their
// fields at each keystroke: the name and the other texts as TextFold reads them, the four
// numbers as NumberKey's digits. A contact of a locked directory is never read into it.
//
// Invariant: it holds exactly the rows of "select rowid, the nine fields from info join dirg on
// dirg.code = info.dir where dirg.pass = '0'" as the book stood at stamp(); a book that changed
// since is loaded again before it is searched (the window asks stamp()). The rows lie in blocks
// of kRowsPerBlock, each block's fields compressed (PackedText) and unpacked as it is searched.
class BookSearchIndex
{
public:
    // The contact table's first nine columns, in their order.
    enum Field { Name, HomeTel, JobTel, Mobile, Fax, Address, Email, Org, Notes, kFieldCount };
    struct Hit {
        qint64 row = 0;
        Field field = Name; // the first field that matched
        bool bySound = false;
    };
    struct Found {
        std::vector<Hit> hits; // exact hits first, then the names that sound like the query
        qsizetype total = 0;   // all of them, where hits stops at the limit asked for
    };

    explicit BookSearchIndex(const NumberKey& numbers);

    // Reads the book through connection (a large book in two halves, the second on a connection
    // of its own, under one read lock).
    DataResult load(DataConnection& connection);
    quint64 stamp() const { return m_stamp; }
    bool loaded() const { return m_loaded; }
    qsizetype size() const { return m_rowCount; }
    // The bytes it keeps, for the bench.
    qsizetype byteSize() const;

    // Contacts with a field containing query, and, for a name-like query, names that sound like
    // it (Mohamed finds محمد); at most limit hits are returned, all are counted.
    Found find(const QString& query, qsizetype limit) const;

    static constexpr qsizetype kRowsPerBlock = 4096;

private:
    struct Block {
        std::vector<qint64> rows;
        std::string fields; // each row's nine fields, each ended by kFieldEnd, packed
        // Each row's sound key ended by kFieldEnd, packed; made at the first search by sound.
        mutable std::string soundKeys;
        mutable bool soundMade = false;
    };
    struct Half;
    static constexpr char kFieldEnd = '\x1f';

    DataResult readRange(DataConnection& connection, qint64 from, qint64 to, std::vector<Block>& blocks) const;
    void findIn(const Block& block, std::string& scratch, const std::string& text, const std::string& number,
                Half& half) const;
    static void makeSoundKeys(const Block& block, std::string& scratch);

    NumberKey m_numbers;
    std::vector<Block> m_blocks;
    qsizetype m_rowCount = 0;
    quint64 m_stamp = 0;
    bool m_loaded = false;
};
