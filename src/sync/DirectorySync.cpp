#include "DirectorySync.h"

#include "CardMerge.h"
#include "ConditionalWrite.h"
#include "ContactValueStore.h"
#include "DataConnection.h"
#include "DirectoryStore.h"
#include "PassedOver.h"
#include "Transaction.h"
#include "TrashStore.h"
#include "VCardWriter.h"

#include <QUuid>

namespace
{

const QString kUnnamed = QStringLiteral("بدون اسم");

// A new card: the writer's vCard 3.0 (the version every server takes) with the UID the server keys it by.
QByteArray newCard(const ContactFields& fields, const MoreValues& more, const QString& uid)
{
    QByteArray card = VCardWriter(3).card(fields, more);
    const qsizetype afterVersion = card.indexOf("\r\n", card.indexOf("VERSION:")) + 2;
    card.insert(afterVersion, "UID:" + uid.toUtf8() + "\r\n");
    return card;
}

} // namespace

DirectorySync::DirectorySync(DataConnection& connection, CardDavClient& client, const SyncLink& link)
    : m_connection(connection), m_client(client), m_link(link), m_store(connection), m_contacts(connection),
      m_server(client, QUrl(link.book), m_summary, [this] { return step(); }), m_cards(connection, link.dir)
{
    m_client.setOrigin(QUrl(link.book));
}

SyncSummary DirectorySync::run(const Progress& progress)
{
    m_progress = progress;
    if (directoryLocked()) {
        m_summary.stop = SyncSummary::Stop::Locked;
        return m_summary;
    }
    ServerListing::Changes changes;
    if (!m_server.lookAtBook(changes))
        return m_summary;
    // Nothing new on either side: the usual case for a timed sync, answered without reading the directory.
    const bool bookAsBefore = ServerListing::unchangedSince(m_link, changes);
    if (bookAsBefore && !m_link.digest.isEmpty() && m_store.directoryDigest(m_link.dir) == m_link.digest)
        return m_summary;
    noteDataFailure(m_cards.load());
    loadLocal();
    m_cards.match(m_local);
    if (!bookAsBefore && (!m_server.fetch(m_link.token, m_cards.cards(), changes) || !applyServerChanges(changes)))
        return m_summary;
    if (m_server.readOnly()) {
        m_summary.readOnly = true;
        PassedOver::note(m_store.saveDigest(m_link.dir, QString()), Q_FUNC_INFO);
        return m_summary;
    }
    // Both sides alike now: the next sync can see from a digest that nothing changed here. Each
    // push that went through recorded its contact's values as agreed; a change left for later (its
    // card kept changing there) keeps the directory unlike, so the next sync sends it.
    const bool alike = pushLocalChanges() && m_summary.completed() && m_summary.refused.isEmpty() &&
                       m_dataError.isEmpty() && m_cards.linkedCount() == m_local.size() &&
                       m_cards.cards().size() == m_local.size() && nothingToSend();
    PassedOver::note(m_store.saveDigest(m_link.dir, alike ? m_store.directoryDigest(m_link.dir) : QString()),
                     Q_FUNC_INFO);
    return m_summary;
}

// A locked directory's contacts show only to whoever types its password: they never leave the machine.
bool DirectorySync::directoryLocked()
{
    Directory directory;
    const DataResult read = DirectoryStore(m_connection).find(m_link.dir, directory);
    return !read || !directory.exists() || directory.isLocked();
}

// ---- the server's changes, here -----------------------------------------------------------------

