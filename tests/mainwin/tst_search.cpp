// Searching the directory names and the open directory's contacts, and the list-pane commands.
#include "AppLook.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowUser.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinFrame.h"
#include "SkinStatusBar.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "Units.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

QString results(int n) { return QStringLiteral("نتائج البحث  %1 نتيجة").arg(n); }

QStringList items(RecordListView* list)
{
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->itemText(row);
    return names;
}

} // namespace

class TestSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void contactSearchIsAContainsMatch();
    void blanksAroundTheTextAndBlankOnlyText();
    void consecutiveSearchesStartFromTheWholeDirectory();
    void noHitsAndHostileTexts();
    void searchDoesNothingWithEmptyBoxOrHiddenPane();
    void searchFieldMenuMovesTheCheckAndIsUsed();
    void enterInTheBoxSearchesLikeTheButton();
    void directoryNameSearch();
    void showAllRestoresTheDirectoryAndClearsPanel3();
    void showAllOnTheDirectoryListWritesTheWideCount();
    void closingThePaneAndOpeningItAgain();
    void viewMenuOffersOneItemAtATime();
    void searchBoxChangesColourWithFocus();

private:
    void openFamily();
    void search(const QString& text);
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedMessageBox> m_boxes;
    std::unique_ptr<MainForm> m_form;
};

void TestSearch::initTestCase()
{
    AppLook::apply(*qApp);
    SoundPlayer::setBackend({[](const QString&) {}, [] {}});
}

void TestSearch::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_boxes = std::make_unique<ScriptedMessageBox>();
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    const QString work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("النادي"));
    m_db->addContact(QStringLiteral("Mohamed Salah"), family, {QStringLiteral("0225551234"), {}, {}, {}, {}, {}, QStringLiteral("Club")});
    m_db->addContact(QStringLiteral("Samira O'Hara"), family, {{}, {}, {}, {}, {}, {}, QStringLiteral("School")});
    m_db->addContact(QStringLiteral("أحمد سالم"), family, {{}, {}, {}, {}, {}, {}, QStringLiteral("مدرسة النصر")});
    m_db->addContact(QStringLiteral("100% Cotton"), family);
    m_db->addContact(QStringLiteral("Salah at work"), work);
    m_form = MainWindowUser::start();
}

void TestSearch::cleanup()
{
    m_form.reset();
    m_boxes.reset();
    m_db.reset();
}

void TestSearch::openFamily()
{
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QCOMPARE(m_form->ViewState, 1);
}

void TestSearch::search(const QString& text)
{
    m_form->txtSearch->setText(text);
    m_form->cmdsearch->click();
}

void TestSearch::contactSearchIsAContainsMatch()
{
    openFamily();
    search(QStringLiteral("ala"));
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("Mohamed Salah")});
    QCOMPARE(m_form->statbar->panelText(3), results(1));
    QVERIFY(m_form->infolist->hasBackgroundPicture());
    // Contacts of other directories are never searched.
    QVERIFY(!items(m_form->infolist).contains(QStringLiteral("Salah at work")));
    // Arabic letter forms match each other.
    search(QStringLiteral("احمد"));
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("أحمد سالم")});
    QCOMPARE(m_form->statbar->panelText(3), results(m_form->infolist->count()));
}

void TestSearch::blanksAroundTheTextAndBlankOnlyText()
{
    openFamily();
    search(QStringLiteral("  salah  "));
    QCOMPARE(m_form->infolist->count(), 1);
    search(QStringLiteral("   "));
    QCOMPARE(m_form->infolist->count(), 4);
    QCOMPARE(m_form->statbar->panelText(3), results(4));
    QCOMPARE(m_form->txtSearch->text(), QStringLiteral("   ")); // the box keeps what was typed
}

void TestSearch::consecutiveSearchesStartFromTheWholeDirectory()
{
    openFamily();
    search(QStringLiteral("Sa"));
    QCOMPARE(m_form->infolist->count(), 2);
    search(QStringLiteral("Cotton"));
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("100% Cotton")});
}

void TestSearch::noHitsAndHostileTexts()
{
    openFamily();
    search(QStringLiteral("zzz"));
    QCOMPARE(m_form->infolist->count(), 0);
    QCOMPARE(m_form->statbar->panelText(3), QStringLiteral("نتائج البحث ") + QStringLiteral(" 0") + QStringLiteral(" نتيجة"));
    search(QStringLiteral("' OR '1'='1"));
    QCOMPARE(m_form->infolist->count(), 0);
    search(QStringLiteral("O'H"));
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("Samira O'Hara")});
    search(QStringLiteral("[a]#\""));
    QCOMPARE(m_form->infolist->count(), 0);
    // The user's own wildcards still act as wildcards.
    search(QStringLiteral("Mo*Sa%ah"));
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("Mohamed Salah")});
    search(QStringLiteral("100%"));
    QCOMPARE(m_form->infolist->count(), 1);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("5"));
}

void TestSearch::searchDoesNothingWithEmptyBoxOrHiddenPane()
{
    openFamily();
    search(QStringLiteral("Salah"));
    QCOMPARE(m_form->infolist->count(), 1);
    search(QString());
    QCOMPARE(m_form->infolist->count(), 1);
    QCOMPARE(m_form->statbar->panelText(3), results(1));
    m_form->dirframe->closeButton()->click();
    search(QStringLiteral("a"));
    QCOMPARE(m_form->statbar->panelText(3), QString());
}

