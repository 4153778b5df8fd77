// The main window as the user meets it: start-up, the directory list, opening and going back.
#include "AppLook.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowUser.h"
#include "RecordListModel.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SettingsStore.h"
#include "SharedData.h"
#include "SkinFrame.h"
#include "SkinStatusBar.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QAccessible>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <functional>

namespace {

const QString kDirectoryCount3 = QStringLiteral("عدد الأدلة ") + QStringLiteral("  3 دليل");

QString directoryCount(int n) { return QStringLiteral("عدد الأدلة   %1 دليل").arg(n); }
QString totalContacts(int n) { return QStringLiteral("إجمالى البيانات المسجلة   %1 بيان").arg(n); }
QString currentDirectory(int n) { return QStringLiteral("يتضمن الدليل الحالى    %1  بيان").arg(n); }

} // namespace

class TestMainForm : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startupShowsDirectoriesAndBothCounts();
    void missingDatabaseShowsTheMessageAndStops();
    void statusTextsKeepTheirBlanks();
    void directoryListHasThreeColumnsTwoHidden();
    void openingAndGoingBack();
    void lockedDirectoryAsksForItsPassword();
    void emptyListAndFreshStartMenuRules();
    void contactMenuRulesOnEmptyAndFullLists();
    void directoryViewsSwitchAndSurviveGoingBack();
    void goingBackKeepsASearchedList();
    void testscreenAt800And801();
    void soundSettingDecidesTheFirstSound();
    void toolbarHasItsPositionsAndCaptions();
    void toolbarRoutesByViewState();
    void enterAndDoubleClickViewTheSelectedContact();
    void aKeyThatMovesNothingPicksNoDirectory();

private:
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedMessageBox> m_boxes;
    std::unique_ptr<MainForm> m_form;
    QStringList m_played;
    QList<QMenu*> m_popups;

    MainForm& startForm();
    void selectDirectory(const QString& name);
};

void TestMainForm::initTestCase()
{
    AppLook::apply(*qApp);
    SoundPlayer::setBackend({[this](const QString& path) { m_played << path; }, [] {}});
}

void TestMainForm::init()
{
    m_db = std::make_unique<TestDatabase>();
    m_boxes = std::make_unique<ScriptedMessageBox>();
    m_played.clear();
    m_popups.clear();
}

void TestMainForm::cleanup()
{
    m_form.reset();
    m_boxes.reset();
    m_db.reset();
}

MainForm& TestMainForm::startForm()
{
    m_form = MainWindowUser::start(&m_popups);
    return *m_form;
}

void TestMainForm::selectDirectory(const QString& name)
{
    QVERIFY2(MainWindowUser::clickDirectory(*m_form, name), qPrintable(name));
}

void TestMainForm::startupShowsDirectoriesAndBothCounts()
{
    m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("الأصدقاء"));
    m_db->addDirectory(QStringLiteral("العائلة"));
    MainForm& form = startForm();
    QCOMPARE(form.windowTitle(), QStringLiteral("QAV Telephone"));
    QCOMPARE(form.ViewState, 0);
    QCOMPARE(form.SearchField, QStringLiteral("name"));
    QCOMPARE(form.statbar->panelText(1), QStringLiteral("إحصائيات "));
    QCOMPARE(form.statbar->panelText(2), directoryCount(3));
    QCOMPARE(form.statbar->panelText(3), totalContacts(0));
    QVERIFY(form.infodirlist->isVisible());
    QVERIFY(!form.infolist->isVisible());
    QVERIFY(!form.delist->isVisible());
    QCOMPARE(form.infodirlist->count(), 3);
    // In name order, alef forms together.
    QCOMPARE(form.infodirlist->itemText(0), QStringLiteral("الأصدقاء"));
    QVERIFY(form.dir->text().isEmpty());
    QVERIFY(form.dirframe->caption().isEmpty());
    QCOMPARE(m_boxes->count(), 0);
}

void TestMainForm::missingDatabaseShowsTheMessageAndStops()
{
    m_db = std::make_unique<TestDatabase>(false);
    MainForm form;
    QVERIFY(!form.Form_Load());
    QCOMPARE(m_boxes->count(), 1);
    const MessageBoxRequest box = m_boxes->last();
    QCOMPARE(box.text, QStringLiteral("خطأ فى قاعدة البيانات , برجاء إعادة تثبيت البرنامج أو عمل استرجاع لقاعدة البيانات"));
    QCOMPARE(box.title, QStringLiteral("خطأ"));
    QCOMPARE(box.flags, 0x100010);
    QVERIFY(!box.arabicCaptions);
    QVERIFY(!form.isVisible());
}

