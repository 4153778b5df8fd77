// Taking changes back and making them again: a deleted contact comes back byte for byte, an
// add, an edit and a move are undone and redone, and a step that another writer's change is in
// the way of says so and changes nothing.
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirEdit.h"
#include "DirPass.h"
#include "Editor.h"
#include "InterchangeCommands.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "MessageBox.h"
#include "ModalDriver.h"
#include "MoveDir.h"
#include "RecordListView.h"
#include "ScriptedFileChooser.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinFrame.h"
#include "SkinStatusBar.h"
#include "SkinTextBox.h"
#include "SkinToolBar.h"
#include "StatusTexts.h"
#include "ToolbarCommand.h"
#include "WindowTestFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

class TestUndo : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void aDeleteIsTakenBackByteForByteAndMadeAgain();
    void anAddAnEditAndAMoveAreTakenBack();
    void anotherWritersChangeStopsTheStep();
    void directoryChangesAreTakenBack();
    void aWholeImportIsTakenBackAtOnce();
    void aStepLeavesTheListsAndCountsAsTheWindowShowsThem();
    void contactsChosenTogetherGoAndComeBackAsOneStep();
    void aLockedDirectorysStepsWaitUntilItIsOpen();

private:
    QAction* undo() { return m_form->findChild<QAction*>(QStringLiteral("undo")); }
    QAction* redo() { return m_form->findChild<QAction*>(QStringLiteral("redo")); }
    QString row(const QString& name);
    void editMobile(const QString& number);
    QString m_family;
    QString m_work;
};

void TestUndo::initTestCase()
{
    prepareApplication();
}

void TestUndo::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addContact(QStringLiteral("سارة"), m_family,
                     {QStringLiteral("0223"),
                      {},
                      QStringLiteral("0100"),
                      {},
                      QStringLiteral("شارع 'النيل'"),
                      QStringLiteral("s@x.org"),
                      {},
                      QStringLiteral("سطر\nسطر")});
    // More values, one with a direction override, and rows another program left behind when it
    // deleted contacts: one of the same name at another row, one at the row the next contact gets.
    qint64 at = 0;
    QVERIFY(ContactStore(m_db->reader()).findByName(QStringLiteral("سارة"), at));
    QVERIFY(
        ContactValueStore(m_db->reader())
            .replaceWithin(at, QStringLiteral("سارة"),
                           {{ContactValue::Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0111 222")},
                            {ContactValue::Kind::Email, QStringLiteral("\u202Ework"), QStringLiteral("s2@x.org")}}));
    for (const qint64 orphan : {at + 1000, at + 1})
        QVERIFY(
            m_db->reader()
                .execute(QStringLiteral("INSERT INTO qav_contact_value (contact, name, kind, value) "
                                        "VALUES (?, ?, 'tel', '0999')"),
                         {QString::number(orphan), orphan == at + 1 ? QStringLiteral("غائب") : QStringLiteral("سارة")})
                .ok);
    m_form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    controls(*m_form).infolist->selectRow(0);
}

void TestUndo::cleanup()
{
    closeFixture();
}

QString TestUndo::row(const QString& name)
{
    // With its more values, as a contact reads them: those of its row and name, in their order.
    return m_db->scalar(QStringLiteral("SELECT quote(name)||quote(hometel)||quote(jobtel)||quote(mobil)||quote(fax)||"
                                       "quote(address)||quote(email)||quote(org)||quote(moreinfo)||quote(dir)||"
                                       "coalesce((SELECT group_concat(quote(v.kind)||quote(v.label)||quote(v.value)||"
                                       "quote(v.calendar), ',') FROM (SELECT * FROM qav_contact_value "
                                       "WHERE contact = info.rowid AND name = info.name ORDER BY position) v), '') "
                                       "FROM info WHERE name = ?"),
                        {name});
}

void TestUndo::editMobile(const QString& number)
{
    controls(*m_form).infolist->selectRow(0);
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(editor);
        editor->mobil->setText(number);
        editor->CmdSave->click();
    });
    m_form->CmdEdit_Click();
}

