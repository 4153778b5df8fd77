#include "CardLedger.h"

#include "PassedOver.h"
#include "ServerListing.h"

namespace
{

// A number or e-mail that stayed the same tells a renamed contact from a new one in its row.
bool sameContactRenamed(const ContactFields& before, const ContactFields& now)
{
    for (const ContactField& each : ContactFields::kFields) {
        const auto field = each.member;
        const bool tells = each.kind == ContactField::Kind::Number || each.kind == ContactField::Kind::Email;
        if (tells && !(before.*field).isEmpty() && before.*field == now.*field)
            return true;
    }
    ContactFields unnamed = now;
    unnamed.name = before.name;
    return unnamed == before;
}

// The first failure of several.
void keepFirst(DataResult& first, const DataResult& next)
{
    if (first && !next)
        first = next;
}

} // namespace

CardLedger::CardLedger(DataConnection& connection, const QString& dir) : m_store(connection), m_dir(dir) {}

DataResult CardLedger::load()
{
    DataResult result;
    m_cards.clear();
    for (auto& [href, state] : m_store.cards(m_dir)) {
        const QString key = ServerListing::normalized(href);
        if (key != href) {
            if (m_cards.count(key)) {
                keepFirst(result, m_store.removeCard(m_dir, href));
                continue;
            }
            keepFirst(result, m_store.renameCard(m_dir, href, key));
        }
        state.href = key;
        m_cards.emplace(key, std::move(state));
    }
    return result;
}

void CardLedger::match(const std::map<qint64, ContactFields>& local)
{
    m_rows.clear();
    m_linked.clear();
    for (const auto& [href, state] : m_cards) {
        const auto contact = local.find(state.contact);
        if (contact != local.end() && contact->second.name == state.fields.name)
            link(href, state.contact);
    }
    std::map<QString, qint64> byName;
    for (const auto& [row, fields] : local)
        if (!m_linked.count(row))
            byName[fields.name] = row;
    for (const auto& [href, state] : m_cards) {
        if (m_rows.count(href))
            continue;
        qint64 row = 0;
        if (const auto named = byName.find(state.fields.name); named != byName.end()) {
            row = named->second;
        } else if (const auto contact = local.find(state.contact); contact != local.end() &&
                                                                   !m_linked.count(state.contact) &&
                                                                   sameContactRenamed(state.fields, contact->second)) {
            row = state.contact;
        }
        if (row == 0 || m_linked.count(row))
            continue;
        link(href, row);
        byName.erase(local.at(row).name);
        if (row != state.contact)
            PassedOver::note(m_store.saveContactRow(m_dir, href, row), Q_FUNC_INFO);
    }
}

const SyncCardState* CardLedger::find(const QString& href) const
{
    const auto it = m_cards.find(href);
    return it == m_cards.end() ? nullptr : &it->second;
}

qint64 CardLedger::rowOf(const QString& href) const
{
    const auto found = m_rows.find(href);
    return found == m_rows.end() ? 0 : found->second;
}

std::optional<SyncPlan::Agreed> CardLedger::agreedOf(const QString& href) const
{
    const auto it = m_cards.find(href);
    if (it == m_cards.end())
        return std::nullopt;
    return SyncPlan::Agreed{it->second.fields, rowOf(href), {}};
}

std::map<QString, SyncPlan::Agreed> CardLedger::agreed() const
{
    std::map<QString, SyncPlan::Agreed> all;
    for (const auto& [href, state] : m_cards)
        all.emplace(href, SyncPlan::Agreed{state.fields, rowOf(href), {}});
    return all;
}

QByteArray CardLedger::serverCard(const QString& href)
{
    return m_store.serverCard(m_dir, href);
}

DataResult CardLedger::store(const QString& href, const QByteArray& etag, qint64 row, const QByteArray& vcard,
                             const ContactFields& agreedFields, const MoreValues& agreedMore)
{
    SyncCardState state{href, etag, row, agreedFields, agreedMore};
    DataResult saved = m_store.saveCard(m_dir, state, vcard);
    m_cards[href] = state;
    if (row != 0)
        link(href, row);
    return saved;
}

DataResult CardLedger::forget(const QString& href)
{
    DataResult removed = m_store.removeCard(m_dir, href);
    m_linked.erase(rowOf(href));
    m_cards.erase(href);
    m_rows.erase(href);
    return removed;
}

DataResult CardLedger::move(const QString& from, const QString& to)
{
    DataResult renamed = m_store.renameCard(m_dir, from, to);
    SyncCardState state = m_cards[from];
    state.href = to;
    const qint64 row = rowOf(from);
    m_cards.erase(from);
    m_rows.erase(from);
    m_cards[to] = state;
    if (row != 0)
        link(to, row);
    return renamed;
}

void CardLedger::link(const QString& href, qint64 row)
{
    if (const qint64 before = rowOf(href); before != 0)
        m_linked.erase(before);
    m_rows[href] = row;
    m_linked.insert(row);
}
