#pragma once

#include "CardDavClient.h"
#include "ContactFields.h"
#include "SyncStore.h"
#include "SyncSummary.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

// What one address book holds on the server, and what changed there since the last sync; it
// asks and reads, and writes nothing anywhere. A first sync takes every card in one report; later
// ones ask for the changes since the last token (in parts, when the server pages a long list with
// a 507), and a server without that report has its ETags listed and compared. Only answers that
// arrived whole are used, and a card is taken as removed only from a listing known to be complete.
// Whatever stops it is noted in the summary.
class ServerListing
{
public:
    struct Card {
        QString href{};
        QByteArray etag{};
        QByteArray vcard{};
        ContactFields fields{}; // what this program reads from the card
        MoreValues more{};
        int leftOnCard = 0; // values beyond what a contact here takes
        QString uid{};
        bool readable = true;
    };
    struct Changes {
        std::vector<Card> changed;
        std::set<QString> removed;
        std::set<QString> listed;
        QString token;
        QString modified;      // the book's last change, as the server dates it
        QString checked;       // the server's clock when it was asked
        bool complete = false; // every card is listed: a known card that is not was removed
        qint64 kept = 0;       // bytes taken from the server's answers so far
    };

    static constexpr int kCardsPerRequest = 200;
    static constexpr int kMaxListingPages = 10000;
    // What one sync keeps of all the server's answers together (cards, their addresses and tags):
    // each answer has its own cap, and a listing of many pages, or many pages of cards, has this.
    static constexpr qint64 kMaxServerBytes = 256 * 1024 * 1024;

    // step is asked between pages of cards: false stops the listing (the user cancelled).
    ServerListing(CardDavClient& client, const QUrl& book, SyncSummary& summary, std::function<bool()> step);

    // The book's own path as the server means it, with its final slash.
    const QString& bookPath() const { return m_bookPath; }
    // When the book was last changed, by the server's own clock, and whether the user may write
    // there, before anything is read from it. False when the sync stops.
    bool lookAtBook(Changes& changes);
    bool readOnly() const { return m_readOnly; }
    // Whether the look shows the book as it was at the last full look of link.
    static bool unchangedSince(const SyncLink& link, const Changes& look);
    // Every card changed since token, read in full, and every card removed; known holds the cards
    // as last agreed. False when the sync stops.
    bool fetch(const QString& token, const std::map<QString, SyncCardState>& known, Changes& changes);

    // A card's address as the server means it: percent-decoded, then encoded one way.
    static QString normalized(const QString& href);

private:
    enum class Outcome { Got, Stopped, Unsupported, TokenRefused };

    Outcome fetchAllCards(Changes& changes);
    Outcome fetchWithSyncCollection(const QString& token, const std::map<QString, SyncCardState>& known,
                                    Changes& changes);
    bool fetchWithEtags(const std::map<QString, SyncCardState>& known, Changes& changes);
    bool fetchCards(Changes& changes);
    static void readCards(std::vector<Card>& cards);
    static void startOver(Changes& changes);
    bool keep(Changes& changes, const Multistatus::Response& response);
    bool stop(const DavResponse& answer);

    CardDavClient& m_client;
    QUrl m_book;
    QString m_bookPath;
    SyncSummary& m_summary;
    std::function<bool()> m_step;
    bool m_readOnly = false;
};
