#include "DirectorySync.h"

#include "CardMerge.h"
#include "DataConnection.h"
#include "Multistatus.h"
#include "PassedOver.h"
#include "ServerMessages.h"
#include "VCardWriter.h"

#include <QDateTime>
#include <QLocale>
#include <QTimeZone>
#include <QUuid>

#include <future>
#include <thread>

#include <sqlite3.h>

namespace
{

const QString kUnnamed = QStringLiteral("بدون اسم");

QByteArray xmlText(const QString& text)
{
    return text.toHtmlEscaped().toUtf8();
}

// With a token the answer holds the few changed cards, so they come whole; without one it lists
// every card, and only those whose ETag changed are read afterwards.
QByteArray syncCollectionBody(const QString& token)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
           "<d:sync-collection xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
           "<d:sync-token>" +
           xmlText(token) + "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/>" +
           (token.isEmpty() ? QByteArray() : QByteArray("<c:address-data/>")) + "</d:prop></d:sync-collection>";
}

const QByteArray kAllCardsBody = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                 "<c:addressbook-query xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
                                 "<d:prop><d:getetag/><c:address-data/></d:prop><c:filter/></c:addressbook-query>";

const QByteArray kLastModifiedBody = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                     "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getlastmodified/></d:prop></d:propfind>";

// An HTTP date ("Mon, 07 Dec 2026 15:05:35 GMT"); invalid when it is none.
QDateTime httpDate(const QString& text)
{
    QDateTime when = QLocale::c().toDateTime(text.trimmed(), QStringLiteral("ddd, dd MMM yyyy HH:mm:ss 'GMT'"));
    when.setTimeZone(QTimeZone::utc());
    return when;
}

const QByteArray kEtagsBody = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                              "<d:propfind xmlns:d=\"DAV:\"><d:prop><d:getetag/><d:resourcetype/></d:prop>"
                              "</d:propfind>";

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

} // namespace

DirectorySync::DirectorySync(DataConnection& connection, CardDavClient& client, const SyncLink& link)
    : m_connection(connection), m_client(client), m_link(link), m_store(connection)
{
    m_bookPath = QUrl(link.book).path(QUrl::FullyEncoded);
    if (!m_bookPath.endsWith(QLatin1Char('/')))
        m_bookPath += QLatin1Char('/');
}

SyncSummary DirectorySync::run(const Progress& progress)
{
    m_progress = progress;
    ServerChanges changes;
    if (!lookAtBook(changes))
        return m_summary;
    // Nothing new on either side: the usual case for a timed sync, answered without reading the directory.
    const bool bookAsBefore = bookUnchanged(changes);
    if (bookAsBefore && !m_link.digest.isEmpty() && m_store.directoryDigest(m_link.dir) == m_link.digest)
        return m_summary;
    m_cards = m_store.cards(m_link.dir);
    loadLocal();
    matchCards();
    if (!bookAsBefore && (!fetchChanges(changes) || !applyServerChanges(changes)))
        return m_summary;
    // Both sides alike now: the next sync can see from a digest that nothing changed here.
    // Every push went through, so each card's agreed values are its contact's (each push recorded them).
    const bool alike = pushLocalChanges() && m_summary.completed() && m_dataError.isEmpty() &&
                       m_linked.size() == m_local.size() && m_cards.size() == m_local.size();
    PassedOver::note(m_store.saveDigest(m_link.dir, alike ? m_store.directoryDigest(m_link.dir) : QString()),
                     Q_FUNC_INFO);
    return m_summary;
}

// ---- what the server has ---------------------------------------------------------------------

