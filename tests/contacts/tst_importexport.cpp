// Import and export from the Tools menu, as the user meets them.
#include "AppLook.h"
#include "CsvMappingDialog.h"
#include "DirPass.h"
#include "ImportTargetWindow.h"
#include "InterchangeCommands.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "RecordListView.h"
#include "ScriptedFileChooser.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinStatusBar.h"
#include "SkinTextBox.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "VCardReader.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QStringEncoder>
#include <QTableWidget>
#include <QtTest>

#include <sys/stat.h>

class TestImportExport : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void toolsMenuOffersImportAndExport();
    void importIntoTheOpenDirectoryRefreshesTheList();
    void importIntoALockedDirectoryAsksItsPassword();
    void binaryFileIsRefusedWithNothingChanged();
    void csvImportGoesThroughTheMappingDialog();
    void csvEncodingIsChosenWithAPreview();
    void exportWritesTheWholeDirectory();
    void filesHandedToTheWindowAskWhereThenImport();
    void filesDroppedOnADirectoryGoThere();

private:
    QString write(const QString& name, const QByteArray& bytes);
    QString m_family;
};

void TestImportExport::initTestCase()
{
    prepareApplication();
}

void TestImportExport::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_db->addContact(QStringLiteral("موجود"), m_family);
    m_form = MainWindowUser::start();
}

void TestImportExport::cleanup()
{
    closeFixture();
}

QString TestImportExport::write(const QString& name, const QByteArray& bytes)
{
    const QString path = m_db->folder() + QLatin1Char('/') + name;
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return path;
}

void TestImportExport::toolsMenuOffersImportAndExport()
{
    MainMenus& menus = *controls(*m_form).menus;
    const QList<QAction*> items = menus.mnutools->actions();
    QCOMPARE(items.at(items.size() - 4)->text(), QStringLiteral("استيراد جهات اتصال..."));
    QCOMPARE(items.at(items.size() - 3)->text(), QStringLiteral("تصدير الدليل..."));
    QVERIFY(items.at(items.size() - 5)->isSeparator());
    QVERIFY(items.at(items.size() - 2)->isSeparator());
    QCOMPARE(items.last()->text(), QStringLiteral("مزامنة..."));
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    emit menus.mnutools->aboutToShow();
    QVERIFY(menus.importcontacts->isEnabled()); // into the selected directory
    QVERIFY(!menus.exportdir->isEnabled());     // export needs an open directory
    m_form->openSelectedDirectory();
    emit menus.mnutools->aboutToShow();
    QVERIFY(menus.exportdir->isEnabled());
    // No directories at all: nothing to import into.
    m_form.reset();
    m_db = std::make_unique<TestDatabase>();
    m_form = MainWindowUser::start();
    emit controls(*m_form).menus->mnutools->aboutToShow();
    QVERIFY(!controls(*m_form).menus->importcontacts->isEnabled());
}

void TestImportExport::importIntoTheOpenDirectoryRefreshesTheList()
{
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    const QString path =
        write(QStringLiteral("in.vcf"),
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nadia\r\nTEL;TYPE=CELL:0100\r\nEND:VCARD\r\n"
              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xd9\x85\xd9\x88\xd8\xac\xd9\x88\xd8\xaf\r\nEND:VCARD\r\n");
    m_chooser->answer(path);
    controls(*m_form).menus->importcontacts->trigger();
    QCOMPARE(controls(*m_form).infolist->count(), 2);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT mobil || dir FROM info WHERE name = 'Nadia'")),
             QStringLiteral("0100") + m_family);
    QVERIFY(m_boxes->last().text.startsWith(
        QStringLiteral("تم استيراد 1 من جهات الاتصال إلى الدليل \"\u2068العائلة\u2069\".")));
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("موجود : الاسم موجود بالفعل")));
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("يتضمن الدليل الحالى    2  بيان"));
}

