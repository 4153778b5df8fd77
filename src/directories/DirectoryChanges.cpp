#include "DirectoryChanges.h"

#include "DirectoryStore.h"
#include "SharedData.h"
#include "Transaction.h"
#include "TrashStore.h"

#include <memory>

namespace
{

QString quoted(const QString& name)
{
    return QStringLiteral("«%1»").arg(name);
}

// A failed write that must change one row means someone else changed the directory first.
DataResult asChangedSince(const DataResult& result)
{
    return result ? result : UndoHistory::changedSince();
}

// Makes the directory again (a new code: nothing refers to the old one), with its password,
// while no other directory has its name.
DataResult makeAgain(const QString& name, const QString& pass, QString& code)
{
    DataConnection& connection = SharedData::connection();
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    bool taken = false;
    if (DataResult added = DirectoryStore(connection).addIfNameFree(name, pass, code, taken); !added)
        return added;
    if (taken)
        return UndoHistory::changedSince();
    return transaction.commit();
}

} // namespace

UndoHistory::Change DirectoryChanges::added(const QString& name, const QString& code)
{
    auto current = std::make_shared<QString>(code);
    return {
        QStringLiteral("إضافة الدليل ") + quoted(name),
        [current, name] {
            return asChangedSince(DirectoryStore(SharedData::connection()).removeIfEmpty({*current, name, QString()}));
        },
        [current, name] { return makeAgain(name, Directory::unlocked(), *current); }};
}

UndoHistory::Change DirectoryChanges::renamed(const QString& code, const QString& oldName, const QString& newName)
{
    auto rename = [code](const QString& from, const QString& to) {
        bool taken = false;
        DirectoryStore directories(SharedData::connection());
        if (DataResult looked = directories.nameTaken(to, code, taken); !looked)
            return looked;
        if (taken)
            return UndoHistory::changedSince();
        return asChangedSince(directories.rename({code, from, QString()}, to));
    };
    return {QStringLiteral("تغيير اسم الدليل ") + quoted(oldName), [=] { return rename(newName, oldName); },
            [=] { return rename(oldName, newName); }};
}

UndoHistory::Change DirectoryChanges::deleted(const QString& name, const QString& code, const QString& pass)
{
    auto current = std::make_shared<QString>(code);
    return {
        QStringLiteral("حذف الدليل ") + quoted(name), [current, name, pass] { return makeAgain(name, pass, *current); },
        [current, name] {
            return asChangedSince(DirectoryStore(SharedData::connection()).removeIfEmpty({*current, name, QString()}));
        }};
}

UndoHistory::Change DirectoryChanges::deletedWithContacts(const Directory& directory, const QList<qint64>& trashed)
{
    struct State {
        QString code;
        QList<qint64> trashed;
    };
    auto state = std::make_shared<State>(State{directory.code, trashed});
    const QString name = directory.name;
    const QString pass = directory.pass;
    return {QStringLiteral("حذف الدليل ") + quoted(name) + QStringLiteral(" بما فيه"),
            [state, name, pass] {
                QString code;
                const DataResult restored =
                    TrashStore(SharedData::connection()).restoreIntoNewDirectory(state->trashed, name, pass, code);
                if (restored)
                    state->code = code;
                return asChangedSince(restored);
            },
            [state, name, pass] {
                return asChangedSince(
                    TrashStore(SharedData::connection()).moveDirectoryIn({state->code, name, pass}, state->trashed));
            }};
}
