// Searching the directory names and the open directory's contacts, and the list-pane commands.
#include "AppLook.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
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
#include "WindowTestFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace
{

QString results(int n)
{
    return QStringLiteral("نتائج البحث  %1 نتيجة").arg(n);
}

QStringList items(RecordListView* list)
{
    QStringList names;
    for (int row = 0; row < list->count(); ++row)
        names << list->itemText(row);
    return names;
}

} // namespace

class TestSearch : public QObject, public WindowTestFixture
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
};

void TestSearch::initTestCase()
{
    prepareApplication();
}

void TestSearch::init()
{
    openFixture();
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    const QString work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("النادي"));
    m_db->addContact(QStringLiteral("Mohamed Salah"), family,
                     {QStringLiteral("0225551234"), {}, {}, {}, {}, {}, QStringLiteral("Club")});
    m_db->addContact(QStringLiteral("Samira O'Hara"), family, {{}, {}, {}, {}, {}, {}, QStringLiteral("School")});
    m_db->addContact(QStringLiteral("أحمد سالم"), family, {{}, {}, {}, {}, {}, {}, QStringLiteral("مدرسة النصر")});
    m_db->addContact(QStringLiteral("100% Cotton"), family);
    m_db->addContact(QStringLiteral("Salah at work"), work);
    m_form = MainWindowUser::start();
}

void TestSearch::cleanup()
{
    closeFixture();
}

void TestSearch::openFamily()
{
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QCOMPARE(int(m_form->viewState()), 1);
}

void TestSearch::search(const QString& text)
{
    controls(*m_form).txtSearch->setText(text);
    controls(*m_form).cmdsearch->click();
}

void TestSearch::contactSearchIsAContainsMatch()
{
    openFamily();
    search(QStringLiteral("ala"));
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("Mohamed Salah")});
    QCOMPARE(controls(*m_form).statbar->panelText(3), results(1));
    QVERIFY(controls(*m_form).infolist->hasBackgroundPicture());
    // Contacts of other directories are never searched.
    QVERIFY(!items(controls(*m_form).infolist).contains(QStringLiteral("Salah at work")));
    // Arabic letter forms match each other.
    search(QStringLiteral("احمد"));
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("أحمد سالم")});
    QCOMPARE(controls(*m_form).statbar->panelText(3), results(controls(*m_form).infolist->count()));
}

void TestSearch::blanksAroundTheTextAndBlankOnlyText()
{
    openFamily();
    search(QStringLiteral("  salah  "));
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    search(QStringLiteral("   "));
    QCOMPARE(controls(*m_form).infolist->count(), 4);
    QCOMPARE(controls(*m_form).statbar->panelText(3), results(4));
    QCOMPARE(controls(*m_form).txtSearch->text(), QStringLiteral("   ")); // the box keeps what was typed
}

void TestSearch::consecutiveSearchesStartFromTheWholeDirectory()
{
    openFamily();
    search(QStringLiteral("Sa"));
    QCOMPARE(controls(*m_form).infolist->count(), 2);
    search(QStringLiteral("Cotton"));
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("100% Cotton")});
}

void TestSearch::noHitsAndHostileTexts()
{
    openFamily();
    search(QStringLiteral("zzz"));
    QCOMPARE(controls(*m_form).infolist->count(), 0);
    QCOMPARE(controls(*m_form).statbar->panelText(3),
             QStringLiteral("نتائج البحث ") + QStringLiteral(" 0") + QStringLiteral(" نتيجة"));
    search(QStringLiteral("' OR '1'='1"));
    QCOMPARE(controls(*m_form).infolist->count(), 0);
    search(QStringLiteral("O'H"));
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("Samira O'Hara")});
    search(QStringLiteral("[a]#\""));
    QCOMPARE(controls(*m_form).infolist->count(), 0);
    // The user's own wildcards still act as wildcards.
    search(QStringLiteral("Mo*Sa%ah"));
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("Mohamed Salah")});
    search(QStringLiteral("100%"));
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("5"));
}

void TestSearch::searchDoesNothingWithEmptyBoxOrHiddenPane()
{
    openFamily();
    search(QStringLiteral("Salah"));
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    search(QString());
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    QCOMPARE(controls(*m_form).statbar->panelText(3), results(1));
    controls(*m_form).dirframe->closeButton()->click();
    search(QStringLiteral("a"));
    QCOMPARE(controls(*m_form).statbar->panelText(3), QString());
}

