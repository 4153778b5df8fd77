// The main window as the user meets it: start-up, the directory list, opening and going back.
#include "AppLook.h"
#include "DirEdit.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "RecordListModel.h"
#include "RecordListView.h"
#include "ScriptedFileChooser.h"
#include "ScriptedMessageBox.h"
#include "SettingsStore.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinFrame.h"
#include "SkinStatusBar.h"
#include "SkinTextBox.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "SyncWindow.h"
#include "TestDatabase.h"
#include "ToolbarCommand.h"
#include "WelcomePanel.h"
#include "WindowTestFixture.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <functional>

namespace
{

const QString kDirectoryCount3 = QStringLiteral("عدد الأدلة ") + QStringLiteral("  3 دليل");

// The editor's commands, each recording its mode as the editor names it.
void recordEditorModes(MainForm& form, QStringList& modes)
{
    for (const auto& [command, mode] :
         {std::pair{MainCommand::AddContact, "Add"}, std::pair{MainCommand::ViewContact, "view"},
          std::pair{MainCommand::EditContact, "edit"}})
        form.setCommand(command, [&modes, mode](MainForm&) { modes << QString::fromLatin1(mode); });
}

QString directoryCount(int n)
{
    return QStringLiteral("عدد الأدلة   %1 دليل").arg(n);
}
QString totalContacts(int n)
{
    return QStringLiteral("إجمالى البيانات المسجلة   %1 بيان").arg(n);
}
QString currentDirectory(int n)
{
    return QStringLiteral("يتضمن الدليل الحالى    %1  بيان").arg(n);
}

} // namespace

class TestMainForm : public QObject, public WindowTestFixture
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
    void theDetailsViewFollowsWhatTheListShowed();
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
    void anotherProgramsChangesShowWhenTheWindowIsActiveAgain();
    void aScreenReaderHearsArabicNames();
    void anEmptyBookWelcomesWithThreeWaysToBegin();

private:
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
    openFixture();
    m_played.clear();
    m_popups.clear();
}

void TestMainForm::cleanup()
{
    closeFixture();
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
    QCOMPARE(int(form.viewState()), 0);
    QCOMPARE(form.searchField(), QStringLiteral("name"));
    QCOMPARE(controls(form).statbar->panelText(1), QStringLiteral("إحصائيات "));
    QCOMPARE(controls(form).statbar->panelText(2), directoryCount(3));
    QCOMPARE(controls(form).statbar->panelText(3), totalContacts(0));
    QVERIFY(controls(form).infodirlist->isVisible());
    QVERIFY(!controls(form).infolist->isVisible());
    QVERIFY(!controls(form).delist->isVisible());
    QCOMPARE(controls(form).infodirlist->count(), 3);
    // In name order, alef forms together.
    QCOMPARE(controls(form).infodirlist->itemText(0), QStringLiteral("الأصدقاء"));
    QVERIFY(form.currentDirectory().isEmpty());
    QVERIFY(controls(form).dirframe->caption().isEmpty());
    QCOMPARE(m_boxes->count(), 0);
}

void TestMainForm::missingDatabaseShowsTheMessageAndStops()
{
    m_db = std::make_unique<TestDatabase>(false);
    MainForm form;
    QVERIFY(!form.Form_Load());
    QCOMPARE(m_boxes->count(), 1);
    const MessageBoxRequest box = m_boxes->last();
    QCOMPARE(box.text,
             QStringLiteral("خطأ فى قاعدة البيانات , برجاء إعادة تثبيت البرنامج أو عمل استرجاع لقاعدة البيانات"));
    QCOMPARE(box.title, QStringLiteral("خطأ"));
    QCOMPARE(box.flags, int(MessageBox::RtlReading | MessageBox::Critical));
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
    QCOMPARE(controls(form).statbar->panelText(3),
             QStringLiteral("إجمالى البيانات المسجلة ") + QStringLiteral("  12 بيان"));
    selectDirectory(QStringLiteral("d"));
    form.openSelectedDirectory();
    QCOMPARE(controls(form).statbar->panelText(2),
             QStringLiteral("يتضمن الدليل الحالى  ") + QStringLiteral("  12  بيان"));
    QCOMPARE(controls(form).statbar->panelText(3), QString());
}

