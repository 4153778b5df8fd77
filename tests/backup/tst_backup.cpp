// Backing the database up and restoring it: never a lost contact, never a bad file in place.
#include "AppLook.h"
#include "Backup.h"
#include "BookPasswordDialog.h"
#include "BookRekey.h"
#include "DatabaseFileCopy.h"
#include "FileSizeLimit.h"
#include "KeptOrder.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "RecordListView.h"
#include "Recordset.h"
#include "Schema.h"
#include "ScriptedFileChooser.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinStatusBar.h"
#include "SkinTextBox.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "UpdateWindow.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

namespace
{

QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

} // namespace

class TestBackup : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void backupIsAByteCopyThatOpens();
    void secondBackupOverwritesTheFirst();
    void browseShowsTheFolderWithASeparatorAndCancelGivesHome();
    void emptyBoxWarns();
    void failedCopyKeepsTheOlderBackup();
    void restoreBringsBackDirectoriesAndCounts();
    void badFilesAreRefusedWithNothingChanged_data();
    void badFilesAreRefusedWithNothingChanged();
    void stopBetweenCopyAndRenameKeepsTheOldDatabase();
    void aProtectedBackupIsRestoredWithItsPassword();
    void restoreKeepsOneSafetyCopy();
    void restoreOnlyReadsTheChosenFileAndKeepsPermissions();
    void aDatabaseThatWillNotReopenEndsTheProgram(); // last: it ends the program's event loops

private:
    QTemporaryDir m_target;
};

void TestBackup::initTestCase()
{
    prepareApplication();
}

void TestBackup::init()
{
    openFixture();
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_db->addContact(QStringLiteral("هدى"), family);
    m_form = MainWindowUser::start();
    QDir(m_target.path()).removeRecursively();
    QDir().mkpath(m_target.path());
}

void TestBackup::cleanup()
{
    closeFixture();
    SharedData::setBookKey(QString::fromLatin1(Schema::kPassword));
}

void TestBackup::backupIsAByteCopyThatOpens()
{
    // With a directory shown, whose name order the backup carries.
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    m_chooser->answer(m_target.path());
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<Backup*>(modal);
        QCOMPARE(window->windowTitle(), QStringLiteral("نسخ احتياطى لقاعدة البيانات"));
        QVERIFY(window->pathoutput->isReadOnly());
        window->command1->click();
        window->command2->click();
    });
    controls(*m_form).menus->copydb->trigger();
    QCOMPARE(m_chooser->asked().first().title, QStringLiteral("Select a Directory:"));
    QCOMPARE(m_boxes->last().text, QStringLiteral("تم الحفظ بنجاح"));
    QCOMPARE(m_boxes->last().flags, int(MessageBox::Arabic | MessageBox::Information));
    QVERIFY(m_boxes->last().arabicCaptions);
    const QString backup = m_target.filePath(QStringLiteral("ZK-Data.bak"));
    QCOMPARE(contents(backup), contents(m_db->path()));
    QVERIFY(DatabaseFileCopy::verify(backup, QString::fromLatin1(Schema::kPassword)).ok);
    DataConnection copy;
    QVERIFY(copy.open(backup, QString::fromLatin1(Schema::kPassword)).ok);
    QVERIFY(KeptOrder::load(copy, SharedData::contacts().source()).rows);
    copy.close();
    // No leftovers: the backup and the fingerprint its order is believed by.
    QCOMPARE(QDir(m_target.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("ZK-Data.bak"), QStringLiteral("ZK-Data.bak-order")}));
}