void TestMainForm::statusTextsKeepTheirBlanks()
{
    QCOMPARE(directoryCount(3), kDirectoryCount3);
    const QString code = m_db->addDirectory(QStringLiteral("d"));
    for (int i = 0; i < 12; ++i)
        m_db->addContact(QStringLiteral("c%1").arg(i), code);
    MainForm& form = startForm();
    QCOMPARE(form.statbar->panelText(3), QStringLiteral("إجمالى البيانات المسجلة ") + QStringLiteral("  12 بيان"));
    selectDirectory(QStringLiteral("d"));
    form.openSelectedDirectory();
    QCOMPARE(form.statbar->panelText(2), QStringLiteral("يتضمن الدليل الحالى  ") + QStringLiteral("  12  بيان"));
    QCOMPARE(form.statbar->panelText(3), QString());
}

void TestMainForm::directoryListHasThreeColumnsTwoHidden()
{
    m_db->addDirectory(QStringLiteral("مقفول"), QStringLiteral("secret"));
    MainForm& form = startForm();
    RecordListView* list = form.infodirlist;
    QCOMPARE(list->columnCount(), 3);
    QCOMPARE(list->headerText(0), QStringLiteral("dirname"));
    QCOMPARE(list->headerText(1), QStringLiteral("dircode"));
    QCOMPARE(list->headerText(2), QStringLiteral("pass"));
    form.menus->dirvver->trigger();
    QCOMPARE(list->view(), int(RecordListView::Report));
    QVERIFY(list->columnWidth(0) > 0);
    QCOMPARE(list->columnWidth(1), 0);
    QCOMPARE(list->columnWidth(2), 0);
    QCOMPARE(list->subItem(0, 2), QStringLiteral("secret"));
    QVERIFY(!list->subItem(0, 1).isEmpty());
    // A screen reader reads the names, never the hidden code or password, in either view.
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(list->listView()),
                                    static_cast<QAbstractItemView*>(list->reportView())}) {
        QStringList spoken;
        QAccessibleInterface* table = QAccessible::queryAccessibleInterface(view);
        QVERIFY(table);
        std::function<void(QAccessibleInterface*)> read = [&](QAccessibleInterface* node) {
            spoken << node->text(QAccessible::Name) << node->text(QAccessible::Value)
                   << node->text(QAccessible::Description);
            for (int i = 0; i < node->childCount(); ++i)
                if (QAccessibleInterface* child = node->child(i))
                    read(child);
        };
        read(table);
        QVERIFY(spoken.contains(QStringLiteral("مقفول")));
        for (const QString& text : spoken) {
            QVERIFY2(!text.contains(QStringLiteral("secret")), qPrintable(text));
            QVERIFY2(text != list->subItem(0, 1), qPrintable(text));
        }
    }
    QCOMPARE(list->layoutDirection(), Qt::RightToLeft);
}

void TestMainForm::openingAndGoingBack()
{
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    const QString work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addContact(QStringLiteral("يوسف"), family);
    m_db->addContact(QStringLiteral("أمل"), family);
    m_db->addContact(QStringLiteral("سارة"), work);
    MainForm& form = startForm();

    selectDirectory(QStringLiteral("العائلة"));
    QCOMPARE(form.dir->text(), family);
    QTest::keyClick(form.infodirlist->activeView(), Qt::Key_Return);
    QCOMPARE(form.ViewState, 1);
    QCOMPARE(form.dirframe->caption(), QStringLiteral("العائلة"));
    QVERIFY(form.infolist->isVisible());
    QVERIFY(!form.infodirlist->isVisible());
    QCOMPARE(form.infolist->count(), 2);
    QCOMPARE(form.infolist->itemText(0), QStringLiteral("أمل"));
    QCOMPARE(form.infolist->subItem(0, 9), family);
    QCOMPARE(form.statbar->panelText(2), currentDirectory(2));
    QCOMPARE(SharedData::contacts().source(),
             QStringLiteral("select * from info where dir= '%1' order by name").arg(family));

    // Backspace in the contact list goes back; the contact recordset keeps the directory left.
    QTest::keyClick(form.infolist->activeView(), Qt::Key_Backspace);
    QCOMPARE(form.ViewState, 0);
    QVERIFY(form.infodirlist->isVisible());
    QVERIFY(!form.infolist->isVisible());
    QCOMPARE(form.statbar->panelText(2), directoryCount(2));
    QCOMPARE(form.statbar->panelText(3), QString());
    QVERIFY(form.dirframe->caption().isEmpty());
    QCOMPARE(SharedData::contacts().recordCount(), qsizetype(2));
    QCOMPARE(form.dir->text(), family);

    // Backspace in the directory list does nothing; the toolbar's back button neither.
    QTest::keyClick(form.infodirlist->activeView(), Qt::Key_Backspace);
    form.SkinToolBar1->button(1)->click();
    QCOMPARE(form.ViewState, 0);

    // The menu item opens too; an empty directory shows an empty list and a count of 0.
    m_db->addDirectory(QStringLiteral("فارغ"));
    QVERIFY(SharedData::directories().requery().ok);
    form.fill_dir_list();
    selectDirectory(QStringLiteral("فارغ"));
    form.menus->dirmnuopen->trigger();
    QCOMPARE(form.infolist->count(), 0);
    QCOMPARE(form.statbar->panelText(2), currentDirectory(0));
    form.SkinToolBar1->button(1)->click();
    QCOMPARE(form.ViewState, 0);
}