void TestMainForm::directoryListHasThreeColumnsTwoHidden()
{
    m_db->addDirectory(QStringLiteral("مقفول"), QStringLiteral("secret"));
    MainForm& form = startForm();
    RecordListView* list = controls(form).infodirlist;
    QCOMPARE(list->columnCount(), 3);
    QCOMPARE(list->headerText(0), QStringLiteral("dirname"));
    QCOMPARE(list->headerText(1), QStringLiteral("dircode"));
    QCOMPARE(list->headerText(2), QStringLiteral("pass"));
    controls(form).menus->dirvver->trigger();
    QCOMPARE(list->view(), int(RecordListView::Report));
    QVERIFY(list->columnWidth(0) > 0);
    QCOMPARE(list->columnWidth(1), 0);
    QCOMPARE(list->columnWidth(2), 0);
    QCOMPARE(list->subItem(0, 2), QStringLiteral("secret"));
    QVERIFY(!list->subItem(0, 1).isEmpty());
    // A screen reader reads the names, never the hidden code or password, in either view.
    for (QAbstractItemView* view :
         {static_cast<QAbstractItemView*>(list->listView()), static_cast<QAbstractItemView*>(list->reportView())}) {
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

void TestMainForm::theDetailsViewFollowsWhatTheListShowed()
{
    m_db->addDirectory(QStringLiteral("أ"));
    m_db->addDirectory(QStringLiteral("ب"));
    MainForm& form = startForm();
    RecordListView* list = controls(form).infodirlist;
    controls(form).menus->dirvver->trigger();
    list->reportView()->setColumnWidth(0, 333); // the user widens the name column
    controls(form).menus->dirvhor->trigger();
    // Changes while the list view shows reach the details view when the user turns to it.
    m_db->addDirectory(QStringLiteral("ج"));
    form.refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
    selectDirectory(QStringLiteral("ج"));
    controls(form).menus->dirvver->trigger();
    QTreeView* details = list->reportView();
    QCOMPARE(details->model()->rowCount(), 3);
    QCOMPARE(details->model()->index(2, 0).data().toString(), QStringLiteral("ج"));
    QCOMPARE(details->currentIndex().row(), 2);
    QVERIFY(details->selectionModel()->isRowSelected(2, QModelIndex()));
    QCOMPARE(list->columnWidth(0), 333);
    QCOMPARE(form.selectedDirectoryName(), QStringLiteral("ج"));
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
    QCOMPARE(form.currentDirectory(), family);
    QTest::keyClick(controls(form).infodirlist->activeView(), Qt::Key_Return);
    QCOMPARE(int(form.viewState()), 1);
    QCOMPARE(controls(form).dirframe->caption(), QStringLiteral("العائلة"));
    QVERIFY(controls(form).infolist->isVisible());
    QVERIFY(!controls(form).infodirlist->isVisible());
    QCOMPARE(controls(form).infolist->count(), 2);
    QCOMPARE(controls(form).infolist->itemText(0), QStringLiteral("أمل"));
    QCOMPARE(controls(form).infolist->subItem(0, 9), family);
    QCOMPARE(controls(form).statbar->panelText(2), currentDirectory(2));
    QCOMPARE(SharedData::contacts().source(),
             QStringLiteral("select * from info where dir= '%1' order by name").arg(family));

    // Backspace in the contact list goes back; the contact recordset keeps the directory left.
    QTest::keyClick(controls(form).infolist->activeView(), Qt::Key_Backspace);
    QCOMPARE(int(form.viewState()), 0);
    QVERIFY(controls(form).infodirlist->isVisible());
    QVERIFY(!controls(form).infolist->isVisible());
    QCOMPARE(controls(form).statbar->panelText(2), directoryCount(2));
    QCOMPARE(controls(form).statbar->panelText(3), QString());
    QVERIFY(controls(form).dirframe->caption().isEmpty());
    QCOMPARE(SharedData::contacts().recordCount(), qsizetype(2));
    QCOMPARE(form.currentDirectory(), family);

    // Backspace in the directory list does nothing; the toolbar's back button neither.
    QTest::keyClick(controls(form).infodirlist->activeView(), Qt::Key_Backspace);
    controls(form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Back))->click();
    QCOMPARE(int(form.viewState()), 0);

    // The menu item opens too; an empty directory shows an empty list and a count of 0.
    m_db->addDirectory(QStringLiteral("فارغ"));
    QVERIFY(SharedData::directories().requery().ok);
    form.fill_dir_list();
    selectDirectory(QStringLiteral("فارغ"));
    controls(form).menus->dirmnuopen->trigger();
    QCOMPARE(controls(form).infolist->count(), 0);
    QCOMPARE(controls(form).statbar->panelText(2), currentDirectory(0));
    controls(form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Back))->click();
    QCOMPARE(int(form.viewState()), 0);
}

