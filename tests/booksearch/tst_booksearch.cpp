// The search through the whole book, as a user types into it: a number written any way finds
// the number, a Latin spelling finds the Arabic name, every field is searched, a locked
// directory's contacts never appear, and a found contact opens where the user wants it.
#include "BookSearchIndex.h"
#include "BookSearchResults.h"
#include "BookSearchWindow.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Editor.h"
#include "MainForm.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "PhoneMatch.h"
#include "Preferences.h"
#include "RecordListView.h"
#include "WindowTestFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QtTest>

class TestBookSearch : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(); }
    void init();
    void cleanup() { closeFixture(); }

    void aNumberWrittenAnyWayFindsTheNumber();
    void namesBySoundAndEveryFieldButNeverALockedDirectory();
    void aFoundContactIsViewedOrShownInItsDirectory();
    void aSearchStoppedAtItsLimitListsWhatAFullOneListsFirst();

private:
    BookSearchWindow* openWithCtrlF();
    QStringList namesFoundFor(BookSearchWindow* window, const QString& typed);
    QString m_family;
    QString m_secret;
};

void TestBookSearch::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_secret = m_db->addDirectory(QStringLiteral("خاص"), QStringLiteral("4321"));
    m_db->addContact(QStringLiteral("محمد علي"), m_family,
                     {QStringLiteral("02 2345 6789"),
                      {},
                      QStringLiteral("+20 100 555 1212"),
                      {},
                      {},
                      QStringLiteral("mo@example.org")});
    m_db->addContact(QStringLiteral("سارة"), m_family,
                     {{},
                      {},
                      QStringLiteral("0122 000 4444"),
                      {},
                      QStringLiteral("شارع النيل"),
                      {},
                      {},
                      QStringLiteral("تقابلنا\tفى المؤتمر Жуков ★ پیام")});
    m_db->addContact(QStringLiteral("محمود السرى"), m_secret, {{}, {}, QStringLiteral("01005551212")});
    // More values: Sara's own, one of the locked directory, one another program left at a row of
    // a name that is gone.
    using Kind = ContactValue::Kind;
    auto giveMore = [this](const QString& name, const MoreValues& values) {
        qint64 at = 0;
        QVERIFY(ContactStore(m_db->reader()).findByName(name, at));
        QVERIFY(ContactValueStore(m_db->reader()).replaceWithin(at, name, values));
    };
    giveMore(QStringLiteral("سارة"), {{Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0111 333 4444")},
                                      {Kind::Email, QStringLiteral("work"), QStringLiteral("Sara.Work@example.org")},
                                      {Kind::Address, QStringLiteral("work"),
                                       ContactValue::joinParts({{}, {}, QStringLiteral("شارع التحرير")})},
                                      {Kind::Web, {}, QStringLiteral("https://sara.example/\u202Eblog")}});
    giveMore(QStringLiteral("محمود السرى"), {{Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0155 666 7777")}});
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("INSERT INTO qav_contact_value (contact, name, kind, label, value) "
                                        "VALUES (9999, 'محمد علي', 'tel', 'mobile', '0177 888 9999')"))
                .ok);
    m_form = MainWindowUser::start();
}

BookSearchWindow* TestBookSearch::openWithCtrlF()
{
    m_form->activateWindow();
    if (!QTest::qWaitForWindowActive(m_form.get()))
        return nullptr;
    QTest::keyClick(MainWindowControls(*m_form).infodirlist->activeView(), Qt::Key_F, Qt::ControlModifier);
    auto* window = m_form->findChild<BookSearchWindow*>(QStringLiteral("booksearch"));
    return window && window->isVisible() ? window : nullptr;
}

QStringList TestBookSearch::namesFoundFor(BookSearchWindow* window, const QString& typed)
{
    window->searchBox->clear();
    QStringList names;
    // A letter at a time, as typed: the results follow each keystroke.
    for (qsizetype typedSoFar = 1; typedSoFar <= typed.size(); ++typedSoFar)
        window->searchBox->setText(typed.left(typedSoFar));
    for (int row = 0; row < window->model()->rowCount(); ++row)
        names << window->model()->contact(row).columns.value(0);
    return names;
}

void TestBookSearch::aNumberWrittenAnyWayFindsTheNumber()
{
    BookSearchWindow* window = openWithCtrlF();
    QVERIFY(window);
    const QStringList family = {QStringLiteral("محمد علي")};
    for (const QString& typed :
         {QStringLiteral("01005551212"), QStringLiteral("0100 555 1212"), QStringLiteral("+20 100 555 1212"),
          QStringLiteral("00201005551212"), QStringLiteral("(0100) 555-12"), QStringLiteral("١٠٠٥٥٥١٢١٢")})
        QVERIFY2(namesFoundFor(window, typed) == family, qPrintable(typed));
    QCOMPARE(window->summary->text(), QStringLiteral("1 نتيجة"));
    // The cell the number was found in is marked, and reads left to right.
    const QModelIndex mobile = window->model()->index(0, BookSearchResults::MobileColumn);
    QVERIFY(mobile.data(Qt::FontRole).value<QFont>().bold());
    QVERIFY(mobile.data().toString().startsWith(QChar(0x2066)));
    // A home number with its area code's trunk prefix, and a number that is no one's.
    QCOMPARE(namesFoundFor(window, QStringLiteral("2345 6789")), family);
    QVERIFY(namesFoundFor(window, QStringLiteral("0199 999")).isEmpty());
    QCOMPARE(window->summary->text(), QStringLiteral("لا توجد نتائج"));
}

void TestBookSearch::namesBySoundAndEveryFieldButNeverALockedDirectory()
{
    BookSearchWindow* window = BookSearchWindow::showFor(*m_form);
    // Written only in Arabic: found by how it sounds, after the exact hits.
    QCOMPARE(namesFoundFor(window, QStringLiteral("Mohamed")), QStringList{QStringLiteral("محمد علي")});
    QVERIFY(window->model()->contact(0).bySound);
    // Folded as the lists fold: hamza, teh marbuta and alef maqsura.
    QCOMPARE(namesFoundFor(window, QStringLiteral("ساره")), QStringList{QStringLiteral("سارة")});
    // Any field: the notes and the address say where they were found.
    QCOMPARE(namesFoundFor(window, QStringLiteral("المؤتمر")), QStringList{QStringLiteral("سارة")});
    QVERIFY(window->model()
                ->index(0, BookSearchResults::FoundInColumn)
                .data()
                .toString()
                .contains(QStringLiteral("المؤتمر")));
    QCOMPARE(namesFoundFor(window, QStringLiteral("MO@EXAMPLE")), QStringList{QStringLiteral("محمد علي")});
    // Letters of other scripts, and Arabic letters past the common ones, are found whole or in part.
    for (const QString& typed : {QStringLiteral("Жуков"), QStringLiteral("уко"), QStringLiteral("★"),
                                 QStringLiteral("پیام"), QStringLiteral("المؤتمر Жук")})
        QVERIFY2(namesFoundFor(window, typed) == QStringList{QStringLiteral("سارة")}, qPrintable(typed));

    // A more value: a second mobile written another way, a second e-mail, an address, a web page;
    // "found in" says which.
    const QStringList sara{QStringLiteral("سارة")};
    for (const QString& typed : {QStringLiteral("+20 111 333 4444"), QStringLiteral("sara.work"),
                                 QStringLiteral("التحرير"), QStringLiteral("sara.example")})
        QVERIFY2(namesFoundFor(window, typed) == sara, qPrintable(typed));
    QCOMPARE(namesFoundFor(window, QStringLiteral("01113334444")), sara);
    const QString foundIn = window->model()->index(0, BookSearchResults::FoundInColumn).data().toString();
    QVERIFY2(foundIn.endsWith(QStringLiteral(": 0111 333 4444")), qPrintable(foundIn));
    QVERIFY(window->model()->index(0, BookSearchResults::FoundInColumn).data(Qt::FontRole).value<QFont>().bold());
    // Never a value of a contact that is gone, nor of a locked directory's.
    QVERIFY(namesFoundFor(window, QStringLiteral("0177 888 9999")).isEmpty());
    QVERIFY(namesFoundFor(window, QStringLiteral("0155 666 7777")).isEmpty());

    // The locked directory: not by its name, not by its number, not even counted.
    QVERIFY(namesFoundFor(window, QStringLiteral("السرى")).isEmpty());
    QCOMPARE(window->summary->text(), QStringLiteral("لا توجد نتائج"));
    QCOMPARE(namesFoundFor(window, QStringLiteral("محم")).size(), 1);
    // A directory locked by another program while the window is open is closed at once; one
    // unlocked shows.
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = '1' WHERE code = ?"), {m_family}).ok);
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE dirg SET pass = '0' WHERE code = ?"), {m_secret}).ok);
    QCOMPARE(namesFoundFor(window, QStringLiteral("محم")), QStringList{QStringLiteral("محمود السرى")});

    // Listed, then locked: what was chosen is neither viewed nor offered, and leaves the list.
    window->results->setCurrentIndex(window->model()->index(0, 0));
    const auto lockSecret = [this](const char* pass) {
        QVERIFY(m_db->reader()
                    .execute(QStringLiteral("UPDATE dirg SET pass = ? WHERE code = ?"), {QLatin1String(pass), m_secret})
                    .ok);
    };
    lockSecret("2");
    QMenu menu;
    window->fillContactMenu(&menu);
    QVERIFY(menu.actions().isEmpty());
    QCOMPARE(window->model()->rowCount(), 0);
    // Once the main window sees the lock (as when it becomes active), the list drops it untouched.
    lockSecret("0");
    m_form->takeInOutsideChanges();
    QCOMPARE(namesFoundFor(window, QStringLiteral("محم")), QStringList{QStringLiteral("محمود السرى")});
    lockSecret("3");
    m_form->takeInOutsideChanges();
    QCOMPARE(window->model()->rowCount(), 0);
    QCOMPARE(window->summary->text(), QStringLiteral("لا توجد نتائج"));
}

void TestBookSearch::aFoundContactIsViewedOrShownInItsDirectory()
{
    BookSearchWindow* window = openWithCtrlF();
    QVERIFY(window);
    QCOMPARE(namesFoundFor(window, QStringLiteral("سار")), QStringList{QStringLiteral("سارة")});
    // Enter in the box views the first contact found.
    QString viewed;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* editor = qobject_cast<Editor*>(modal);
        QVERIFY(editor);
        viewed = editor->tname->text();
        QVERIFY(editor->tname->isReadOnly());
        editor->reject();
    });
    QVERIFY(window->results->currentIndex().isValid());
    QTest::keyClick(window->searchBox, Qt::Key_Return);
    QCOMPARE(viewed, QStringLiteral("سارة"));
    QCOMPARE(ModalDriver::takeUnanswered(), 0);

    // Its directory in the main window, the contact chosen there, from the contact's menu.
    window->results->setCurrentIndex(window->model()->index(0, 0));
    QMenu menu;
    window->fillContactMenu(&menu);
    auto* open = menu.findChild<QAction*>(QStringLiteral("opendirectory"));
    QVERIFY(open);
    QVERIFY(menu.findChild<QAction*>(QStringLiteral("shareqr")));
    open->trigger();
    QCOMPARE(int(m_form->viewState()), 1);
    MainWindowControls main(*m_form);
    QCOMPARE(main.dirframe->caption(), QStringLiteral("العائلة"));
    QCOMPARE(main.infolist->itemText(main.infolist->selectedRow()), QStringLiteral("سارة"));

    // The setting that opens the window at start-up is the window's own box.
    window->openAtStart->setChecked(true);
    QVERIFY(Preferences::bookSearchAtStart());
    window->openAtStart->setChecked(false);
}