void TestMainForm::lockedDirectoryAsksForItsPassword()
{
    m_db->addDirectory(QStringLiteral("خاص"), QStringLiteral("Sesame1"));
    m_db->addDirectory(QStringLiteral("فراغ"), QStringLiteral(" "));
    MainForm& form = startForm();
    QStringList asked;
    form.commands.askDirectoryPassword = [&](MainForm&, const QString& pass) { asked << pass; };
    selectDirectory(QStringLiteral("خاص"));
    QTest::mouseDClick(form.infodirlist->listView()->viewport(), Qt::LeftButton, {},
                       form.infodirlist->listView()->visualRect(form.infodirlist->model()->index(0, 0)).center());
    selectDirectory(QStringLiteral("فراغ"));
    form.menus->dirmnuopen->trigger();
    QCOMPARE(asked, (QStringList{QStringLiteral("Sesame1"), QStringLiteral(" ")}));
    QCOMPARE(form.ViewState, 0);
}

void TestMainForm::emptyListAndFreshStartMenuRules()
{
    MainForm& form = startForm();
    QWidget* viewport = form.infodirlist->listView()->viewport();
    // Empty list: only "add" is offered; double click does nothing.
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(form.ViewState, 0);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(m_popups, QList<QMenu*>{form.menus->dirmnu});
    QVERIFY(form.menus->dirmnuadd->isEnabled());
    for (QAction* item : {form.menus->dirmnuopen, form.menus->dirmnuren, form.menus->dirmnudel,
                          form.menus->dirview->menuAction()})
        QVERIFY(!item->isEnabled());

    // Directories exist, but nothing was clicked yet: still only "add".
    m_db->addDirectory(QStringLiteral("أ"));
    m_form.reset();
    MainForm& fresh = startForm();
    QVERIFY(fresh.dir->text().isEmpty());
    fresh.menus->dirmnuadd->setEnabled(false);
    QTest::mouseRelease(fresh.infodirlist->listView()->viewport(), Qt::RightButton, {}, QPoint(400, 300));
    QVERIFY(fresh.menus->dirmnuadd->isEnabled());
    QVERIFY(!fresh.menus->dirmnuopen->isEnabled());
    // After a click on a directory the other items are offered too.
    selectDirectory(QStringLiteral("أ"));
    QTest::mouseRelease(fresh.infodirlist->listView()->viewport(), Qt::RightButton, {}, QPoint(400, 300));
    QVERIFY(fresh.menus->dirmnuopen->isEnabled());
    QVERIFY(fresh.menus->dirmnudel->isEnabled());
}

void TestMainForm::contactMenuRulesOnEmptyAndFullLists()
{
    const QString full = m_db->addDirectory(QStringLiteral("ممتلئ"));
    m_db->addDirectory(QStringLiteral("خال"));
    m_db->addContact(QStringLiteral("x"), full);
    MainForm& form = startForm();
    selectDirectory(QStringLiteral("خال"));
    form.openSelectedDirectory();
    QWidget* viewport = form.infolist->listView()->viewport();
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(m_popups.last(), form.menus->cm);
    QVERIFY(form.menus->cmadd->isEnabled());
    for (QAction* item : {form.menus->cmdet, form.menus->cmedit, form.menus->cmdel, form.menus->movemag,
                          form.menus->cmv->menuAction()})
        QVERIFY(!item->isEnabled());

    form.GoBack();
    selectDirectory(QStringLiteral("ممتلئ"));
    form.openSelectedDirectory();
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(5, 5));
    for (QAction* item : {form.menus->cmdet, form.menus->cmadd, form.menus->cmedit, form.menus->cmdel,
                          form.menus->movemag})
        QVERIFY(item->isEnabled());
    // The left button shows no menu.
    const int shown = int(m_popups.size());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(int(m_popups.size()), shown);
}

