#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <optional>
#include <set>
#include <vector>

// What a sync should do, decided from what each side holds and from the version both sides last
// agreed on; no network, no storage. The sync carries the steps out in order.
class SyncPlan
{
public:
    // A card as the server has it now.
    struct ServerCard {
        QString href{};
        QByteArray etag{};
        ContactFields fields{};
        QString uid{};
    };
    // A card both sides agreed on at the last sync, and the contact it belongs to here (0: gone here).
    struct Agreed {
        ContactFields fields{};
        qint64 row = 0;
        QString uid{};
    };

    enum class Action {
        Insert,   // a new contact from the server's card
        Update,   // the contact takes the server's values
        Merge,    // each side changed other fields: the contact takes both (then goes back to the server)
        KeepBoth, // the same field changed differently: the server's version in place, ours kept beside it
        Link,     // the contact already holds what the card holds: only the card is noted
        Delete,   // gone there, unchanged here: gone here too
        Forget,   // gone there, changed or gone here: the card is forgotten, the contact stays
        Move,     // the card moved to another address on the server (same UID): noted under the new one
    };
    struct Step {
        Action action{};
        QString href{};
        qint64 row = 0;
        ContactFields fields{}; // what the contact holds afterwards (Insert, Update, Merge, KeepBoth)
        QString from{};         // Move: the card's former address
    };

    // Each field that both sides changed, and changed differently; empty when the merge is clean.
    struct FieldMerge {
        ContactFields merged;
        std::vector<QString ContactFields::*> conflicts;
    };
    static FieldMerge mergeFields(const ContactFields& agreed, const ContactFields& local, const ContactFields& server);
    // A contact's more values, taken as one more field: the side that changed them since the
    // last sync wins; both changed them differently is a conflict (then the server's stand, and
    // ours are kept beside them, as for a field).
    struct MoreMerge {
        MoreValues more;
        bool conflict = false;
    };
    static MoreMerge mergeMore(const MoreValues& agreed, const MoreValues& local, const MoreValues& server);

    // One card from the server: known is the agreed version (none: never seen), local the
    // contact's values here (none: deleted or moved away here), twin a contact not yet linked to
    // any card that has the card's name and values.
    static Step onServerCard(const ServerCard& card, const std::optional<Agreed>& known,
                             const std::optional<ContactFields>& local, qint64 twin = 0);
    // One card gone from the server.
    static Step onServerRemoval(const QString& href, const Agreed& known, const std::optional<ContactFields>& local);

    struct ServerChanges {
        std::vector<ServerCard> changed;
        std::set<QString> removed; // only from a listing known to be complete
    };
    // Every step the server's changes ask for, moves first: a card that disappeared at one address and
    // appeared at another with the same UID is one contact.
    static std::vector<Step> serverSide(const ServerChanges& changes, const std::map<QString, Agreed>& known,
                                        const std::map<qint64, ContactFields>& local);

    // What goes to the server afterwards.
    struct Pushes {
        std::vector<QString> changed; // cards whose contact changed here
        std::vector<QString> deleted; // cards whose contact is gone here
        std::vector<qint64> added;    // contacts no card belongs to
    };
    static Pushes localSide(const std::map<QString, Agreed>& known, const std::map<qint64, ContactFields>& local);
};