void TestImportExport::importIntoALockedDirectoryAsksItsPassword()
{
    const QString locked = m_db->addDirectory(QStringLiteral("سري"), QStringLiteral("Key1"));
    (void)SharedData::directories().requery();
    m_form->fill_dir_list();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("سري")));
    const QString path = write(QStringLiteral("in.vcf"), "BEGIN:VCARD\r\nFN:X\r\nEND:VCARD\r\n");
    m_chooser->answer(path);
    ModalDriver::whenModal([](QWidget* modal) {
        auto* prompt = qobject_cast<DirPass*>(modal);
        QVERIFY(prompt);
        prompt->tpass->setText(QStringLiteral("wrong"));
        prompt->command1->click();
    });
    controls(*m_form).menus->importcontacts->trigger();
    QCOMPARE(m_chooser->asked().size(), 0);
    QCOMPARE(int(m_form->viewState()), 0); // verifying never opens the directory
    ModalDriver::whenModal([](QWidget* modal) {
        auto* prompt = qobject_cast<DirPass*>(modal);
        prompt->tpass->setText(QStringLiteral("Key1"));
        prompt->command1->click();
    });
    controls(*m_form).menus->importcontacts->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = 'X'")), locked);
    QCOMPARE(int(m_form->viewState()), 0);
}

void TestImportExport::binaryFileIsRefusedWithNothingChanged()
{
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QByteArray binary(4096, '\0');
    binary.replace(0, 8, "\x89PNG\r\n\x1a\n");
    m_chooser->answer(write(QStringLiteral("picture.vcf"), binary));
    controls(*m_form).menus->importcontacts->trigger();
    QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));
    // Not read whole as the command line would not: a device that never ends, a pipe nobody
    // writes to (which would hang the window) and a folder are refused before a byte is read.
    const QString pipe = m_db->folder() + QStringLiteral("/pipe.vcf");
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    for (const QString& path : {QStringLiteral("/dev/zero"), pipe, m_db->folder()}) {
        m_chooser->answer(path);
        controls(*m_form).menus->importcontacts->trigger();
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        QVERIFY2(m_boxes->last().text.contains(QStringLiteral("ليس ملفا عاديا")), qPrintable(m_boxes->last().text));
    }
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));
}

void TestImportExport::csvImportGoesThroughTheMappingDialog()
{
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    m_chooser->answer(write(QStringLiteral("book.csv"), "Full Name,Cell,Comment\r\nAmal,0101,hi\r\nBasma,0102,\r\n"));
    ModalDriver::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<CsvMappingDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->choices.size(), 3);
        QCOMPARE(dialog->choices[0]->currentIndex(), int(CsvMapping::Name)); // "full name" is known
        dialog->choices[1]->setCurrentIndex(int(CsvMapping::Mobil));         // "Cell" is the user's choice
        dialog->choices[2]->setCurrentIndex(int(CsvMapping::MoreInfo));
        dialog->accept();
    });
    controls(*m_form).menus->importcontacts->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT mobil || '|' || moreinfo FROM info WHERE name = 'Amal'")),
             QStringLiteral("0101|hi"));
    QCOMPARE(controls(*m_form).infolist->count(), 3);
}