void TestMainForm::lockedDirectoryAsksForItsPassword()
{
    m_db->addDirectory(QStringLiteral("خاص"), QStringLiteral("Sesame1"));
    m_db->addDirectory(QStringLiteral("فراغ"), QStringLiteral(" "));
    MainForm& form = startForm();
    QStringList asked;
    form.setPasswordPrompt([&](MainForm&, const QString& pass) { asked << pass; });
    selectDirectory(QStringLiteral("خاص"));
    QTest::mouseDClick(
        controls(form).infodirlist->listView()->viewport(), Qt::LeftButton, {},
        controls(form).infodirlist->listView()->visualRect(controls(form).infodirlist->model()->index(0, 0)).center());
    selectDirectory(QStringLiteral("فراغ"));
    controls(form).menus->dirmnuopen->trigger();
    QCOMPARE(asked, (QStringList{QStringLiteral("Sesame1"), QStringLiteral(" ")}));
    QCOMPARE(int(form.viewState()), 0);
}

void TestMainForm::emptyListAndFreshStartMenuRules()
{
    MainForm& form = startForm();
    QWidget* viewport = controls(form).infodirlist->listView()->viewport();
    // Empty list: only "add" is offered; double click does nothing.
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(10, 10));
    QCOMPARE(int(form.viewState()), 0);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(10, 10));
    QCOMPARE(m_popups, QList<QMenu*>{controls(form).menus->dirmnu});
    QVERIFY(controls(form).menus->dirmnuadd->isEnabled());
    for (QAction* item : {controls(form).menus->dirmnuopen, controls(form).menus->dirmnuren,
                          controls(form).menus->dirmnudel, controls(form).menus->dirview->menuAction()})
        QVERIFY(!item->isEnabled());

    // Directories exist, but nothing was clicked yet: still only "add".
    m_db->addDirectory(QStringLiteral("أ"));
    m_form.reset();
    MainForm& fresh = startForm();
    QVERIFY(fresh.currentDirectory().isEmpty());
    controls(fresh).menus->dirmnuadd->setEnabled(false);
    QTest::mouseRelease(controls(fresh).infodirlist->listView()->viewport(), Qt::RightButton, {}, QPoint(400, 300));
    QVERIFY(controls(fresh).menus->dirmnuadd->isEnabled());
    QVERIFY(!controls(fresh).menus->dirmnuopen->isEnabled());
    // After a click on a directory the other items are offered too.
    selectDirectory(QStringLiteral("أ"));
    QTest::mouseRelease(controls(fresh).infodirlist->listView()->viewport(), Qt::RightButton, {}, QPoint(400, 300));
    QVERIFY(controls(fresh).menus->dirmnuopen->isEnabled());
    QVERIFY(controls(fresh).menus->dirmnudel->isEnabled());
}

