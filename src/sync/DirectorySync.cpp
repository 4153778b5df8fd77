#include "DirectorySync.h"

#include "BookAddress.h"
#include "CardMerge.h"
#include "DataConnection.h"
#include "DavRequests.h"
#include "DirectoryStore.h"
#include "Multistatus.h"
#include "PassedOver.h"
#include "Transaction.h"
#include "VCardWriter.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>
#include <QUuid>

#include <future>
#include <thread>

namespace
{

const QString kUnnamed = QStringLiteral("بدون اسم");

// An HTTP date ("Mon, 07 Dec 2026 15:05:35 GMT"); invalid when it is none.
QDateTime httpDate(const QString& text)
{
    QDateTime when = QLocale::c().toDateTime(text.trimmed(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    when.setTimeZone(QTimeZone::utc());
    return when;
}

// A number or e-mail that stayed the same tells a renamed contact from a new one in its row.
bool sameContactRenamed(const ContactFields& before, const ContactFields& now)
{
    for (auto field : {&ContactFields::hometel, &ContactFields::jobtel, &ContactFields::mobil, &ContactFields::fax,
                       &ContactFields::email})
        if (!(before.*field).isEmpty() && before.*field == now.*field)
            return true;
    ContactFields unnamed = now;
    unnamed.name = before.name;
    return unnamed == before;
}

// A new card: the writer's vCard 3.0 (the version every server takes) with the UID the server keys it by.
QByteArray newCard(const ContactFields& fields, const QString& uid)
{
    QByteArray card = VCardWriter(3).card(fields);
    const qsizetype afterVersion = card.indexOf("\r\n", card.indexOf("VERSION:")) + 2;
    card.insert(afterVersion, "UID:" + uid.toUtf8() + "\r\n");
    return card;
}

// Only a strong ETag can make a write conditional (RFC 7232 §3.1): a weak one never matches.
QByteArray strong(const QByteArray& etag)
{
    return etag.startsWith("W/") ? QByteArray() : etag;
}

} // namespace

DirectorySync::DirectorySync(DataConnection& connection, CardDavClient& client, const SyncLink& link)
    : m_connection(connection), m_client(client), m_link(link), m_store(connection), m_contacts(connection)
{
    m_bookPath = normalized(QUrl(link.book).path(QUrl::FullyEncoded));
    if (!m_bookPath.endsWith(QLatin1Char('/')))
        m_bookPath += QLatin1Char('/');
    m_client.setOrigin(QUrl(link.book));
}

SyncSummary DirectorySync::run(const Progress& progress)
{
    m_progress = progress;
    if (directoryLocked()) {
        m_summary.stop = SyncSummary::Stop::Locked;
        return m_summary;
    }
    ServerChanges changes;
    if (!lookAtBook(changes))
        return m_summary;
    // Nothing new on either side: the usual case for a timed sync, answered without reading the directory.
    const bool bookAsBefore = bookUnchanged(changes);
    if (bookAsBefore && !m_link.digest.isEmpty() && m_store.directoryDigest(m_link.dir) == m_link.digest)
        return m_summary;
    loadCards();
    loadLocal();
    matchCards();
    if (!bookAsBefore && (!fetchChanges(changes) || !applyServerChanges(changes)))
        return m_summary;
    if (m_readOnly) {
        m_summary.readOnly = true;
        PassedOver::note(m_store.saveDigest(m_link.dir, QString()), Q_FUNC_INFO);
        return m_summary;
    }
    // Both sides alike now: the next sync can see from a digest that nothing changed here.
    // Every push went through, so each card's agreed values are its contact's (each push recorded them).
    const bool alike = pushLocalChanges() && m_summary.completed() && m_summary.refused.isEmpty() &&
                       m_dataError.isEmpty() && m_linked.size() == m_local.size() && m_cards.size() == m_local.size();
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

// ---- what the server has ---------------------------------------------------------------------

// When the book was last changed, by the server's own clock, and whether the user may write there,
// before anything is read from it.
bool DirectorySync::lookAtBook(ServerChanges& changes)
{
    const DavResponse answer = m_client.propfind(QUrl(m_link.book), 0, DavRequests::bookState());
    switch (answer.kind()) {
    case DavResponse::Kind::Done:
        break;
    case DavResponse::Kind::Refused:
    case DavResponse::Kind::NotSupported:
        return true; // no date to go by: every card is compared
    default:
        return stop(answer);
    }
    for (const Multistatus::Response& response : answer.listing->responses)
        if (normalized(response.href) == m_bookPath || answer.listing->responses.size() == 1) {
            changes.modified = response.lastModified;
            m_readOnly = response.privilegesListed && !response.canWrite;
        }
    changes.checked = QString::fromLatin1(answer.header("date"));
    return true;
}

// A server that dates its book by its latest change, and says the same date as at the last full
// look, has nothing new: no need to ask for its changes. The look must have come at least two
// seconds after that date (a date counts whole seconds), and a full look is made at least hourly,
// for servers whose date of a book does not follow its cards.
bool DirectorySync::bookUnchanged(const ServerChanges& changes) const
{
    if (changes.modified.isEmpty() || changes.modified != m_link.modified || m_link.checked.isEmpty())
        return false;
    const QDateTime modified = httpDate(m_link.modified);
    const QDateTime lastLook = httpDate(m_link.checked);
    const QDateTime now = httpDate(changes.checked);
    return modified.isValid() && lastLook.isValid() && now.isValid() && lastLook >= modified.addSecs(2) &&
           lastLook.secsTo(now) < 3600;
}

bool DirectorySync::fetchChanges(ServerChanges& changes)
{
    // The first sync takes every card in one report.
    if (m_link.token.isEmpty() && m_cards.empty()) {
        const Outcome all = fetchAllCards(changes);
        if (all == Outcome::Stopped)
            return false;
        if (all != Outcome::Got)
            startOver(changes);
    }
    if (!changes.complete) {
        Outcome got = fetchWithSyncCollection(m_link.token, changes);
        if (got == Outcome::TokenRefused) {
            // The server forgot our token: list everything again.
            startOver(changes);
            got = fetchWithSyncCollection(QString(), changes);
        }
        if (got == Outcome::Stopped)
            return false;
        if (got != Outcome::Got) {
            // No sync-collection here (this time): compare the ETags of a listing instead.
            startOver(changes);
            if (!fetchWithEtags(changes))
                return false;
        }
    }
    return fetchCards(changes);
}

// Forgets what one way of asking found, but not the look at the book taken before it.
void DirectorySync::startOver(ServerChanges& changes)
{
    ServerChanges fresh;
    fresh.modified = changes.modified;
    fresh.checked = changes.checked;
    changes = std::move(fresh);
}

// Counts what a response leaves in changes (its address twice: listed and changed, its tag, its
// card, and the room each takes); past kMaxServerBytes the sync stops and nothing is used.
bool DirectorySync::keep(ServerChanges& changes, const Multistatus::Response& response)
{
    constexpr qint64 kRoomEach = 256;
    changes.kept += kRoomEach + 4 * response.href.size() + response.etag.size() + 3 * response.addressData.size();
    if (changes.kept <= kMaxServerBytes)
        return true;
    m_summary.stop = SyncSummary::Stop::TooMuch;
    m_summary.book = QUrl(m_link.book);
    m_summary.detail = QString::number(kMaxServerBytes / (1024 * 1024));
    return false;
}

DirectorySync::Outcome DirectorySync::fetchAllCards(ServerChanges& changes)
{
    const DavResponse answer = m_client.report(QUrl(m_link.book), 1, DavRequests::allCards());
    switch (answer.kind()) {
    case DavResponse::Kind::Done:
        break;
    case DavResponse::Kind::Refused:
    case DavResponse::Kind::NotSupported:
        return Outcome::Unsupported; // a server that cannot: the sync-collection report instead
    case DavResponse::Kind::Failed:
        if (answer.failure == DavResponse::Failure::Unreadable || answer.failure == DavResponse::Failure::TooLarge)
            return Outcome::Unsupported; // a book too large for one answer comes in pages
        [[fallthrough]];
    default:
        stop(answer);
        return Outcome::Stopped;
    }
    changes.complete = true;
    for (const Multistatus::Response& response : answer.listing->responses) {
        const QString href = normalized(response.href);
        if (href == m_bookPath || href.endsWith(QLatin1Char('/')) || response.status >= 300)
            continue;
        if (!keep(changes, response))
            return Outcome::Stopped;
        changes.listed.insert(href);
        changes.changed.push_back({href, response.etag, response.addressData.toUtf8()});
    }
    return Outcome::Got;
}

// A long list of changes may come in parts (a 507 on the book itself, RFC 6578 §3.6): each part's
// token asks for the next, and only the last part's token is kept.
DirectorySync::Outcome DirectorySync::fetchWithSyncCollection(const QString& token, ServerChanges& changes)
{
    QString asked = token;
    changes.complete = token.isEmpty();
    for (int page = 0; page < kMaxListingPages; ++page) {
        const DavResponse answer = m_client.report(QUrl(m_link.book), 0, DavRequests::syncCollection(asked));
        switch (answer.kind()) {
        case DavResponse::Kind::Done:
            break;
        case DavResponse::Kind::NotSupported:
            return Outcome::Unsupported;
        case DavResponse::Kind::Conflict:
        case DavResponse::Kind::Refused:
            if (!token.isEmpty() && page == 0)
                return Outcome::TokenRefused;
            if (page == 0)
                return Outcome::Unsupported;
            stop(answer);
            return Outcome::Stopped;
        case DavResponse::Kind::Failed:
            if (answer.failure == DavResponse::Failure::Unreadable && page == 0)
                return Outcome::Unsupported;
            [[fallthrough]];
        default:
            stop(answer);
            return Outcome::Stopped;
        }
        const Multistatus& listing = *answer.listing;
        bool truncated = false;
        for (const Multistatus::Response& response : listing.responses) {
            const QString href = normalized(response.href);
            if (href == m_bookPath) {
                truncated |= response.status == 507;
                continue;
            }
            if (!keep(changes, response))
                return Outcome::Stopped;
            if (response.status == 404 || response.status == 410) {
                changes.removed.insert(href);
                changes.listed.erase(href);
            } else if (response.status >= 200 && response.status < 300) {
                changes.removed.erase(href);
                changes.listed.insert(href);
                const auto known = m_cards.find(href);
                if (known == m_cards.end() || known->second.etag != response.etag || response.etag.isEmpty())
                    changes.changed.push_back({href, response.etag, response.addressData.toUtf8()});
            }
        }
        if (!truncated) {
            changes.token = listing.syncToken;
            return Outcome::Got;
        }
        if (listing.syncToken.isEmpty() || listing.syncToken == asked) {
            // A part without a new token cannot be continued: nothing of it is used.
            DavResponse cut = answer;
            cut.failure = DavResponse::Failure::Unreadable;
            stop(cut);
            return Outcome::Stopped;
        }
        asked = listing.syncToken;
    }
    m_summary.stop = SyncSummary::Stop::EndlessListing;
    m_summary.book = QUrl(m_link.book);
    return Outcome::Stopped;
}

bool DirectorySync::fetchWithEtags(ServerChanges& changes)
{
    const DavResponse answer = m_client.propfind(QUrl(m_link.book), 1, DavRequests::etags());
    if (!answer.ok())
        return stop(answer);
    changes.complete = true;
    for (const Multistatus::Response& response : answer.listing->responses) {
        const QString href = normalized(response.href);
        if (href == m_bookPath || href.endsWith(QLatin1Char('/')) || response.status >= 300)
            continue;
        if (!keep(changes, response))
            return false;
        // A listing has every card; only the changed ones (and those without an ETag) are read in full.
        changes.listed.insert(href);
        const auto known = m_cards.find(href);
        if (known == m_cards.end() || known->second.etag != response.etag || response.etag.isEmpty())
            changes.changed.push_back({href, response.etag, {}});
    }
    return true;
}

// Reads in full, in pages, the cards a listing named without their data. Every card asked for must
// be in the answer, read or gone; an answer that leaves one out is not used.
bool DirectorySync::fetchCards(ServerChanges& changes)
{
    std::vector<ServerCard*> missing;
    for (ServerCard& card : changes.changed)
        if (card.vcard.isEmpty())
            missing.push_back(&card);
    for (size_t first = 0; first < missing.size(); first += kCardsPerRequest) {
        const size_t last = std::min(missing.size(), first + kCardsPerRequest);
        QStringList hrefs;
        for (size_t i = first; i < last; ++i)
            hrefs.append(missing[i]->href);
        DavResponse answer = m_client.report(QUrl(m_link.book), 1, DavRequests::multiget(hrefs));
        if (!answer.ok())
            return stop(answer);
        std::map<QString, const Multistatus::Response*> found;
        for (const Multistatus::Response& response : answer.listing->responses)
            found[normalized(response.href)] = &response;
        for (size_t i = first; i < last; ++i) {
            ServerCard& card = *missing[i];
            const auto it = found.find(card.href);
            if (it != found.end() && (it->second->status == 404 || it->second->status == 410)) {
                changes.removed.insert(card.href); // gone between the listing and the reading
                changes.listed.erase(card.href);
                card.readable = false;
                continue;
            }
            if (it == found.end() || it->second->status >= 300 || it->second->addressData.isEmpty()) {
                answer.failure = DavResponse::Failure::Unreadable;
                return stop(answer);
            }
            if (!keep(changes, *it->second))
                return false;
            card.etag = it->second->etag;
            card.vcard = it->second->addressData.toUtf8();
        }
        if (!step())
            return false;
    }
    return true;
}

// ---- the server's changes, here -----------------------------------------------------------------

// Reading thousands of cards is spread over the processor's cores before the one writing transaction.
void DirectorySync::readCards(std::vector<ServerCard>& cards)
{
    const size_t parts = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
    const size_t each = (cards.size() + parts - 1) / parts;
    std::vector<std::future<void>> running;
    for (size_t first = 0; first < cards.size(); first += each)
        running.push_back(std::async(std::launch::async, [&cards, first, each] {
            for (size_t i = first; i < std::min(cards.size(), first + each); ++i) {
                ServerCard& card = cards[i];
                if (!card.readable)
                    continue;
                card.readable = DavResponse::wholeCard(card.vcard);
                if (card.readable) {
                    card.fields = CardMerge::read(card.vcard);
                    card.uid = CardMerge::uid(card.vcard);
                }
            }
        }));
    for (std::future<void>& part : running)
        part.wait();
}

bool DirectorySync::applyServerChanges(ServerChanges& changes)
{
    readCards(changes.changed);
    if (changes.complete)
        for (const auto& [href, state] : m_cards)
            if (!changes.listed.count(href))
                changes.removed.insert(href);

    // A card that is not a card (an HTML page, a cut text) changes nothing here and is read again next time.
    SyncPlan::ServerChanges planned;
    std::map<QString, const ServerCard*> cardAt;
    for (const ServerCard& card : changes.changed) {
        if (!card.readable) {
            if (!changes.removed.count(card.href))
                ++m_summary.unreadable;
            continue;
        }
        planned.changed.push_back({card.href, card.etag, card.fields, card.uid});
        cardAt.emplace(card.href, &card);
    }
    planned.removed = changes.removed;
    std::map<QString, SyncPlan::Agreed> known = agreed();
    // A card can only have moved when one came at an address not known before: only then are
    // the UIDs of the removed ones read from the book.
    const bool newAddress = std::any_of(planned.changed.begin(), planned.changed.end(),
                                        [&known](const SyncPlan::ServerCard& card) { return !known.count(card.href); });
    if (newAddress && !known.empty())
        for (const QString& href : changes.removed)
            if (const auto it = known.find(href); it != known.end())
                it->second.uid = CardMerge::uid(m_store.serverCard(m_link.dir, href));
    const std::vector<SyncPlan::Step> steps = SyncPlan::serverSide(planned, known, m_local);
    m_total = int(steps.size());

    Transaction transaction(m_connection);
    if (!transaction.begun()) {
        m_summary.stop = SyncSummary::Stop::Storage;
        m_summary.detail = transaction.begun().error;
        return false;
    }
    const bool bulk = m_cards.empty() && planned.changed.size() >= kBulkCards;
    if (bulk)
        noteDataFailure(m_store.setCardKey(false));
    static const ServerCard kNoCard;
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

void DirectorySync::carryOut(const SyncPlan::Step& planned, const ServerCard& card)
{
    using Action = SyncPlan::Action;
    ContactFields fields = planned.fields;
    qint64 row = planned.row;
    switch (planned.action) {
    case Action::Insert:
        row = insertContact(fields);
        ++m_summary.received;
        m_summary.added.push_back(fields.namesAndNumbers());
        storeCard(card.href, card.etag, row, card.vcard, m_local[row]);
        break;
    case Action::Update:
        updateContact(row, fields);
        ++m_summary.received;
        storeCard(card.href, card.etag, row, card.vcard, m_local[row]);
        break;
    case Action::Merge:
        // Both sides' changes are here now; the card keeps the server's values as agreed, so ours go out next.
        updateContact(row, fields);
        ++m_summary.received;
        storeCard(card.href, card.etag, row, card.vcard, card.fields);
        break;
    case Action::KeepBoth:
        keepBoth(row, card.fields);
        ++m_summary.received;
        storeCard(card.href, card.etag, row, card.vcard, m_local[row]);
        break;
    case Action::Link:
        storeCard(card.href, card.etag, row, card.vcard, card.fields);
        break;
    case Action::Delete:
        deleteContact(row);
        ++m_summary.deleted;
        forgetCard(planned.href);
        break;
    case Action::Forget:
        forgetCard(planned.href);
        break;
    case Action::Move:
        moveCard(planned.from, planned.href);
        break;
    }
    ++m_done;
}

// Both sides changed one field differently: the server's version takes its place, the local one stays beside it.
void DirectorySync::keepBoth(qint64 row, const ContactFields& server)
{
    ContactFields copy = m_local[row];
    const QString name = copy.name;
    ContactFields incoming = server;
    updateContact(row, incoming);
    copy.name = uniqueName(QStringLiteral("%1 (نسخة محلية)").arg(name), 0);
    insertContact(copy);
    m_summary.conflicts.append({name, copy.name});
}

// ---- local changes, to the server ------------------------------------------------------------

bool DirectorySync::pushLocalChanges()
{
    SyncPlan::Pushes pushes = SyncPlan::localSide(agreed(), m_local);
    m_done = 0;
    m_total = int(pushes.changed.size() + pushes.deleted.size() + pushes.added.size());

    const size_t cardsBefore = m_cards.size();
    const size_t contactsBefore = m_local.size();
    for (const QString& href : pushes.changed)
        if (!pushChange(href) || !stepDone())
            return false;
    for (const QString& href : pushes.deleted)
        if (!pushDeletion(href) || !stepDone())
            return false;
    // Contacts kept beside a server's version, or whose card was gone there, join the new ones.
    if (m_cards.size() != cardsBefore || m_local.size() != contactsBefore)
        pushes.added = SyncPlan::localSide(agreed(), m_local).added;
    for (const qint64 row : pushes.added)
        if (!pushNew(row) || !stepDone())
            return false;
    return true;
}

bool DirectorySync::pushChange(const QString& href)
{
    // Twice at most: a 412 whose card still holds what was agreed is only a new ETag.
    for (int attempt = 0; attempt < 3 && m_cards.count(href); ++attempt) {
        const SyncCardState state = m_cards[href];
        const qint64 row = rowOf(href);
        if (row == 0 || m_local[row] == state.fields)
            return true; // nothing left to send after the server's version came in
        const QByteArray card = CardMerge::merge(m_store.serverCard(m_link.dir, href), state.fields, m_local[row]);
        QByteArray ifMatch = strong(state.etag);
        if (ifMatch.isEmpty()) {
            // No ETag to hold the write to: read the card first, and write only over the version agreed.
            bool read = true;
            const std::optional<DavResponse> fresh = reread(href, read);
            if (!fresh)
                return read && m_dataError.isEmpty();
            if (CardMerge::read(fresh->body) != state.fields) {
                if (!takeServerVersion(href, *fresh))
                    return false;
                continue;
            }
            ifMatch = strong(fresh->etag());
        }
        const DavResponse answer =
            ifMatch.isEmpty() ? m_client.putOver(urlOf(href), card) : m_client.put(urlOf(href), card, ifMatch);
        switch (answer.kind()) {
        case DavResponse::Kind::Done:
            return noteSent(href, row, card, answer);
        case DavResponse::Kind::Conflict: {
            bool read = true;
            const std::optional<DavResponse> fresh = reread(href, read);
            if (!fresh)
                return read && m_dataError.isEmpty();
            if (!takeServerVersion(href, *fresh))
                return false;
            continue;
        }
        case DavResponse::Kind::Gone: // gone there meanwhile: it goes back as a new card
            forgetCard(href);
            return m_dataError.isEmpty();
        case DavResponse::Kind::Refused:
            noteRefused(m_local[row].name, answer);
            return true;
        default:
            return stop(answer);
        }
    }
    return m_dataError.isEmpty();
}

bool DirectorySync::pushDeletion(const QString& href)
{
    for (int attempt = 0; attempt < 3 && m_cards.count(href); ++attempt) {
        const SyncCardState state = m_cards[href];
        QByteArray ifMatch = strong(state.etag);
        if (ifMatch.isEmpty()) {
            bool read = true;
            const std::optional<DavResponse> fresh = reread(href, read);
            if (!fresh)
                return read && m_dataError.isEmpty();
            if (CardMerge::read(fresh->body) != state.fields)
                return takeServerVersion(href, *fresh); // changed there: the change keeps the contact
            ifMatch = strong(fresh->etag());
        }
        const DavResponse answer = m_client.remove(urlOf(href), ifMatch);
        switch (answer.kind()) {
        case DavResponse::Kind::Done:
        case DavResponse::Kind::Gone:
            forgetCard(href);
            if (answer.ok())
                ++m_summary.deleted;
            return m_dataError.isEmpty();
        case DavResponse::Kind::Conflict: {
            bool read = true;
            const std::optional<DavResponse> fresh = reread(href, read);
            if (!fresh)
                return read && m_dataError.isEmpty();
            if (CardMerge::read(fresh->body) != state.fields)
                return takeServerVersion(href, *fresh);
            // Only the ETag moved on: delete again, held to the new one.
            SyncCardState renewed = state;
            renewed.etag = fresh->etag();
            m_cards[href] = renewed;
            continue;
        }
        case DavResponse::Kind::Refused:
            noteRefused(state.fields.name, answer);
            return true;
        default:
            return stop(answer);
        }
    }
    return m_dataError.isEmpty();
}

bool DirectorySync::pushNew(qint64 row)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString href = m_bookPath + uid + QStringLiteral(".vcf");
        const QByteArray card = newCard(m_local[row], uid);
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

// The card as the server has it now. None when it is gone (then forgotten here: read stays true)
// or could not be read (the sync stops: read is false).
std::optional<DavResponse> DirectorySync::reread(const QString& href, bool& read)
{
    DavResponse fresh = m_client.get(urlOf(href));
    if (fresh.kind() == DavResponse::Kind::Gone) {
        forgetCard(href);
        return std::nullopt;
    }
    if (!fresh.ok()) {
        read = stop(fresh);
        return std::nullopt;
    }
    return fresh;
}

// The server took the card. Without an ETag in its answer it may have changed the card as it
// stored it (RFC 6352 §6.3.2.3): the stored form and its ETag are read back, so a later write is
// held to the version that is really there.
bool DirectorySync::noteSent(const QString& href, qint64 row, const QByteArray& card, const DavResponse& answer)
{
    ++m_summary.sent;
    if (!answer.etag().isEmpty()) {
        storeCard(href, answer.etag(), row, card, m_local[row]);
        return m_dataError.isEmpty();
    }
    const DavResponse stored = m_client.get(urlOf(href));
    if (!stored.ok() || stored.etag().isEmpty()) {
        // Not noted: the next sync finds the card in the listing and pairs it with its contact.
        return stored.ok() || stop(stored);
    }
    storeCard(href, stored.etag(), row, stored.body, m_local[row]);
    return m_dataError.isEmpty();
}

// A conditional write was refused because the card changed there: the change comes in as the plan
// says (taken, merged field by field, or kept beside ours when both changed one field).
bool DirectorySync::takeServerVersion(const QString& href, const DavResponse& fresh)
{
    ServerCard card{href, fresh.etag(), fresh.body, CardMerge::read(fresh.body), CardMerge::uid(fresh.body)};
    const SyncPlan::Step planned =
        SyncPlan::onServerCard({href, card.etag, card.fields, card.uid}, agreedOf(href), localOf(rowOf(href)));
    carryOut(planned, card);
    return m_dataError.isEmpty();
}

void DirectorySync::noteRefused(const QString& name, const DavResponse& answer)
{
    DavResponse kept = answer;
    kept.body.clear();
    m_summary.refused.append({name, kept});
}

// ---- this directory's contacts --------------------------------------------------------------

std::optional<SyncPlan::Agreed> DirectorySync::agreedOf(const QString& href) const
{
    const auto it = m_cards.find(href);
    if (it == m_cards.end())
        return std::nullopt;
    return SyncPlan::Agreed{it->second.fields, rowOf(href), {}};
}

std::map<QString, SyncPlan::Agreed> DirectorySync::agreed() const
{
    std::map<QString, SyncPlan::Agreed> all;
    for (const auto& [href, state] : m_cards)
        all.emplace(href, SyncPlan::Agreed{state.fields, rowOf(href), {}});
    return all;
}

std::optional<ContactFields> DirectorySync::localOf(qint64 row) const
{
    const auto it = m_local.find(row);
    return row != 0 && it != m_local.end() ? std::optional(it->second) : std::nullopt;
}

// The cards as last agreed, under their addresses as the server means them (a book whose addresses
// were once kept as listed, "%40" for "@", is put right on the way).
void DirectorySync::loadCards()
{
    m_cards.clear();
    for (auto& [href, state] : m_store.cards(m_link.dir)) {
        const QString key = normalized(href);
        if (key != href) {
            if (m_cards.count(key)) {
                noteDataFailure(m_store.removeCard(m_link.dir, href));
                continue;
            }
            noteDataFailure(m_store.renameCard(m_link.dir, href, key));
        }
        state.href = key;
        m_cards.emplace(key, std::move(state));
    }
}

void DirectorySync::loadLocal()
{
    m_local.clear();
    PassedOver::note(m_contacts.readDirectory(
                         m_link.dir, [this](qint64 row, const ContactFields& contact) { m_local[row] = contact; }),
                     Q_FUNC_INFO);
}

// Which contact is each card's: its row when the name agrees, else the contact of that name, else
// its row when a number shows it was renamed. A card without a contact was deleted or moved away here.
void DirectorySync::matchCards()
{
    m_rows.clear();
    m_linked.clear();
    for (const auto& [href, state] : m_cards) {
        const auto local = m_local.find(state.contact);
        if (local != m_local.end() && local->second.name == state.fields.name)
            linkCard(href, state.contact);
    }
    std::map<QString, qint64> byName;
    for (const auto& [row, fields] : m_local)
        if (!m_linked.count(row))
            byName[fields.name] = row;
    for (const auto& [href, state] : m_cards) {
        if (m_rows.count(href))
            continue;
        qint64 row = 0;
        if (const auto named = byName.find(state.fields.name); named != byName.end()) {
            row = named->second;
        } else if (const auto local = m_local.find(state.contact); local != m_local.end() &&
                                                                   !m_linked.count(state.contact) &&
                                                                   sameContactRenamed(state.fields, local->second)) {
            row = state.contact;
        }
        if (row == 0 || m_linked.count(row))
            continue;
        linkCard(href, row);
        byName.erase(m_local[row].name);
        if (row != state.contact)
            PassedOver::note(m_store.saveContactRow(m_link.dir, href, row), Q_FUNC_INFO);
    }
}

qint64 DirectorySync::rowOf(const QString& href) const
{
    const auto found = m_rows.find(href);
    return found == m_rows.end() ? 0 : found->second;
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
    m_summary.writtenRows.push_back(row);
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
    m_summary.writtenRows.push_back(row);
}

void DirectorySync::deleteContact(qint64 row)
{
    noteDataFailure(m_contacts.remove(row, m_link.dir));
    m_local.erase(row);
    m_summary.writtenRows.push_back(row);
}

void DirectorySync::storeCard(const QString& href, const QByteArray& etag, qint64 row, const QByteArray& vcard,
                              const ContactFields& agreedFields)
{
    SyncCardState state{href, etag, row, agreedFields};
    noteDataFailure(m_store.saveCard(m_link.dir, state, vcard));
    m_cards[href] = state;
    if (row != 0)
        linkCard(href, row);
}

void DirectorySync::linkCard(const QString& href, qint64 row)
{
    if (const qint64 before = rowOf(href); before != 0)
        m_linked.erase(before);
    m_rows[href] = row;
    m_linked.insert(row);
}

void DirectorySync::forgetCard(const QString& href)
{
    noteDataFailure(m_store.removeCard(m_link.dir, href));
    m_linked.erase(rowOf(href));
    m_cards.erase(href);
    m_rows.erase(href);
}

// The server moved a card to another address: what was agreed about it goes along.
void DirectorySync::moveCard(const QString& from, const QString& to)
{
    noteDataFailure(m_store.renameCard(m_link.dir, from, to));
    SyncCardState state = m_cards[from];
    state.href = to;
    const qint64 row = rowOf(from);
    m_cards.erase(from);
    m_rows.erase(from);
    m_cards[to] = state;
    if (row != 0)
        linkCard(to, row);
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

QString DirectorySync::normalized(const QString& href)
{
    return BookAddress::canonicalPath(QUrl(href));
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
    if (answer.failure == DavResponse::Failure::Cancelled) {
        m_summary.cancelled = true;
        return false;
    }
    m_summary.stop = SyncSummary::Stop::Server;
    m_summary.answer = answer;
    m_summary.answer.body.clear();
    m_summary.answer.listing.reset();
    m_summary.book = QUrl(m_link.book);
    return false;
}
