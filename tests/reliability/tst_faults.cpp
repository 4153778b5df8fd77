// A full disk, a file that cannot be written, a tampered file and a second copy of the program
// writing at the same time: nothing crashes, nothing is lost, nothing wrong is shown.
#include "AppLook.h"
#include "DataConnection.h"
#include "Editor.h"
#include "FileSizeLimit.h"
#include "MainForm.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "RecordListView.h"
#include "RowSet.h"
#include "Schema.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "WindowTestFixture.h"

#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <future>
#include <sys/resource.h>
#include <thread>

namespace
{

const QString kFailure = QStringLiteral("عفوا .. لايمكن حفظ البيانات");

// A file even the superuser cannot write, while it lives.
class Immutable
{
public:
    explicit Immutable(const QString& path) : m_path(path)
    {
        m_ok = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), path}) == 0;
    }
    ~Immutable()
    {
        if (m_ok)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), m_path});
    }
    bool ok() const { return m_ok; }

private:
    QString m_path;
    bool m_ok = false;
};

} // namespace

class TestFaults : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void fullDiskRefusesTheSaveAndKeepsTheFile();
    void unwritableFileOpensAndRefusesSaves();
    void tamperedFileIsToldNotShownWrong();
    void secondWriterIsWaitedFor();

private:
    bool save(const QString& name);
    QString m_code;
};

void TestFaults::initTestCase()
{
    prepareApplication();
}

void TestFaults::init()
{
    openFixture();
    m_code = m_db->addDirectory(QStringLiteral("d"));
    m_db->addContact(QStringLiteral("first"), m_code);
}

void TestFaults::cleanup()
{
    closeFixture();
}

// Saves a new contact through the editor as the user does; true when it was stored.
bool TestFaults::save(const QString& name)
{
    Editor editor(*m_form);
    editor.mode = Editor::Mode::Add;
    editor.dir->setText(m_code);
    editor.tname->setText(name);
    const int shown = m_boxes->count();
    editor.CmdSave->click();
    return m_boxes->count() == shown;
}

void TestFaults::fullDiskRefusesTheSaveAndKeepsTheFile()
{
    m_form = MainWindowUser::start();
    controls(*m_form).infodirlist->selectRow(0);
    m_form->Opendir();
    {
        FileSizeLimit full(512);
        QVERIFY(!save(QStringLiteral("second")));
    }
    QVERIFY(m_boxes->last().text.startsWith(kFailure));
    QCOMPARE(m_db->scalar(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));
    QVERIFY(save(QStringLiteral("second"))); // room again
    QCOMPARE(controls(*m_form).infolist->count(), 2);
}

void TestFaults::unwritableFileOpensAndRefusesSaves()
{
    Immutable locked(m_db->path());
    if (!locked.ok()) {
        if (::geteuid() == 0)
            QSKIP("no way to make a file unwritable for the superuser here");
        QFile::setPermissions(m_db->path(), QFile::ReadOwner);
    }
    m_form = MainWindowUser::start();
    QCOMPARE(controls(*m_form).infodirlist->count(), 1);
    controls(*m_form).infodirlist->selectRow(0);
    m_form->Opendir();
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    QVERIFY(!save(QStringLiteral("second")));
    QVERIFY(m_boxes->last().text.startsWith(kFailure));
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    QFile::setPermissions(m_db->path(), QFile::ReadOwner | QFile::WriteOwner);
}

void TestFaults::tamperedFileIsToldNotShownWrong()
{
    (void)m_db->reader().execute(QStringLiteral("BEGIN"));
    for (int i = 0; i < 400; ++i)
        m_db->addContact(QStringLiteral("c%1").arg(i, 3, 10, QLatin1Char('0')), m_code,
                         {QString::number(i), {}, {}, {}, {}, {}, {}, {}, QString(200, QLatin1Char('n'))});
    (void)m_db->reader().execute(QStringLiteral("COMMIT"));
    m_db->reader().close();
    {
        QFile file(m_db->path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        const qint64 middle = file.size() / 2;
        file.seek(middle);
        char byte = 0;
        file.read(&byte, 1);
        file.seek(middle);
        byte = char(byte ^ 0x5A);
        file.write(&byte, 1);
    }
    m_form = MainWindowUser::start();
    controls(*m_form).infodirlist->selectRow(0);
    m_form->Opendir();
    // Read every row as the list would when scrolled through.
    RecordListView* list = controls(*m_form).infolist;
    int wrong = 0;
    for (int row = 0; row < list->count(); ++row) {
        const QString name = list->itemText(row);
        const QString home = list->subItem(row, 1);
        // A row is either read whole and right, or not shown at all.
        if (!name.isEmpty() && name != QStringLiteral("first") && name.mid(1).toInt() != home.toInt())
            ++wrong;
    }
    QCOMPARE(wrong, 0);
    // Never from inside the reading or painting itself: the message comes once that is over.
    for (const MessageBoxRequest& box : m_boxes->shown())
        QVERIFY(!box.text.contains(QStringLiteral("تالفة")));
    QCoreApplication::processEvents();
    bool told = false;
    for (const MessageBoxRequest& box : m_boxes->shown())
        told = told || (box.title == QStringLiteral("خطأ") && box.text.contains(QStringLiteral("تالفة")));
    QVERIFY2(told, "the damaged file was not reported");
    int reports = 0;
    for (const MessageBoxRequest& box : m_boxes->shown())
        reports += box.text.contains(QStringLiteral("تالفة")) ? 1 : 0;
    QCOMPARE(reports, 1);
}

void TestFaults::secondWriterIsWaitedFor()
{
    m_form = MainWindowUser::start();
    controls(*m_form).infodirlist->selectRow(0);
    m_form->Opendir();
    std::promise<void> holding;
    std::thread other([&] {
        // Another copy of the program, in the middle of its own save.
        DataConnection second;
        (void)second.open(m_db->path(), QString::fromLatin1(Schema::kPassword));
        (void)second.execute(QStringLiteral("BEGIN IMMEDIATE"));
        (void)second.execute(QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"),
                             {QStringLiteral("theirs"), {}, {}, {}, {}, {}, {}, {}, {}, m_code});
        holding.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        (void)second.execute(QStringLiteral("COMMIT"));
    });
    holding.get_future().wait();
    const bool saved = save(QStringLiteral("mine"));
    other.join();
    QVERIFY(saved);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name IN ('mine', 'theirs')")),
             QStringLiteral("2"));
}

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
