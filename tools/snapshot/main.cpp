// Renders the main windows to PNG files for a visual check (run headless):
//   qav_snapshot <folder with Kib.bin> <output folder>
// main.png: directory list; diredit.png and dirsetpass.png: the rename and lock dialogs;
// report.pdf: its report; backup.png: the backup window; sync.png: the sync window; help.png: the about window;
// contacts.png: the first directory opened, contacts-WxH.png the same at three sizes; booksearch.png: the
// search through the whole book; soundsearch.png: a search in it by sound; editor.png: its first contact in
// the editor; protection.png and bookpassword.png: the master password window and prompt; qrcode.png: the first contact
// as a QR code.
#include "AppLook.h"
#include "Backup.h"
#include "BookPasswordDialog.h"
#include "BookProtectionWindow.h"
#include "BookSearchWindow.h"
#include "CommandWiring.h"
#include "ContactQrWindow.h"
#include "CsvMappingDialog.h"
#include "DirEdit.h"
#include "DirSetPass.h"
#include "DirectoryReport.h"
#include "DuplicatesWindow.h"
#include "Editor.h"
#include "HelpWindow.h"
#include "MainForm.h"
#include "MainWindowControls.h"
#include "RecordListView.h"
#include "ReportPreview.h"
#include "SharedData.h"
#include "SkinLabel.h"
#include "SkinTextBox.h"
#include "SoundPlayer.h"
#include "SyncWindow.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <cstdio>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    AppLook::apply(app);
    SoundPlayer::setBackend({[](const QString&) {}, [] {}});
    if (argc != 3) {
        std::fprintf(stderr, "usage: qav_snapshot <folder> <output folder>\n");
        return 2;
    }
    SharedData::setProgramFolder(QString::fromLocal8Bit(argv[1]));
    const QString out = QString::fromLocal8Bit(argv[2]);
    MainForm form;
    CommandWiring::install(form);
    if (!form.Form_Load())
        return 1;
    form.show();
    CommandWiring::started(form);
    QApplication::processEvents();
    form.grab().save(out + QStringLiteral("/main.png"));
    if (controls(form).infodirlist->count() == 0)
        return 0;
    controls(form).infodirlist->selectRow(0);
    {
        DirEdit rename(form);
        rename.dir_name->setText(form.selectedDirectoryName());
        rename.setWindowTitle(QStringLiteral("إعادة تسمية: ") + form.selectedDirectoryName());
        rename.show();
        QApplication::processEvents();
        rename.grab().save(out + QStringLiteral("/diredit.png"));
        DirSetPass lock(form);
        lock.tpass1->setText(QStringLiteral("abcd"));
        lock.show();
        QApplication::processEvents();
        lock.grab().save(out + QStringLiteral("/dirsetpass.png"));
    }
    controls(form).infodirlist->selectRow(0);
    form.Opendir();
    QApplication::processEvents();
    form.grab().save(out + QStringLiteral("/contacts.png"));
    // A name search typed in Latin letters over Arabic names: the hits by sound, lighter, after.
    controls(form).txtSearch->setText(QStringLiteral("Mohamed"));
    form.searchCommand();
    QApplication::processEvents();
    form.grab().save(out + QStringLiteral("/soundsearch.png"));
    form.Refreshlist();
    // The main window at its smallest size and at two common screens.
    for (const QSize size :
         {form.minimumSizeHint().expandedTo(form.minimumSize()), QSize(1024, 768), QSize(1920, 1080)}) {
        form.resize(size);
        QApplication::processEvents();
        form.grab().save(out + QStringLiteral("/contacts-%1x%2.png").arg(size.width()).arg(size.height()));
    }
    controls(form).infolist->setView(RecordListView::List);
    {
        // The search through the whole book, a number typed as a caller's screen shows it.
        BookSearchWindow* search = BookSearchWindow::showFor(form);
        search->searchBox->setText(QStringLiteral("Mohamed"));
        QApplication::processEvents();
        search->grab().save(out + QStringLiteral("/booksearch.png"));
        search->close();
    }
    {
        DirectoryReport report;
        report.load(form.currentDirectory());
        report.directoryName = form.selectedDirectoryName();
        ReportPreview::savePdf(report, out + QStringLiteral("/report.pdf"));
        CsvMappingDialog mapping(
            QByteArrayLiteral("First Name,Last Name,Phone 1 - Label,Phone 1 - Value,Address 1 - Formatted\r\n"
                              "\xd9\x85\xd9\x86\xd9\x89,\xd8\xb9\xd9\x84\xd9\x89,Mobile,0100 ::: 0101,Cairo\r\n"));
        mapping.show();
        QApplication::processEvents();
        mapping.grab().save(out + QStringLiteral("/csvmapping.png"));
        Backup backup;
        backup.show();
        QApplication::processEvents();
        backup.grab().save(out + QStringLiteral("/backup.png"));
        SyncWindow sync(form);
        sync.show();
        QApplication::processEvents();
        sync.grab().save(out + QStringLiteral("/sync.png"));
        HelpWindow help;
        help.show();
        QApplication::processEvents();
        help.grab().save(out + QStringLiteral("/help.png"));
        BookProtectionWindow protection(form);
        protection.show();
        QApplication::processEvents();
        protection.grab().save(out + QStringLiteral("/protection.png"));
        DuplicatesWindow duplicates(form);
        duplicates.show();
        QApplication::processEvents();
        duplicates.grab().save(out + QStringLiteral("/duplicates.png"));
        BookPasswordDialog prompt(QStringLiteral("هذا الدفتر محمى بكلمة مرور. اكتب كلمة المرور لفتحه."),
                                  QStringLiteral("خروج"), [](const QString&) { return false; });
        prompt.show();
        prompt.refusal->setText(QStringLiteral("كلمة المرور غير صحيحة , حاول مرة أخرى"));
        QApplication::processEvents();
        prompt.grab().save(out + QStringLiteral("/bookpassword.png"));
    }
    if (controls(form).infolist->count() == 0)
        return 0;
    Editor editor(form);
    QStringList columns;
    for (int column = 0; column < 10; ++column)
        columns << controls(form).infolist->subItem(0, column);
    editor.loadContact(columns);
    editor.setWindowTitle(QStringLiteral("تفاصيل"));
    editor.show();
    QApplication::setActiveWindow(&editor);
    editor.moreinfo->setFocus(); // shows the focus colour of the notes box
    QApplication::processEvents();
    editor.grab().save(out + QStringLiteral("/editor.png"));
    ContactQrWindow qr(ContactFields::fromRow(columns), {}, &form);
    qr.show();
    QApplication::processEvents();
    qr.grab().save(out + QStringLiteral("/qrcode.png"));
    return 0;
}
