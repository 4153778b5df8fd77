// The contact editor and the add, view, edit and delete commands, driven as the user does.
#include "AppLook.h"
#include "ContactPhoto.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Editor.h"
#include "FileChooser.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "MoreValuesView.h"
#include "MoreValuesWindow.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinStatusBar.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "ToolbarCommand.h"
#include "Transaction.h"
#include "WindowTestFixture.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace
{

// Types text one character at a time, as a keyboard does (Arabic included).
void typeChars(QWidget* box, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
}

} // namespace

class TestEditor : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void addStoresIntoTheOpenDirectory();
    void blankNameIsRefused();
    void duplicateNameKeepsTheWindowAndChangesNothing();
    void editRenamesTheSameRow();
    void viewCannotSaveAndIsReadOnly();
    void telephoneFieldsTakeDigitsOnly();
    void enterWalksTheFields();
    void escapeAndCloseLeaveTheDatabase();
    void deleteAskedNoThenYes();
    void hostileValuesRoundTrip();
    void limitsOfTheFields();
    void longStoredValuesSaveByteForByte();
    void nothingSelectedOrGoneKeepsWhatIsTyped();
    void moreValuesAreShownAndEditedBesideTheFields();

private:
    QString m_family;
};

void TestEditor::initTestCase()
{
    prepareApplication();
}

void TestEditor::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    const QString other = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addContact(QStringLiteral("هدى"), m_family,
                     {QStringLiteral("111"), QStringLiteral("222"), QStringLiteral("333"), QStringLiteral("444"),
                      QStringLiteral("شارع النيل"), QStringLiteral("h@x.org"), QStringLiteral("مدرسة"),
                      QStringLiteral("سطر\nسطر")});
    m_db->addContact(QStringLiteral("سامي"), other);
    m_form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    QCOMPARE(controls(*m_form).infolist->count(), 1);
}

void TestEditor::cleanup()
{
    closeFixture();
}

void TestEditor::addStoresIntoTheOpenDirectory()
{
    bool seen = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(editor);
        seen = true;
        QCOMPARE(editor->windowTitle(), QStringLiteral("سجل بيانات جديد"));
        QCOMPARE(editor->dir->text(), m_family);
        QVERIFY(editor->tname->hasFocus());
        QVERIFY(editor->CmdSave->isVisible());
        typeChars(editor->tname, QStringLiteral("أمل"));
        typeChars(editor->mobil, QStringLiteral("0100"));
        // A new contact gets its more values with it.
        ModalDriver::whenModal([&](QWidget* inner) {
            auto* window = qobject_cast<MoreValuesWindow*>(inner);
            window->cmdAdd->click();
            window->table->item(0, MoreValuesWindow::ValueColumn)->setText(QStringLiteral("0109"));
            window->cmdOk->click();
        });
        editor->cmdMore->click();
        editor->CmdSave->click();
    });
    controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Add))->click();
    QVERIFY(seen);
    MoreValues more;
    QVERIFY(ContactValueStore(SharedData::connection()).readByName(QStringLiteral("أمل"), more).ok);
    QCOMPARE(more,
             (MoreValues{{ContactValue::Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0109"), QString()}}));
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT dir || '|' || mobil FROM info WHERE name = ?"), {QStringLiteral("أمل")}),
        m_family + QStringLiteral("|0100"));
    QCOMPARE(controls(*m_form).infolist->count(), 2);
    QCOMPARE(controls(*m_form).infolist->itemText(0), QStringLiteral("أمل"));
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("يتضمن الدليل الحالى    2  بيان"));
    QCOMPARE(controls(*m_form).statbar->panelText(3), QString());
}

void TestEditor::blankNameIsRefused()
{
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        editor->tname->setText(QStringLiteral("   "));
        editor->org->setFocus();
        editor->CmdSave->click();
        QCOMPARE(m_boxes->last().text, QStringLiteral("من فضلك أدخل الاسم"));
        QCOMPARE(m_boxes->last().title, QStringLiteral("انتبه"));
        QCOMPARE(m_boxes->last().flags, int(MessageBox::Arabic | MessageBox::Information));
        QVERIFY(m_boxes->last().arabicCaptions);
        QVERIFY(editor->isVisible());
        QVERIFY(editor->tname->hasFocus());
        editor->reject();
    });
    controls(*m_form).menus->cmadd->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("2"));
}