// When the book was last changed, by the server's own clock, before anything is read from it.
bool DirectorySync::lookAtBook(ServerChanges& changes)
{
    const DavResponse answer = m_client.propfind(QUrl(m_link.book), 0, kLastModifiedBody);
    if (answer.status == 0 || answer.status == 401 || answer.status == 404 || answer.status >= 500)
        return stop(answer);
    const Multistatus found = Multistatus::parse(answer.body);
    if (answer.ok() && !found.responses.empty())
        changes.modified = found.responses.front().lastModified;
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
    if (m_link.token.isEmpty() && m_cards.empty() && fetchAllCards(changes))
        return true;
    if (!m_summary.completed())
        return false;
    DavResponse answer = fetchWithSyncCollection(m_link.token, changes);
    if (!answer.ok() && !m_link.token.isEmpty() && answer.status >= 400 && answer.status < 500 &&
        answer.status != 401) {
        // The server forgot our token (or never knew it): list everything again.
        startOver(changes);
        answer = fetchWithSyncCollection(QString(), changes);
    }
    if (!answer.ok()) {
        if (answer.status == 0 || answer.status == 401 || answer.status == 404 || answer.status >= 500)
            return stop(answer);
        // No sync-collection here: compare the ETags of a listing instead.
        startOver(changes);
        if (!fetchWithEtags(changes))
            return false;
    }
    std::vector<ServerCard> missing;
    for (const ServerCard& card : changes.changed)
        if (card.vcard.isEmpty())
            missing.push_back(card);
    if (!missing.empty()) {
        if (!fetchCards(missing))
            return false;
        std::map<QString, ServerCard> byHref;
        for (ServerCard& card : missing)
            byHref[card.href] = card;
        for (ServerCard& card : changes.changed)
            if (card.vcard.isEmpty() && byHref.count(card.href))
                card = byHref[card.href];
    }
    return true;
}

// Forgets what one way of asking found, but not the look at the book taken before it.
void DirectorySync::startOver(ServerChanges& changes)
{
    ServerChanges fresh;
    fresh.modified = changes.modified;
    fresh.checked = changes.checked;
    changes = std::move(fresh);
}

bool DirectorySync::fetchAllCards(ServerChanges& changes)
{
    const DavResponse answer = m_client.report(QUrl(m_link.book), 1, kAllCardsBody);
    if (answer.status == 0 || answer.status == 401)
        return stop(answer);
    const Multistatus listing = Multistatus::parse(answer.body);
    if (!answer.ok() || !listing.valid)
        return false; // a server that cannot: the sync-collection report instead
    changes.complete = true;
    for (const Multistatus::Response& response : listing.responses) {
        const QString href = normalized(response.href);
        if (href == m_bookPath || response.status >= 300)
            continue;
        changes.listed.insert(href);
        changes.changed.push_back({href, response.etag, response.addressData.toUtf8()});
    }
    return true;
}

DavResponse DirectorySync::fetchWithSyncCollection(const QString& token, ServerChanges& changes)
{
    DavResponse answer = m_client.report(QUrl(m_link.book), 0, syncCollectionBody(token));
    if (!answer.ok())
        return answer;
    const Multistatus listing = Multistatus::parse(answer.body);
    if (!listing.valid) {
        answer.status = 501; // not an answer we can use: try the listing of ETags
        return answer;
    }
    changes.token = listing.syncToken;
    changes.complete = token.isEmpty();
    for (const Multistatus::Response& response : listing.responses) {
        const QString href = normalized(response.href);
        if (href == m_bookPath)
            continue;
        if (response.status == 404) {
            changes.removed.insert(href);
        } else if (response.status >= 200 && response.status < 300) {
            changes.listed.insert(href);
            const auto known = m_cards.find(href);
            if (known == m_cards.end() || known->second.etag != response.etag || response.etag.isEmpty())
                changes.changed.push_back({href, response.etag, response.addressData.toUtf8()});
        }
    }
    return answer;
}

bool DirectorySync::fetchWithEtags(ServerChanges& changes)
{
    const DavResponse answer = m_client.propfind(QUrl(m_link.book), 1, kEtagsBody);
    if (!answer.ok())
        return stop(answer);
    changes.complete = true;
    for (const Multistatus::Response& response : Multistatus::parse(answer.body).responses) {
        const QString href = normalized(response.href);
        if (href == m_bookPath || href.endsWith(QLatin1Char('/')) || response.etag.isEmpty())
            continue;
        // A listing has every card; only the changed ones are read in full.
        changes.listed.insert(href);
        const auto known = m_cards.find(href);
        if (known == m_cards.end() || known->second.etag != response.etag)
            changes.changed.push_back({href, response.etag, {}});
    }
    return true;
}

