#include "UpdateWindow.h"

#include "BookFiles.h"
#include "BookFingerprint.h"
#include "BookLocation.h"
#include "BookPasswordDialog.h"
#include "CopyMessages.h"
#include "DatabaseFileCopy.h"
#include "FileChooser.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "Schema.h"
#include "SecretMemory.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinFrame.h"
#include "SkinTextBox.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>

namespace
{
const QString kCaption = QStringLiteral("استرجاع قاعدة البيانات");

// Whether the key reads the file (its schema only: quick, and the file is only read). A file the
// key reads that is no telephone book still counts: stage() then refuses it as such.
bool opensWith(const QString& path, const QString& key)
{
    DataConnection probe;
    const DataResult opened = probe.open(path, key, DataConnection::Access::ReadOnly);
    return opened.ok || !opened.notADatabase;
}

} // namespace

UpdateWindow::UpdateWindow(MainForm& main) : SmallDialog(kCaption, 6600, 2400, 0), m_main(main)
{
    addLabel(QStringLiteral("حدد ملف النسخة الاحتياطية لقاعدة البيانات :"), 240, 180, 6000, 330);
    txtFileName = addBox(QStringLiteral("ملف النسخة الاحتياطية"), 1560, 660, 4680, 390);
    txtFileName->setReadOnly(true);
    txtFileName->setBackColor(0xF3F3F3);
    BookLocation::describe(addLabel(QString(), 240, 1140, 6000, 330));
    command3 = addButton(QStringLiteral("استعراض"), 240, 660, 1200, 390);
    command4 = addButton(QStringLiteral("استرجاع"), 240, 1560, 1200, 390);
    connect(command3, &QPushButton::clicked, this, &UpdateWindow::browse);
    connect(command4, &QPushButton::clicked, this, &UpdateWindow::restore);
}

void UpdateWindow::browse()
{
    const QString chosen =
        FileChooser::chooseOpenFile(this, kCaption, QStringLiteral("Backup Database File|ZK-Data.bak"));
    if (!chosen.isEmpty())
        txtFileName->setText(QDir::toNativeSeparators(chosen));
}

void UpdateWindow::fail(const QString& reason)
{
    QApplication::restoreOverrideCursor();
    setWindowTitle(kCaption);
    MessageBox::show(QStringLiteral("لم يتم استرجاع قاعدة البيانات: ") + reason +
                         QStringLiteral(" . قاعدة البيانات الحالية لم تتغير"),
                     MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
}

void UpdateWindow::endWithoutDatabase()
{
    // As at start-up: without a readable database the program cannot go on. StartConnect has
    // told the user.
    QApplication::restoreOverrideCursor();
    reject();
    m_main.close();
    QCoreApplication::exit(1);
}

void UpdateWindow::restore()
{
    if (txtFileName->text().isEmpty()) {
        SetMsgBoxHook(this);
        MessageBox::show(QStringLiteral("من فضلك حدد ملف النسخة الاحتياطية لقاعدة البيانات ZK-Data.bak"),
                         MessageBox::Arabic | MessageBox::Exclamation, QStringLiteral("انتبه"));
        RemoveMsgBoxHook();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setWindowTitle(kCaption + QStringLiteral(" ") + QStringLiteral("(جارى النسخ ...)"));
    const QString source = QDir::fromNativeSeparators(txtFileName->text());
    std::optional<QString> key = backupKey(source);
    // A password typed for the backup is overwritten here once the book holds its own copy.
    const auto wipeKey = qScopeGuard([&key] {
        if (key)
            SecretMemory::wipe(*key);
    });
    if (!key) {
        QApplication::restoreOverrideCursor();
        setWindowTitle(kCaption);
        return;
    }
    // Nothing is replaced unless the copy that would go in place is a readable telephone book;
    // the chosen file itself is only read.
    QString staged;
    if (DataResult valid = DatabaseFileCopy::stage(source, SharedData::databasePath(), *key, staged); !valid) {
        fail(CopyMessages::reason(valid.error));
        return;
    }
    SharedData::connection().close();
    const DataResult replaced = DatabaseFileCopy::install(staged, SharedData::databasePath(), beforeRename);
    if (!replaced) {
        // The old file is still in place: connect to it again.
        if (reconnect())
            fail(CopyMessages::reason(replaced.error));
        return;
    }
    BookFingerprint::passOn(source, SharedData::databasePath());
    const bool wasProtected = SharedData::bookProtected();
    SharedData::setBookKey(*key);
    QApplication::restoreOverrideCursor();
    SetMsgBoxHook(this);
    MessageBox::show(QStringLiteral("تم استرجاع قاعدة البيانات بنجاح ") +
                         (wasProtected && !SharedData::bookProtected()
                              ? QStringLiteral("\nتنبيه: الدفتر المسترجع غير محمى بكلمة مرور. يمكنك حمايته من "
                                               "قائمة أدوات")
                              : QString()),
                     MessageBox::Arabic | MessageBox::Information, QStringLiteral("QAV Telephone"));
    RemoveMsgBoxHook();
    accept();
    reconnect();
}

std::optional<QString> UpdateWindow::backupKey(const QString& source)
{
    // A backup of this book opens with its key; an older one perhaps with the standard key.
    for (const QString& key : {SharedData::bookKey(), QString::fromLatin1(Schema::kPassword)})
        if (opensWith(source, key))
            return key;
    // Protected by a password of its own: the user may know it. A file that is no book at all
    // meets the usual refusal in stage().
    if (!BookFiles::mayBeEncryptedBook(source))
        return SharedData::bookKey();
    QApplication::restoreOverrideCursor();
    std::optional<QString> typed = BookPasswordDialog::ask(
        QStringLiteral("هذه النسخة الاحتياطية لا تفتح بكلمة مرور الدفتر الحالى. إن كانت محمية بكلمة مرور أخرى "
                       "فاكتبها لاسترجاعها:"),
        QStringLiteral("إلغاء"), [&source](const QString& password) { return opensWith(source, password); });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    return typed;
}

bool UpdateWindow::reconnect()
{
    if (!m_main.StartConnect()) {
        endWithoutDatabase();
        return false;
    }
    return true;
}
