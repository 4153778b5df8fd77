#include "BookProtectionWindow.h"

#include "AutoLock.h"
#include "BookRekey.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "Preferences.h"
#include "Schema.h"
#include "SecretMemory.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinTab.h"
#include "SkinTextBox.h"
#include "Units.h"

#include <QApplication>
#include <QDir>
#include <QScopeGuard>
#include <QSpinBox>

namespace
{
constexpr int kShortestPassword = 8;

SkinTextBox* passwordBox(SkinTextBox* box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setBackColor(0xF3F3F3);
    return box;
}
} // namespace

BookProtectionWindow::BookProtectionWindow(MainForm& main)
    : SmallDialog(QStringLiteral("حماية الدفتر بكلمة مرور"), 6600, SharedData::bookProtected() ? 5880 : 4320),
      m_main(main), m_protected(SharedData::bookProtected())
{
    SkinLabel* about = addLabel(
        m_protected ? QStringLiteral("الدفتر محمى بكلمة مرور: لا يفتحه أحد بدونها. يمكنك تغييرها أو إزالة الحماية "
                                     "ليعود الدفتر مقروءا بالمفتاح المعتاد للبرامج الأخرى.")
                    : QStringLiteral("كلمة المرور تشفر الدفتر كله ونسخه الاحتياطية من الآن: لا يفتحه أحد بدونها , ولا "
                                     "تقرؤه البرامج الأخرى إلا بها. النسخ الاحتياطية السابقة تبقى مقروءة بالمفتاح "
                                     "المعتاد. لا يمكن استرجاع الدفتر إن نسيتها."),
        240, 160, 6000, 900);
    about->setWordWrap(true);
    int top = 1140;
    tcurrent = nullptr;
    cmdRemove = nullptr;
    idleMinutes = nullptr;
    if (m_protected) {
        addLabel(QStringLiteral("كلمة المرور الحالية"), 240, top, 6000, 330);
        tcurrent = passwordBox(addBox(QStringLiteral("كلمة المرور الحالية"), 240, top + 360, 6000, 390));
        top += 840;
    }
    addLabel(QStringLiteral("كلمة المرور الجديدة (8 حروف أو أكثر)"), 240, top, 6000, 330);
    tnew = passwordBox(addBox(QStringLiteral("كلمة المرور الجديدة"), 240, top + 360, 6000, 390));
    top += 840;
    addLabel(QStringLiteral("أعد كتابة كلمة المرور الجديدة"), 240, top, 6000, 330);
    tconfirm = passwordBox(addBox(QStringLiteral("أعد كتابة كلمة المرور الجديدة"), 240, top + 360, 6000, 390));
    top += 840;
    if (m_protected) {
        addLabel(QStringLiteral("القفل التلقائى بعد دقائق بلا استعمال (0 = أبدا)"), 1440, top + 30, 4800, 330);
        idleMinutes = new QSpinBox(SkinTab1);
        idleMinutes->setAccessibleName(QStringLiteral("دقائق القفل التلقائى"));
        idleMinutes->setRange(0, 720);
        idleMinutes->setValue(Preferences::lockMinutes());
        idleMinutes->setGeometry(Units::rect(240, top, 1095, 390));
        connect(idleMinutes, &QSpinBox::valueChanged, this, [](int minutes) { AutoLock::setIdleMinutes(minutes); });
        top += 720;
    } else {
        top += 180;
    }
    cmdSave = addButton(m_protected ? QStringLiteral("تغيير") : QStringLiteral("حماية"), 5145, top, 1095, 390);
    if (m_protected) {
        cmdRemove = addButton(QStringLiteral("إزالة الحماية"), 2700, top, 1800, 390);
        connect(cmdRemove, &QPushButton::clicked, this, &BookProtectionWindow::remove);
    }
    cmdClose = addButton(QStringLiteral("إغلاق"), 240, top, 1095, 390);
    cmdSave->setDefault(true);
    connect(cmdSave, &QPushButton::clicked, this, &BookProtectionWindow::save);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);
    (m_protected ? tcurrent : tnew)->setFocus();
}

void BookProtectionWindow::warn(const QString& text, SkinTextBox* focus)
{
    SetMsgBoxHook(this);
    MessageBox::show(text, MessageBox::Arabic | MessageBox::Exclamation, QStringLiteral("انتبه"));
    RemoveMsgBoxHook();
    focus->setFocus();
}

bool BookProtectionWindow::currentPasswordRight()
{
    if (!m_protected)
        return true;
    if (tcurrent->text() == SharedData::bookKey())
        return true;
    warn(QStringLiteral("كلمة المرور الحالية غير صحيحة"), tcurrent);
    return false;
}

