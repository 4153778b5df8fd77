#pragma once

#include "ContactFields.h"
#include "ContactValue.h"
#include "DataConnection.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <map>
#include <optional>
#include <vector>

// A directory linked to one address book on a CardDAV server.
struct SyncLink {
    QString dir{};    // the directory's code
    QString server{}; // the address the user typed, for finding the books again
    QString user{};
    QString book{};     // the address book's URL
    QString token{};    // the server's sync token after the last complete sync
    QString modified{}; // the book's last change, as the server dated it at the last full look
    QString checked{};  // the server's clock at that look
    QString digest{};   // the directory's contacts when the last sync left both sides alike
};

// What this program last agreed with the server about one card.
struct SyncCardState {
    QString href;
    QByteArray etag;
    qint64 contact = 0;   // the contact's row, as last seen
    ContactFields fields; // the contact's values as last agreed
    // Its more values as last agreed; none for a card agreed on before they were synced.
    std::optional<MoreValues> more{};
};

// The sync tables in "Kib.bin", beside the contacts: links and card states live in tables of
// their own, created on the first link, so a backup carries them and other programs that read
// info and dirg by position see nothing new there.
class SyncStore
{
public:
    explicit SyncStore(DataConnection& connection) : m_connection(connection) {}

    DataResult createTables();
    // No links (also when the tables were never made).
    std::vector<SyncLink> links();
    std::optional<SyncLink> link(const QString& dir);
    // The name of another directory than dir already linked to a book isTheBook accepts (the
    // sync compares addresses as the server means them): two would undo each other's work.
    std::optional<QString> otherDirectoryOf(const std::function<bool(const QString& book)>& isTheBook,
                                            const QString& dir);
    // Linking to another book forgets what was agreed with the former one.
    DataResult saveLink(const SyncLink& link);
    DataResult removeLink(const QString& dir);
    // What the last full look at the server's changes found: its token and dates.
    DataResult saveLook(const QString& dir, const QString& token, const QString& modified, const QString& checked);

    std::map<QString, SyncCardState> cards(const QString& dir);
    // A digest of the directory's contacts (rows and values): equal digests, unchanged contacts.
    QString directoryDigest(const QString& dir);
    DataResult saveDigest(const QString& dir, const QString& digest);
    QByteArray serverCard(const QString& dir, const QString& href);
    DataResult saveCard(const QString& dir, const SyncCardState& state, const QByteArray& serverCard);
    DataResult saveContactRow(const QString& dir, const QString& href, qint64 contact);
    DataResult removeCard(const QString& dir, const QString& href);
    DataResult renameCard(const QString& dir, const QString& from, const QString& to);
    // Thousands of new cards go in faster without the index on their addresses, which is then
    // built once, sorted; both inside the caller's transaction.
    DataResult setCardKey(bool on);

    // The largest server card kept, as the largest answer the sync takes from a server.
    static constexpr qint64 kMostCardBytes = 64 * 1024 * 1024;

private:
    bool hasTables();
    // Books linked before more values were synced have no column for them until a card is saved.
    bool hasMoreColumn();
    DataResult addMoreColumn();
    DataConnection& m_connection;
};
