#include "ServerListing.h"

#include "BookAddress.h"
#include "CardMerge.h"
#include "DavRequests.h"
#include "Multistatus.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>

#include <future>
#include <thread>

namespace
{

// An HTTP date ("Mon, 07 Dec 2026 15:05:35 GMT"); invalid when it is none.
QDateTime httpDate(const QString& text)
{
    QDateTime when = QLocale::c().toDateTime(text.trimmed(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    when.setTimeZone(QTimeZone::utc());
    return when;
}

} // namespace

ServerListing::ServerListing(CardDavClient& client, const QUrl& book, SyncSummary& summary, std::function<bool()> step)
    : m_client(client), m_book(book), m_summary(summary), m_step(std::move(step))
{
    m_bookPath = normalized(book.path(QUrl::FullyEncoded));
    if (!m_bookPath.endsWith(QLatin1Char('/')))
        m_bookPath += QLatin1Char('/');
}

QString ServerListing::normalized(const QString& href)
{
    return BookAddress::canonicalPath(QUrl(href));
}

// When the book was last changed, by the server's own clock, and whether the user may write there,
// before anything is read from it.
bool ServerListing::lookAtBook(Changes& changes)
{
    const DavResponse answer = m_client.propfind(m_book, 0, DavRequests::bookState());
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
bool ServerListing::unchangedSince(const SyncLink& link, const Changes& look)
{
    if (look.modified.isEmpty() || look.modified != link.modified || link.checked.isEmpty())
        return false;
    const QDateTime modified = httpDate(link.modified);
    const QDateTime lastLook = httpDate(link.checked);
    const QDateTime now = httpDate(look.checked);
    return modified.isValid() && lastLook.isValid() && now.isValid() && lastLook >= modified.addSecs(2) &&
           lastLook.secsTo(now) < 3600;
}

bool ServerListing::fetch(const QString& token, const std::map<QString, SyncCardState>& known, Changes& changes)
{
    // The first sync takes every card in one report.
    if (token.isEmpty() && known.empty()) {
        const Outcome all = fetchAllCards(changes);
        if (all == Outcome::Stopped)
            return false;
        if (all != Outcome::Got)
            startOver(changes);
    }
    if (!changes.complete) {
        Outcome got = fetchWithSyncCollection(token, known, changes);
        if (got == Outcome::TokenRefused) {
            // The server forgot our token: list everything again.
            startOver(changes);
            got = fetchWithSyncCollection(QString(), known, changes);
        }
        if (got == Outcome::Stopped)
            return false;
        if (got != Outcome::Got) {
            // No sync-collection here (this time): compare the ETags of a listing instead.
            startOver(changes);
            if (!fetchWithEtags(known, changes))
                return false;
        }
    }
    if (!fetchCards(changes))
        return false;
    readCards(changes.changed);
    if (changes.complete)
        for (const auto& [href, state] : known)
            if (!changes.listed.count(href))
                changes.removed.insert(href);
    return true;
}

// Forgets what one way of asking found, but not the look at the book taken before it.
void ServerListing::startOver(Changes& changes)
{
    Changes fresh;
    fresh.modified = changes.modified;
    fresh.checked = changes.checked;
    changes = std::move(fresh);
}

// Counts what a response leaves in changes (its address twice: listed and changed, its tag, its
// card, and the room each takes); past kMaxServerBytes the sync stops and nothing is used.
bool ServerListing::keep(Changes& changes, const Multistatus::Response& response)
{
    constexpr qint64 kRoomEach = 256;
    changes.kept += kRoomEach + 4 * response.href.size() + response.etag.size() + 3 * response.addressData.size();
    if (changes.kept <= kMaxServerBytes)
        return true;
    m_summary.stop = SyncSummary::Stop::TooMuch;
    m_summary.book = m_book;
    m_summary.detail = QString::number(kMaxServerBytes / (1024 * 1024));
    return false;
}

ServerListing::Outcome ServerListing::fetchAllCards(Changes& changes)
{
    const DavResponse answer = m_client.report(m_book, 1, DavRequests::allCards());
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
ServerListing::Outcome ServerListing::fetchWithSyncCollection(const QString& token,
                                                              const std::map<QString, SyncCardState>& known,
                                                              Changes& changes)
{
    QString asked = token;
    changes.complete = token.isEmpty();
    for (int page = 0; page < kMaxListingPages; ++page) {
        const DavResponse answer = m_client.report(m_book, 0, DavRequests::syncCollection(asked));
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
                const auto agreed = known.find(href);
                if (agreed == known.end() || agreed->second.etag != response.etag || response.etag.isEmpty())
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
    m_summary.book = m_book;
    return Outcome::Stopped;
}

bool ServerListing::fetchWithEtags(const std::map<QString, SyncCardState>& known, Changes& changes)
{
    const DavResponse answer = m_client.propfind(m_book, 1, DavRequests::etags());
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
        const auto agreed = known.find(href);
        if (agreed == known.end() || agreed->second.etag != response.etag || response.etag.isEmpty())
            changes.changed.push_back({href, response.etag, {}});
    }
    return true;
}

// Reads in full, in pages, the cards a listing named without their data. Every card asked for must
// be in the answer, read or gone; an answer that leaves one out is not used.
bool ServerListing::fetchCards(Changes& changes)
{
    std::vector<Card*> missing;
    for (Card& card : changes.changed)
        if (card.vcard.isEmpty())
            missing.push_back(&card);
    for (size_t first = 0; first < missing.size(); first += kCardsPerRequest) {
        const size_t last = std::min(missing.size(), first + kCardsPerRequest);
        QStringList hrefs;
        for (size_t i = first; i < last; ++i)
            hrefs.append(missing[i]->href);
        DavResponse answer = m_client.report(m_book, 1, DavRequests::multiget(hrefs));
        if (!answer.ok())
            return stop(answer);
        std::map<QString, const Multistatus::Response*> found;
        for (const Multistatus::Response& response : answer.listing->responses)
            found[normalized(response.href)] = &response;
        for (size_t i = first; i < last; ++i) {
            Card& card = *missing[i];
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
        if (!m_step())
            return false;
    }
    return true;
}

// Reading thousands of cards is spread over the processor's cores before the one writing transaction.
void ServerListing::readCards(std::vector<Card>& cards)
{
    const size_t parts = std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
    const size_t each = (cards.size() + parts - 1) / parts;
    std::vector<std::future<void>> running;
    for (size_t first = 0; first < cards.size(); first += each)
        running.push_back(std::async(std::launch::async, [&cards, first, each] {
            for (size_t i = first; i < std::min(cards.size(), first + each); ++i) {
                Card& card = cards[i];
                if (!card.readable)
                    continue;
                card.readable = DavResponse::wholeCard(card.vcard);
                if (card.readable) {
                    CardMerge::Read read = CardMerge::readAll(card.vcard);
                    card.fields = std::move(read.fields);
                    card.more = std::move(read.more);
                    card.leftOnCard = read.leftOnCard;
                    card.uid = CardMerge::uid(card.vcard);
                }
            }
        }));
    for (std::future<void>& part : running)
        part.wait();
}

// Notes why the server did not do what was asked (or that the user cancelled); always false, the
// listing stops there.
bool ServerListing::stop(const DavResponse& answer)
{
    m_summary.stopAt(answer, m_book);
    return false;
}