bool DirectorySync::fetchCards(std::vector<ServerCard>& cards)
{
    for (size_t first = 0; first < cards.size(); first += kCardsPerRequest) {
        QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                          "<c:addressbook-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:carddav\">"
                          "<d:prop><d:getetag/><c:address-data/></d:prop>";
        const size_t last = std::min(cards.size(), first + kCardsPerRequest);
        for (size_t i = first; i < last; ++i)
            body += "<d:href>" + xmlText(cards[i].href) + "</d:href>";
        body += "</c:addressbook-multiget>";
        const DavResponse answer = m_client.report(QUrl(m_link.book), 1, body);
        if (!answer.ok())
            return stop(answer);
        std::map<QString, const Multistatus::Response*> found;
        const Multistatus listing = Multistatus::parse(answer.body);
        for (const Multistatus::Response& response : listing.responses)
            found[normalized(response.href)] = &response;
        for (size_t i = first; i < last; ++i) {
            const auto it = found.find(cards[i].href);
            if (it != found.end() && it->second->status < 300) {
                cards[i].etag = it->second->etag;
                cards[i].vcard = it->second->addressData.toUtf8();
            }
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
            for (size_t i = first; i < std::min(cards.size(), first + each); ++i)
                cards[i].fields = CardMerge::read(cards[i].vcard);
        }));
    for (std::future<void>& part : running)
        part.wait();
}

bool DirectorySync::applyServerChanges(ServerChanges& changes)
{
    readCards(changes.changed);
    std::set<QString> removed = changes.removed;
    if (changes.complete)
        for (const auto& [href, state] : m_cards)
            if (!changes.listed.count(href))
                removed.insert(href);
    m_total = int(changes.changed.size() + removed.size());
    if (DataResult begun = m_connection.execute(QStringLiteral("BEGIN IMMEDIATE")); !begun) {
        m_summary.error = QStringLiteral("تعذر حفظ ما جاء من الخادم في قاعدة البيانات: %1").arg(begun.error);
        return false;
    }
    const bool bulk = m_cards.empty() && changes.changed.size() >= kBulkCards;
    if (bulk)
        noteDataFailure(m_store.setCardKey(false));
    std::set<QString> seen;
    for (const ServerCard& card : changes.changed) {
        if (card.vcard.isEmpty() || !seen.insert(card.href).second)
            continue; // gone between the listing and the reading, or listed twice
        const auto known = m_cards.find(card.href);
        if (known == m_cards.end() || known->second.etag != card.etag)
            applyServerCard(card);
        if (!m_dataError.isEmpty())
            break;
    }
    for (const QString& href : removed) {
        if (!m_dataError.isEmpty())
            break;
        removeServerCard(href);
    }
    if (bulk && m_dataError.isEmpty())
        noteDataFailure(m_store.setCardKey(true));
    if (m_dataError.isEmpty())
        noteDataFailure(m_store.saveLook(m_link.dir, changes.token, changes.modified, changes.checked));
    if (m_dataError.isEmpty())
        noteDataFailure(m_connection.execute(QStringLiteral("COMMIT")));
    if (!m_dataError.isEmpty()) {
        PassedOver::note(m_connection.execute(QStringLiteral("ROLLBACK")), Q_FUNC_INFO);
        m_summary = SyncSummary{};
        m_summary.error = QStringLiteral("تعذر حفظ ما جاء من الخادم في قاعدة البيانات: %1").arg(m_dataError);
        return false;
    }
    m_done = m_total;
    return step();
}