void TestImportExport::csvEncodingIsChosenWithAPreview()
{
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QStringEncoder arabic("windows-1256");
    // As a spreadsheet on Arabic Windows saves it: code page 1256, no byte-order mark, the
    // headers spelt as the user typed them.
    m_chooser->answer(write(QStringLiteral("arabic.csv"),
                            arabic.encode(QStringLiteral("الإسم,الجوال,هاتف المنزل,البريد الإلكتروني,جهة العمل\r\n"
                                                         "سهام,0103,0224,siham@example.com,مكتبة الأسرة\r\n"))));
    ModalDriver::whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<CsvMappingDialog*>(modal);
        QVERIFY(dialog);
        QCOMPARE(dialog->encoding->currentText(), QStringLiteral("windows-1256"));
        QCOMPARE(dialog->preview->item(0, 0)->text(), QStringLiteral("سهام"));
        // Every column is matched without the user choosing, and named as the editor names it.
        QStringList chosen;
        for (const QComboBox* choice : dialog->choices)
            chosen << choice->currentText();
        QCOMPARE(chosen, (QStringList{QStringLiteral("الاسم"), QStringLiteral("موبايل"), QStringLiteral("ت/ منزل"),
                                      QStringLiteral("بريد الكترونى"), QStringLiteral("العمل")}));
        // Another encoding reads the file again: the preview and the columns follow it.
        dialog->encoding->setCurrentText(QStringLiteral("windows-1252"));
        QVERIFY(dialog->preview->item(0, 0)->text() != QStringLiteral("سهام"));
        QCOMPARE(dialog->choices[0]->currentIndex(), int(CsvMapping::Ignore));
        dialog->encoding->setCurrentText(QStringLiteral("windows-1256"));
        QCOMPARE(dialog->choices[0]->currentIndex(), int(CsvMapping::Name));
        dialog->accept();
    });
    controls(*m_form).menus->importcontacts->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT mobil || '|' || hometel || '|' || email || '|' || org FROM info "
                                         "WHERE name = ?"),
                          {QStringLiteral("سهام")}),
             QStringLiteral("0103|0224|siham@example.com|مكتبة الأسرة"));
    // The summary names the directory the contacts went into.
    QCOMPARE(m_boxes->last().text, QStringLiteral("تم استيراد 1 من جهات الاتصال إلى الدليل \"\u2068العائلة\u2069\"."));
}