void TestUndo::aDeleteIsTakenBackByteForByteAndMadeAgain()
{
    QVERIFY(!undo()->isEnabled());
    QCOMPARE(undo()->shortcut(), QKeySequence(QKeySequence::Undo));
    const QString before = row(QStringLiteral("سارة"));
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).menus->cmdel->trigger();
    QCOMPARE(row(QStringLiteral("سارة")), QString());
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن حذف «سارة»"));
    // Ctrl+Z in the window.
    QTest::keyClick(static_cast<QWidget*>(controls(*m_form).infolist->activeView()), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(row(QStringLiteral("سارة")), before);
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    QCOMPARE(redo()->text(), QStringLiteral("إعادة حذف «سارة»"));
    redo()->trigger();
    QCOMPARE(row(QStringLiteral("سارة")), QString());
    // The toolbar's undo button, named after what it takes back.
    QToolButton* button = controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Undo));
    QCOMPARE(button->toolTip(), QStringLiteral("تراجع عن حذف «سارة»"));
    button->click();
    QCOMPARE(row(QStringLiteral("سارة")), before);
    QVERIFY(!button->isEnabled());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash")), QStringLiteral("0"));
}

void TestUndo::anAddAnEditAndAMoveAreTakenBack()
{
    const QString original = row(QStringLiteral("سارة"));
    editMobile(QStringLiteral("0199"));
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن تعديل «سارة»"));
    undo()->trigger();
    QCOMPARE(row(QStringLiteral("سارة")), original);
    redo()->trigger();
    QVERIFY(row(QStringLiteral("سارة")).contains(QStringLiteral("'0199'")));
    undo()->trigger();

    ModalDriver::whenModal([](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        editor->tname->setText(QStringLiteral("أمل"));
        editor->CmdSave->click();
    });
    m_form->CmdADD_Click();
    QVERIFY(!row(QStringLiteral("أمل")).contains(QStringLiteral("0999"))); // never another's values
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن إضافة «أمل»"));
    undo()->trigger();
    QCOMPARE(row(QStringLiteral("أمل")), QString());
    // Added with more values: made again, it has them again.
    ModalDriver::whenModal([](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        editor->tname->setText(QStringLiteral("أمل"));
        editor->more = {{ContactValue::Kind::Web, {}, QStringLiteral("https://amal.example")}};
        editor->moreChanged = true;
        editor->CmdSave->click();
    });
    m_form->CmdADD_Click();
    const QString added = row(QStringLiteral("أمل"));
    QVERIFY(added.contains(QStringLiteral("'https://amal.example'")));
    undo()->trigger();
    QCOMPARE(row(QStringLiteral("أمل")), QString());
    redo()->trigger();
    QCOMPARE(row(QStringLiteral("أمل")), added);
    undo()->trigger();
    QCOMPARE(controls(*m_form).infolist->count(), 1);

    controls(*m_form).infolist->selectRow(0);
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* move = qobject_cast<MoveDir*>(modal);
        QVERIFY(move);
        move->dir->setText(m_work);
        move->CmdSave->click();
    });
    controls(*m_form).menus->movemag->trigger();
    QVERIFY(row(QStringLiteral("سارة")).contains(QLatin1Char('\'') + m_work + QStringLiteral("''tel'")));
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن نقل «سارة»"));
    undo()->trigger();
    QCOMPARE(row(QStringLiteral("سارة")), original);
}

void TestUndo::anotherWritersChangeStopsTheStep()
{
    editMobile(QStringLiteral("0199"));
    // The stock shell, or a second copy of the program, changes the contact afterwards.
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("UPDATE info SET email = 'new@x.org' WHERE name = ?"), {QStringLiteral("سارة")})
                .ok);
    const QString changed = row(QStringLiteral("سارة"));
    undo()->trigger();
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("لا يمكن ذلك: تغيرت البيانات")));
    QCOMPARE(row(QStringLiteral("سارة")), changed);
    QVERIFY(undo()->isEnabled()); // still offered: nothing was taken back
}

void TestUndo::directoryChangesAreTakenBack()
{
    m_form->GoBack();
    const QString directories = QStringLiteral("SELECT group_concat(dirname || ':' || pass, ',') FROM "
                                               "(SELECT dirname, pass FROM dirg ORDER BY dirname)");
    const QString before = m_db->scalar(directories);
    ModalDriver::whenModal([](QWidget* modal) {
        auto* named = qobject_cast<DirEdit*>(modal);
        named->dir_name->setText(QStringLiteral("جديد"));
        named->CmdSave->click();
    });
    controls(*m_form).menus->dirmnuadd->trigger();
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن إضافة الدليل «جديد»"));
    undo()->trigger();
    QCOMPARE(m_db->scalar(directories), before);
    redo()->trigger();
    QVERIFY(m_db->scalar(directories).contains(QStringLiteral("جديد:0")));

    // Renamed, then deleted while locked: both come back, the lock with it.
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("جديد")));
    ModalDriver::whenModal([](QWidget* modal) {
        auto* named = qobject_cast<DirEdit*>(modal);
        named->dir_name->setText(QStringLiteral("أحدث"));
        named->CmdSave->click();
    });
    controls(*m_form).menus->dirmnuren->trigger();
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن تغيير اسم الدليل «جديد»"));
    undo()->trigger();
    QVERIFY(m_db->scalar(directories).contains(QStringLiteral("جديد:0")));
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = '4321' WHERE dirname = 'جديد'")).ok);
    m_form->takeInOutsideChanges();
    const QString locked = m_db->scalar(directories);
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("جديد")));
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).menus->dirmnudel->trigger();
    QVERIFY(!m_db->scalar(directories).contains(QStringLiteral("جديد")));
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن حذف الدليل «جديد»"));
    undo()->trigger();
    QCOMPARE(m_db->scalar(directories), locked);
    QCOMPARE(controls(*m_form).infodirlist->count(), 3);
}