void DirectorySync::applyServerCard(const ServerCard& card)
{
    ContactFields server = card.fields;
    const auto known = m_cards.find(card.href);
    qint64 row = rowOf(card.href);
    if (known == m_cards.end()) {
        // Not linked yet: a contact of the same name and values here is that card (the same file
        // imported on both sides, or a card sent by a sync that was cut short before it was noted).
        if (const auto named = m_unlinkedByName.find(server.name); named != m_unlinkedByName.end()) {
            const qint64 candidate = named->second;
            if (!m_linked.count(candidate) && m_local.count(candidate) && m_local[candidate] == server)
                row = candidate;
        }
        if (row == 0) {
            row = insertContact(server);
            ++m_summary.received;
        }
    } else if (row == 0) {
        // Deleted or moved away here, changed there: the change keeps the contact.
        row = insertContact(server);
        ++m_summary.received;
    } else if (m_local[row] == known->second.fields || m_local[row] == server) {
        if (m_local[row] != server) {
            updateContact(row, server);
            ++m_summary.received;
        }
    } else {
        keepBoth(row, server);
        ++m_summary.received;
    }
    storeCard(card.href, card.etag, row, card.vcard);
    ++m_done;
}

void DirectorySync::removeServerCard(const QString& href)
{
    const auto known = m_cards.find(href);
    if (known == m_cards.end())
        return;
    const qint64 row = rowOf(href);
    // Changed here since the last sync: the contact stays and goes back to the server as a new card.
    if (row != 0 && m_local[row] == known->second.fields) {
        deleteContact(row);
        ++m_summary.deleted;
    }
    forgetCard(href);
    ++m_done;
}

// Both sides changed the contact: the server's version takes its place, the local one stays beside it.
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
    std::vector<QString> changed, deleted;
    for (const auto& [href, state] : m_cards) {
        const qint64 row = rowOf(href);
        if (row == 0)
            deleted.push_back(href);
        else if (m_local[row] != state.fields)
            changed.push_back(href);
    }
    std::vector<qint64> added;
    for (const auto& [row, fields] : m_local)
        if (!m_linked.count(row))
            added.push_back(row);
    m_done = 0;
    m_total = int(changed.size() + deleted.size() + added.size());

    for (const QString& href : changed)
        if (!pushChange(href) || !stepDone())
            return false;
    for (const QString& href : deleted)
        if (!pushDeletion(href) || !stepDone())
            return false;
    // Contacts kept beside a server's version (412 above) joined the directory meanwhile.
    for (const auto& [row, fields] : m_local)
        if (!m_linked.count(row) && std::find(added.begin(), added.end(), row) == added.end())
            added.push_back(row);
    for (qint64 row : added)
        if (!pushNew(row) || !stepDone())
            return false;
    return true;
}

bool DirectorySync::pushChange(const QString& href)
{
    const SyncCardState state = m_cards[href];
    const qint64 row = rowOf(href);
    const ContactFields local = m_local[row];
    const QByteArray card = CardMerge::merge(m_store.serverCard(m_link.dir, href), state.fields, local);
    const DavResponse answer = m_client.put(urlOf(href), card, state.etag);
    if (answer.status == 412) // changed there meanwhile
        return takeServerVersion(href);
    if (answer.status == 404) { // gone there meanwhile: it goes back as a new card
        forgetCard(href);
        return m_dataError.isEmpty();
    }
    if (!answer.ok())
        return stop(answer);
    storeCard(href, answer.header("etag"), row, card);
    ++m_summary.sent;
    return m_dataError.isEmpty();
}

bool DirectorySync::pushDeletion(const QString& href)
{
    const DavResponse answer = m_client.remove(urlOf(href), m_cards[href].etag);
    if (answer.status == 412) // changed there meanwhile: the change keeps the contact
        return takeServerVersion(href);
    if (!answer.ok() && answer.status != 404)
        return stop(answer);
    forgetCard(href);
    if (answer.ok())
        ++m_summary.deleted;
    return m_dataError.isEmpty();
}

bool DirectorySync::pushNew(qint64 row)
{
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QString uid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString href = m_bookPath + uid + QStringLiteral(".vcf");
        const QByteArray card = newCard(m_local[row], uid);
        const DavResponse answer = m_client.put(urlOf(href), card, {});
        if (answer.status == 412)
            continue; // that name is taken there: another UID
        if (!answer.ok())
            return stop(answer);
        storeCard(href, answer.header("etag"), row, card);
        ++m_summary.sent;
        return m_dataError.isEmpty();
    }
    return true;
}

