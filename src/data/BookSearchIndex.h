#pragma once

#include "ContactValue.h"
#include "DataConnection.h"
#include "NumberKey.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

#include <string>
#include <unordered_map>
#include <vector>

// Every contact of the unlocked directories, folded once for a search through all of their
// fields at each keystroke: the name and the other texts as TextFold reads them, the four
// numbers as NumberKey's digits, and so its more values (numbers, e-mails, addresses, web
// pages). A contact of a locked directory is never read into it, nor are its values.
//
// Invariant: it holds exactly the rows of "select rowid, the nine fields from info join dirg on
// dirg.code = info.dir where dirg.pass = '0'" as the book stood at stamp(); a book that changed
// since is loaded again before it is searched (the window asks stamp()). The rows lie in blocks
// of kRowsPerBlock, each block's fields compressed (PackedText) and unpacked as it is searched.
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

    explicit BookSearchIndex(const NumberKey& numbers);

    // Reads the book through connection (a large book in two halves, the second on a connection
    // of its own, under one read lock).
    DataResult load(DataConnection& connection);
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
        std::vector<qint64> rows;
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
    void adopt(std::vector<Block> blocks, bool packed, ChangeStamp stamp);
    // Where the book stood when the blocks were last taken from it; none when they were read.
    ChangeStamp adoptedAt() const { return m_adoptedAt; }

private:
    struct Half;
    // Between two more values of a row, so that no match runs across them.
    static constexpr char kValueEnd = '\x1e';
    // Each row's more values that are searched, as the row's last text and number fields.
    struct RowMore {
        std::string texts, numbers;
    };
    DataResult readMoreValues(DataConnection& connection, qint64 from, qint64 to,
                              std::unordered_map<qint64, RowMore>& out) const;

    DataResult readRange(DataConnection& connection, qint64 from, qint64 to, std::vector<Block>& blocks) const;
    // The block's texts as they are searched: unpacked into scratch, or the block's own.
    const std::string* textsOf(const std::string& kept, std::string& scratch) const;
    // The rows of the block whose field of fields (each row's, in that order) holds needle.
    static void findIn(const Block& block, const std::string& kept, const std::string& needle,
                       const std::vector<Field>& fields, std::vector<std::pair<size_t, Field>>& places);
    // Appends the sound of name, then kFieldEnd.
    static void appendSound(QByteArrayView name, QHash<QByteArray, QByteArray>& wordSounds, std::string& keys);

    NumberKey m_numbers;
    std::vector<Block> m_blocks;
    qsizetype m_rowCount = 0;
    ChangeStamp m_stamp;
    ChangeStamp m_adoptedAt;
    bool m_loaded = false;
    bool m_packed = false; // a large book's blocks are kept compressed
};