void TestMainForm::directoryViewsSwitchAndSurviveGoingBack()
{
    const QString code = m_db->addDirectory(QStringLiteral("د"));
    m_db->addContact(QStringLiteral("n"), code);
    MainForm& form = startForm();
    QCOMPARE(form.infodirlist->view(), int(RecordListView::List));
    form.menus->dirvver->trigger();
    QCOMPARE(form.infodirlist->view(), int(RecordListView::Report));
    selectDirectory(QStringLiteral("د"));
    form.openSelectedDirectory();
    QVERIFY(!form.menus->cmvm->isChecked());
    QVERIFY(!form.menus->cmvd->isChecked());
    form.menus->cmvd->trigger();
    form.menus->cmvm->trigger();
    QVERIFY(form.menus->cmvm->isChecked());
    QVERIFY(!form.menus->cmvd->isChecked());
    form.menus->cmvd->trigger();
    QCOMPARE(form.infolist->view(), int(RecordListView::Report));
    // Only the name column is visible in report view.
    QVERIFY(form.infolist->columnWidth(0) > 0);
    for (int i = 1; i < 10; ++i)
        QCOMPARE(form.infolist->columnWidth(i), 0);
    form.GoBack();
    QCOMPARE(form.infodirlist->view(), int(RecordListView::Report));
    form.openSelectedDirectory();
    QCOMPARE(form.infolist->view(), int(RecordListView::Report));
    form.GoBack();
    form.menus->dirvhor->trigger();
    QCOMPARE(form.infodirlist->view(), int(RecordListView::List));
}

void TestMainForm::goingBackKeepsASearchedList()
{
    m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("العائلة"));
    m_db->addDirectory(QStringLiteral("النادي"));
    MainForm& form = startForm();
    form.txtSearch->setText(QStringLiteral("عمل"));
    form.searchCommand();
    QCOMPARE(form.infodirlist->count(), 1);
    selectDirectory(QStringLiteral("العمل"));
    form.openSelectedDirectory();
    form.GoBack();
    QCOMPARE(form.infodirlist->count(), 1);
    QCOMPARE(form.statbar->panelText(2), directoryCount(3));
}

void TestMainForm::testscreenAt800And801()
{
    MainForm& form = startForm();
    form.Testscreen(QSize(800, 600));
    QVERIFY(form.windowState() & Qt::WindowMaximized);
    form.Testscreen(QSize(801, 600));
    QVERIFY(!(form.windowState() & Qt::WindowMaximized));
    QCOMPARE(form.size(), QSize(13000 / 15, 10000 / 15));
    form.centreOnScreen(QSize(1280, 1024));
    QCOMPARE(form.pos(), QPoint(640 - 433, 512 - 333 - 10));
}

void TestMainForm::soundSettingDecidesTheFirstSound()
{
    startForm();
    QCOMPARE(m_played.size(), 1);
    QVERIFY(m_played.first().endsWith(QStringLiteral("bg.wav")));
    QVERIFY(m_form->soundOn);

    m_played.clear();
    SettingsStore::write(QStringLiteral("Mirz"), QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("x"));
    startForm();
    QVERIFY(m_played.isEmpty());
    QVERIFY(!m_form->soundOn);
}

void TestMainForm::toolbarHasItsPositionsAndCaptions()
{
    MainForm& form = startForm();
    SkinToolBar* bar = form.SkinToolBar1;
    QCOMPARE(bar->positionCount(), 21);
    const QStringList captions = {QStringLiteral("عودة"),        QStringLiteral("إضافة"),  QStringLiteral("تعديل"),
                                  QStringLiteral("حذف"),         QStringLiteral("خيارات البحث"), QStringLiteral("عرض"),
                                  QStringLiteral("أدوات "),      QStringLiteral("سمات"),  QStringLiteral("طباعة"),
                                  QStringLiteral("حول البرنامج"), QStringLiteral("نشاط المكتب")};
    for (int i = 0; i < captions.size(); ++i)
        QCOMPARE(bar->caption(2 * i + 1), captions.at(i));
    for (int p = 2; p <= 20; p += 2)
        QCOMPARE(bar->kind(p), SkinToolBar::Kind::Separator);
    for (int p : {9, 11, 13, 15})
        QCOMPARE(bar->kind(p), SkinToolBar::Kind::DropDown);
    // Position 1 stands at the right-hand end.
    QVERIFY(bar->button(1)->geometry().x() > bar->button(21)->geometry().x());
}