void TestBackup::secondBackupOverwritesTheFirst()
{
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    (void)SharedData::connection().execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('new', '0')"));
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    QCOMPARE(contents(m_target.filePath(QStringLiteral("ZK-Data.bak"))), contents(m_db->path()));

    // A backup name, or the name of the file kept beside it, that is a symbolic link is never
    // written through: another user's link in a shared folder cannot aim the copy elsewhere.
    const QString victim = m_target.filePath(QStringLiteral("victim"));
    writeFile(victim, "keep me");
    const QString backup = m_target.filePath(QStringLiteral("ZK-Data.bak"));
    QVERIFY(QFile::remove(backup) && QFile::link(victim, backup));
    const DataResult refused = DatabaseFileCopy::backup(SharedData::connection(), m_target.path());
    QVERIFY(!refused.ok);
    QVERIFY2(refused.error.contains(QStringLiteral("رابط رمزى")), qPrintable(refused.error));
    QCOMPARE(contents(victim), QByteArray("keep me"));
    QVERIFY(QFileInfo(backup).isSymLink());
    QVERIFY(QFile::remove(backup));
    // With a kept order, a fingerprint goes beside the backup; a link in its place is left alone.
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QVERIFY(SharedData::contacts().keepOrder());
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    QVERIFY(QFileInfo(backup + QStringLiteral("-order")).isFile());
    QVERIFY(QFile::remove(backup + QStringLiteral("-order")));
    QVERIFY(QFile::link(victim, backup + QStringLiteral("-order")));
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    QCOMPARE(contents(victim), QByteArray("keep me"));
    QCOMPARE(QFileInfo(backup).permissions(),
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QCOMPARE(QDir(m_target.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
}

void TestBackup::browseShowsTheFolderWithASeparatorAndCancelGivesHome()
{
    Backup window;
    m_chooser->answer(m_target.path());
    window.command1->click();
    QCOMPARE(window.pathoutput->text(), QDir::toNativeSeparators(m_target.path()) + QDir::separator());
    window.command1->click(); // cancelled
    QCOMPARE(window.pathoutput->text(), QDir::toNativeSeparators(QDir::homePath()) + QDir::separator());
}

void TestBackup::emptyBoxWarns()
{
    Backup window;
    window.command2->click();
    QCOMPARE(m_boxes->last().text, QStringLiteral("من فضلك حدد مكان حفظ النسخة الاحتياطية لقاعدة البيانات"));
    QCOMPARE(m_boxes->last().flags, int(MessageBox::Arabic | MessageBox::Exclamation));
    QCOMPARE(m_boxes->last().title, QStringLiteral("انتبه"));
    QVERIFY(QDir(m_target.path()).isEmpty());
}

void TestBackup::failedCopyKeepsTheOlderBackup()
{
    const QString backup = m_target.filePath(QStringLiteral("ZK-Data.bak"));
    writeFile(backup, "older backup");
    Backup window;
    m_chooser->answer(m_target.path());
    window.command1->click();
    {
        // A disk that fills up half-way through the copy (works for every user, root included).
        FileSizeLimit limit(2048);
        window.command2->click();
    }
    QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("لم يتم حفظ النسخة الاحتياطية: ")));
    QVERIFY2(m_boxes->last().text.contains(QStringLiteral("القرص")),
             qPrintable(m_boxes->last().text)); // why, in Arabic
    QVERIFY(window.windowTitle() == QStringLiteral("نسخ احتياطى لقاعدة البيانات"));
    QCOMPARE(contents(backup), QByteArray("older backup"));
    QCOMPARE(QDir(m_target.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    // Pressing again once there is room succeeds.
    window.command2->click();
    QCOMPARE(contents(backup), contents(m_db->path()));
}

void TestBackup::restoreBringsBackDirectoriesAndCounts()
{
    // A backup with two directories and one contact, then the live file changes.
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    const QString source = SharedData::contacts().source();
    QVERIFY(SharedData::contacts().keepOrder());
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    m_form->GoBack();
    (void)SharedData::connection().execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('later', '0')"));
    (void)SharedData::connection().execute(
        QStringLiteral("INSERT INTO info (name, dir) SELECT 'later', code FROM dirg WHERE dirname = 'العائلة'"));
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QVERIFY(SharedData::contacts().keepOrder()); // the book's own order is kept anew, as at a close
    m_chooser->answer(m_target.filePath(QStringLiteral("ZK-Data.bak")));
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<UpdateWindow*>(modal);
        QCOMPARE(window->windowTitle(), QStringLiteral("استرجاع قاعدة البيانات"));
        window->command3->click();
        window->command4->click();
    });
    controls(*m_form).menus->resdb->trigger();
    QCOMPARE(m_chooser->asked().first().filter, QStringLiteral("Backup Database File|ZK-Data.bak"));
    QCOMPARE(m_boxes->last().text, QStringLiteral("تم استرجاع قاعدة البيانات بنجاح "));
    QCOMPARE(int(m_form->viewState()), 0);
    QVERIFY(controls(*m_form).infodirlist->isVisible());
    QCOMPARE(controls(*m_form).infodirlist->count(), 1);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("عدد الأدلة   1 دليل"));
    QCOMPARE(controls(*m_form).statbar->panelText(3), QStringLiteral("إجمالى البيانات المسجلة   1 بيان"));
    // The restored book opens its directory by the order kept in the backup, without sorting again.
    QVERIFY(KeptOrder::load(SharedData::connection(), source).rows);
}