void TestUndo::aWholeImportIsTakenBackAtOnce()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("زملاء.vcf"));
    QFile cards(file);
    QVERIFY(cards.open(QIODevice::WriteOnly));
    for (const char* name : {"A", "B", "C"})
        cards.write(QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:") + name + "\r\nTEL:1\r\nEND:VCARD\r\n");
    cards.close();
    const QString everything = QStringLiteral("SELECT (SELECT group_concat(name) FROM info) || '|' || "
                                              "(SELECT group_concat(dirname) FROM dirg)");
    const QString before = m_db->scalar(everything);

    // Into the open directory: three contacts, one step back.
    InterchangeCommands::importFile(*m_form, file, m_family);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("4"));
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن استيراد 3 من جهات الاتصال"));
    undo()->trigger();
    QCOMPARE(m_db->scalar(everything), before);
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    redo()->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("4"));
    // One of them changed since by another writer: nothing is taken back.
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE info SET hometel = '2' WHERE name = 'B'")).ok);
    undo()->trigger();
    QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("لا يمكن ذلك")));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("4"));
    QVERIFY(m_db->reader().execute(QStringLiteral("DELETE FROM info WHERE name IN ('A', 'B', 'C')")).ok);

    // Into a new directory made for it: the directory goes too.
    m_form->GoBack();
    m_chooser->answer(file);
    InterchangeCommands::importIntoNewDirectory(*m_form);
    QVERIFY(m_db->scalar(everything).contains(QStringLiteral("زملاء")));
    undo()->trigger();
    QCOMPARE(m_db->scalar(everything), before);
}

void TestUndo::aStepLeavesTheListsAndCountsAsTheWindowShowsThem()
{
    m_db->addContact(QStringLiteral("هدى"), m_work);
    MainWindowControls window(*m_form);
    // The move window, cancelled, leaves its filter (every directory but the open one) behind;
    // an undo then reads the directory list again whole.
    ModalDriver::whenModal([](QWidget* modal) {
        auto* move = qobject_cast<MoveDir*>(modal);
        QVERIFY(move);
        move->cmdCancel->click();
    });
    window.menus->movemag->trigger();
    m_boxes->answer(MessageBox::Yes);
    window.menus->cmdel->trigger();
    undo()->trigger();
    QCOMPARE(window.infolist->count(), 1);
    window.SkinToolBar1->button(toolbarPosition(ToolbarCommand::Back))->click();
    QCOMPARE(window.infodirlist->count(), 2);
    QCOMPARE(window.statbar->panelText(2), StatusTexts::directoryCount(2));

    // On the directory list the contact recordset still holds the directory left: a step taken
    // there writes no total counted from it.
    redo()->trigger();
    QCOMPARE(window.statbar->panelText(3), QString());
    QCOMPARE(window.statbar->panelText(2), StatusTexts::directoryCount(2));
    QCOMPARE(window.infodirlist->count(), 2);
    QVERIFY(!m_form->currentDirectory().isEmpty());

    // A directory made and opened, then taken back while open: the window goes back to the
    // list instead of showing, and adding into, a directory that is gone.
    ModalDriver::whenModal([](QWidget* modal) {
        auto* named = qobject_cast<DirEdit*>(modal);
        named->dir_name->setText(QStringLiteral("جديد"));
        named->CmdSave->click();
    });
    window.menus->dirmnuadd->trigger();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("جديد")));
    m_form->openSelectedDirectory();
    QCOMPARE(int(m_form->viewState()), 1);
    undo()->trigger();
    QCOMPARE(int(m_form->viewState()), 0);
    QCOMPARE(window.dirframe->caption(), QString());
    QCOMPARE(window.infodirlist->count(), 2);
}