void TestSearch::searchFieldMenuMovesTheCheckAndIsUsed()
{
    MainMenus& menus = *controls(*m_form).menus;
    QVERIFY(menus.sname->isChecked());
    menus.sinfo->trigger();
    menus.sorg->trigger();
    QCOMPARE(m_form->searchField(), QStringLiteral("org"));
    int checked = 0;
    for (QAction* item : {menus.sname, menus.sorg, menus.saddress, menus.shome, menus.sjob, menus.smobil, menus.sfax,
                          menus.semail, menus.sinfo})
        checked += item->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    QVERIFY(menus.sorg->isChecked());
    openFamily();
    search(QStringLiteral("مدرسه")); // teh marbuta typed as heh
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("أحمد سالم")});
    menus.shome->trigger();
    search(QStringLiteral("5551"));
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("Mohamed Salah")});
    menus.sname->trigger();
    search(QStringLiteral("Club"));
    QCOMPARE(controls(*m_form).infolist->count(), 0);
}

void TestSearch::enterInTheBoxSearchesLikeTheButton()
{
    openFamily();
    controls(*m_form).txtSearch->setText(QStringLiteral("Samira"));
    QTest::keyClick(controls(*m_form).txtSearch, Qt::Key_Return);
    QCOMPARE(items(controls(*m_form).infolist), QStringList{QStringLiteral("Samira O'Hara")});
    QCOMPARE(controls(*m_form).statbar->panelText(3), results(1));
}

void TestSearch::directoryNameSearch()
{
    search(QStringLiteral("ال"));
    QCOMPARE(controls(*m_form).infodirlist->count(), 3);
    QCOMPARE(controls(*m_form).statbar->panelText(3), results(3));
    search(QStringLiteral("عمل"));
    QCOMPARE(items(controls(*m_form).infodirlist), QStringList{QStringLiteral("العمل")});
    QCOMPARE(controls(*m_form).statbar->panelText(3), results(1));
    // Searching directory names never touches the contacts.
    QCOMPARE(SharedData::contacts().recordCount(), qsizetype(5));
}

void TestSearch::showAllRestoresTheDirectoryAndClearsPanel3()
{
    openFamily();
    search(QStringLiteral("Salah"));
    controls(*m_form).menus->viewdelist->trigger();
    QCOMPARE(controls(*m_form).infolist->count(), 4);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("يتضمن الدليل الحالى    4  بيان"));
    QCOMPARE(controls(*m_form).statbar->panelText(3), QString());
    QVERIFY(!controls(*m_form).infolist->hasBackgroundPicture());
}

void TestSearch::showAllOnTheDirectoryListWritesTheWideCount()
{
    search(QStringLiteral("عمل"));
    controls(*m_form).menus->viewdelist->trigger();
    QCOMPARE(controls(*m_form).infodirlist->count(), 3);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("عدد الأدلة   3  دليل"));
    QCOMPARE(controls(*m_form).statbar->panelText(3), QString());
}

void TestSearch::closingThePaneAndOpeningItAgain()
{
    openFamily();
    controls(*m_form).dirframe->closeButton()->click();
    QVERIFY(controls(*m_form).Picture2->isHidden());
    QVERIFY(controls(*m_form).Picture0->isVisible());
    QCOMPARE(int(m_form->viewState()), 0);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QString());
    QCOMPARE(controls(*m_form).statbar->panelText(3), QString());
    QCOMPARE(controls(*m_form).Picture0->toolTip(), QStringLiteral("انقر نقرا مزدوجا لعرض قائمة الدليل"));
    QTest::mouseDClick(controls(*m_form).Picture0, Qt::LeftButton, {}, controls(*m_form).Picture0->rect().center());
    QVERIFY(controls(*m_form).Picture2->isVisible());
    QVERIFY(controls(*m_form).infodirlist->isVisible());
    QVERIFY(!controls(*m_form).infolist->isVisible());
    QCOMPARE(controls(*m_form).infodirlist->count(), 3);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("عدد الأدلة   3 دليل"));
    QCOMPARE(controls(*m_form).statbar->panelText(3), QString());
}

void TestSearch::viewMenuOffersOneItemAtATime()
{
    MainMenus& menus = *controls(*m_form).menus;
    emit menus.viewall->aboutToShow();
    QVERIFY(!menus.viewmdor->isEnabled());
    QVERIFY(menus.viewdelist->isEnabled());
    m_form->closeListPane();
    emit menus.viewall->aboutToShow();
    QVERIFY(menus.viewmdor->isEnabled());
    QVERIFY(!menus.viewdelist->isEnabled());
    // "عرض الكل" with the pane closed does nothing.
    menus.viewdelist->trigger();
    QCOMPARE(controls(*m_form).statbar->panelText(2), QString());
    menus.viewmdor->trigger();
    QVERIFY(controls(*m_form).Picture2->isVisible());
}

void TestSearch::searchBoxChangesColourWithFocus()
{
    m_form->activateWindow();
    QApplication::setActiveWindow(m_form.get());
    controls(*m_form).txtSearch->setFocus();
    QCOMPARE(controls(*m_form).txtSearch->palette().color(QPalette::Base), Units::bgr(0xD8FAFE));
    controls(*m_form).infodirlist->activeView()->setFocus();
    QCOMPARE(controls(*m_form).txtSearch->palette().color(QPalette::Base), Units::bgr(0xFBFBFB));
}

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
