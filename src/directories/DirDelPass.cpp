#include "DirDelPass.h"

#include "Directory.h"
#include "DirectoryPasswords.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "SkinButton.h"
#include "SkinTextBox.h"

DirDelPass::DirDelPass(MainForm& main) : SmallDialog(QStringLiteral("إلغاء تأمين"), 4800, 2100), m_main(main)
{
    setWindowTitle(QStringLiteral("إلغاء تأمين") + QStringLiteral(" ") + main.selectedDirectoryName());
    addLabel(QStringLiteral("أدخل رمز الحماية"), 1920, 180, 2640, 330);
    tpass = addPasswordBox(QStringLiteral("أدخل رمز الحماية"), 240, 560, 4320, 390);
    command1 = addButton(QStringLiteral("فتح"), 1440, 1380, 1095, 390);
    cmdCancel = addButton(QStringLiteral("إغلاق"), 240, 1380, 1095, 390);
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, &DirDelPass::unlock);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    tpass->setFocus();
}

void DirDelPass::unlock()
{
    if (tpass->text().isEmpty()) {
        DirectoryPasswords::warn(QStringLiteral("من فضلك أدخل رمز الحماية"));
        tpass->setFocus();
        return;
    }
    if (tpass->text() != m_main.selectedDirectoryPass()) {
        DirectoryPasswords::warn(QStringLiteral("رمز الحماية غير صحيح"));
        tpass->setFocus();
        return;
    }
    if (!DirectoryPasswords::write(m_main, Directory::unlocked()))
        return;
    MessageBox::show(QStringLiteral("تم إلغاء رمز الحماية"), MessageBox::RtlReading | MessageBox::Information,
                     QStringLiteral("QAV Telephone"));
    accept();
}