bool DirectorySync::applyServerChanges(ServerListing::Changes& changes)
{
    // A card that is not a card (an HTML page, a cut text) changes nothing here and is read again next time.
    SyncPlan::ServerChanges planned;
    std::map<QString, const ServerListing::Card*> cardAt;
    for (const ServerListing::Card& card : changes.changed) {
        if (!card.readable) {
            if (!changes.removed.count(card.href))
                ++m_summary.unreadable;
            continue;
        }
        planned.changed.push_back({card.href, card.etag, card.fields, card.uid});
        m_summary.valuesLeft += card.leftOnCard;
        cardAt.emplace(card.href, &card);
    }
    planned.removed = changes.removed;
    std::map<QString, SyncPlan::Agreed> known = m_cards.agreed();
    // A card can only have moved when one came at an address not known before: only then are
    // the UIDs of the removed ones read from the book.
    const bool newAddress = std::any_of(planned.changed.begin(), planned.changed.end(),
                                        [&known](const SyncPlan::ServerCard& card) { return !known.count(card.href); });
    if (newAddress && !known.empty())
        for (const QString& href : changes.removed)
            if (const auto it = known.find(href); it != known.end())
                it->second.uid = CardMerge::uid(m_cards.serverCard(href));
    const std::vector<SyncPlan::Step> steps = SyncPlan::serverSide(planned, known, m_local);
    m_total = int(steps.size());

    Transaction transaction(m_connection);
    if (!transaction.begun()) {
        m_summary.stop = SyncSummary::Stop::Storage;
        m_summary.detail = transaction.begun().error;
        return false;
    }
    const bool bulk = m_cards.cards().empty() && planned.changed.size() >= kBulkCards;
    if (bulk)
        noteDataFailure(m_store.setCardKey(false));
    static const ServerListing::Card kNoCard;
    for (const SyncPlan::Step& planStep : steps) {
        const auto card = cardAt.find(planStep.href);
        carryOut(planStep, card == cardAt.end() ? kNoCard : *card->second);
        if (!m_dataError.isEmpty())
            break;
    }
    if (bulk && m_dataError.isEmpty())
        noteDataFailure(m_store.setCardKey(true));
    // A card left unread keeps the token where it was: the next sync asks for it again.
    const QString token = m_summary.unreadable > 0 ? m_link.token : changes.token;
    if (m_dataError.isEmpty())
        noteDataFailure(m_store.saveLook(m_link.dir, token, changes.modified, changes.checked));
    if (m_dataError.isEmpty())
        noteDataFailure(transaction.commit());
    if (!m_dataError.isEmpty()) {
        transaction.rollback();
        m_summary = SyncSummary{};
        m_summary.stop = SyncSummary::Stop::Storage;
        m_summary.detail = m_dataError;
        return false;
    }
    m_done = m_total;
    return step();
}

void DirectorySync::carryOut(const SyncPlan::Step& planned, const ServerListing::Card& card)
{
    using Action = SyncPlan::Action;
    ContactFields fields = planned.fields;
    qint64 row = planned.row;
    Action action = planned.action;
    // The more values are one more field: the side that changed them wins, and both sides'
    // different changes are kept as a field's would be, the server's in place and ours beside it.
    MoreValues more = card.more;
    if (row != 0 && (action == Action::Update || action == Action::Merge || action == Action::Link)) {
        const SyncCardState* known = m_cards.find(card.href);
        const MoreValues agreed = known ? known->more.value_or(moreOf(row)) : MoreValues{};
        const SyncPlan::MoreMerge merged = SyncPlan::mergeMore(agreed, moreOf(row), card.more);
        if (merged.conflict) {
            action = Action::KeepBoth;
            fields = card.fields;
        }
        more = merged.more;
    }
    switch (action) {
    case Action::Insert:
        row = insertContact(fields);
        if (row != 0)
            setMore(row, more);
        ++m_summary.received;
        m_summary.added.push_back(fields.namesAndNumbers());
        noteDataFailure(m_cards.store(card.href, card.etag, row, card.vcard, m_local[row], card.more));
        break;
    case Action::Update:
        updateContact(row, fields);
        setMore(row, more);
        ++m_summary.received;
        noteDataFailure(m_cards.store(card.href, card.etag, row, card.vcard, m_local[row], card.more));
        break;
    case Action::Merge:
        // Both sides' changes are here now; the card keeps the server's values as agreed, so ours go out next.
        updateContact(row, fields);
        setMore(row, more);
        ++m_summary.received;
        noteDataFailure(m_cards.store(card.href, card.etag, row, card.vcard, card.fields, card.more));
        break;
    case Action::KeepBoth:
        keepBoth(row, card);
        ++m_summary.received;
        noteDataFailure(m_cards.store(card.href, card.etag, row, card.vcard, m_local[row], card.more));
        break;
    case Action::Link:
        // The fields are alike; the server's more values come in when only they changed there.
        if (row != 0 && more != moreOf(row)) {
            setMore(row, more);
            ++m_summary.received;
        }
        noteDataFailure(m_cards.store(card.href, card.etag, row, card.vcard, card.fields, card.more));
        break;
    case Action::Delete:
        deleteContact(row);
        ++m_summary.deleted;
        noteDataFailure(m_cards.forget(planned.href));
        break;
    case Action::Forget:
        noteDataFailure(m_cards.forget(planned.href));
        break;
    case Action::Move:
        noteDataFailure(m_cards.move(planned.from, planned.href));
        break;
    }
    ++m_done;
}