void TestMainForm::contactMenuRulesOnEmptyAndFullLists()
{
    const QString full = m_db->addDirectory(QStringLiteral("ممتلئ"));
    m_db->addDirectory(QStringLiteral("خال"));
    m_db->addContact(QStringLiteral("x"), full);
    MainForm& form = startForm();
    selectDirectory(QStringLiteral("خال"));
    form.openSelectedDirectory();
    QWidget* viewport = controls(form).infolist->listView()->viewport();
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(m_popups.last(), controls(form).menus->cm);
    QVERIFY(controls(form).menus->cmadd->isEnabled());
    for (QAction* item : {controls(form).menus->cmdet, controls(form).menus->cmedit, controls(form).menus->cmdel,
                          controls(form).menus->movemag, controls(form).menus->cmv->menuAction()})
        QVERIFY(!item->isEnabled());

    form.GoBack();
    selectDirectory(QStringLiteral("ممتلئ"));
    form.openSelectedDirectory();
    QTest::mouseRelease(viewport, Qt::RightButton, {}, QPoint(5, 5));
    for (QAction* item : {controls(form).menus->cmdet, controls(form).menus->cmadd, controls(form).menus->cmedit,
                          controls(form).menus->cmdel, controls(form).menus->movemag})
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
    QCOMPARE(controls(form).infodirlist->view(), int(RecordListView::List));
    controls(form).menus->dirvver->trigger();
    QCOMPARE(controls(form).infodirlist->view(), int(RecordListView::Report));
    selectDirectory(QStringLiteral("د"));
    form.openSelectedDirectory();
    QVERIFY(!controls(form).menus->cmvm->isChecked());
    QVERIFY(!controls(form).menus->cmvd->isChecked());
    controls(form).menus->cmvd->trigger();
    controls(form).menus->cmvm->trigger();
    QVERIFY(controls(form).menus->cmvm->isChecked());
    QVERIFY(!controls(form).menus->cmvd->isChecked());
    controls(form).menus->cmvd->trigger();
    QCOMPARE(controls(form).infolist->view(), int(RecordListView::Report));
    // Only the name column is visible in report view.
    QVERIFY(controls(form).infolist->columnWidth(0) > 0);
    for (int i = 1; i < 10; ++i)
        QCOMPARE(controls(form).infolist->columnWidth(i), 0);
    form.GoBack();
    QCOMPARE(controls(form).infodirlist->view(), int(RecordListView::Report));
    form.openSelectedDirectory();
    QCOMPARE(controls(form).infolist->view(), int(RecordListView::Report));
    form.GoBack();
    controls(form).menus->dirvhor->trigger();
    QCOMPARE(controls(form).infodirlist->view(), int(RecordListView::List));
}

void TestMainForm::goingBackKeepsASearchedList()
{
    m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addDirectory(QStringLiteral("العائلة"));
    m_db->addDirectory(QStringLiteral("النادي"));
    MainForm& form = startForm();
    controls(form).txtSearch->setText(QStringLiteral("عمل"));
    form.searchCommand();
    QCOMPARE(controls(form).infodirlist->count(), 1);
    selectDirectory(QStringLiteral("العمل"));
    form.openSelectedDirectory();
    form.GoBack();
    QCOMPARE(controls(form).infodirlist->count(), 1);
    QCOMPARE(controls(form).statbar->panelText(2), directoryCount(3));
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
    QVERIFY(m_form->soundOn());

    m_played.clear();
    SettingsStore::write(QStringLiteral("Mirz"), QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("x"));
    startForm();
    QVERIFY(m_played.isEmpty());
    QVERIFY(!m_form->soundOn());
}

void TestMainForm::toolbarHasItsPositionsAndCaptions()
{
    MainForm& form = startForm();
    SkinToolBar* bar = controls(form).SkinToolBar1;
    QCOMPARE(bar->positionCount(), 25);
    using C = ToolbarCommand;
    const std::pair<ToolbarCommand, const char*> captions[] = {{C::Back, "عودة"},
                                                               {C::Add, "إضافة"},
                                                               {C::Edit, "تعديل"},
                                                               {C::Delete, "حذف"},
                                                               {C::SearchOptions, "خيارات البحث"},
                                                               {C::View, "عرض"},
                                                               {C::Tools, "أدوات "},
                                                               {C::Themes, "سمات"},
                                                               {C::Print, "طباعة"},
                                                               {C::About, "حول البرنامج"},
                                                               {C::Office, "نشاط المكتب"},
                                                               {C::Undo, "تراجع"},
                                                               {C::SearchBook, "بحث شامل"}};
    for (const auto& [command, caption] : captions) {
        QCOMPARE(bar->caption(toolbarPosition(command)), QString::fromUtf8(caption));
        // A separator stands after every button but the last.
        if (command != C::SearchBook)
            QCOMPARE(bar->kind(toolbarPosition(command) + 1), SkinToolBar::Kind::Separator);
    }
    for (ToolbarCommand command : {C::SearchOptions, C::View, C::Tools, C::Themes})
        QCOMPARE(bar->kind(toolbarPosition(command)), SkinToolBar::Kind::DropDown);
    // "عودة" stands at the right-hand end.
    QVERIFY(bar->button(toolbarPosition(C::Back))->geometry().x() >
            bar->button(toolbarPosition(C::Undo))->geometry().x());
}