void TestUndo::contactsChosenTogetherGoAndComeBackAsOneStep()
{
    m_db->addContact(QStringLiteral("أمل"), m_family);
    m_db->addContact(QStringLiteral("يوسف"), m_family);
    m_form->refreshAfterWrite(BookChange::Contacts);
    MainWindowControls window(*m_form);
    QCOMPARE(window.infolist->count(), 3);
    const QString everyone = QStringLiteral("SELECT group_concat(name || ':' || dir, ',') FROM "
                                            "(SELECT name, dir FROM info ORDER BY name)");
    auto everyoneWhole = [&] {
        QString all;
        for (const QString& name : {QStringLiteral("سارة"), QStringLiteral("أمل"), QStringLiteral("يوسف")})
            all += row(name) + QLatin1Char('|');
        return all;
    };
    const QString wholeBefore = everyoneWhole();
    const QString before = m_db->scalar(everyone);
    // Ctrl-click chooses a second contact beside the first.
    QAbstractItemView* view = window.infolist->activeView();
    window.infolist->selectRow(0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(view->model()->index(2, 0)).center());
    QCOMPARE(m_form->chosenContacts().size(), 2);

    // Moved together: one question-free step, taken back as one.
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* move = qobject_cast<MoveDir*>(modal);
        QVERIFY(move);
        QVERIFY(move->windowTitle().contains(QStringLiteral("2")));
        move->dir->setText(m_work);
        move->CmdSave->click();
    });
    window.menus->movemag->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {m_work}), QStringLiteral("2"));
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن نقل 2 من جهات الاتصال"));
    undo()->trigger();
    QCOMPARE(m_db->scalar(everyone), before);

    // The Delete key: one question for both, both to the trash, back with one undo.
    m_form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(view->model()->index(0, 0)).center());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      view->visualRect(view->model()->index(1, 0)).center());
    m_boxes->answer(MessageBox::Yes);
    QCOMPARE(m_form->chosenContacts().size(), 2);
    QTest::keyClick(view, Qt::Key_Delete);
    QVERIFY2(m_boxes->last().text.contains(QStringLiteral("2 من جهات الاتصال")), qPrintable(m_boxes->last().text));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash")), QStringLiteral("2"));
    QCOMPARE(window.infolist->count(), 1);
    undo()->trigger();
    QCOMPARE(m_db->scalar(everyone), before);
    QCOMPARE(everyoneWhole(), wholeBefore);
    QCOMPARE(window.infolist->count(), 3);

    // What an earlier import wrote into the notes moves to the values of both, as one step; the
    // user's own lines, a line not plainly of its label's kind and a number held already stay.
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("UPDATE info SET mobil = '0100 555 1212', moreinfo = ? WHERE name = ?"),
                         {QStringLiteral("يتصل مساء\nموبايل: 0111 222 3333\nموبايل: بعد العصر\n"
                                         "بريد الكترونى: amal@example.org\nعنوان العمل: 5 شارع النيل\n"
                                         "ت/عمل: +20 100 555 1212"),
                          QStringLiteral("أمل")})
                .ok);
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("UPDATE info SET moreinfo = ? WHERE name = ?"),
                         {QStringLiteral("فاكس: ٠٢ ٢٣٤٥ ٦٧٨٩\nبريد الكترونى: x\u202e@y.z"), QStringLiteral("يوسف")})
                .ok);
    m_form->refreshAfterWrite(BookChange::Contacts);
    const QString notes =
        QStringLiteral("SELECT group_concat(name || ':' || moreinfo, '|') FROM (SELECT * FROM info ORDER BY name)");
    const QString asImported = m_db->scalar(notes);
    window.infolist->selectRow(0);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(view->model()->index(2, 0)).center());
    QCOMPARE(m_form->chosenContacts().size(), 2);
    m_boxes->answer(MessageBox::Yes);
    window.menus->item(QStringLiteral("notevalues"))->trigger();
    QVERIFY2(m_boxes->last().text.contains(QStringLiteral("4 من الأرقام والعناوين من ملاحظات 2")),
             qPrintable(m_boxes->last().text));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT moreinfo FROM info WHERE name = ?"), {QStringLiteral("أمل")}),
             QStringLiteral("يتصل مساء\nموبايل: بعد العصر"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT moreinfo FROM info WHERE name = ?"), {QStringLiteral("يوسف")}),
             QStringLiteral("بريد الكترونى: x\u202e@y.z"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(kind || ',' || label || ',' || value, '|') FROM "
                                         "(SELECT * FROM qav_contact_value WHERE name = ? ORDER BY position)"),
                          {QStringLiteral("أمل")}),
             QStringLiteral("tel,mobile,0111 222 3333|email,,amal@example.org|adr,work,;;5 شارع النيل;;;;"));
    undo()->trigger();
    QCOMPARE(m_db->scalar(notes), asImported);
    const QString theirValues = QStringLiteral("SELECT count(*) FROM qav_contact_value WHERE name IN (?, ?)");
    const QStringList both = {QStringLiteral("أمل"), QStringLiteral("يوسف")};
    QCOMPARE(m_db->scalar(theirValues, both), QStringLiteral("0"));
    redo()->trigger();
    QCOMPARE(m_db->scalar(theirValues, both), QStringLiteral("4"));
}