// Both sides changed one field differently: the server's version takes its place, the local one stays beside it.
void DirectorySync::keepBoth(qint64 row, const ServerListing::Card& server)
{
    ContactFields copy = m_local[row];
    const MoreValues copyMore = moreOf(row);
    const QString name = copy.name;
    ContactFields incoming = server.fields;
    updateContact(row, incoming);
    setMore(row, server.more);
    copy.name = uniqueName(QStringLiteral("%1 (نسخة محلية)").arg(name), 0);
    if (const qint64 copied = insertContact(copy); copied != 0)
        setMore(copied, copyMore);
    m_summary.conflicts.append({name, copy.name});
}

// ---- local changes, to the server ------------------------------------------------------------

// What the plan finds changed here, and the cards whose contact's more values alone changed.
SyncPlan::Pushes DirectorySync::localChanges() const
{
    SyncPlan::Pushes pushes = SyncPlan::localSide(m_cards.agreed(), m_local);
    const std::set<QString> changed(pushes.changed.begin(), pushes.changed.end());
    for (const auto& [href, state] : m_cards.cards())
        if (!changed.count(href) && localOf(m_cards.rowOf(href)) && moreChangedHere(href))
            pushes.changed.push_back(href);
    return pushes;
}

bool DirectorySync::moreChangedHere(const QString& href) const
{
    const SyncCardState* state = m_cards.find(href);
    // Agreed on before more values were synced: what the contact holds is taken as agreed.
    return state && state->more && *state->more != moreOf(m_cards.rowOf(href));
}

bool DirectorySync::pushLocalChanges()
{
    SyncPlan::Pushes pushes = localChanges();
    m_done = 0;
    m_total = int(pushes.changed.size() + pushes.deleted.size() + pushes.added.size());

    const size_t cardsBefore = m_cards.cards().size();
    const size_t contactsBefore = m_local.size();
    for (const QString& href : pushes.changed)
        if (!pushChange(href) || !stepDone())
            return false;
    for (const QString& href : pushes.deleted)
        if (!pushDeletion(href) || !stepDone())
            return false;
    // Contacts kept beside a server's version, or whose card was gone there, join the new ones.
    if (m_cards.cards().size() != cardsBefore || m_local.size() != contactsBefore)
        pushes.added = localChanges().added;
    for (const qint64 row : pushes.added)
        if (!pushNew(row) || !stepDone())
            return false;
    return true;
}

// A change made here goes out over the card as the server last sent it, so what only the server
// shows stays; after the server's version came in, what is left of ours goes out over that.
bool DirectorySync::pushChange(const QString& href)
{
    const auto next = [this, &href] {
        const SyncCardState* state = m_cards.find(href);
        const qint64 row = m_cards.rowOf(href);
        if (!state || row == 0 || (m_local[row] == state->fields && !moreChangedHere(href)))
            return ConditionalWrite::Request{}; // nothing left to send after the server's version came in
        const MoreValues agreedMore = state->more.value_or(moreOf(row));
        return ConditionalWrite::Request{
            ConditionalWrite::Request::Kind::Put,
            CardMerge::merge(m_cards.serverCard(href), state->fields, m_local[row], agreedMore, moreOf(row)),
            state->etag, state->fields, state->more};
    };
    const ConditionalWrite::Result written =
        ConditionalWrite(m_client, urlOf(href)).run(next, [this, &href](const DavResponse& fresh) {
            return takeServerVersion(href, fresh);
        });
    switch (written.answer) {
    case ConditionalWrite::Answer::Done:
        return noteSent(href, m_cards.rowOf(href), written.card, written.response);
    case ConditionalWrite::Answer::Fresh:
        break;
    case ConditionalWrite::Answer::Gone: // gone there meanwhile: it goes back as a new card
        noteDataFailure(m_cards.forget(href));
        break;
    case ConditionalWrite::Answer::Refused:
        noteRefused(m_local[m_cards.rowOf(href)].name, written.response);
        return true;
    case ConditionalWrite::Answer::Stop:
        if (!written.bookFailed)
            stop(written.response);
        return false;
    }
    return m_dataError.isEmpty();
}