void TestEditor::duplicateNameKeepsTheWindowAndChangesNothing()
{
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        editor->tname->setText(QStringLiteral("محم\u0651\u064Eد"));
        editor->CmdSave->click();
    });
    m_form->CmdADD_Click();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("3"));
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        editor->tname->setText(QStringLiteral("سامي")); // exists in the other directory
        editor->org->setText(QStringLiteral("typed"));
        editor->CmdSave->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        // A name that only looks new: the same letters with their marks typed in another order.
        editor->tname->setText(QStringLiteral("محم\u064E\u0651د"));
        editor->CmdSave->click();
        QCOMPARE(m_boxes->count(), 2);
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        QCOMPARE(m_boxes->last().flags, int(MessageBox::Arabic | MessageBox::Critical));
        QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("عفوا .. لايمكن حفظ البيانات")));
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->org->text(), QStringLiteral("typed"));
        editor->reject();
    });
    m_form->CmdADD_Click();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("سامي")}),
             m_db->scalar(QStringLiteral("SELECT code FROM dirg WHERE dirname = ?"), {QStringLiteral("العمل")}));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("3"));
}

void TestEditor::editRenamesTheSameRow()
{
    // Renaming onto a name another contact has fails first, then a free name succeeds.
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QCOMPARE(editor->windowTitle(), QStringLiteral("تفاصيل"));
        QCOMPARE(editor->key, QStringLiteral("هدى"));
        QCOMPARE(editor->hometel->text(), QStringLiteral("111"));
        QCOMPARE(editor->fax->text(), QStringLiteral("444"));
        QCOMPARE(editor->address->text(), QStringLiteral("شارع النيل"));
        QCOMPARE(editor->email->text(), QStringLiteral("h@x.org"));
        QCOMPARE(editor->org->text(), QStringLiteral("مدرسة"));
        QCOMPARE(editor->moreinfo->toPlainText(), QStringLiteral("سطر\nسطر"));
        QCOMPARE(editor->dir->text(), m_family);
        editor->tname->setText(QStringLiteral("سامي"));
        editor->CmdSave->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        editor->tname->setText(QStringLiteral("هدى علي"));
        editor->CmdSave->click();
    });
    controls(*m_form).menus->cmedit->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {QStringLiteral("هدى")}),
             QStringLiteral("0"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT hometel || moreinfo FROM info WHERE name = ?"),
                          {QStringLiteral("هدى علي")}),
             QStringLiteral("111سطر\nسطر"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("2"));
    QCOMPARE(controls(*m_form).infolist->itemText(0), QStringLiteral("هدى علي"));
}

void TestEditor::viewCannotSaveAndIsReadOnly()
{
    bool seen = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        seen = true;
        QCOMPARE(editor->windowTitle(), QStringLiteral("تفاصيل"));
        QVERIFY(!editor->CmdSave->isVisible());
        QVERIFY(editor->tname->isReadOnly());
        QVERIFY(editor->moreinfo->isReadOnly());
        typeChars(editor->tname, QStringLiteral("x"));
        typeChars(editor->hometel, QStringLiteral("9"));
        QCOMPARE(editor->tname->text(), QStringLiteral("هدى"));
        QCOMPARE(editor->hometel->text(), QStringLiteral("111"));
        QTest::keyClick(editor->tname, Qt::Key_Return); // still walks
        QVERIFY(editor->org->hasFocus());
        QTest::keyClick(editor->org, Qt::Key_Escape);
    });
    QTest::keyClick(controls(*m_form).infolist->activeView(), Qt::Key_Return);
    QVERIFY(seen);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {QStringLiteral("هدى")}),
             QStringLiteral("1"));
    // A fresh editor each time: Add after View is editable again.
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(!editor->tname->isReadOnly());
        QVERIFY(editor->CmdSave->isVisible());
        editor->reject();
    });
    m_form->CmdADD_Click();
}

