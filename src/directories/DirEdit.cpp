#include "DirEdit.h"

#include "AppLook.h"
#include "DirectoryChanges.h"
#include "DirectoryStore.h"
#include "FocusColour.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "OutsideText.h"
#include "PassedOver.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinTab.h"
#include "SkinTextBox.h"
#include "Units.h"

#include <QLabel>

DirEdit::DirEdit(MainForm& main) : SmallDialog(QStringLiteral("دليل جديد"), 4800, 2100), m_main(main)
{
    addLabel(QStringLiteral("ادخل اسم الدليل"), 1920, 180, 2640, 330);
    dir_name = addBox(QStringLiteral("ادخل اسم الدليل"), 240, 560, 4320, 390);
    dir_name->setMaxLength(40);
    FocusColour::install(dir_name);
    CmdSave = addButton(QStringLiteral("حفظ"), 1440, 1380, 1095, 390);
    cmdCancel = addButton(QStringLiteral("إغلاق"), 240, 1380, 1095, 390);
    CmdSave->setDefault(true);
    auto* Image1 = new QLabel(SkinTab1);
    Image1->setPixmap(AppLook::icon(QStringLiteral("folder")).pixmap(32, 32));
    Image1->setGeometry(Units::rect(4020, 1320, 540, 540));
    connect(CmdSave, &QPushButton::clicked, this, &DirEdit::save);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    dir_name->setFocus();
}

void DirEdit::warn(const QString& text)
{
    SetMsgBoxHook(this);
    MessageBox::show(text, MessageBox::Arabic | MessageBox::Information, QStringLiteral("انتبه"));
    RemoveMsgBoxHook();
    dir_name->setFocus();
}

bool DirEdit::nameTaken(const QString& name) const
{
    bool taken = false;
    PassedOver::note(
        DirectoryStore(SharedData::connection()).nameTaken(name, mode == Mode::Rename ? keyCode : QString(), taken),
        Q_FUNC_INFO);
    return taken;
}

void DirEdit::save()
{
    // A name of blanks only would become an empty, unreadable entry: it is refused as empty.
    // Pasted control characters and direction controls never reach the book.
    const QString typed = OutsideText::oneLine(dir_name->text());
    if (typed.trimmed().isEmpty()) {
        warn(QStringLiteral("من فضلك أدخل اسم الدليل"));
        return;
    }
    const QString name = mode == Mode::Add ? typed.trimmed() : typed;
    if (nameTaken(name)) {
        warn(QStringLiteral("يوجد دليل آخر بهذا الاسم , من فضلك اختر اسما آخر"));
        return;
    }
    if (mode == Mode::Add) {
        const DataResult added = SharedData::directories().addRecord(
            {QStringLiteral("dirname"), QStringLiteral("pass")}, {name, Directory::unlocked()});
        if (!added) {
            warn(QStringLiteral("عفوا .. لم يتم حفظ الدليل , حدث خطأ فى قاعدة البيانات"));
            return;
        }
        Directory made;
        if (DirectoryStore(SharedData::connection()).findByName(name, made).ok && made.exists())
            m_main.undoHistory().record(DirectoryChanges::added(name, made.code));
        m_main.refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
        accept();
    } else {
        // A rename that changed no row (the directory went meanwhile) is reported, never a success.
        if (!DirectoryStore(SharedData::connection()).rename({keyCode, key, QString()}, name)) {
            warn(QStringLiteral("عفوا .. لم يتم حفظ الدليل , حدث خطأ فى قاعدة البيانات"));
            return;
        }
        m_main.undoHistory().record(DirectoryChanges::renamed(keyCode, key, name));
        m_main.refreshAfterWrite(BookChange::DirectoryChanged);
        accept();
    }
}
