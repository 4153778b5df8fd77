#include "SyncStore.h"

#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirectoryStore.h"
#include "PassedOver.h"
#include "StoredRow.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sqlite3.h>

#include <map>

namespace
{

SyncLink linkFrom(sqlite3_stmt* row)
{
    return SyncLink{DataConnection::columnText(row, 0), DataConnection::columnText(row, 1),
                    DataConnection::columnText(row, 2), DataConnection::columnText(row, 3),
                    DataConnection::columnText(row, 4), DataConnection::columnText(row, 5),
                    DataConnection::columnText(row, 6), DataConnection::columnText(row, 7)};
}

// More values kept as one text per card: kind, label, value and calendar of each, in order.
QString moreText(const MoreValues& more)
{
    QJsonArray values;
    for (const ContactValue& value : more)
        values.append(QJsonObject{{QStringLiteral("kind"), ContactValue::kindName(value.kind)},
                                  {QStringLiteral("label"), value.label},
                                  {QStringLiteral("value"), value.value},
                                  {QStringLiteral("calendar"), value.calendar}});
    return QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact));
}

// Nothing when the text is not as moreText writes it: the card is then taken as agreed on before.
std::optional<MoreValues> moreOf(const QByteArray& text)
{
    const QJsonDocument document = QJsonDocument::fromJson(text);
    if (!document.isArray())
        return std::nullopt;
    MoreValues more;
    for (const auto& item : document.array()) {
        const QJsonObject value = item.toObject();
        const std::optional<ContactValue::Kind> kind =
            ContactValue::kindNamed(value[QStringLiteral("kind")].toString());
        if (!kind)
            return std::nullopt;
        more.push_back({*kind, value[QStringLiteral("label")].toString(), value[QStringLiteral("value")].toString(),
                        value[QStringLiteral("calendar")].toString()});
    }
    return more;
}

} // namespace

bool SyncStore::hasTables()
{
    // A book that was never linked has no sync tables: that means no links, not a failure.
    QString count;
    return m_connection.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'qav_sync_card'"), {},
                               count) &&
           count == QLatin1String("1");
}

DataResult SyncStore::createTables()
{
    return m_connection.executeScript(QStringLiteral("CREATE TABLE IF NOT EXISTS qav_sync_link (\n"
                                                     "  dir    TEXT PRIMARY KEY,\n"
                                                     "  server TEXT NOT NULL DEFAULT '',\n"
                                                     "  user   TEXT NOT NULL DEFAULT '',\n"
                                                     "  book   TEXT NOT NULL DEFAULT '',\n"
                                                     "  token  TEXT NOT NULL DEFAULT '',\n"
                                                     "  modified TEXT NOT NULL DEFAULT '',\n"
                                                     "  checked  TEXT NOT NULL DEFAULT '',\n"
                                                     "  digest   TEXT NOT NULL DEFAULT ''\n"
                                                     ");\n"
                                                     "CREATE TABLE IF NOT EXISTS qav_sync_card (\n"
                                                     "  dir     TEXT NOT NULL,\n"
                                                     "  href    TEXT NOT NULL,\n"
                                                     "  etag    TEXT NOT NULL DEFAULT '',\n"
                                                     "  contact INTEGER NOT NULL DEFAULT 0,\n"
                                                     "  vcard   TEXT NOT NULL DEFAULT '',\n"
                                                     // The contact's values as last agreed with the server.
                                                     "  %1\n"
                                                     "  morevalues TEXT\n"
                                                     ");\n"
                                                     "CREATE UNIQUE INDEX IF NOT EXISTS qav_sync_card_key "
                                                     "ON qav_sync_card(dir, href);\n")
                                          .arg(ContactFields::textColumnsDeclared()));
}

std::vector<SyncLink> SyncStore::links()
{
    std::vector<SyncLink> found;
    if (!hasTables())
        return found;
    std::map<QString, SyncLink> byDirectory;
    PassedOver::note(
        m_connection.query(QStringLiteral("SELECT dir, server, user, book, token, modified, checked, digest "
                                          "FROM qav_sync_link"),
                           {},
                           [&byDirectory](sqlite3_stmt* row) {
                               if (!StoredRow::fits(row, 0, 8))
                                   return;
                               SyncLink link = linkFrom(row);
                               byDirectory.emplace(link.dir, link);
                           }),
        Q_FUNC_INFO);
    // By their directories' names; the link of a directory deleted since is left out.
    QList<Directory> directories;
    PassedOver::note(DirectoryStore(m_connection).all(directories), Q_FUNC_INFO);
    for (const Directory& directory : directories)
        if (const auto linked = byDirectory.find(directory.code); linked != byDirectory.end())
            found.push_back(linked->second);
    return found;
}