void TestEditor::telephoneFieldsTakeDigitsOnly()
{
    Editor editor(*m_form);
    editor.show();
    QApplication::setActiveWindow(&editor);
    QGuiApplication::clipboard()->setText(QString::fromUtf8("+20 (100) ٥٥"));
    for (QLineEdit* box : {editor.hometel, editor.jobtel, editor.mobil, editor.fax}) {
        box->setFocus();
        typeChars(box, QStringLiteral("12a b+-3"));
        typeChars(box, QString::fromUtf8("٤۵")); // Arabic-Indic digits are kept as 4 and 5
        QCOMPARE(box->text(), QStringLiteral("12345"));
        // The editing keys keep their meaning.
        QTest::keyClick(box, Qt::Key_Home);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClick(box, Qt::Key_End);
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(box->text(), QStringLiteral("234"));
        // A paste keeps only the digits, and can be undone.
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("2342010055"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("234"));
    }
    // Tab and Shift+Tab move on and back; Enter moves on and inserts nothing.
    editor.hometel->setFocus();
    QTest::keyClick(editor.hometel, Qt::Key_Tab);
    QVERIFY(editor.jobtel->hasFocus());
    QTest::keyClick(editor.jobtel, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(editor.hometel->hasFocus());
    editor.fax->setFocus();
    QTest::keyClick(editor.fax, Qt::Key_Return);
    QCOMPARE(editor.fax->text(), QStringLiteral("234"));
    QVERIFY(editor.email->hasFocus());
    // Escape in a telephone field closes the editor.
    editor.mobil->setFocus();
    QTest::keyClick(editor.mobil, Qt::Key_Escape);
    QVERIFY(!editor.isVisible());
}

void TestEditor::enterWalksTheFields()
{
    Editor editor(*m_form);
    editor.show();
    QApplication::setActiveWindow(&editor);
    editor.tname->setFocus();
    const std::vector<QWidget*> fields = editor.visibleFields();
    for (size_t i = 0; i + 1 < fields.size(); ++i) {
        QVERIFY(fields[i]->hasFocus());
        QTest::keyClick(fields[i], Qt::Key_Return);
    }
    QVERIFY(editor.moreinfo->hasFocus());
    QTest::keyClick(editor.moreinfo, Qt::Key_A);
    QTest::keyClick(editor.moreinfo, Qt::Key_Return);
    QTest::keyClick(editor.moreinfo, Qt::Key_B);
    QCOMPARE(editor.moreinfo->toPlainText(), QStringLiteral("a\nb"));
    QVERIFY(editor.isVisible()); // Enter never pressed a button
    // A label button puts the focus into its field.
    const QList<SkinButton*> buttons = editor.findChildren<SkinButton*>();
    for (SkinButton* button : buttons)
        if (button->caption() == QStringLiteral("فاكس"))
            button->click();
    QVERIFY(editor.fax->hasFocus());
}

void TestEditor::escapeAndCloseLeaveTheDatabase()
{
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        editor->tname->setText(QStringLiteral("changed"));
        QTest::keyClick(editor->tname, Qt::Key_Escape);
    });
    controls(*m_form).menus->cmedit->trigger();
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        editor->tname->setText(QStringLiteral("new one"));
        editor->cmdCancel->click();
    });
    controls(*m_form).menus->cmadd->trigger();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT group_concat(name) FROM (SELECT name FROM info ORDER BY rowid)")),
             QStringLiteral("هدى,سامي"));
    QCOMPARE(controls(*m_form).infolist->count(), 1);
}

