#pragma once

#include "CardDavClient.h"
#include "ContactFields.h"
#include "SyncStore.h"
#include "SyncSummary.h"

#include <functional>
#include <map>
#include <set>
#include <vector>

class DataConnection;

// Keeps one directory in step with its address book. The server's changes come in first, in
// one transaction together with the new sync token, so a sync cut short leaves the book as it
// was and the next sync asks again; then each local change goes out with a conditional write and
// is recorded as soon as the server took it. Nothing is deleted that was changed on the other side.
class DirectorySync
{
public:
    // done, total; returning false cancels after the step in hand.
    using Progress = std::function<bool(int, int)>;

    DirectorySync(DataConnection& connection, CardDavClient& client, const SyncLink& link);
    SyncSummary run(const Progress& progress = {});

    static constexpr int kCardsPerRequest = 200;
    static constexpr size_t kBulkCards = 1000;

private:
    struct ServerCard {
        QString href;
        QByteArray etag;
        QByteArray vcard;
        ContactFields fields; // what this program reads from the card
    };
    struct ServerChanges {
        std::vector<ServerCard> changed;
        std::set<QString> removed;
        std::set<QString> listed;
        QString token;
        QString modified;      // the book's last change, as the server dates it
        QString checked;       // the server's clock when it was asked
        bool complete = false; // every card is listed: a known card that is not was removed
    };

    bool lookAtBook(ServerChanges& changes);
    bool bookUnchanged(const ServerChanges& changes) const;
    bool fetchChanges(ServerChanges& changes);
    bool fetchAllCards(ServerChanges& changes);
    static void startOver(ServerChanges& changes);
    DavResponse fetchWithSyncCollection(const QString& token, ServerChanges& changes);
    bool fetchWithEtags(ServerChanges& changes);
    bool fetchCards(std::vector<ServerCard>& cards);
    bool applyServerChanges(ServerChanges& changes);
    static void readCards(std::vector<ServerCard>& cards);
    void applyServerCard(const ServerCard& card);
    void removeServerCard(const QString& href);
    bool pushLocalChanges();
    bool pushChange(const QString& href);
    bool pushDeletion(const QString& href);
    bool pushNew(qint64 row);
    bool takeServerVersion(const QString& href);

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
    void storeCard(const QString& href, const QByteArray& etag, qint64 row, const QByteArray& vcard);
    void noteDataFailure(const DataResult& result);

    QUrl urlOf(const QString& href) const;
    QString normalized(const QString& href) const;
    bool stop(const DavResponse& answer);
    bool step();
    bool stepDone();

    DataConnection& m_connection;
    CardDavClient& m_client;
    SyncLink m_link;
    SyncStore m_store;
    QString m_bookPath;
    std::map<qint64, ContactFields> m_local; // the directory's contacts by row
    std::map<QString, SyncCardState> m_cards;
    std::map<QString, qint64> m_rows; // card → its contact here; absent when the contact is gone here
    std::set<qint64> m_linked;        // the contacts some card is linked to
    std::map<QString, qint64> m_unlinkedByName; // contacts no card claimed when the sync began
    SyncSummary m_summary;
    Progress m_progress;
    int m_done = 0;
    int m_total = 0;
    QString m_dataError;
};
