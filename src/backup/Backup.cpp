#include "Backup.h"

#include "BookLocation.h"
#include "CopyMessages.h"
#include "DatabaseFileCopy.h"
#include "FileChooser.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "Preferences.h"
#include "Recordset.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinTextBox.h"

#include <QApplication>
#include <QDir>

namespace
{
const QString kCaption = QStringLiteral("نسخ احتياطى لقاعدة البيانات");
} // namespace

Backup::Backup() : SmallDialog(kCaption, 6600, 2400, 0)
{
    addLabel(QStringLiteral("حدد مكان حفظ نسخة احتياطية من قاعدة البيانات :"), 240, 180, 6000, 330);
    pathoutput = addBox(QStringLiteral("مكان الحفظ"), 1560, 660, 4680, 390);
    pathoutput->setReadOnly(true);
    pathoutput->setBackColor(0xF3F3F3);
    BookLocation::describe(addLabel(QString(), 240, 1140, 6000, 330));
    command1 = addButton(QStringLiteral("استعراض"), 240, 660, 1200, 390);
    command2 = addButton(QStringLiteral("حفظ"), 240, 1560, 1200, 390);
    connect(command1, &QPushButton::clicked, this, &Backup::browse);
    connect(command2, &QPushButton::clicked, this, &Backup::save);
}

void Backup::browse()
{
    const QString chosen = FileChooser::chooseFolder(this, QStringLiteral("Select a Directory:"));
    // Cancelled: the user's home folder stands in for the root of the first drive.
    const QString folder = chosen.isEmpty() ? QDir::homePath() : chosen;
    QString shown = QDir::toNativeSeparators(folder);
    if (!shown.endsWith(QDir::separator()))
        shown += QDir::separator();
    pathoutput->setText(shown);
}

void Backup::save()
{
    if (pathoutput->text().isEmpty()) {
        SetMsgBoxHook(this);
        MessageBox::show(QStringLiteral("من فضلك حدد مكان حفظ النسخة الاحتياطية لقاعدة البيانات"),
                         MessageBox::Arabic | MessageBox::Exclamation, QStringLiteral("انتبه"));
        RemoveMsgBoxHook();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setWindowTitle(kCaption + QStringLiteral(" ") + QStringLiteral("(جارى النسخ ...)"));
    // The name order of the directory shown goes into the book first, so the backup carries it.
    (void)SharedData::contacts().keepOrder();
    const DataResult copied =
        DatabaseFileCopy::backup(SharedData::connection(), QDir::fromNativeSeparators(pathoutput->text()));
    QApplication::restoreOverrideCursor();
    if (!copied) {
        // The old backup, if any, is untouched; the user hears why and may choose another folder.
        setWindowTitle(kCaption);
        MessageBox::show(QStringLiteral("لم يتم حفظ النسخة الاحتياطية: ") + CopyMessages::reason(copied.error),
                         MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
        return;
    }
    // Where a copy under the book's key now lies: named when the key changes later.
    Preferences::setLastBackupFolder(QDir::fromNativeSeparators(pathoutput->text()));
    SetMsgBoxHook(this);
    MessageBox::show(QStringLiteral("تم الحفظ بنجاح"), MessageBox::Arabic | MessageBox::Information,
                     QStringLiteral("QAV Telephone"));
    RemoveMsgBoxHook();
    accept();
}