void TestEditor::deleteAskedNoThenYes()
{
    m_boxes->answer(MessageBox::No);
    controls(*m_form).menus->cmdel->trigger();
    QCOMPARE(m_boxes->last().text, QStringLiteral("هل تريد بالتأكيد حذف بيانات: هدى"));
    QCOMPARE(m_boxes->last().title, QStringLiteral("تأكيد حذف"));
    QCOMPARE(m_boxes->last().flags, int(MessageBox::Arabic | MessageBox::Exclamation | MessageBox::YesNo));
    QVERIFY(m_boxes->last().arabicCaptions);
    QCOMPARE(controls(*m_form).infolist->count(), 1);
    m_boxes->answer(MessageBox::Yes);
    controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Delete))->click();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("1"));
    QCOMPARE(controls(*m_form).infolist->count(), 0);
    QCOMPARE(controls(*m_form).statbar->panelText(2), QStringLiteral("يتضمن الدليل الحالى    0  بيان"));
    // An empty list: delete and edit do nothing at all.
    const int shown = m_boxes->count();
    m_form->cmdDelete_Click();
    m_form->CmdEdit_Click();
    QCOMPARE(m_boxes->count(), shown);
}

void TestEditor::hostileValuesRoundTrip()
{
    // What is typed or pasted, and what is kept: quotes and blanks as they are; direction
    // overrides, which would show the name turned around, are dropped.
    const QList<QPair<QString, QString>> values = {
        {QStringLiteral("O'Brien \"Bob\" \\ 100%"), QStringLiteral("O'Brien \"Bob\" \\ 100%")},
        {QString::fromUtf8("\u202Eعكس\u202C"), QStringLiteral("عكس")},
        {QStringLiteral("' OR '1'='1"), QStringLiteral("' OR '1'='1")},
        {QStringLiteral("  spaced  "), QStringLiteral("  spaced  ")}};
    for (const auto& [typed, kept] : values) {
        ModalDriver::whenModal([&](QWidget* modal) {
            auto* editor = qobject_cast<Editor*>(modal);
            editor->tname->setText(typed);
            editor->address->setText(typed);
            editor->moreinfo->setPlainText(typed + QStringLiteral("\n") + typed);
            editor->CmdSave->click();
        });
        m_form->CmdADD_Click();
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT address || '|' || moreinfo FROM info WHERE name = ?"), {kept}),
                 kept + QLatin1Char('|') + kept + QLatin1Char('\n') + kept);
    }
    RecordListView* list = controls(*m_form).infolist;
    QCOMPARE(list->count(), 1 + values.size());
    QStringList shown;
    for (int row = 0; row < list->count(); ++row) {
        shown << list->itemText(row);
        QCOMPARE(list->subItem(row, 5),
                 list->itemText(row) == QStringLiteral("هدى") ? QStringLiteral("شارع النيل") : list->itemText(row));
    }
    for (const auto& [typed, kept] : values)
        QVERIFY(shown.contains(kept)); // the blanks around a name are kept
}