void TestImportExport::exportWritesTheWholeDirectory()
{
    m_db->addContact(QStringLiteral("Zaki"), m_family, {QStringLiteral("0223")});
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    controls(*m_form).txtSearch->setText(QStringLiteral("Zaki"));
    m_form->searchCommand(); // a search does not narrow the export
    const QString path = m_db->folder() + QStringLiteral("/out.vcf");
    m_chooser->answer(path);
    controls(*m_form).menus->exportdir->trigger();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    VCardReader reader;
    QVERIFY(reader.read(file.readAll()));
    QCOMPARE(reader.contacts().size(), size_t(2));
    QCOMPARE(reader.contacts()[0].name, QStringLiteral("موجود"));
    QCOMPARE(reader.contacts()[1].hometel, QStringLiteral("0223"));
    // The summary names the file, kept left to right inside the Arabic sentence.
    QCOMPARE(
        m_boxes->last().text,
        QStringLiteral("تم تصدير 2 من جهات الاتصال إلى الملف\n\u2066%1\u2069").arg(QDir::toNativeSeparators(path)));
    QCOMPARE(file.permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // A symbolic link as the target is refused: the file it points to is not touched.
    const QString victim = write(QStringLiteral("victim.txt"), "keep me");
    const QString trap = m_db->folder() + QStringLiteral("/trap.vcf");
    QVERIFY(QFile::link(victim, trap));
    m_chooser->answer(trap);
    controls(*m_form).menus->exportdir->trigger();
    QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
    QVERIFY2(m_boxes->last().text.contains(QStringLiteral("رابط رمزى")), qPrintable(m_boxes->last().text));
    QFile kept(victim);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep me"));
}

void TestImportExport::filesHandedToTheWindowAskWhereThenImport()
{
    // Opened with the program (or sent by a second start) while a directory is open.
    m_db->addDirectory(QStringLiteral("سري"), QStringLiteral("Key1"));
    const QString work = m_db->addDirectory(QStringLiteral("العمل"));
    (void)SharedData::directories().requery();
    m_form->fill_dir_list();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العمل")));
    m_form->openSelectedDirectory();
    const QString junk = write(QStringLiteral("photo.vcf"), QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    const QString cards =
        write(QStringLiteral("friends \u202egpj.vcf"), "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nadia\r\nEND:VCARD\r\n"
                                                       "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Omar\r\nEND:VCARD\r\n");
    QStringList offered;
    // The file that is not contacts is refused before any question; the other asks where.
    ModalDriver::whenModal([&offered](QWidget* modal) {
        auto* where = qobject_cast<ImportTargetWindow*>(modal);
        QVERIFY(where);
        for (int row = 0; row < where->choices->count(); ++row)
            offered << where->choices->item(row)->text();
        where->CmdImport->click(); // the first choice, the open directory
    });
    m_form->importFiles({junk, cards});
    QTRY_COMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {work}), QStringLiteral("2"));
    QCOMPARE(ModalDriver::takeUnanswered(), 0);
    // The open directory first, the locked one never, a new one named after the file last,
    // without the file name's direction override.
    QCOMPARE(offered, (QStringList{QStringLiteral("العمل"), QStringLiteral("العائلة"),
                                   QStringLiteral("دليل جديد باسم الملف: \u2068friends gpj\u2069")}));
    QCOMPARE(m_boxes->shown().first().text, QStringLiteral("الملف ليس ملف جهات اتصال (vCard أو CSV) , لم يتغير شىء"));
    QCOMPARE(controls(*m_form).infolist->count(), 2);
    // Another file, into the new directory: it is made, and the undo takes the whole file back.
    const QString more = write(QStringLiteral("الجيران.vcf"), "BEGIN:VCARD\r\nFN:Rami\r\nEND:VCARD\r\n"
                                                              "BEGIN:VCARD\r\nFN:Sami\r\nEND:VCARD\r\n");
    ModalDriver::whenModal([](QWidget* modal) {
        auto* where = qobject_cast<ImportTargetWindow*>(modal);
        QVERIFY(where);
        where->choices->setCurrentRow(where->choices->count() - 1);
        where->CmdImport->click();
    });
    m_form->importFiles({more});
    QTRY_COMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = 'الجيران'")),
                 QStringLiteral("1"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("5"));
    QVERIFY(m_form->undoHistory().undo().ok);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("3"));
    // Cancelled, nothing happens.
    bool asked = false;
    ModalDriver::whenModal([&asked](QWidget* modal) {
        asked = true;
        qobject_cast<ImportTargetWindow*>(modal)->cmdCancel->click();
    });
    m_form->importFiles({cards});
    QTRY_VERIFY(asked);
    QTest::qWait(50);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("3"));
}

void TestImportExport::filesDroppedOnADirectoryGoThere()
{
    const QString locked = m_db->addDirectory(QStringLiteral("سري"), QStringLiteral("Key1"));
    (void)SharedData::directories().requery();
    m_form->fill_dir_list();
    const QString cards = write(QStringLiteral("in.vcf"), "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Nadia\r\nEND:VCARD\r\n");
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(cards)});
    // Straight into the directory it was dropped on: no question where.
    QVERIFY(MainWindowUser::dropOnDirectory(*m_form, QStringLiteral("العائلة"), files));
    QTRY_COMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = 'Nadia'")), m_family);
    // A locked directory asks its password first; a wrong one imports nothing.
    bool asked = false;
    ModalDriver::whenModal([&asked](QWidget* modal) {
        auto* prompt = qobject_cast<DirPass*>(modal);
        QVERIFY(prompt);
        asked = true;
        prompt->tpass->setText(QStringLiteral("wrong"));
        prompt->command1->click();
    });
    QVERIFY(MainWindowUser::dropOnDirectory(*m_form, QStringLiteral("سري"), files));
    QTRY_VERIFY(asked);
    QTest::qWait(50);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {locked}), QStringLiteral("0"));
    // Text that is no file is not taken.
    QMimeData text;
    text.setText(cards);
    QVERIFY(!MainWindowUser::dropOnDirectory(*m_form, QStringLiteral("العائلة"), text));
}

QTEST_MAIN(TestImportExport)
#include "tst_importexport.moc"