void TestBackup::badFilesAreRefusedWithNothingChanged_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("text file") << "text";
    QTest::newRow("truncated backup") << "truncated";
    QTest::newRow("other password") << "password";
    QTest::newRow("missing tables") << "tables";
}

void TestBackup::badFilesAreRefusedWithNothingChanged()
{
    QFETCH(QString, kind);
    const QString bad = m_target.filePath(QStringLiteral("ZK-Data.bak"));
    if (kind == QLatin1String("text")) {
        writeFile(bad, QByteArray(5000, 'x'));
    } else if (kind == QLatin1String("truncated")) {
        QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
        const QByteArray whole = contents(bad);
        writeFile(bad, whole.left(whole.size() / 2 + 100));
    } else if (kind == QLatin1String("password")) {
        QVERIFY(Schema::create(bad, QStringLiteral("another password")).ok);
    } else {
        QVERIFY(Schema::create(bad).ok);
        DataConnection c;
        QVERIFY(c.open(bad, QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(c.execute(QStringLiteral("DROP TABLE info")).ok);
    }
    const QByteArray before = contents(m_db->path());
    UpdateWindow window(*m_form);
    m_chooser->answer(bad);
    window.command3->click();
    if (kind == QLatin1String("password")) {
        // A book under a password of its own may be the user's: its password is asked, a wrong
        // one refused in the window, and giving up changes nothing.
        ModalDriver::whenModal([](QWidget* modal) {
            auto* prompt = qobject_cast<BookPasswordDialog*>(modal);
            QVERIFY(prompt);
            prompt->tpassword->setText(QStringLiteral("not this one"));
            prompt->cmdOpen->click();
            QCOMPARE(prompt->refusal->caption(), QStringLiteral("كلمة المرور غير صحيحة , حاول مرة أخرى"));
            prompt->cmdGiveUp->click();
        });
        const int boxes = m_boxes->count();
        window.command4->click();
        QCOMPARE(m_boxes->count(), boxes);
    } else {
        window.command4->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        QVERIFY(m_boxes->last().text.contains(QStringLiteral("قاعدة البيانات الحالية لم تتغير")));
    }
    QCOMPARE(contents(m_db->path()), before);
    QVERIFY(SharedData::connection().isOpen());
    QCOMPARE(controls(*m_form).infodirlist->count(), 1);
    QCOMPARE(window.windowTitle(), QStringLiteral("استرجاع قاعدة البيانات"));
}

void TestBackup::aProtectedBackupIsRestoredWithItsPassword()
{
    const QString master = QStringLiteral("كلمة مرور النسخة");
    const QString standard = QString::fromLatin1(Schema::kPassword);
    // A backup taken while the book was protected, then the protection removed and the book changed.
    QVERIFY(BookRekey::run(SharedData::connection(), master).ok);
    SharedData::setBookKey(master);
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    QVERIFY(BookRekey::run(SharedData::connection(), standard).ok);
    SharedData::setBookKey(standard);
    QVERIFY(SharedData::connection().execute(QStringLiteral("DELETE FROM info")).ok);

    bool asked = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* prompt = qobject_cast<BookPasswordDialog*>(modal);
        QVERIFY(prompt);
        asked = true;
        prompt->tpassword->setText(master);
        prompt->cmdOpen->click();
    });
    UpdateWindow window(*m_form);
    m_chooser->answer(m_target.filePath(QStringLiteral("ZK-Data.bak")));
    window.command3->click();
    window.command4->click();
    QVERIFY(asked);
    QCOMPARE(m_boxes->last().text, QStringLiteral("تم استرجاع قاعدة البيانات بنجاح "));
    // The book in place is the protected one, open under its password, with its contact.
    QCOMPARE(SharedData::bookKey(), master);
    QCOMPARE(controls(*m_form).statbar->panelText(3), QStringLiteral("إجمالى البيانات المسجلة   1 بيان"));
    DataConnection shellLike;
    QVERIFY(!shellLike.open(m_db->path(), standard, DataConnection::Access::ReadOnly).ok);

    // An older, unprotected backup into the protected book: restored, and the user told.
    QDir().mkpath(m_target.filePath(QStringLiteral("old")));
    QVERIFY(Schema::create(m_target.filePath(QStringLiteral("old/ZK-Data.bak"))).ok);
    UpdateWindow again(*m_form);
    m_chooser->answer(m_target.filePath(QStringLiteral("old/ZK-Data.bak")));
    again.command3->click();
    again.command4->click();
    QVERIFY(m_boxes->last().text.contains(QStringLiteral("الدفتر المسترجع غير محمى بكلمة مرور")));
    QVERIFY(!SharedData::bookProtected());
    SharedData::setBookKey(standard);
}