void TestMainForm::toolbarRoutesByViewState()
{
    m_db->addDirectory(QStringLiteral("د"));
    MainForm& form = startForm();
    QStringList ran;
    auto record = [&ran](const char* what) { return [&ran, what](MainForm&) { ran << QString::fromLatin1(what); }; };
    form.setCommand(MainCommand::AddDirectory, record("addDirectory"));
    form.setCommand(MainCommand::RenameDirectory, record("renameDirectory"));
    form.setCommand(MainCommand::DeleteDirectory, record("deleteDirectory"));
    form.setCommand(MainCommand::DeleteContact, record("deleteContact"));
    form.setCommand(MainCommand::Print, record("print"));
    recordEditorModes(form, ran);
    SkinToolBar* bar = controls(form).SkinToolBar1;
    for (ToolbarCommand command :
         {ToolbarCommand::Add, ToolbarCommand::Edit, ToolbarCommand::Delete, ToolbarCommand::Print})
        bar->button(toolbarPosition(command))->click();
    QCOMPARE(ran, (QStringList{QStringLiteral("addDirectory"), QStringLiteral("renameDirectory"),
                               QStringLiteral("deleteDirectory")}));
    ran.clear();
    controls(form).infodirlist->selectRow(0);
    form.openSelectedDirectory();
    for (ToolbarCommand command :
         {ToolbarCommand::Add, ToolbarCommand::Edit, ToolbarCommand::Delete, ToolbarCommand::Print})
        bar->button(toolbarPosition(command))->click();
    // Edit and delete need a contact in the list; the directory is empty.
    QCOMPARE(ran, (QStringList{QStringLiteral("Add"), QStringLiteral("print")}));

    // Face and arrow of a drop-down button open the same menu.
    m_popups.clear();
    bar->button(toolbarPosition(ToolbarCommand::Themes))->click();
    bar->arrow(toolbarPosition(ToolbarCommand::Themes))->click();
    bar->button(toolbarPosition(ToolbarCommand::SearchOptions))->click();
    bar->arrow(toolbarPosition(ToolbarCommand::Tools))->click();
    bar->arrow(toolbarPosition(ToolbarCommand::View))->click();
    QCOMPARE(m_popups,
             (QList<QMenu*>{controls(form).menus->theme, controls(form).menus->theme, controls(form).menus->mnusearch,
                            controls(form).menus->mnutools, controls(form).menus->viewall}));
    // "نشاط المكتب" without help.exe does nothing visible.
    bar->button(toolbarPosition(ToolbarCommand::Office))->click();
    QCOMPARE(m_boxes->count(), 0);
}