std::optional<SyncLink> SyncStore::link(const QString& dir)
{
    std::optional<SyncLink> found;
    if (!hasTables())
        return found;
    PassedOver::note(
        m_connection.query(QStringLiteral("SELECT dir, server, user, book, token, modified, checked, digest "
                                          "FROM qav_sync_link "
                                          "WHERE dir = ?"),
                           {dir},
                           [&found](sqlite3_stmt* row) {
                               if (StoredRow::fits(row, 0, 8))
                                   found = linkFrom(row);
                           }),
        Q_FUNC_INFO);
    return found;
}

std::optional<QString> SyncStore::otherDirectoryOf(const std::function<bool(const QString&)>& isTheBook,
                                                   const QString& dir)
{
    const std::vector<SyncLink> all = links();
    const auto linked = std::find_if(all.begin(), all.end(),
                                     [&](const SyncLink& other) { return other.dir != dir && isTheBook(other.book); });
    if (linked == all.end())
        return std::nullopt;
    Directory other;
    PassedOver::note(DirectoryStore(m_connection).find(linked->dir, other), Q_FUNC_INFO);
    return other.name;
}

DataResult SyncStore::saveLink(const SyncLink& link)
{
    if (DataResult made = createTables(); !made)
        return made;
    const std::optional<SyncLink> before = this->link(link.dir);
    if (before && before->book != link.book)
        if (DataResult cleared =
                m_connection.execute(QStringLiteral("DELETE FROM qav_sync_card WHERE dir = ?"), {link.dir});
            !cleared)
            return cleared;
    return m_connection.execute(
        QStringLiteral("INSERT OR REPLACE INTO qav_sync_link (dir, server, user, book, token) "
                       "VALUES (?, ?, ?, ?, ?)"),
        {link.dir, link.server, link.user, link.book, before && before->book == link.book ? before->token : QString()});
}

DataResult SyncStore::removeLink(const QString& dir)
{
    if (DataResult cards = m_connection.execute(QStringLiteral("DELETE FROM qav_sync_card WHERE dir = ?"), {dir});
        !cards)
        return cards;
    return m_connection.execute(QStringLiteral("DELETE FROM qav_sync_link WHERE dir = ?"), {dir});
}

DataResult SyncStore::saveLook(const QString& dir, const QString& token, const QString& modified,
                               const QString& checked)
{
    return m_connection.execute(
        QStringLiteral("UPDATE qav_sync_link SET token = ?, modified = ?, checked = ? WHERE dir = ?"),
        {token, modified, checked, dir});
}

bool SyncStore::hasMoreColumn()
{
    bool has = false;
    PassedOver::note(m_connection.query(QStringLiteral("PRAGMA table_info(qav_sync_card)"), {},
                                        [&has](sqlite3_stmt* row) {
                                            has = has ||
                                                  DataConnection::columnText(row, 1) == QLatin1String("morevalues");
                                        }),
                     Q_FUNC_INFO);
    return has;
}

DataResult SyncStore::addMoreColumn()
{
    if (hasMoreColumn())
        return {};
    return m_connection.execute(QStringLiteral("ALTER TABLE qav_sync_card ADD COLUMN morevalues TEXT"));
}

std::map<QString, SyncCardState> SyncStore::cards(const QString& dir)
{
    std::map<QString, SyncCardState> found;
    if (!hasTables())
        return found;
    PassedOver::note(
        m_connection.query(QStringLiteral("SELECT href, etag, contact, %1, %2 FROM qav_sync_card WHERE dir = ?")
                               .arg(ContactFields::columnList(),
                                    hasMoreColumn() ? QStringLiteral("morevalues") : QStringLiteral("NULL")),
                           {dir},
                           [&found](sqlite3_stmt* row) {
                               // A state that is not as a sync leaves it is forgotten: the card is then met as
                               // one never agreed on.
                               constexpr int kFirstField = 3;
                               constexpr int kMore = kFirstField + ContactFields::kCount;
                               if (!StoredRow::fits(row, 0, kMore))
                                   return;
                               SyncCardState state;
                               state.href = DataConnection::columnText(row, 0);
                               state.etag = DataConnection::columnText(row, 1).toUtf8();
                               state.contact = sqlite3_column_int64(row, 2);
                               QStringList values;
                               for (int column = kFirstField; column < kMore; ++column)
                                   values.append(DataConnection::columnText(row, column));
                               state.fields = ContactFields::fromRow(values);
                               if (sqlite3_column_type(row, kMore) != SQLITE_NULL)
                                   state.more = moreOf(DataConnection::columnText(row, kMore).toUtf8());
                               found.emplace(state.href, std::move(state));
                           }),
        Q_FUNC_INFO);
    return found;
}