// A contact deleted here takes its card along, unless the card changed there: then the change
// keeps the contact.
bool DirectorySync::pushDeletion(const QString& href)
{
    const SyncCardState* known = m_cards.find(href);
    if (!known)
        return m_dataError.isEmpty();
    const QString name = known->fields.name;
    const auto next = [this, &href] {
        const SyncCardState* state = m_cards.find(href);
        if (!state || localOf(m_cards.rowOf(href)))
            return ConditionalWrite::Request{}; // the server's version brought the contact back
        return ConditionalWrite::Request{
            ConditionalWrite::Request::Kind::Delete, {}, state->etag, state->fields, state->more};
    };
    const ConditionalWrite::Result removed =
        ConditionalWrite(m_client, urlOf(href)).run(next, [this, &href](const DavResponse& fresh) {
            return takeServerVersion(href, fresh);
        });
    switch (removed.answer) {
    case ConditionalWrite::Answer::Done:
        ++m_summary.deleted;
        noteDataFailure(m_cards.forget(href));
        break;
    case ConditionalWrite::Answer::Fresh:
        break;
    case ConditionalWrite::Answer::Gone:
        noteDataFailure(m_cards.forget(href));
        break;
    case ConditionalWrite::Answer::Refused:
        noteRefused(name, removed.response);
        return true;
    case ConditionalWrite::Answer::Stop:
        if (!removed.bookFailed)
            stop(removed.response);
        return false;
    }
    return m_dataError.isEmpty();
}

bool DirectorySync::nothingToSend() const
{
    const SyncPlan::Pushes left = localChanges();
    return left.changed.empty() && left.deleted.empty() && left.added.empty();
}

bool DirectorySync::pushNew(qint64 row)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString href = m_server.bookPath() + uid + QStringLiteral(".vcf");
        const QByteArray card = newCard(m_local[row], moreOf(row), uid);
        const DavResponse answer = m_client.put(urlOf(href), card, {});
        switch (answer.kind()) {
        case DavResponse::Kind::Done:
            return noteSent(href, row, card, answer);
        case DavResponse::Kind::Conflict:
            continue; // that name is taken there: another UID
        case DavResponse::Kind::Refused:
            noteRefused(m_local[row].name, answer);
            return true;
        default:
            return stop(answer);
        }
    }
    return true;
}

// The server took the card. Without an ETag in its answer it may have changed the card as it
// stored it (RFC 6352 §6.3.2.3): the stored form and its ETag are read back, so a later write is
// held to the version that is really there.
bool DirectorySync::noteSent(const QString& href, qint64 row, const QByteArray& card, const DavResponse& answer)
{
    ++m_summary.sent;
    if (!answer.etag().isEmpty()) {
        noteDataFailure(m_cards.store(href, answer.etag(), row, card, m_local[row], moreOf(row)));
        return m_dataError.isEmpty();
    }
    const DavResponse stored = m_client.get(urlOf(href));
    if (!stored.ok() || stored.etag().isEmpty()) {
        // Not noted: the next sync finds the card in the listing and pairs it with its contact.
        return stored.ok() || stop(stored);
    }
    noteDataFailure(m_cards.store(href, stored.etag(), row, stored.body, m_local[row], moreOf(row)));
    return m_dataError.isEmpty();
}

// A conditional write was refused because the card changed there: the change comes in as the plan
// says (taken, merged field by field, or kept beside ours when both changed one field).
bool DirectorySync::takeServerVersion(const QString& href, const DavResponse& fresh)
{
    CardMerge::Read read = CardMerge::readAll(fresh.body);
    ServerListing::Card card{
        href, fresh.etag(), fresh.body, read.fields, read.more, read.leftOnCard, CardMerge::uid(fresh.body)};
    m_summary.valuesLeft += card.leftOnCard;
    const SyncPlan::Step planned = SyncPlan::onServerCard({href, card.etag, card.fields, card.uid},
                                                          m_cards.agreedOf(href), localOf(m_cards.rowOf(href)));
    // The contact, its more values and the card's new agreed version: all or nothing.
    Transaction transaction(m_connection);
    noteDataFailure(transaction.begun());
    if (m_dataError.isEmpty())
        carryOut(planned, card);
    if (m_dataError.isEmpty())
        noteDataFailure(transaction.commit());
    if (m_dataError.isEmpty())
        return true;
    transaction.rollback();
    m_summary.stop = SyncSummary::Stop::Storage;
    m_summary.detail = m_dataError;
    return false;
}

