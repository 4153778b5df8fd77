#pragma once

#include "CardDavClient.h"
#include "CardLedger.h"
#include "ContactFields.h"
#include "ContactStore.h"
#include "ServerListing.h"
#include "SyncPlan.h"
#include "SyncStore.h"
#include "SyncSummary.h"

#include <functional>
#include <map>

class DataConnection;

// Keeps one directory in step with its address book, carrying out what SyncPlan decides. The
// server's changes come in first, in one transaction together with the new sync token, and only
// from answers that arrived whole, so a sync cut short leaves the book as it was and the next sync
// asks again. Then each local change goes out with a conditional write and is recorded as soon as
// the server took it. What the server has comes from ServerListing, what was agreed about each card
// is kept by CardLedger, and each change or deletion of a known card goes out as a ConditionalWrite.
class DirectorySync
{
public:
    // done, total; returning false cancels after the step in hand.
    using Progress = std::function<bool(int, int)>;

    DirectorySync(DataConnection& connection, CardDavClient& client, const SyncLink& link);
    SyncSummary run(const Progress& progress = {});

    static constexpr size_t kBulkCards = 1000;

private:
    bool directoryLocked();
    bool applyServerChanges(ServerListing::Changes& changes);
    void carryOut(const SyncPlan::Step& step, const ServerListing::Card& card);
    bool pushLocalChanges();
    bool pushChange(const QString& href);
    bool pushDeletion(const QString& href);
    bool pushNew(qint64 row);
    bool nothingToSend() const;
    bool noteSent(const QString& href, qint64 row, const QByteArray& card, const DavResponse& answer);
    bool takeServerVersion(const QString& href, const DavResponse& fresh);
    void noteRefused(const QString& name, const DavResponse& answer);

    std::optional<ContactFields> localOf(qint64 row) const;
    void loadLocal();
    void keepBoth(qint64 row, const ServerListing::Card& server);
    const MoreValues& moreOf(qint64 row) const;
    // The contact's more values become these, inside the sync's transaction.
    void setMore(qint64 row, const MoreValues& more);
    SyncPlan::Pushes localChanges() const;
    // Whether the card's contact changed its more values here since they were agreed.
    bool moreChangedHere(const QString& href) const;
    qint64 insertContact(ContactFields& fields);
    void updateContact(qint64 row, ContactFields& fields);
    void deleteContact(qint64 row);
    QString uniqueName(const QString& wanted, qint64 except);
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
    SyncSummary m_summary;
    ServerListing m_server;
    CardLedger m_cards;
    std::map<qint64, ContactFields> m_local; // the directory's contacts by row
    std::map<qint64, MoreValues> m_more;     // their more values, for those that have any
    Progress m_progress;
    int m_done = 0;
    int m_total = 0;
    QString m_dataError;
};
