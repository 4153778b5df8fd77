#pragma once

#include "CardDavClient.h"
#include "ContactFields.h"
#include "ContactStore.h"
#include "SyncPlan.h"
#include "SyncStore.h"
#include "SyncSummary.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

class DataConnection;

// Keeps one directory in step with its address book, carrying out what SyncPlan decides. The
// server's changes come in first, in one transaction together with the new sync token, and only
// from answers that arrived whole, so a sync cut short leaves the book as it was and the next sync
// asks again; a card is taken as removed only from a listing known to be complete. Then each local
// change goes out with a conditional write and is recorded as soon as the server took it.
class DirectorySync
{
public:
    // done, total; returning false cancels after the step in hand.
    using Progress = std::function<bool(int, int)>;

    DirectorySync(DataConnection& connection, CardDavClient& client, const SyncLink& link);
    SyncSummary run(const Progress& progress = {});

    static constexpr int kCardsPerRequest = 200;
    static constexpr size_t kBulkCards = 1000;
    static constexpr int kMaxListingPages = 10000;
    // What one sync keeps of all the server's answers together (cards, their addresses and tags):
    // each answer has its own cap, and a listing of many pages, or many pages of cards, has this.
    static constexpr qint64 kMaxServerBytes = 256 * 1024 * 1024;

    // A card's address as the server means it: percent-decoded, then encoded one way.
    static QString normalized(const QString& href);

private:
    struct ServerCard {
        QString href{};
        QByteArray etag{};
        QByteArray vcard{};
        ContactFields fields{}; // what this program reads from the card
        QString uid{};
        bool readable = true;
    };
    struct ServerChanges {
        std::vector<ServerCard> changed;
        std::set<QString> removed;
        std::set<QString> listed;
        QString token;
        QString modified;      // the book's last change, as the server dates it
        QString checked;       // the server's clock when it was asked
        bool complete = false; // every card is listed: a known card that is not was removed
        qint64 kept = 0;       // bytes taken from the server's answers so far
    };
    enum class Outcome { Got, Stopped, Unsupported, TokenRefused };

    bool directoryLocked();
    bool lookAtBook(ServerChanges& changes);
    bool bookUnchanged(const ServerChanges& changes) const;
    bool fetchChanges(ServerChanges& changes);
    Outcome fetchAllCards(ServerChanges& changes);
    static void startOver(ServerChanges& changes);
    bool keep(ServerChanges& changes, const Multistatus::Response& response);
    Outcome fetchWithSyncCollection(const QString& token, ServerChanges& changes);
    bool fetchWithEtags(ServerChanges& changes);
    bool fetchCards(ServerChanges& changes);
    bool applyServerChanges(ServerChanges& changes);
    static void readCards(std::vector<ServerCard>& cards);
    void carryOut(const SyncPlan::Step& step, const ServerCard& card);
    bool pushLocalChanges();
    bool pushChange(const QString& href);
    bool pushDeletion(const QString& href);
    bool pushNew(qint64 row);
    std::optional<DavResponse> reread(const QString& href, bool& read);
    bool noteSent(const QString& href, qint64 row, const QByteArray& card, const DavResponse& answer);
    bool takeServerVersion(const QString& href, const DavResponse& fresh);
    void noteRefused(const QString& name, const DavResponse& answer);

    std::map<QString, SyncPlan::Agreed> agreed() const;
    std::optional<SyncPlan::Agreed> agreedOf(const QString& href) const;
    std::optional<ContactFields> localOf(qint64 row) const;
    void loadCards();
    void loadLocal();
    void matchCards();
    qint64 rowOf(const QString& href) const;
    void keepBoth(qint64 row, const ContactFields& server);
    qint64 insertContact(ContactFields& fields);
    void updateContact(qint64 row, ContactFields& fields);
    void deleteContact(qint64 row);
    QString uniqueName(const QString& wanted, qint64 except);
    void linkCard(const QString& href, qint64 row);
    void forgetCard(const QString& href);
    void moveCard(const QString& from, const QString& to);
    void storeCard(const QString& href, const QByteArray& etag, qint64 row, const QByteArray& vcard,
                   const ContactFields& agreedFields);
    void noteDataFailure(const DataResult& result);

    QUrl urlOf(const QString& href) const;
    bool stop(const DavResponse& answer);
    bool step();
    bool stepDone();

    DataConnection& m_connection;
    CardDavClient& m_client;
    SyncLink m_link;
    SyncStore m_store;
    ContactStore m_contacts;
    QString m_bookPath;
    bool m_readOnly = false;
    std::map<qint64, ContactFields> m_local; // the directory's contacts by row
    std::map<QString, SyncCardState> m_cards;
    std::map<QString, qint64> m_rows; // card → its contact here; absent when the contact is gone here
    std::set<qint64> m_linked;        // the contacts some card is linked to
    SyncSummary m_summary;
    Progress m_progress;
    int m_done = 0;
    int m_total = 0;
    QString m_dataError;
};
