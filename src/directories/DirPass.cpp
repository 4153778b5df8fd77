#include "DirPass.h"

#include "MainForm.h"
#include "SkinButton.h"
#include "SkinTextBox.h"

DirPass::DirPass(MainForm& main) : SmallDialog(QStringLiteral("رمز الحماية"), 4800, 2100), m_main(main)
{
    addLabel(QStringLiteral("أدخل رمز الحماية"), 1920, 180, 2640, 330);
    tpass = addPasswordBox(QStringLiteral("أدخل رمز الحماية"), 240, 560, 4320, 390);
    command1 = addButton(QStringLiteral("فتح"), 1440, 1380, 1095, 390);
    cmdCancel = addButton(QStringLiteral("إغلاق"), 240, 1380, 1095, 390);
    command1->setDefault(true);
    connect(command1, &QPushButton::clicked, this, &DirPass::openWithPassword);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    tpass->setFocus();
}

void DirPass::openWithPassword()
{
    // Exact and case-sensitive; a wrong password just closes the prompt.
    if (tpass->text() == pass) {
        if (!verifyOnly)
            m_main.Opendir();
        accept();
    } else {
        reject();
    }
}