void TestEditor::limitsOfTheFields()
{
    Editor editor(*m_form);
    editor.show();
    QCOMPARE(editor.tname->maxLength(), 200);
    QCOMPARE(editor.org->maxLength(), 200);
    QCOMPARE(editor.address->maxLength(), 200);
    QCOMPARE(editor.email->maxLength(), 200);
    for (QLineEdit* box : {editor.hometel, editor.jobtel, editor.mobil, editor.fax})
        QCOMPARE(box->maxLength(), 20);
    // A paste into a nearly full notes box takes what fits; the text, cursor and undo stay.
    const QString before = QString(2990, QLatin1Char('x'));
    editor.moreinfo->setPlainText(before);
    editor.moreinfo->setFocus();
    QTextCursor cursor = editor.moreinfo->textCursor();
    cursor.setPosition(10);
    editor.moreinfo->setTextCursor(cursor);
    QGuiApplication::clipboard()->setText(QStringLiteral("abcdefghijklmnopqrst"));
    QTest::keyClick(editor.moreinfo, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(editor.moreinfo->toPlainText(), before.left(10) + QStringLiteral("abcdefghij") + before.mid(10));
    QCOMPARE(editor.moreinfo->textCursor().position(), 20);
    typeChars(editor.moreinfo, QStringLiteral("z"));
    QCOMPARE(editor.moreinfo->toPlainText().size(), 3000);
    QTest::keyClick(editor.moreinfo, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(editor.moreinfo->toPlainText(), before);
    QCOMPARE(editor.size(), QSize(7560 / 15, 5490 / 15));
}

void TestEditor::longStoredValuesSaveByteForByte()
{
    // Values longer than the typing limits, as an import or another program writes them.
    const QString address = QString(300, QChar(0x0628));
    const QString number = QStringLiteral("1234567890123456789012");
    const QString notes = QString(3207, QLatin1Char('n'));
    m_db->addContact(QStringLiteral("طويل"), m_family,
                     {number, number, number, number, address, address, address, notes});
    const QString row = QStringLiteral("SELECT quote(name)||quote(hometel)||quote(jobtel)||quote(mobil)||quote(fax)||"
                                       "quote(address)||quote(email)||quote(org)||quote(moreinfo)||quote(dir) "
                                       "FROM info WHERE name = ?");
    const QString stored = m_db->scalar(row, {QStringLiteral("طويل")});
    m_form->GoBack();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العائلة")));
    m_form->openSelectedDirectory();
    controls(*m_form).infolist->selectRow(0);
    QCOMPARE(controls(*m_form).infolist->itemText(0), QStringLiteral("طويل"));
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QCOMPARE(editor->address->text(), address);
        QCOMPARE(editor->hometel->text(), number);
        QCOMPARE(editor->moreinfo->toPlainText(), notes);
        // Typing cannot make a long value longer; after a deletion it may take one back.
        editor->address->setFocus();
        editor->address->end(false);
        typeChars(editor->address, QStringLiteral("x"));
        QCOMPARE(editor->address->text(), address);
        editor->CmdSave->click();
    });
    controls(*m_form).menus->cmedit->trigger();
    QCOMPARE(m_db->scalar(row, {QStringLiteral("طويل")}), stored);
}

void TestEditor::nothingSelectedOrGoneKeepsWhatIsTyped()
{
    // Ctrl+click takes the selection away: edit, view and delete then do nothing at all.
    QAbstractItemView* view = controls(*m_form).infolist->activeView();
    view->doItemsLayout();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      view->visualRect(view->model()->index(0, 0)).center());
    QCOMPARE(controls(*m_form).infolist->selectedRow(), -1);
    bool opened = false;
    ModalDriver::watchForModal([&](QWidget*) { opened = true; }, 300);
    controls(*m_form).menus->cmedit->trigger();
    controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Edit))->click();
    controls(*m_form).SkinToolBar1->button(toolbarPosition(ToolbarCommand::Delete))->click();
    m_form->viewContact();
    QTest::qWait(400);
    QVERIFY(!opened);
    QCOMPARE(m_boxes->count(), 0);

    // The contact is deleted elsewhere while it is being edited: Save says so and keeps the window.
    controls(*m_form).infolist->selectRow(0);
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        (void)m_db->reader().execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {QStringLiteral("هدى")});
        editor->org->setText(QStringLiteral("typed"));
        editor->CmdSave->click();
        QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
        QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("عفوا .. لايمكن حفظ البيانات")));
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->org->text(), QStringLiteral("typed"));
        editor->reject();
    });
    controls(*m_form).menus->cmedit->trigger();
    QCOMPARE(m_boxes->count(), 1);
}