void TestSearch::searchFieldMenuMovesTheCheckAndIsUsed()
{
    MainMenus& menus = *m_form->menus;
    QVERIFY(menus.sname->isChecked());
    menus.sinfo->trigger();
    menus.sorg->trigger();
    QCOMPARE(m_form->SearchField, QStringLiteral("org"));
    int checked = 0;
    for (QAction* item : {menus.sname, menus.sorg, menus.saddress, menus.shome, menus.sjob, menus.smobil, menus.sfax,
                          menus.semail, menus.sinfo})
        checked += item->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    QVERIFY(menus.sorg->isChecked());
    openFamily();
    search(QStringLiteral("مدرسه")); // teh marbuta typed as heh
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("أحمد سالم")});
    menus.shome->trigger();
    search(QStringLiteral("5551"));
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("Mohamed Salah")});
    menus.sname->trigger();
    search(QStringLiteral("Club"));
    QCOMPARE(m_form->infolist->count(), 0);
}

void TestSearch::enterInTheBoxSearchesLikeTheButton()
{
    openFamily();
    m_form->txtSearch->setText(QStringLiteral("Samira"));
    QTest::keyClick(m_form->txtSearch, Qt::Key_Return);
    QCOMPARE(items(m_form->infolist), QStringList{QStringLiteral("Samira O'Hara")});
    QCOMPARE(m_form->statbar->panelText(3), results(1));
}

void TestSearch::directoryNameSearch()
{
    search(QStringLiteral("ال"));
    QCOMPARE(m_form->infodirlist->count(), 3);
    QCOMPARE(m_form->statbar->panelText(3), results(3));
    search(QStringLiteral("عمل"));
    QCOMPARE(items(m_form->infodirlist), QStringList{QStringLiteral("العمل")});
    QCOMPARE(m_form->statbar->panelText(3), results(1));
    // Searching directory names never touches the contacts.
    QCOMPARE(SharedData::contacts().recordCount(), qsizetype(5));
}

void TestSearch::showAllRestoresTheDirectoryAndClearsPanel3()
{
    openFamily();
    search(QStringLiteral("Salah"));
    m_form->menus->viewdelist->trigger();
    QCOMPARE(m_form->infolist->count(), 4);
    QCOMPARE(m_form->statbar->panelText(2), QStringLiteral("يتضمن الدليل الحالى    4  بيان"));
    QCOMPARE(m_form->statbar->panelText(3), QString());
    QVERIFY(!m_form->infolist->hasBackgroundPicture());
}

void TestSearch::showAllOnTheDirectoryListWritesTheWideCount()
{
    search(QStringLiteral("عمل"));
    m_form->menus->viewdelist->trigger();
    QCOMPARE(m_form->infodirlist->count(), 3);
    QCOMPARE(m_form->statbar->panelText(2), QStringLiteral("عدد الأدلة   3  دليل"));
    QCOMPARE(m_form->statbar->panelText(3), QString());
}

void TestSearch::closingThePaneAndOpeningItAgain()
{
    openFamily();
    m_form->dirframe->closeButton()->click();
    QVERIFY(m_form->Picture2->isHidden());
    QVERIFY(m_form->Picture0->isVisible());
    QCOMPARE(m_form->ViewState, 0);
    QCOMPARE(m_form->statbar->panelText(2), QString());
    QCOMPARE(m_form->statbar->panelText(3), QString());
    QCOMPARE(m_form->Picture0->toolTip(), QStringLiteral("انقر نقرا مزدوجا لعرض قائمة الدليل"));
    QTest::mouseDClick(m_form->Picture0, Qt::LeftButton, {}, m_form->Picture0->rect().center());
    QVERIFY(m_form->Picture2->isVisible());
    QVERIFY(m_form->infodirlist->isVisible());
    QVERIFY(!m_form->infolist->isVisible());
    QCOMPARE(m_form->infodirlist->count(), 3);
    QCOMPARE(m_form->statbar->panelText(2), QStringLiteral("عدد الأدلة   3 دليل"));
    QCOMPARE(m_form->statbar->panelText(3), QString());
}

void TestSearch::viewMenuOffersOneItemAtATime()
{
    MainMenus& menus = *m_form->menus;
    emit menus.viewall->aboutToShow();
    QVERIFY(!menus.viewmdor->isEnabled());
    QVERIFY(menus.viewdelist->isEnabled());
    m_form->closeListPane();
    emit menus.viewall->aboutToShow();
    QVERIFY(menus.viewmdor->isEnabled());
    QVERIFY(!menus.viewdelist->isEnabled());
    // "عرض الكل" with the pane closed does nothing.
    menus.viewdelist->trigger();
    QCOMPARE(m_form->statbar->panelText(2), QString());
    menus.viewmdor->trigger();
    QVERIFY(m_form->Picture2->isVisible());
}

void TestSearch::searchBoxChangesColourWithFocus()
{
    m_form->activateWindow();
    QApplication::setActiveWindow(m_form.get());
    m_form->txtSearch->setFocus();
    QCOMPARE(m_form->txtSearch->palette().color(QPalette::Base), Units::bgr(0xD8FAFE));
    m_form->infodirlist->activeView()->setFocus();
    QCOMPARE(m_form->txtSearch->palette().color(QPalette::Base), Units::bgr(0xFBFBFB));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
