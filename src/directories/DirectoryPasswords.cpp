#include "DirectoryPasswords.h"

#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "Transaction.h"
#include "TrashStore.h"

void DirectoryPasswords::warn(const QString& text)
{
    MessageBox::show(text, MessageBox::RtlReading | MessageBox::Exclamation, QStringLiteral("انتبه"));
}

bool DirectoryPasswords::write(MainForm& form, const QString& pass)
{
    const Directory selected{form.selectedDirectoryCode(), form.selectedDirectoryName(), QString()};
    // The lock and what the trash holds of the directory change together.
    DataConnection& connection = SharedData::connection();
    Transaction transaction(connection);
    if (!transaction.begun() || !DirectoryStore(connection).setPassword(selected, pass) ||
        !TrashStore(connection).relock(selected.code, pass) || !transaction.commit()) {
        // Never report a lock or an unlock that did not happen.
        MessageBox::show(QStringLiteral("عفوا .. لم يتم حفظ رمز الحماية , حدث خطأ فى قاعدة البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
        return false;
    }
    form.refreshAfterWrite(BookChange::DirectoryChanged);
    return true;
}

bool DirectoryPasswords::linkedToServer(const QString& code)
{
    // No sync tables yet: nothing is linked.
    DataConnection& connection = SharedData::connection();
    QString tables, linked;
    return connection.scalar(QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name = 'qav_sync_link'"), {},
                             tables) &&
           tables == QLatin1String("1") &&
           connection.scalar(QStringLiteral("SELECT count(*) FROM qav_sync_link WHERE dir = ?"), {code}, linked) &&
           linked != QLatin1String("0");
}
