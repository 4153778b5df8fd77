#include "DirSetPass.h"

#include "DirectoryPasswords.h"
#include "MainForm.h"
#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinTextBox.h"

DirSetPass::DirSetPass(MainForm& main) : SmallDialog(QStringLiteral("تأمين"), 4800, 3960), m_main(main)
{
    setWindowTitle(QStringLiteral("تأمين") + QStringLiteral(" ") + main.selectedDirectoryName());
    addLabel(QStringLiteral("أدخل رمز الحماية"), 1920, 180, 2640, 330);
    tpass1 = addPasswordBox(QStringLiteral("أدخل رمز الحماية"), 240, 540, 4320, 390);
    addLabel(QStringLiteral("اعد كتابة رمز الحماية"), 1920, 1020, 2640, 330);
    tpass2 = addPasswordBox(QStringLiteral("اعد كتابة رمز الحماية"), 240, 1380, 4320, 390);
    // What a directory lock is, and what it is not.
    SkinLabel* honest = addLabel(QStringLiteral("رمز الحماية يخفى الدليل فى البرنامج ولا يشفره: يقرؤه من معه ملف "
                                                "الدفتر ما لم تحم الدفتر كله بكلمة مرور من قائمة أدوات."),
                                 240, 1860, 4320, 1200);
    honest->setWordWrap(true);
    honest->setAccessibleName(QStringLiteral("تنبيه عن رمز الحماية"));
    CmdSave = addButton(QStringLiteral("حفظ"), 1440, 3240, 1095, 390);
    cmdCancel = addButton(QStringLiteral("إغلاق"), 240, 3240, 1095, 390);
    CmdSave->setDefault(true);
    connect(CmdSave, &QPushButton::clicked, this, &DirSetPass::save);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    tpass1->setFocus();
}

void DirSetPass::save()
{
    struct Check {
        bool failed;
        const char* message;
        SkinTextBox* focus;
    };
    const Check checks[] = {
        {tpass1->text().isEmpty(), "من فضلك أدخل رمز الحماية", tpass1},
        {tpass1->text().size() < 4, "يجب ألا يقل رمز الحماية عن أربعة حروف أو ارقام", tpass1},
        {tpass2->text().isEmpty(), "من فضلك اعد كتابة رمز الحماية", tpass2},
        {tpass1->text() != tpass2->text(), "رمز الحماية غير متطابق", tpass2},
    };
    // A linked directory would keep sending what the lock hides: it is unlinked first, in the sync window.
    if (DirectoryPasswords::linkedToServer(m_main.selectedDirectoryCode())) {
        DirectoryPasswords::warn(QStringLiteral("هذا الدليل مربوط بدفتر عناوين على خادم , ولا يقفل وهو مربوط: "
                                                "ألغ الربط من نافذة المزامنة أولا"));
        return;
    }
    for (const Check& check : checks) {
        if (check.failed) {
            DirectoryPasswords::warn(QString::fromUtf8(check.message));
            check.focus->setFocus();
            return;
        }
    }
    // The password is stored exactly as typed.
    if (DirectoryPasswords::write(m_main, tpass1->text()))
        accept();
}