void TestMainForm::toolbarRoutesByViewState()
{
    m_db->addDirectory(QStringLiteral("د"));
    MainForm& form = startForm();
    QStringList ran;
    auto record = [&ran](const char* what) { return [&ran, what](MainForm&) { ran << QString::fromLatin1(what); }; };
    form.commands.addDirectory = record("addDirectory");
    form.commands.renameDirectory = record("renameDirectory");
    form.commands.deleteDirectory = record("deleteDirectory");
    form.commands.deleteContact = record("deleteContact");
    form.commands.print = record("print");
    form.commands.showEditor = [&ran](MainForm&, const QString& mode) { ran << mode; };
    SkinToolBar* bar = form.SkinToolBar1;
    for (int p : {3, 5, 7, 17})
        bar->button(p)->click();
    QCOMPARE(ran, (QStringList{QStringLiteral("addDirectory"), QStringLiteral("renameDirectory"),
                               QStringLiteral("deleteDirectory")}));
    ran.clear();
    form.infodirlist->selectRow(0);
    form.openSelectedDirectory();
    for (int p : {3, 5, 7, 17})
        bar->button(p)->click();
    // Edit and delete need a contact in the list; the directory is empty.
    QCOMPARE(ran, (QStringList{QStringLiteral("Add"), QStringLiteral("print")}));
    ran.clear();
    form.ViewState = 2;
    for (int p : {3, 5, 7, 17})
        bar->button(p)->click();
    QVERIFY(ran.isEmpty());
    form.ViewState = 1;

    // Face and arrow of a drop-down button open the same menu.
    m_popups.clear();
    bar->button(15)->click();
    bar->arrow(15)->click();
    bar->button(9)->click();
    bar->arrow(13)->click();
    bar->arrow(11)->click();
    QCOMPARE(m_popups, (QList<QMenu*>{form.menus->theme, form.menus->theme, form.menus->mnusearch,
                                      form.menus->mnutools, form.menus->viewall}));
    // "نشاط المكتب" without help.exe does nothing visible.
    bar->button(21)->click();
    QCOMPARE(m_boxes->count(), 0);
}

void TestMainForm::enterAndDoubleClickViewTheSelectedContact()
{
    const QString full = m_db->addDirectory(QStringLiteral("ممتلئ"));
    m_db->addDirectory(QStringLiteral("خال"));
    m_db->addContact(QStringLiteral("هدى"), full, {QStringLiteral("111"), {}, {}, {}, {}, {}, {}, {}});
    MainForm& form = startForm();
    QStringList modes;
    form.commands.showEditor = [&modes](MainForm&, const QString& mode) { modes << mode; };

    selectDirectory(QStringLiteral("خال"));
    form.openSelectedDirectory();
    QTest::keyClick(form.infolist->activeView(), Qt::Key_Return);
    QTest::mouseDClick(form.infolist->listView()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    form.menus->cmedit->trigger();
    QVERIFY(modes.isEmpty()); // an empty list has nothing to view or edit

    form.GoBack();
    selectDirectory(QStringLiteral("ممتلئ"));
    form.openSelectedDirectory();
    QCOMPARE(form.infolist->subItem(0, 1), QStringLiteral("111")); // hidden values ride along
    QTest::keyClick(form.infolist->activeView(), Qt::Key_Return);
    QTest::mouseDClick(form.infolist->listView()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    form.menus->cmdet->trigger();
    QCOMPARE(modes, (QStringList{QStringLiteral("view"), QStringLiteral("view"), QStringLiteral("view")}));
}

void TestMainForm::aKeyThatMovesNothingPicksNoDirectory()
{
    m_db->addDirectory(QStringLiteral("أ"));
    m_db->addDirectory(QStringLiteral("ب"));
    MainForm& form = startForm();
    QAbstractItemView* view = form.infodirlist->activeView();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Shift);
    QTest::keyClick(view, Qt::Key_X);
    QVERIFY(form.dir->text().isEmpty());
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, QPoint(400, 300));
    for (QAction* item : {form.menus->dirmnuopen, form.menus->dirmnuren, form.menus->dirmnudel,
                          form.menus->dirview->menuAction()})
        QVERIFY(!item->isEnabled());
    // A key that moves to another directory picks it, as a click does.
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(form.dir->text(), form.infodirlist->subItem(form.infodirlist->selectedRow(), 1));
    QVERIFY(!form.dir->text().isEmpty());
    // A refill of the list (here a directory search) drops the pick.
    form.txtSearch->setText(QStringLiteral("ب"));
    form.searchCommand();
    QVERIFY(form.dir->text().isEmpty());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