void DirectorySync::noteRefused(const QString& name, const DavResponse& answer)
{
    DavResponse kept = answer;
    kept.body.clear();
    m_summary.refused.append({name, kept});
}

// ---- this directory's contacts --------------------------------------------------------------

std::optional<ContactFields> DirectorySync::localOf(qint64 row) const
{
    const auto it = m_local.find(row);
    return row != 0 && it != m_local.end() ? std::optional(it->second) : std::nullopt;
}

void DirectorySync::loadLocal()
{
    m_local.clear();
    m_more.clear();
    std::map<QString, qint64> rowByName;
    PassedOver::note(m_contacts.readDirectory(m_link.dir,
                                              [this, &rowByName](qint64 row, const ContactFields& contact) {
                                                  m_local[row] = contact;
                                                  rowByName[contact.name] = row;
                                              }),
                     Q_FUNC_INFO);
    QHash<QString, MoreValues> more;
    PassedOver::note(ContactValueStore(m_connection).readDirectory(m_link.dir, more), Q_FUNC_INFO);
    for (auto it = more.begin(); it != more.end(); ++it)
        if (const auto named = rowByName.find(it.key()); named != rowByName.end())
            m_more[named->second] = it.value();
}

const MoreValues& DirectorySync::moreOf(qint64 row) const
{
    static const MoreValues kNone;
    const auto it = m_more.find(row);
    return it == m_more.end() ? kNone : it->second;
}

void DirectorySync::setMore(qint64 row, const MoreValues& more)
{
    if (more == moreOf(row))
        return;
    noteDataFailure(ContactValueStore(m_connection).replaceWithin(row, m_local[row].name, more));
    if (more.empty())
        m_more.erase(row);
    else
        m_more[row] = more;
}

QString DirectorySync::uniqueName(const QString& wanted, qint64 except)
{
    const QString base = wanted.trimmed().isEmpty() ? kUnnamed : wanted;
    for (int number = 1;; ++number) {
        QString candidate = number == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(number);
        qint64 row = 0;
        const DataResult found = m_contacts.findByName(candidate, row);
        if (!found || row == 0 || row == except)
            return candidate;
    }
}

qint64 DirectorySync::insertContact(ContactFields& fields)
{
    const QString wanted = fields.name;
    fields.name = uniqueName(wanted, 0);
    if (fields.name != wanted)
        m_summary.renamed.append({wanted, fields.name});
    qint64 row = 0;
    const DataResult added = m_contacts.insert(fields, m_link.dir, &row);
    noteDataFailure(added);
    if (!added)
        return 0;
    m_local[row] = fields;
    return row;
}

void DirectorySync::updateContact(qint64 row, ContactFields& fields)
{
    const QString wanted = fields.name;
    fields.name = uniqueName(wanted, row);
    if (fields.name != wanted)
        m_summary.renamed.append({wanted, fields.name});
    noteDataFailure(m_contacts.update(row, fields));
    m_local[row] = fields;
}

void DirectorySync::deleteContact(qint64 row)
{
    // Deleted there: here it goes to the trash with its more values, as a contact deleted by hand
    // does; a contact gone or moved away meanwhile is left as it is.
    bool here = false;
    noteDataFailure(m_contacts.readRows({row}, [&](qint64, const ContactFields& contact, const QString& dir) {
        here = dir == m_link.dir && contact.name == m_local[row].name;
    }));
    if (here)
        noteDataFailure(TrashStore(m_connection).moveInWithin(m_local[row].name));
    m_local.erase(row);
    m_more.erase(row);
}

void DirectorySync::noteDataFailure(const DataResult& result)
{
    if (!result && m_dataError.isEmpty())
        m_dataError = result.error;
}

// ---- talking to the server ------------------------------------------------------------------

QUrl DirectorySync::urlOf(const QString& href) const
{
    return QUrl(m_link.book).resolved(QUrl(href, QUrl::StrictMode));
}

bool DirectorySync::stepDone()
{
    ++m_done;
    return step();
}

bool DirectorySync::step()
{
    if (m_progress && !m_progress(m_done, m_total)) {
        m_client.cancel();
        m_summary.cancelled = true;
        return false;
    }
    return !m_client.cancelled();
}

// Notes why the server did not do what was asked (or that the user cancelled); always false, the
// sync stops there.
bool DirectorySync::stop(const DavResponse& answer)
{
    m_summary.stopAt(answer, QUrl(m_link.book));
    return false;
}
