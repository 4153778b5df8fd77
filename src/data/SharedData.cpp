#include "SharedData.h"

#include "BookSearchIndex.h"
#include "DataLocation.h"
#include "DirectoryStore.h"
#include "KeptSearchIndex.h"
#include "Schema.h"
#include "SecretMemory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <optional>

namespace
{

QString& folderOverride()
{
    static QString folder;
    return folder;
}

QString& currentKey()
{
    static QString key = QString::fromLatin1(Schema::kPassword);
    return key;
}

BookSearchIndex*& registeredIndex()
{
    static BookSearchIndex* index = nullptr;
    return index;
}

// Where the book stood when this session found the kept search index believed, if it did.
std::optional<ChangeStamp>& keptIndexBelievedAt()
{
    static std::optional<ChangeStamp> stamp;
    return stamp;
}

} // namespace

DataConnection& SharedData::connection()
{
    static DataConnection instance;
    return instance;
}

Recordset& SharedData::contacts()
{
    static Recordset instance(&connection());
    return instance;
}

Recordset& SharedData::directories()
{
    static Recordset instance(&connection());
    return instance;
}

QString SharedData::programFolder()
{
    QString folder = folderOverride().isEmpty() ? QCoreApplication::applicationDirPath() : folderOverride();
    while (folder.size() > 1 && (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\'))))
        folder.chop(1);
    return folder;
}

void SharedData::setProgramFolder(const QString& folder)
{
    folderOverride() = folder;
}

QString SharedData::bookFolder()
{
    if (!folderOverride().isEmpty())
        return programFolder();
    return DataLocation::bookFolder(programFolder(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString SharedData::databasePath()
{
    return bookFolder() + QLatin1Char('/') + QLatin1String(Schema::kFileName);
}

QString SharedData::bookKey()
{
    return currentKey();
}

void SharedData::setBookKey(const QString& key)
{
    // The key is held here alone: the one it replaces is overwritten, not left for the heap.
    QString& held = currentKey();
    if (held.constData() != key.constData())
        SecretMemory::wipe(held);
    held = QString(key.constData(), key.size()); // a buffer of its own, which no other holder keeps
    SecretMemory::guardProcess(held != QLatin1String(Schema::kPassword));
}

bool SharedData::bookProtected()
{
    return currentKey() != QLatin1String(Schema::kPassword);
}

void SharedData::takeUpKeptOrder()
{
    Recordset& list = contacts();
    if (list.knowsAnOrder() || !connection().isOpen())
        return;
    QList<Directory> all;
    QList<RecordQuery> candidates{RecordQuery::allContacts()};
    if (DirectoryStore(connection()).all(all))
        for (const Directory& directory : std::as_const(all))
            candidates << RecordQuery::contactsOf(directory.code);
    list.adoptKeptOrder(candidates);
}

void SharedData::setSearchIndex(BookSearchIndex* index)
{
    registeredIndex() = index;
}

const BookSearchIndex* SharedData::searchIndex()
{
    return registeredIndex();
}

bool SharedData::keptIndexBelieved()
{
    return keptIndexBelievedAt().has_value();
}

void SharedData::keepForNextSession()
{
    if (!connection().isOpen())
        return;
    // The index first: kept over a file that changed, it makes the kept order found there a head
    // start only, and the order kept next is then written anew (an order kept first would lose
    // its fingerprint to the index's write).
    // The session's own writes since the last search are read into it; where only a full read
    // could tell (another program wrote, or this one changed much of the book), that is not worth
    // the close's time, and the index is not kept.
    BookSearchIndex* index = registeredIndex();
    if (index && index->loaded())
        (void)index->bringUpToDate(connection(), BookSearchIndex::FullRead::Avoided);
    bool indexKept = index && KeptSearchIndex::save(connection(), *index);
    // No index of this session to keep (none was searched, or it was not brought up to the last
    // write): the one the session found believed is mended in the book with its writes.
    if (!indexKept && keptIndexBelievedAt())
        indexKept = KeptSearchIndex::mend(connection(), *keptIndexBelievedAt());
    (void)contacts().keepOrder();
    // The order's keeping drops a stale index itself; without it, it is dropped here.
    if (!indexKept)
        (void)KeptSearchIndex::dropUnbelieved(connection());
    // A process that keeps again later mends from here.
    keptIndexBelievedAt() = KeptSearchIndex::believedAt(connection());
}

DataResult OpenDatabase()
{
    DataConnection& connection = SharedData::connection();
    const QString folder = SharedData::bookFolder();
    const QString path = QDir(folder).filePath(QLatin1String(Schema::kFileName));
    // Only the book in the user's data folder is made here; one missing beside the program is a
    // fault the user hears of.
    if (folder != SharedData::programFolder() && !QFileInfo::exists(path)) {
        // The folder of an installed program's book is its owner's alone.
        if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (DataResult created = Schema::create(path); !created)
            return created;
    }
    DataResult opened = connection.open(path, currentKey());
    connection.setReportsDamage(opened.ok);
    // Noted before the session's first write, so that the close can mend the kept search index
    // with this session's writes even if it never searches.
    keptIndexBelievedAt() = opened ? KeptSearchIndex::believedAt(connection) : std::nullopt;
    return opened;
}

void CloseContactRecordset()
{
    if (SharedData::contacts().state() == Recordset::Open)
        SharedData::contacts().close();
}

void CloseDirectoryRecordset()
{
    if (SharedData::directories().state() == Recordset::Open)
        SharedData::directories().close();
}