void TestUndo::aLockedDirectorysStepsWaitUntilItIsOpen()
{
    const QString locked = m_db->addDirectory(QStringLiteral("سري"), QStringLiteral("Key1"));
    m_db->addContact(QStringLiteral("خفي"), locked, {QStringLiteral("0999")});
    m_form->GoBack();
    (void)SharedData::directories().requery();
    m_form->fill_dir_list();
    auto openLocked = [&] {
        QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("سري")));
        ModalDriver::whenModal([](QWidget* modal) {
            auto* prompt = qobject_cast<DirPass*>(modal);
            QVERIFY(prompt);
            prompt->tpass->setText(QStringLiteral("Key1"));
            prompt->command1->click();
        });
        m_form->openSelectedDirectory();
        QCOMPARE(m_form->currentDirectory(), locked);
    };
    openLocked();
    controls(*m_form).infolist->selectRow(0);
    const QString before = row(QStringLiteral("خفي"));
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).menus->cmdel->trigger();
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن حذف «خفي»"));

    // Closed again: the menu, the toolbar's tip and the screen reader name no contact of it,
    // and neither Ctrl+Z nor the toolbar nor the history itself takes the step without the password.
    m_form->GoBack();
    QToolButton* button = controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Undo));
    QCOMPARE(undo()->text(), QStringLiteral("تراجع"));
    QVERIFY(!undo()->isEnabled() && !button->isEnabled());
    QVERIFY(!button->toolTip().contains(QStringLiteral("خفي")));
    QVERIFY(!button->accessibleDescription().contains(QStringLiteral("خفي")));
    QTest::keyClick(static_cast<QWidget*>(controls(*m_form).infodirlist->activeView()), Qt::Key_Z, Qt::ControlModifier);
    m_form->toolbarButtonPressed(toolbarPosition(ToolbarCommand::Undo));
    QVERIFY(UndoHistory::isClosed(m_form->undoHistory().undo()));
    QCOMPARE(row(QStringLiteral("خفي")), QString());
    // Another directory open is no key to it either.
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العمل")));
    m_form->openSelectedDirectory();
    QCOMPARE(undo()->text(), QStringLiteral("تراجع"));
    m_form->GoBack();

    // Open with its password, the step is there again and is taken back.
    openLocked();
    QCOMPARE(undo()->text(), QStringLiteral("تراجع عن حذف «خفي»"));
    undo()->trigger();
    QCOMPARE(row(QStringLiteral("خفي")), before);
    QCOMPARE(redo()->text(), QStringLiteral("إعادة حذف «خفي»"));
    m_form->GoBack();
    QCOMPARE(redo()->text(), QStringLiteral("إعادة"));
    QVERIFY(!redo()->isEnabled());
    QVERIFY(UndoHistory::isClosed(m_form->undoHistory().redo()));
    QCOMPARE(row(QStringLiteral("خفي")), before);

    // The hidden contact list still holds what it showed: no command reads it from there.
    controls(*m_form).infolist->selectRow(0);
    QVERIFY(m_form->selectedContact().isEmpty() && m_form->chosenContacts().isEmpty());
    const int told = m_boxes->count();
    for (const char* name :
         {"shareqr", "exportchosen", "sendcard", "notevalues", "cmedit", "cmdet", "cmdel", "movemag"})
        controls(*m_form).menus->item(QLatin1String(name))->trigger();
    QCOMPARE(ModalDriver::takeUnanswered(), 0);
    QCOMPARE(m_boxes->count(), told);
    QVERIFY(m_chooser->asked().isEmpty());
    QCOMPARE(row(QStringLiteral("خفي")), before);
}

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