void BookProtectionWindow::save()
{
    if (!currentPasswordRight())
        return;
    QString key = tnew->text();
    // Once the book has it, the typed password is overwritten wherever this window held it.
    const auto wipeKey = qScopeGuard([&key] { SecretMemory::wipe(key); });
    if (key.size() < kShortestPassword)
        return warn(QStringLiteral("يجب ألا تقل كلمة المرور عن 8 حروف أو أرقام"), tnew);
    if (key != tconfirm->text())
        return warn(QStringLiteral("كلمة المرور غير متطابقة"), tconfirm);
    if (key == QLatin1String(Schema::kPassword))
        return warn(QStringLiteral("هذه هى كلمة المرور المعتادة المنشورة , اختر غيرها"), tnew);
    if (rekey(key, m_protected ? QStringLiteral("تم تغيير كلمة مرور الدفتر")
                               : QStringLiteral("تمت حماية الدفتر بكلمة المرور. احفظها فى مكان آمن: لا يفتح "
                                                "الدفتر ولا نسخه الاحتياطية الجديدة بدونها.")))
        accept();
}

// What stays readable under the key the book had: the copy the last restore kept beside it is
// re-keyed or deleted here, and older backups, which the program cannot reach, are named.
QString BookProtectionWindow::underTheOldKey(BookRekey::Previous previous) const
{
    QStringList lines;
    const QString kept = QStringLiteral("Kib.bin.previous");
    switch (previous) {
    case BookRekey::Previous::None:
        break;
    case BookRekey::Previous::Rekeyed:
        lines << QStringLiteral("نسخة الدفتر التى حفظها آخر استرجاع (%1) شفرت هى أيضا بكلمة المرور الجديدة.").arg(kept);
        break;
    case BookRekey::Previous::Removed:
        lines << QStringLiteral("حذفت نسخة الدفتر التى حفظها آخر استرجاع (%1): كانت مقروءة بمفتاح آخر.").arg(kept);
        break;
    case BookRekey::Previous::Left:
        lines << QStringLiteral("تعذر حذف نسخة الدفتر التى حفظها آخر استرجاع (%1) وهى مقروءة بالمفتاح القديم: "
                                "احذفها بنفسك من مجلد الدفتر.")
                     .arg(kept);
        break;
    }
    const QString folder = Preferences::lastBackupFolder();
    lines << (folder.isEmpty()
                  ? QStringLiteral("النسخ الاحتياطية التى أخذت قبل ذلك تبقى مقروءة بالمفتاح القديم: احذفها أو خذ "
                                   "نسخة جديدة مكانها.")
                  : QStringLiteral("النسخ الاحتياطية التى أخذت قبل ذلك (آخرها فى المجلد %1) تبقى مقروءة بالمفتاح "
                                   "القديم: احذفها أو خذ نسخة جديدة مكانها.")
                        .arg(QDir::toNativeSeparators(folder)));
    return lines.join(QLatin1Char('\n'));
}

void BookProtectionWindow::remove()
{
    if (!currentPasswordRight())
        return;
    if (rekey(QString::fromLatin1(Schema::kPassword),
              QStringLiteral("تمت إزالة الحماية: الدفتر مشفر الآن بالمفتاح المعتاد , وتقرؤه البرامج الأخرى")))
        accept();
}

bool BookProtectionWindow::rekey(const QString& key, const QString& doneMessage)
{
    CloseContactRecordset();
    CloseDirectoryRecordset();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString oldKey = SharedData::bookKey();
    // The key the book had goes with this copy, its last holder once the new one is in place.
    const auto wipeOldKey = qScopeGuard([&oldKey] { SecretMemory::wipe(oldKey); });
    const DataResult done = BookRekey::run(SharedData::connection(), key);
    // Under a master password nothing beside the book stays readable with the key it had.
    const bool nowProtected = key != QLatin1String(Schema::kPassword);
    const BookRekey::Previous previous = done && nowProtected
                                             ? BookRekey::secureThePrevious(SharedData::databasePath(), oldKey, key)
                                             : BookRekey::Previous::None;
    QApplication::restoreOverrideCursor();
    if (done)
        SharedData::setBookKey(key);
    if (done && SharedData::bookProtected())
        AutoLock::instance(); // watches from now on, with the minutes kept
    tnew->clear();
    tconfirm->clear();
    if (tcurrent)
        tcurrent->clear();
    // The lists come back either way: under the new key, or as they were.
    if (!m_main.StartConnect())
        return false;
    SetMsgBoxHook(this);
    if (done)
        MessageBox::show(nowProtected ? doneMessage + QLatin1Char('\n') + underTheOldKey(previous) : doneMessage,
                         MessageBox::Arabic | MessageBox::Information, QStringLiteral("QAV Telephone"));
    else
        MessageBox::show(QStringLiteral("تعذر تغيير حماية الدفتر , لم يتغير شىء: %1").arg(done.error),
                         MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
    RemoveMsgBoxHook();
    return done.ok;
}