void TestMainForm::enterAndDoubleClickViewTheSelectedContact()
{
    const QString full = m_db->addDirectory(QStringLiteral("ممتلئ"));
    m_db->addDirectory(QStringLiteral("خال"));
    m_db->addContact(QStringLiteral("هدى"), full, {QStringLiteral("111"), {}, {}, {}, {}, {}, {}, {}});
    MainForm& form = startForm();
    QStringList modes;
    recordEditorModes(form, modes);

    selectDirectory(QStringLiteral("خال"));
    form.openSelectedDirectory();
    QTest::keyClick(controls(form).infolist->activeView(), Qt::Key_Return);
    QTest::mouseDClick(controls(form).infolist->listView()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    controls(form).menus->cmedit->trigger();
    QVERIFY(modes.isEmpty()); // an empty list has nothing to view or edit

    form.GoBack();
    selectDirectory(QStringLiteral("ممتلئ"));
    form.openSelectedDirectory();
    QCOMPARE(controls(form).infolist->subItem(0, 1), QStringLiteral("111")); // hidden values ride along
    QTest::keyClick(controls(form).infolist->activeView(), Qt::Key_Return);
    QTest::mouseDClick(controls(form).infolist->listView()->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    controls(form).menus->cmdet->trigger();
    QCOMPARE(modes, (QStringList{QStringLiteral("view"), QStringLiteral("view"), QStringLiteral("view")}));
}

void TestMainForm::aKeyThatMovesNothingPicksNoDirectory()
{
    m_db->addDirectory(QStringLiteral("أ"));
    m_db->addDirectory(QStringLiteral("ب"));
    MainForm& form = startForm();
    QAbstractItemView* view = controls(form).infodirlist->activeView();
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Shift);
    QTest::keyClick(view, Qt::Key_X);
    QVERIFY(form.currentDirectory().isEmpty());
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, QPoint(400, 300));
    for (QAction* item : {controls(form).menus->dirmnuopen, controls(form).menus->dirmnuren,
                          controls(form).menus->dirmnudel, controls(form).menus->dirview->menuAction()})
        QVERIFY(!item->isEnabled());
    // A key that moves to another directory picks it, as a click does.
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(form.currentDirectory(),
             controls(form).infodirlist->subItem(controls(form).infodirlist->selectedRow(), 1));
    QVERIFY(!form.currentDirectory().isEmpty());
    // Once picked, a directory stays picked whatever refills the list: a search that finds
    // nothing, a new directory, showing them all again. The popup keeps offering its commands.
    const QString picked = form.currentDirectory();
    controls(form).txtSearch->setText(QStringLiteral("لا شىء يشبه هذا"));
    form.searchCommand();
    QCOMPARE(controls(form).infodirlist->count(), 0);
    QCOMPARE(controls(form).infodirlist->emptyText(), QStringLiteral("لا توجد نتائج"));
    QVERIFY(!form.findChild<WelcomePanel*>()->isVisible());
    m_db->addDirectory(QStringLiteral("ج"));
    form.refreshAfterWrite(BookChange::DirectoriesAddedOrRemoved);
    controls(form).menus->viewdelist->trigger();
    QCOMPARE(controls(form).infodirlist->emptyText(), QString());
    QCOMPARE(form.currentDirectory(), picked);
    QTest::mouseRelease(view->viewport(), Qt::RightButton, {}, QPoint(400, 300));
    for (QAction* item : {controls(form).menus->dirmnuopen, controls(form).menus->dirmnuren,
                          controls(form).menus->dirmnudel, controls(form).menus->dirview->menuAction()})
        QVERIFY(item->isEnabled());
}

void TestMainForm::anotherProgramsChangesShowWhenTheWindowIsActiveAgain()
{
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    for (const QString& name : {QStringLiteral("أمل"), QStringLiteral("سارة"), QStringLiteral("يوسف")})
        m_db->addContact(name, family);
    MainForm& form = startForm();
    form.takeInOutsideChanges(); // what the window saw when it came up
    selectDirectory(QStringLiteral("العائلة"));
    form.openSelectedDirectory();
    controls(form).infolist->selectRow(2);

    // The stock shell (another connection) deletes the first contact and adds a directory.
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {QStringLiteral("أمل")}));
    m_db->addDirectory(QStringLiteral("جديد"));
    form.takeInOutsideChanges();
    QCOMPARE(controls(form).infolist->count(), 2);
    QCOMPARE(controls(form).infolist->itemText(0), QStringLiteral("سارة"));
    QCOMPARE(controls(form).infolist->itemText(controls(form).infolist->selectedRow()), QStringLiteral("يوسف"));
    QCOMPARE(controls(form).statbar->panelText(2), currentDirectory(2));
    controls(form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Back))->click();
    QCOMPARE(controls(form).infodirlist->count(), 2);
    QCOMPARE(controls(form).infodirlist->itemText(controls(form).infodirlist->selectedRow()),
             QStringLiteral("العائلة"));
}