QTEST_MAIN(TestBookSearch)
#include "tst_booksearch.moc"

void TestBookSearch::aSearchStoppedAtItsLimitListsWhatAFullOneListsFirst()
{
    // A large book is searched in two halves at once; the desktop's search stops at its limit.
    // It must still list exactly what a full search lists first: the first half's hits, then
    // the second's, then the names by sound.
    DataConnection& db = m_db->reader();
    QVERIFY(db.execute(QStringLiteral("BEGIN")));
    for (int i = 0; i < 25000; ++i)
        QVERIFY(db.execute(QStringLiteral("INSERT INTO info (name, mobil, dir) VALUES (?, ?, ?)"),
                           {QStringLiteral("Zoë %1 %2").arg(i).arg(i >= 24990 ? QStringLiteral("نادر") : QString()),
                            QStringLiteral("0100%1").arg(i, 7, 10, QLatin1Char('0')), m_family}));
    QVERIFY(db.execute(QStringLiteral("COMMIT")));
    BookSearchIndex index(PhoneMatch::numberKey(QStringLiteral("EG")));
    QVERIFY(index.load(db));
    auto rows = [](const BookSearchIndex::Found& found) {
        QList<qint64> out;
        for (const BookSearchIndex::Hit& hit : found.hits)
            out << hit.row;
        return out;
    };
    for (const QString& query : {QStringLiteral("Zoë"), QStringLiteral("نادر"), QStringLiteral("2499"),
                                 QStringLiteral("0100 0024"), QStringLiteral("Mohamed"), QStringLiteral("محمد")}) {
        const QList<qint64> all = rows(index.find(query, 20));
        QCOMPARE(rows(index.find(query, 20, BookSearchIndex::Count::UpToLimit)), all);
        QVERIFY2(!all.isEmpty(), qPrintable(query));
    }
}