QTEST_MAIN(TestEditor)
#include "tst_editor.moc"

void TestEditor::moreValuesAreShownAndEditedBesideTheFields()
{
    // A card from a phone: a second mobile, a work e-mail, a birthday kept in the Hijri calendar
    // and a photo.
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG"));
    const MoreValues stored{{ContactValue::Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0101"), QString()},
                            {ContactValue::Kind::Email, QStringLiteral("work"), QStringLiteral("w@x.org"), QString()},
                            {ContactValue::Kind::Date, QStringLiteral("birthday"), QStringLiteral("1435-09-15"),
                             QString::fromLatin1(ContactValue::kHijri)},
                            {ContactValue::Kind::Photo, QString(), ContactPhoto::fromBytes(png), QString()}};
    {
        DataConnection& connection = SharedData::connection();
        Transaction transaction(connection);
        qint64 row = 0;
        QVERIFY(ContactStore(connection).findByName(QStringLiteral("هدى"), row).ok && row > 0);
        QVERIFY(ContactValueStore(connection).replaceWithin(row, QStringLiteral("هدى"), stored).ok);
        QVERIFY(transaction.commit().ok);
    }
    auto readBack = [] {
        MoreValues values;
        [&] { QVERIFY(ContactValueStore(SharedData::connection()).readByName(QStringLiteral("هدى"), values).ok); }();
        return values;
    };

    // The view: the fields where they always are, the values under them, the photo beside.
    bool viewed = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        Editor plain(*m_form);
        QCOMPARE(editor->email->geometry(), plain.email->geometry());
        QCOMPARE(editor->moreinfo->geometry(), plain.moreinfo->geometry());
        auto* view = editor->findChild<MoreValuesView*>();
        QVERIFY(view && view->isVisible());
        QVERIFY(view->geometry().top() >= plain.height());
        QVERIFY(!editor->cmdMore->isVisible());
        QCOMPARE(view->list->count(), 3);
        QCOMPARE(view->list->item(0)->text(), QStringLiteral("جوال: \u20660101\u2069"));
        QCOMPARE(view->list->item(1)->text(), QStringLiteral("بريد إلكتروني (work): \u2066w@x.org\u2069"));
        QCOMPARE(view->list->item(2)->text(), QStringLiteral("تاريخ الميلاد: ١٥ رمضان ١٤٣٥ هـ — ١٢ يوليو ٢٠١٤"));
        QVERIFY(view->photo->isVisible() && !view->photo->pixmap().isNull());
        viewed = true;
        editor->reject();
    });
    QTest::keyClick(controls(*m_form).infolist->activeView(), Qt::Key_Return);
    QVERIFY(viewed);

    // The values' window: Cancel gives back nothing of what was done there, an editor closed
    // without saving writes nothing, and a date that is no day of its calendar is refused.
    auto edit = [&](const std::function<void(MoreValuesWindow*)>& inWindow, bool saveAfter) {
        bool done = false;
        ModalDriver::whenModal([&](QWidget* modal) {
            auto* editor = qobject_cast<Editor*>(modal);
            QCOMPARE(editor->more, stored);
            QVERIFY(editor->cmdMore->isVisible());
            ModalDriver::whenModal([&](QWidget* inner) {
                auto* window = qobject_cast<MoreValuesWindow*>(inner);
                QVERIFY(window);
                QCOMPARE(window->table->rowCount(), 3);
                inWindow(window);
                done = true;
            });
            editor->cmdMore->click();
            if (saveAfter)
                editor->CmdSave->click();
            else
                editor->reject();
        });
        controls(*m_form).menus->cmedit->trigger();
        QVERIFY(done);
    };
    edit(
        [&](MoreValuesWindow* window) {
            window->table->item(0, MoreValuesWindow::ValueColumn)->setText(QStringLiteral("999"));
            window->table->setCurrentCell(2, MoreValuesWindow::ValueColumn);
            window->cmdRemove->click();
            // A device is no picture: the user is told, the photo stays.
            FileChooser::setPresenter([](const FileChooserRequest&) { return QStringLiteral("/dev/zero"); });
            window->cmdPhoto->click();
            FileChooser::setPresenter({});
            QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
            QVERIFY(window->cmdNoPhoto->isEnabled());
            window->cmdNoPhoto->click();
            window->cmdCancel->click();
        },
        true);
    QCOMPARE(readBack(), stored);
    edit(
        [](MoreValuesWindow* window) {
            window->table->item(0, MoreValuesWindow::ValueColumn)->setText(QStringLiteral("999"));
            window->cmdOk->click();
        },
        false);
    QCOMPARE(readBack(), stored);

    edit(
        [&](MoreValuesWindow* window) {
            // Arabic-Indic digits are kept as 0-9; the e-mail goes first.
            window->table->item(0, MoreValuesWindow::ValueColumn)->setText(QStringLiteral("٠١٠٢"));
            window->table->setCurrentCell(1, MoreValuesWindow::ValueColumn);
            window->cmdUp->click();
            // The birthday entered again, as a Gregorian day.
            auto* calendar = qobject_cast<QComboBox*>(window->table->cellWidget(2, MoreValuesWindow::CalendarColumn));
            QVERIFY(calendar);
            QCOMPARE(calendar->currentText(), QStringLiteral("هجري"));
            calendar->setCurrentIndex(0);
            emit calendar->activated(0);
            window->table->item(2, MoreValuesWindow::ValueColumn)->setText(QStringLiteral("2014-02-30"));
            const int boxes = m_boxes->count();
            window->cmdOk->click();
            QCOMPARE(m_boxes->count(), boxes + 1);
            QCOMPARE(m_boxes->last().title, QStringLiteral("خطأ"));
            QVERIFY(window->isVisible());
            window->table->item(2, MoreValuesWindow::ValueColumn)->setText(QStringLiteral("2014-07-12"));
            // A value of the user's own kind and label.
            window->cmdAdd->click();
            auto* kind = qobject_cast<QComboBox*>(window->table->cellWidget(3, MoreValuesWindow::KindColumn));
            kind->setCurrentIndex(kind->findText(QStringLiteral("صفحة ويب")));
            emit kind->activated(kind->currentIndex());
            window->table->item(3, MoreValuesWindow::ValueColumn)->setText(QStringLiteral("https://example.org"));
            qobject_cast<QComboBox*>(window->table->cellWidget(3, MoreValuesWindow::LabelColumn))
                ->setEditText(QStringLiteral("المدونة"));
            window->cmdOk->click();
        },
        true);
    const MoreValues saved = readBack();
    QCOMPARE(saved.size(), size_t(5));
    QCOMPARE(saved[0].value, QStringLiteral("w@x.org"));
    QCOMPARE(saved[1].value, QStringLiteral("0102"));
    QCOMPARE(saved[2].value, QStringLiteral("2014-07-12"));
    QCOMPARE(saved[2].calendar, QString::fromLatin1(ContactValue::kGregorian));
    QCOMPARE(saved[3].kind, ContactValue::Kind::Photo);
    QCOMPARE(saved[3].value, stored[3].value);
    QCOMPARE(saved[4], (ContactValue{ContactValue::Kind::Web, QStringLiteral("المدونة"),
                                     QStringLiteral("https://example.org"), QString()}));
    // The nine fields are as they were.
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT mobil || email FROM info WHERE name = ?"), {QStringLiteral("هدى")}),
             QStringLiteral("333h@x.org"));
    // Undo gives the values back as they were, redo as saved.
    QVERIFY(m_form->undoHistory().undo().ok);
    QCOMPARE(readBack(), stored);
    QVERIFY(m_form->undoHistory().redo().ok);
    QCOMPARE(readBack(), saved);
}
