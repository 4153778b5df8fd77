#pragma once

#include "ContactFields.h"
#include "SyncPlan.h"
#include "SyncStore.h"

#include <map>
#include <optional>
#include <set>

// Each card of one directory's address book as last agreed with the server (its address, ETag
// and values), and which contact here it belongs to. Every change is kept in the sync tables at
// once and in memory beside them; a write that fails is handed back, and memory moves on as if
// it had gone through, so the rest of the sync sees one consistent picture until it stops.
class CardLedger
{
public:
    CardLedger(DataConnection& connection, const QString& dir);

    // The cards as last agreed, under their addresses as the server means them (a book whose
    // addresses were once kept as listed, "%40" for "@", is put right on the way).
    DataResult load();
    // Which contact is each card's: its row when the name agrees, else the contact of that name,
    // else its row when a number shows it was renamed. A card without a contact was deleted or
    // moved away here.
    void match(const std::map<qint64, ContactFields>& local);

    const std::map<QString, SyncCardState>& cards() const { return m_cards; }
    const SyncCardState* find(const QString& href) const;
    // The card's contact here; 0 when it has none.
    qint64 rowOf(const QString& href) const;
    // How many contacts some card belongs to.
    size_t linkedCount() const { return m_linked.size(); }
    std::map<QString, SyncPlan::Agreed> agreed() const;
    std::optional<SyncPlan::Agreed> agreedOf(const QString& href) const;
    // The card as the server last sent it, kept so that a change goes out over it.
    QByteArray serverCard(const QString& href);

    // A card agreed on now (row 0: it has no contact here).
    DataResult store(const QString& href, const QByteArray& etag, qint64 row, const QByteArray& vcard,
                     const ContactFields& agreedFields, const MoreValues& agreedMore);
    DataResult forget(const QString& href);
    // The server moved a card to another address: what was agreed about it goes along.
    DataResult move(const QString& from, const QString& to);

private:
    void link(const QString& href, qint64 row);

    SyncStore m_store;
    QString m_dir;
    std::map<QString, SyncCardState> m_cards;
    std::map<QString, qint64> m_rows; // card → its contact here; absent when the contact is gone here
    std::set<qint64> m_linked;        // the contacts some card is linked to
};