// A conditional write was refused because the card changed there: read it and let the change in.
bool DirectorySync::takeServerVersion(const QString& href)
{
    const DavResponse answer = m_client.get(urlOf(href));
    if (answer.status == 404) {
        forgetCard(href);
        return m_dataError.isEmpty();
    }
    if (!answer.ok())
        return stop(answer);
    applyServerCard({href, answer.header("etag"), answer.body, CardMerge::read(answer.body)});
    return m_dataError.isEmpty();
}

// ---- this directory's contacts --------------------------------------------------------------

void DirectorySync::loadLocal()
{
    m_local.clear();
    PassedOver::note(m_connection.query(QStringLiteral("SELECT rowid, name, hometel, jobtel, mobil, fax, address, "
                                                       "email, org, moreinfo FROM info WHERE dir = ?"),
                                        {m_link.dir},
                                        [this](sqlite3_stmt* row) {
                                            QStringList values;
                                            for (int column = 1; column <= 9; ++column)
                                                values.append(DataConnection::columnText(row, column));
                                            m_local[sqlite3_column_int64(row, 0)] = ContactFields::fromRow(values);
                                        }),
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
        if (local != m_local.end() && local->second.name == state.fields.name) {
            linkCard(href, state.contact);
        }
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
    m_unlinkedByName = std::move(byName);
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
        const QString candidate = number == 1 ? base : QStringLiteral("%1 (%2)").arg(base).arg(number);
        QString row;
        const DataResult found =
            m_connection.scalar(QStringLiteral("SELECT rowid FROM info WHERE name = ? LIMIT 1"), {candidate}, row);
        if (!found || row.toLongLong() == except)
            return candidate;
    }
}

qint64 DirectorySync::insertContact(ContactFields& fields)
{
    const QString wanted = fields.name;
    fields.name = uniqueName(wanted, 0);
    if (fields.name != wanted)
        m_summary.renamed.append({wanted, fields.name});
    const DataResult added = m_connection.execute(
        QStringLiteral("INSERT INTO info (name, hometel, jobtel, mobil, fax, address, email, org, moreinfo, dir) "
                       "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
        fields.row(m_link.dir));
    noteDataFailure(added);
    if (!added)
        return 0;
    const qint64 row = m_connection.lastInsertRowId();
    m_local[row] = fields;
    return row;
}

void DirectorySync::updateContact(qint64 row, ContactFields& fields)
{
    const QString wanted = fields.name;
    fields.name = uniqueName(wanted, row);
    if (fields.name != wanted)
        m_summary.renamed.append({wanted, fields.name});
    QStringList values = fields.row(m_link.dir).mid(0, 9);
    values << QString::number(row);
    noteDataFailure(m_connection.execute(QStringLiteral("UPDATE info SET name = ?, hometel = ?, jobtel = ?, mobil = ?, "
                                                        "fax = ?, address = ?, email = ?, org = ?, moreinfo = ? "
                                                        "WHERE rowid = ?"),
                                         values));
    m_local[row] = fields;
}

void DirectorySync::deleteContact(qint64 row)
{
    noteDataFailure(m_connection.execute(QStringLiteral("DELETE FROM info WHERE rowid = ? AND dir = ?"),
                                         {QString::number(row), m_link.dir}));
    m_local.erase(row);
}

void DirectorySync::storeCard(const QString& href, const QByteArray& etag, qint64 row, const QByteArray& vcard)
{
    SyncCardState state{href, etag, row, m_local[row]};
    noteDataFailure(m_store.saveCard(m_link.dir, state, vcard));
    m_cards[href] = state;
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

void DirectorySync::noteDataFailure(const DataResult& result)
{
    if (!result && m_dataError.isEmpty())
        m_dataError = result.error;
}

// ---- talking to the server ------------------------------------------------------------------

QUrl DirectorySync::urlOf(const QString& href) const
{
    return QUrl(m_link.book).resolved(QUrl(href));
}

QString DirectorySync::normalized(const QString& href) const
{
    return QUrl(href).path(QUrl::FullyEncoded);
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
    if (answer.failure == DavResponse::Failure::Cancelled)
        m_summary.cancelled = true;
    else
        m_summary.error = ServerMessages::failure(answer, QUrl(m_link.book));
    return false;
}