void TestBackup::stopBetweenCopyAndRenameKeepsTheOldDatabase()
{
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    (void)SharedData::connection().execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('kept', '0')"));
    const QByteArray before = contents(m_db->path());
    UpdateWindow window(*m_form);
    window.beforeRename = [] { return false; };
    m_chooser->answer(m_target.filePath(QStringLiteral("ZK-Data.bak")));
    window.command3->click();
    window.command4->click();
    QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
    QCOMPARE(contents(m_db->path()), before);
    QVERIFY(SharedData::connection().isOpen());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("2"));
    // No temporary file is left beside the database.
    for (const QString& name : QDir(m_db->folder()).entryList(QDir::Files | QDir::Hidden))
        QVERIFY2(!name.startsWith(QLatin1String(".qav-copy")), qPrintable(name));
}

void TestBackup::restoreKeepsOneSafetyCopy()
{
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    (void)SharedData::connection().execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('mistake', '0')"));
    const QByteArray replaced = contents(m_db->path());
    UpdateWindow window(*m_form);
    m_chooser->answer(m_target.filePath(QStringLiteral("ZK-Data.bak")));
    window.command3->click();
    window.command4->click();
    QCOMPARE(contents(m_db->path() + QStringLiteral(".previous")), replaced);
}

void TestBackup::restoreOnlyReadsTheChosenFileAndKeepsPermissions()
{
    // A backup made by another tool: no indexes, and never opened by this program before.
    const QString chosen = m_target.filePath(QStringLiteral("other.bak"));
    QVERIFY(Schema::create(chosen).ok);
    {
        DataConnection other;
        QVERIFY(other.open(chosen, QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(other
                    .executeScript(QStringLiteral("DROP INDEX info_dir_name; DROP INDEX dirg_dirname; "
                                                  "INSERT INTO dirg (dirname, pass) VALUES ('من أداة', '0');"))
                    .ok);
    }
    const QByteArray original = contents(chosen);
    QFile::setPermissions(m_db->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const QFile::Permissions bookBits = QFileInfo(m_db->path()).permissions();

    UpdateWindow window(*m_form);
    m_chooser->answer(chosen);
    window.command3->click();
    window.command4->click();
    QCOMPARE(m_boxes->last().text, QStringLiteral("تم استرجاع قاعدة البيانات بنجاح "));
    QCOMPARE(contents(chosen), original);
    QCOMPARE(QFileInfo(m_db->path()).permissions(), bookBits);
    QCOMPARE(controls(*m_form).infodirlist->itemText(0), QStringLiteral("من أداة"));

    // What a restore replaced, and every backup, hold every contact: readable by their owner only,
    // whatever the book's bits, also over an older backup that was readable by all.
    const QFile::Permissions privateBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    QCOMPARE(QFileInfo(m_db->path() + QStringLiteral(".previous")).permissions(), privateBits);
    const QString backup = m_target.filePath(QStringLiteral("ZK-Data.bak"));
    for (int round = 0; round < 2; ++round) {
        QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
        QCOMPARE(QFileInfo(backup).permissions(), privateBits);
        QFile::setPermissions(backup, bookBits);
    }
}

void TestBackup::aDatabaseThatWillNotReopenEndsTheProgram()
{
    // The checked copy is damaged on its way into place (a failing disk): the program says so and
    // ends, as at start-up, rather than run on without a database.
    QVERIFY(DatabaseFileCopy::backup(SharedData::connection(), m_target.path()).ok);
    UpdateWindow window(*m_form);
    window.beforeRename = [this] {
        for (const QString& name :
             QDir(m_db->folder()).entryList({QStringLiteral(".qav-copy*")}, QDir::Files | QDir::Hidden))
            writeFile(QDir(m_db->folder()).filePath(name), QByteArray(8192, 'x'));
        return true;
    };
    m_chooser->answer(m_target.filePath(QStringLiteral("ZK-Data.bak")));
    window.command3->click();
    window.command4->click();
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("خطأ فى قاعدة البيانات")));
    QVERIFY(!m_form->isVisible());
    QVERIFY(!SharedData::connection().isOpen());
}

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