void TestMainForm::aScreenReaderHearsArabicNames()
{
    MainForm& form = startForm();
    auto arabic = [](const QString& name) {
        return std::any_of(name.begin(), name.end(), [](QChar ch) { return ch.script() == QChar::Script_Arabic; });
    };
    QVERIFY2(arabic(form.accessibleName()), qPrintable(form.accessibleName()));
    // What a person hears is never a name meant for code: every control the window shows says
    // in Arabic what it is (the program's own name aside).
    for (const char* name :
         {"SkinToolBar1", "txtSearch", "infodirlist", "infolist", "delist", "statbar", "StatusBar"}) {
        auto* control = form.findChild<QWidget*>(QLatin1String(name));
        QVERIFY2(control, name);
        QVERIFY2(arabic(control->accessibleName()),
                 qPrintable(QLatin1String(name) + QLatin1String(": ") + control->accessibleName()));
    }
    int heard = 0;
    for (QWidget* control : form.findChildren<QWidget*>()) {
        QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(control);
        if (!control->isVisible() || !spoken)
            continue;
        ++heard;
        const QString name = QString(spoken->text(QAccessible::Name)).remove(QStringLiteral("QAV Telephone"));
        const bool latin =
            std::any_of(name.begin(), name.end(), [](QChar ch) { return ch.script() == QChar::Script_Latin; });
        QVERIFY2(!latin, qPrintable(control->objectName() + QLatin1String(": ") + name));
    }
    QVERIFY(heard > 20);
}

void TestMainForm::anEmptyBookWelcomesWithThreeWaysToBegin()
{
    MainForm& form = startForm();
    auto* welcome = form.findChild<WelcomePanel*>();
    QVERIFY(welcome && welcome->isVisible());
    QCOMPARE(welcome->addDirectory->text(), QStringLiteral("إنشاء دليل جديد"));
    QCOMPARE(welcome->importFile->text(), QStringLiteral("استيراد جهات اتصال من ملف..."));
    QCOMPARE(welcome->linkServer->text(), QStringLiteral("ربط بدفتر عناوين على خادم..."));
    // A right-click on the welcome opens the empty list's own popup: only "add" is offered.
    m_popups.clear();
    QTest::mouseRelease(welcome, Qt::RightButton, {}, QPoint(5, 5));
    QCOMPARE(m_popups, QList<QMenu*>{controls(form).menus->dirmnu});
    QVERIFY(controls(form).menus->dirmnuadd->isEnabled());
    QVERIFY(!controls(form).menus->dirmnuopen->isEnabled());

    // Import: the contacts go into a new directory named after the file, and the welcome goes.
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("أصدقاء.vcf"));
    QFile card(file);
    QVERIFY(card.open(QIODevice::WriteOnly));
    card.write("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xd9\x87\xd8\xaf\xd9\x89\r\nTEL:0100\r\nEND:VCARD\r\n");
    card.close();
    m_chooser->answer(file);
    welcome->importFile->click();
    QVERIFY2(m_boxes->last().text.contains(QStringLiteral("تم استيراد 1")), qPrintable(m_boxes->last().text));
    QVERIFY(!welcome->isVisible());
    QCOMPARE(controls(form).infodirlist->count(), 1);
    QCOMPARE(controls(form).infodirlist->itemText(0), QStringLiteral("أصدقاء"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {QStringLiteral("هدى")}),
             QStringLiteral("1"));

    // Back to an empty book (another program emptied it): link names a directory, then opens the
    // sync window on it.
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM info")).ok);
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM dirg")).ok);
    form.takeInOutsideChanges();
    QVERIFY(welcome->isVisible());
    bool synced = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* named = qobject_cast<DirEdit*>(modal);
        QVERIFY(named);
        named->dir_name->setText(QStringLiteral("العمل"));
        ModalDriver::whenModal([&](QWidget* next) {
            auto* sync = qobject_cast<SyncWindow*>(next);
            QVERIFY(sync);
            synced = sync->directory->currentText() == QStringLiteral("العمل");
            sync->reject();
        });
        named->CmdSave->click();
    });
    welcome->linkServer->click();
    QVERIFY(synced);
    QVERIFY(!welcome->isVisible());
}

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
