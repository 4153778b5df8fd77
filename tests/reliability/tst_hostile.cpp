// The same hostile strings through every path that reaches the database: each one is stored
// and found exactly as typed, or refused with its message. Nothing else ever changes.
#include "AppLook.h"
#include "ContactFileReader.h"
#include "ContactImporter.h"
#include "DirEdit.h"
#include "DirSetPass.h"
#include "Editor.h"
#include "MainForm.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "MoveDir.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinTextBox.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "VCardWriter.h"
#include "WindowTestFixture.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

namespace
{

QString loneSurrogate()
{
    QString text = QStringLiteral("ab");
    text.insert(1, QChar(0xD800));
    return text;
}

} // namespace

class TestHostile : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void everyPath_data();
    void everyPath();

private:
    int selectContact(const QString& name);
    QString m_home, m_away;
};

void TestHostile::initTestCase()
{
    prepareApplication();
}

void TestHostile::init()
{
    openFixture();
    m_home = m_db->addDirectory(QStringLiteral("home"));
    m_away = m_db->addDirectory(QStringLiteral("away"));
    m_form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("home")));
    m_form->Opendir();
}

void TestHostile::cleanup()
{
    closeFixture();
}

void TestHostile::everyPath_data()
{
    // The text typed or pasted, and what the book keeps of it: control characters and explicit
    // direction controls are dropped (a terminal obeys the one, the other turns a name around);
    // the marks Arabic needs, zero-width joiners and everything else stay as typed.
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("kept");
    auto same = [](const char* name, const QString& text) { QTest::newRow(name) << text << text; };
    same("apostrophes", QStringLiteral("O'Brien's ''"));
    same("quotes", QStringLiteral("say \"hi\" \"\""));
    same("backslashes", QStringLiteral("C:\\path\\ \\' \\\\"));
    same("sql fragment", QStringLiteral("x'); DROP TABLE info; --"));
    same("always true", QStringLiteral("' OR '1'='1"));
    same("wildcards", QStringLiteral("100% *all* _one_ [a-z] #1"));
    QTest::newRow("bidi controls") << QString::fromUtf8("\u202Eمعكوس\u202C \u2067x\u2069 \u200F\u061C\u200E")
                                   << QString::fromUtf8("معكوس x \u200F\u061C\u200E");
    QTest::newRow("terminal escapes") << QStringLiteral("Evil\x1b]0;pwned\x07\x1b[1;31mRED\x7f")
                                      << QStringLiteral("Evil]0;pwned[1;31mRED");
    QTest::newRow("C1 controls") << QStringLiteral("a\u0085b\u009Bc\u0080") << QStringLiteral("abc");
    same("zero width", QString::fromUtf8("a\u200Bb\u200Cc\u200Dd\uFEFF"));
    same("long text", QString(3000, QChar(0x0645)));
    same("lone surrogate", loneSurrogate());
}

int TestHostile::selectContact(const QString& name)
{
    for (int row = 0; row < controls(*m_form).infolist->count(); ++row)
        if (controls(*m_form).infolist->itemText(row) == name) {
            controls(*m_form).infolist->selectRow(row);
            return row;
        }
    return -1;
}

void TestHostile::everyPath()
{
    QFETCH(QString, text);
    QFETCH(QString, kept);
    const bool cleaned = kept != text; // short rows: what the boxes hold is kept whole
    const bool storable = text.isValidUtf16();
    const QString before = m_db->scalar(QStringLiteral("SELECT count(*) FROM info"));

    // Contact save: every field.
    Editor editor(*m_form);
    editor.mode = Editor::Mode::Add;
    editor.dir->setText(m_home);
    for (QLineEdit* box : {editor.tname, editor.org, editor.address, editor.email, editor.hometel})
        box->setText(text);
    editor.moreinfo->setPlainText(text);
    // As the box holds it (at most 200 characters), without what is never kept.
    const QString name = cleaned ? kept : editor.tname->text();
    editor.save();
    if (!storable) {
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), before);
    } else {
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT org || '|' || moreinfo FROM info WHERE name = ?"), {name}),
                 cleaned ? kept + QLatin1Char('|') + kept
                         : editor.org->text() + QLatin1Char('|') + editor.moreinfo->toPlainText());
        QVERIFY(selectContact(name) >= 0); // listed exactly as stored
    }

    // Search: the typed text finds the contact (its own wildcards match itself).
    controls(*m_form).txtSearch->setText(name);
    m_form->searchCommand();
    if (storable && !name.trimmed().isEmpty())
        QVERIFY2(selectContact(name) >= 0, "search did not find the stored text");
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("2"));

    // Move: to the other directory and back.
    if (storable) {
        m_form->viewdelistClick();
        QVERIFY(selectContact(name) >= 0);
        MoveDir move(*m_form);
        move.dir->setText(m_away);
        move.move();
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {name}), m_away);
    }

    // Directory add, then a password on it.
    m_form->GoBack();
    DirEdit add(*m_form);
    add.mode = DirEdit::Mode::Add;
    add.dir_name->setText(text);
    const QString dirName = cleaned ? kept.trimmed() : add.dir_name->text().trimmed();
    add.save();
    const int added = m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = ?"), {dirName}).toInt();
    QCOMPARE(added, storable && !dirName.isEmpty() ? 1 : 0);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM dirg")), QString::number(2 + added));
    if (added == 1) {
        for (int row = 0; row < controls(*m_form).infodirlist->count(); ++row)
            if (controls(*m_form).infodirlist->itemText(row) == dirName)
                controls(*m_form).infodirlist->selectRow(row);
        DirSetPass lock(*m_form);
        lock.tpass1->setText(text);
        lock.tpass2->setText(text);
        const QString typed = lock.tpass1->text();
        lock.save();
        if (typed.size() >= 4)
            QCOMPARE(m_db->scalar(QStringLiteral("SELECT pass FROM dirg WHERE dirname = ?"), {dirName}), typed);
    }

    // Import: the same text as a vCard name and note.
    const ContactFields imported{QStringLiteral("imported ") + text, {}, {}, {}, {}, {}, {}, {}, text};
    const ContactFileContents file = ContactFileReader::readVCard(VCardWriter().card(imported));
    const ImportSummary summary = ContactImporter::run(SharedData::connection(), file, m_home);
    // A file holds valid text only (a lone surrogate was written as U+FFFD): what it says, cleaned, is stored.
    QCOMPARE(summary.added, 1);
    const ContactFields read = file.contacts.front();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT moreinfo FROM info WHERE name = ?"), {read.name}), read.moreinfo);
    if (storable)
        QCOMPARE(read.moreinfo, kept);
    QCOMPARE(m_db->scalar(QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
