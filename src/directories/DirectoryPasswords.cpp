#include "DirectoryPasswords.h"

#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "SyncStore.h"
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
    return SyncStore(SharedData::connection()).link(code).has_value();
}
