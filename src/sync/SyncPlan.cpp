#include "SyncPlan.h"

SyncPlan::FieldMerge SyncPlan::mergeFields(const ContactFields& agreed, const ContactFields& local,
                                           const ContactFields& server)
{
    FieldMerge result{server, {}};
    for (const ContactField& each : ContactFields::kFields) {
        const auto field = each.member;
        if (local.*field == agreed.*field || local.*field == server.*field)
            continue; // the server's value stands
        if (server.*field == agreed.*field)
            result.merged.*field = local.*field;
        else
            result.conflicts.push_back(field);
    }
    return result;
}

SyncPlan::MoreMerge SyncPlan::mergeMore(const MoreValues& agreed, const MoreValues& local, const MoreValues& server)
{
    if (local == agreed || local == server)
        return {server};
    if (server == agreed)
        return {local};
    return {server, true};
}

SyncPlan::Step SyncPlan::onServerCard(const ServerCard& card, const std::optional<Agreed>& known,
                                      const std::optional<ContactFields>& local, qint64 twin)
{
    if (!known) // the same file imported on both sides, or a card sent by a sync cut short before it was noted
        return twin != 0 ? Step{Action::Link, card.href, twin, card.fields}
                         : Step{Action::Insert, card.href, 0, card.fields};
    if (!local) {
        // Deleted or moved away here: a change there keeps the contact; a new ETag alone (a weak
        // one, the server's own rewrite) does not bring it back.
        if (card.fields == known->fields)
            return {Action::Link, card.href, 0, card.fields};
        return {Action::Insert, card.href, 0, card.fields};
    }
    if (*local == card.fields)
        return {Action::Link, card.href, known->row, card.fields};
    if (*local == known->fields)
        return {Action::Update, card.href, known->row, card.fields};
    if (card.fields == known->fields) // changed here only: it goes out with the pushes
        return {Action::Link, card.href, known->row, *local};
    const FieldMerge merge = mergeFields(known->fields, *local, card.fields);
    if (merge.conflicts.empty())
        return {Action::Merge, card.href, known->row, merge.merged};
    return {Action::KeepBoth, card.href, known->row, card.fields};
}

SyncPlan::Step SyncPlan::onServerRemoval(const QString& href, const Agreed& known,
                                         const std::optional<ContactFields>& local)
{
    // Changed here since the last sync: the contact stays and goes back to the server as a new card.
    if (local && *local == known.fields)
        return {Action::Delete, href, known.row};
    return {Action::Forget, href, known.row};
}

std::vector<SyncPlan::Step> SyncPlan::serverSide(const ServerChanges& changes, const std::map<QString, Agreed>& known,
                                                 const std::map<qint64, ContactFields>& local)
{
    std::vector<Step> steps;
    std::map<QString, QString> removedByUid;
    for (const QString& href : changes.removed)
        if (const auto it = known.find(href); it != known.end() && !it->second.uid.isEmpty())
            removedByUid[it->second.uid] = href;

    std::set<QString> moved;
    std::map<QString, Agreed> agreed = known;
    for (const ServerCard& card : changes.changed) {
        if (known.count(card.href) || card.uid.isEmpty())
            continue;
        const auto was = removedByUid.find(card.uid);
        if (was == removedByUid.end() || moved.count(was->second))
            continue;
        moved.insert(was->second);
        steps.push_back({Action::Move, card.href, known.at(was->second).row, {}, was->second});
        agreed[card.href] = known.at(was->second);
        agreed.erase(was->second);
    }

    auto localOf = [&local](qint64 row) -> std::optional<ContactFields> {
        const auto it = local.find(row);
        return row != 0 && it != local.end() ? std::optional(it->second) : std::nullopt;
    };
    std::set<qint64> linked;
    for (const auto& [href, state] : agreed)
        if (localOf(state.row))
            linked.insert(state.row);
    std::map<QString, qint64> unlinkedByName;
    for (const auto& [row, fields] : local)
        if (!linked.count(row))
            unlinkedByName.emplace(fields.name, row);

    std::set<QString> seen;
    for (const ServerCard& card : changes.changed) {
        if (!seen.insert(card.href).second)
            continue; // listed twice
        const auto it = agreed.find(card.href);
        std::optional<Agreed> state = it == agreed.end() ? std::nullopt : std::optional(it->second);
        qint64 twin = 0;
        if (!state)
            if (const auto named = unlinkedByName.find(card.fields.name);
                named != unlinkedByName.end() && local.at(named->second) == card.fields) {
                twin = named->second;
                unlinkedByName.erase(named);
            }
        steps.push_back(onServerCard(card, state, state ? localOf(state->row) : std::nullopt, twin));
    }
    for (const QString& href : changes.removed) {
        const auto it = known.find(href);
        if (it != known.end() && !moved.count(href) && !seen.count(href))
            steps.push_back(onServerRemoval(href, it->second, localOf(it->second.row)));
    }
    return steps;
}

SyncPlan::Pushes SyncPlan::localSide(const std::map<QString, Agreed>& known,
                                     const std::map<qint64, ContactFields>& local)
{
    Pushes pushes;
    std::set<qint64> linked;
    for (const auto& [href, state] : known) {
        const auto it = state.row != 0 ? local.find(state.row) : local.end();
        if (it == local.end()) {
            pushes.deleted.push_back(href);
            continue;
        }
        linked.insert(state.row);
        if (it->second != state.fields)
            pushes.changed.push_back(href);
    }
    for (const auto& [row, fields] : local)
        if (!linked.count(row))
            pushes.added.push_back(row);
    return pushes;
}