QString SyncStore::directoryDigest(const QString& dir)
{
    // A change of more values alone is a change too.
    QString fields = ContactStore(m_connection).digestOf(dir);
    QHash<QString, MoreValues> more;
    if (fields.isEmpty() || !ContactValueStore(m_connection).readDirectory(dir, more))
        return {};
    if (more.isEmpty())
        return fields;
    QStringList names = more.keys();
    names.sort();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(fields.toLatin1());
    for (const QString& name : names)
        hash.addData(moreText(more.value(name)).toUtf8() + name.toUtf8() + '\n');
    return QString::fromLatin1(hash.result().toHex());
}

DataResult SyncStore::saveDigest(const QString& dir, const QString& digest)
{
    return m_connection.execute(QStringLiteral("UPDATE qav_sync_link SET digest = ? WHERE dir = ?"), {digest, dir});
}

QByteArray SyncStore::serverCard(const QString& dir, const QString& href)
{
    // No card kept is larger than the largest answer the sync takes.
    QByteArray card;
    PassedOver::note(m_connection.query(QStringLiteral("SELECT vcard FROM qav_sync_card WHERE dir = ? AND href = ?"),
                                        {dir, href},
                                        [&card](sqlite3_stmt* row) {
                                            if (StoredRow::fits(row, 0, 1, kMostCardBytes))
                                                card = DataConnection::columnText(row, 0).toUtf8();
                                        }),
                     Q_FUNC_INFO);
    return card;
}

DataResult SyncStore::saveCard(const QString& dir, const SyncCardState& state, const QByteArray& serverCard)
{
    if (DataResult column = addMoreColumn(); !column)
        return column;
    if (DataResult saved = m_connection.execute(
            QStringLiteral("INSERT OR REPLACE INTO qav_sync_card (dir, href, etag, contact, vcard, %1) "
                           "VALUES (?, ?, ?, ?, ?%2)")
                .arg(ContactFields::columnList(), QStringLiteral(", ?").repeated(ContactFields::kCount)),
            QStringList{dir, state.href, QString::fromUtf8(state.etag), QString::number(state.contact),
                        QString::fromUtf8(serverCard)} +
                state.fields.row(QString()).mid(0, ContactFields::kCount));
        !saved || !state.more)
        return saved;
    return m_connection.execute(QStringLiteral("UPDATE qav_sync_card SET morevalues = ? WHERE dir = ? AND href = ?"),
                                {moreText(*state.more), dir, state.href});
}

DataResult SyncStore::saveContactRow(const QString& dir, const QString& href, qint64 contact)
{
    return m_connection.execute(QStringLiteral("UPDATE qav_sync_card SET contact = ? WHERE dir = ? AND href = ?"),
                                {QString::number(contact), dir, href});
}

DataResult SyncStore::removeCard(const QString& dir, const QString& href)
{
    return m_connection.execute(QStringLiteral("DELETE FROM qav_sync_card WHERE dir = ? AND href = ?"), {dir, href});
}

DataResult SyncStore::renameCard(const QString& dir, const QString& from, const QString& to)
{
    return m_connection.execute(QStringLiteral("UPDATE qav_sync_card SET href = ? WHERE dir = ? AND href = ?"),
                                {to, dir, from});
}

DataResult SyncStore::setCardKey(bool on)
{
    return m_connection.executeScript(
        on ? QStringLiteral("CREATE UNIQUE INDEX IF NOT EXISTS qav_sync_card_key ON qav_sync_card(dir, href)")
           : QStringLiteral("DROP INDEX IF EXISTS qav_sync_card_key"));
}
