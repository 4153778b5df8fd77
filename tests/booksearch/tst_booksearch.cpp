// The search through the whole book, as a user types into it: a number written any way finds
// the number, a Latin spelling finds the Arabic name, every field is searched, a locked
// directory's contacts never appear, and a found contact opens where the user wants it.
#include "BookFingerprint.h"
#include "BookSearchIndex.h"
#include "BookSearchResults.h"
#include "BookSearchWindow.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Editor.h"
#include "KeptOrder.h"
#include "KeptSearchIndex.h"
#include "MainForm.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "PackedText.h"
#include "PhoneMatch.h"
#include "Preferences.h"
#include "RecordListView.h"
#include "Recordset.h"
#include "Schema.h"
#include "SharedData.h"
#include "Transaction.h"
#include "VarInt.h"
#include "WindowTestFixture.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QtTest>

#include <limits>
#include <random>

#include <sqlite3.h>

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
    void anIndexMendedAfterWritesFindsWhatAFreshOneFinds();
    void theIndexKeptInTheBookIsBelievedOnlyAsTheProgramLeftIt();
    void aKeptIndexThatDoesNotReadBackWholeIsNeverBelieved();
    void aLargeBookIsReadBehindTheWindowWithWhatIsWrittenMeanwhile();
    void aSessionThatWritesWithoutSearchingMendsTheKeptIndex();

private:
    BookSearchWindow* openWithCtrlF();
    QStringList namesFoundFor(BookSearchWindow* window, const QString& typed);
    QString m_family;
    QString m_secret;
};

namespace
{

// Every hit and the total of each query, as the index finds them.
QStringList hitsOf(const BookSearchIndex& index)
{
    QStringList out;
    for (const QString& query : {QStringLiteral("محمد"), QStringLiteral("Mohamed"), QStringLiteral("0100 555 1212"),
                                 QStringLiteral("sara.work"), QStringLiteral("0111 333"), QStringLiteral("المؤتمر"),
                                 QStringLiteral("التحرير"), QStringLiteral("0155 666"), QStringLiteral("Zoë")}) {
        const BookSearchIndex::Found found = index.find(query, 100);
        out << query + QStringLiteral(": ") + QString::number(found.total);
        for (const BookSearchIndex::Hit& hit : found.hits)
            out << QStringLiteral("%1 %2 %3").arg(hit.row).arg(int(hit.field)).arg(hit.bySound);
    }
    return out;
}

const NumberKey& egypt()
{
    static const NumberKey key = PhoneMatch::numberKey(QStringLiteral("EG"));
    return key;
}

// A session of the program on the book at path: a connection of its own, closed at the end.
struct Session {
    DataConnection connection;
    BookSearchIndex index{egypt()};
    explicit Session(const QString& path)
    {
        if (!connection.open(path, QString::fromLatin1(Schema::kPassword)).ok)
            qFatal("the test book does not open");
    }
    bool adopted() { return KeptSearchIndex::adopt(connection, index); }
    bool read() { return index.load(connection).ok; }
    QString keptBlocks()
    {
        QString rows;
        (void)connection.scalar(QStringLiteral("SELECT count(*) FROM qav_search_blocks"), {}, rows);
        return rows;
    }
};

} // namespace

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
    // A large book is read behind the window: what was typed is found once it is read.
    if (!QTest::qWaitFor([window] { return !window->reading(); }, 30000))
        return {QStringLiteral("still reading")};
    for (int row = 0; row < window->model()->rowCount(); ++row)
        names << window->model()->contact(row).columns.value(0);
    return names;
}

void TestBookSearch::aNumberWrittenAnyWayFindsTheNumber()
{
    BookSearchWindow* window = openWithCtrlF();
    QVERIFY(window);
    // On the test's small screen every column lies inside the window, none past its edge.
    QVERIFY(window->results->horizontalHeader()->length() <= window->results->viewport()->width());
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
    // A short name of one consonant sounds too, once three letters are typed.
    QCOMPARE(namesFoundFor(window, QStringLiteral("Aly")), QStringList{QStringLiteral("محمد علي")});
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

void TestBookSearch::anIndexMendedAfterWritesFindsWhatAFreshOneFinds()
{
    // Rounds of random writes, each followed by a search: the index that reads again only the
    // blocks of the rows written must find exactly what one read whole from the book finds.
    // Small blocks, so that a small book has many.
    DataConnection& db = m_db->reader();
    DataConnection other;
    QVERIFY(other.open(m_db->path(), QString::fromLatin1(Schema::kPassword)));
    QVERIFY(db.execute(QStringLiteral("PRAGMA synchronous=OFF")));
    QVERIFY(other.execute(QStringLiteral("PRAGMA synchronous=OFF")));
    const QString work = m_db->addDirectory(QStringLiteral("العمل"));
    const QStringList unlocked{m_family, work};
    const QStringList words{QStringLiteral("أحمد"), QStringLiteral("منى"), QStringLiteral("Karim"),
                            QStringLiteral("ليلى")};
    const QStringList queries{QStringLiteral("أحمد"),  QStringLiteral("Ahmed"),       QStringLiteral("منى"),
                              QStringLiteral("karim"), QStringLiteral("0100 5"),      QStringLiteral("+20 100 21"),
                              QStringLiteral("555"),   QStringLiteral("example.net"), QStringLiteral("0122 1")};
    const NumberKey numbers = PhoneMatch::numberKey(QStringLiteral("EG"));
    using Kind = ContactValue::Kind;
    const QList<Kind> kinds{Kind::Phone, Kind::Email, Kind::Address, Kind::Web, Kind::Date};
    int made = 0;
    int mended = 0;
    int odd = 0;
    QStringList failed; // statements of the test's own that failed

    auto rowsOf = [&](const QString& sql, const QStringList& values = {}) {
        QList<qint64> rows;
        if (!db.query(sql, values, [&rows](sqlite3_stmt* statement) { rows << sqlite3_column_int64(statement, 0); }))
            failed << sql;
        return rows;
    };
    auto run = [&failed](DataConnection& to, const QString& sql, const QStringList& values = {}) {
        if (const DataResult done = to.execute(sql, values); !done)
            failed << sql + QStringLiteral(": ") + done.error;
    };
    auto same = [&](const BookSearchIndex& kept, const QString& when) {
        BookSearchIndex fresh(numbers);
        QVERIFY(fresh.load(db));
        QCOMPARE(kept.size(), fresh.size());
        for (const QString& query : queries) {
            const BookSearchIndex::Found a = kept.find(query, 100000);
            const BookSearchIndex::Found b = fresh.find(query, 100000);
            QVERIFY2(a.total == b.total, qPrintable(when + QLatin1Char(' ') + query));
            QVERIFY2(a.hits.size() == b.hits.size(), qPrintable(when + QLatin1Char(' ') + query));
            for (size_t i = 0; i < a.hits.size(); ++i)
                QVERIFY2(a.hits[i].row == b.hits[i].row && a.hits[i].field == b.hits[i].field &&
                             a.hits[i].bySound == b.hits[i].bySound,
                         qPrintable(when + QLatin1Char(' ') + query));
        }
    };

    // The last seed also writes at row ids of its own; a book that spans all row ids is read in
    // two halves, which takes longer: fewer rounds.
    constexpr unsigned kOddRowIds = 99991U;
    for (const unsigned seed : {7U, 1234U, kOddRowIds}) {
        std::mt19937 random(seed);
        auto pick = [&random](int count) { return int(random() % unsigned(std::max(count, 1))); };
        auto digits = [&](int count) {
            QString out;
            for (int i = 0; i < count; ++i)
                out += QLatin1Char("125"[pick(3)]);
            return out;
        };
        auto anyOf = [&](const QList<qint64>& rows) {
            return rows.isEmpty() ? qint64(-1) : rows.at(pick(int(rows.size())));
        };
        // One write through connection, chosen at random.
        auto write = [&](DataConnection& to) {
            const qint64 contact = anyOf(rowsOf(QStringLiteral("SELECT rowid FROM info")));
            const qint64 value = anyOf(rowsOf(QStringLiteral("SELECT rowid FROM qav_contact_value")));
            const QString row = QString::number(contact);
            switch (pick(14)) {
            case 0:
            case 1: {
                const QString name = words.at(pick(int(words.size()))) + QStringLiteral(" %1").arg(++made);
                if (seed == kOddRowIds && pick(3) == 0) {
                    // At a row id of its own: below every other, far above, or the highest there
                    // is (SQLite then gives the next rows row ids at random).
                    const qint64 at =
                        QList<qint64>{-made, (qint64(1) << 62) + made, std::numeric_limits<qint64>::max()}.at(odd++ %
                                                                                                              3);
                    run(to, QStringLiteral("INSERT OR IGNORE INTO info (rowid, name, mobil, dir) VALUES (?, ?, ?, ?)"),
                        {QString::number(at), name, QStringLiteral("0100 ") + digits(7), unlocked.at(pick(2))});
                    break;
                }
                run(to, QStringLiteral("INSERT INTO info (name, mobil, hometel, email, dir) VALUES (?, ?, ?, ?, ?)"),
                    {name, QStringLiteral("0100 ") + digits(7), pick(2) ? QStringLiteral("02 ") + digits(8) : QString(),
                     pick(2) ? QStringLiteral("x%1@example.net").arg(made) : QString(),
                     pick(4) ? unlocked.at(pick(2)) : m_secret});
                break;
            }
            case 2: // renamed, its more values with it or left behind
                run(to, QStringLiteral("UPDATE info SET name = ? WHERE rowid = ?"),
                    {words.at(pick(int(words.size()))) + QStringLiteral(" %1").arg(++made), row});
                if (pick(2))
                    run(to,
                        QStringLiteral("UPDATE qav_contact_value SET name = (SELECT name FROM info WHERE rowid = ?) "
                                       "WHERE contact = ?"),
                        {row, row});
                break;
            case 3:
                run(to, QStringLiteral("UPDATE info SET mobil = ? WHERE rowid = ?"),
                    {QStringLiteral("+20 100 ") + digits(7), row});
                break;
            case 4: // into the locked directory, or back out of it
                run(to, QStringLiteral("UPDATE info SET dir = ? WHERE rowid = ?"), {m_secret, row});
                run(to, QStringLiteral("UPDATE info SET dir = ? WHERE rowid = ?"),
                    {unlocked.at(pick(2)), QString::number(anyOf(rowsOf(
                                               QStringLiteral("SELECT rowid FROM info WHERE dir = ?"), {m_secret})))});
                break;
            case 5:
                run(to, QStringLiteral("DELETE FROM info WHERE rowid = ?"), {row});
                if (pick(2))
                    run(to, QStringLiteral("DELETE FROM qav_contact_value WHERE contact = ?"), {row});
                break;
            case 6:
            case 7: {
                const Kind kind = kinds.at(pick(int(kinds.size())));
                const QString text = kind == Kind::Phone ? QStringLiteral("0122 ") + digits(7)
                                                         : QStringLiteral("v%1.example.net").arg(++made);
                run(to,
                    QStringLiteral("INSERT INTO qav_contact_value (contact, name, kind, value) "
                                   "SELECT rowid, name, ?, ? FROM info WHERE rowid = ?"),
                    {ContactValue::kindName(kind), text, row});
                break;
            }
            case 8:
            case 9: // a value edited, or made another kind (a date searched not, a number searched):
                    // only its own row id is told
                if (pick(3))
                    run(to, QStringLiteral("UPDATE qav_contact_value SET value = ? WHERE rowid = ?"),
                        {pick(2) ? QStringLiteral("0122 ") + digits(7) : QStringLiteral("e%1.example.net").arg(++made),
                         QString::number(value)});
                else
                    run(to, QStringLiteral("UPDATE qav_contact_value SET kind = ? WHERE rowid = ?"),
                        {ContactValue::kindName(kinds.at(pick(int(kinds.size())))), QString::number(value)});
                break;
            case 10:
            case 11: // a value given to another contact, or taken away
                if (pick(2))
                    run(to,
                        QStringLiteral(
                            "UPDATE qav_contact_value SET contact = ?, name = (SELECT name FROM info WHERE rowid = ?) "
                            "WHERE rowid = ?"),
                        {row, row, QString::number(value)});
                else
                    run(to, QStringLiteral("DELETE FROM qav_contact_value WHERE rowid = ?"), {QString::number(value)});
                break;
            default: // rarely: every value at once, which SQLite does not report row by row
                if (pick(8) == 0)
                    run(to, QStringLiteral("DELETE FROM qav_contact_value"));
                break;
            }
        };
        // Some fifty contacts more, and writes of every kind among them.
        QVERIFY(db.execute(QStringLiteral("BEGIN")));
        for (int i = 0; i < 50; ++i)
            run(db, QStringLiteral("INSERT INTO info (name, mobil, dir) VALUES (?, ?, ?)"),
                {words.at(pick(int(words.size()))) + QStringLiteral(" %1").arg(++made),
                 QStringLiteral("0100 ") + digits(7), unlocked.at(pick(2))});
        for (int i = 0; i < 60; ++i)
            write(db);
        QVERIFY(db.execute(QStringLiteral("COMMIT")));
        BookSearchIndex index(numbers, 4);
        QVERIFY(index.load(db));
        for (int round = 0; round < (seed == kOddRowIds ? 20 : 40); ++round) {
            const QString when = QStringLiteral("seed %1 round %2").arg(seed).arg(round);
            const int writes = 1 + pick(4);
            const int way = pick(5);
            if (way == 3) {
                // Another program's writes: this connection cannot tell them, all is read again.
                run(other, QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"),
                    {QStringLiteral("منى %1").arg(++made), m_family});
                for (int i = 0; i < writes; ++i)
                    write(other);
                QVERIFY(index.bringUpToDate(db));
                QCOMPARE(index.lastBrought(), BookSearchIndex::Brought::Read);
            } else if (way == 2) {
                // Rolled back, looked at half way or not.
                QVERIFY(db.execute(QStringLiteral("BEGIN")));
                for (int i = 0; i < writes; ++i)
                    write(db);
                if (pick(2)) {
                    QVERIFY(index.bringUpToDate(db));
                    same(index, when + QStringLiteral(" half way"));
                }
                QVERIFY(db.execute(QStringLiteral("ROLLBACK")));
                QVERIFY(index.bringUpToDate(db));
            } else {
                const bool together = way == 1;
                if (together)
                    QVERIFY(db.execute(QStringLiteral("BEGIN")));
                for (int i = 0; i < writes; ++i)
                    write(db);
                if (together)
                    QVERIFY(db.execute(QStringLiteral("COMMIT")));
                QVERIFY(index.bringUpToDate(db));
            }
            if (index.lastBrought() == BookSearchIndex::Brought::Mended)
                ++mended;
            same(index, when);
            QVERIFY2(failed.isEmpty(), qPrintable(failed.join(QLatin1Char('\n'))));
        }

        // A directory locked between two searches: its contacts are gone from the next one.
        const QString name = QStringLiteral("منى العمل %1").arg(seed);
        QVERIFY(db.execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {name, work}));
        const qint64 inWork = db.lastInsertRowId();
        const auto finds = [&](const BookSearchIndex& searched) {
            const BookSearchIndex::Found found = searched.find(name, 100000);
            return std::any_of(found.hits.begin(), found.hits.end(),
                               [inWork](const BookSearchIndex::Hit& hit) { return hit.row == inWork; });
        };
        QVERIFY(index.bringUpToDate(db));
        QVERIFY(finds(index));
        QVERIFY(db.execute(QStringLiteral("UPDATE dirg SET pass = '5' WHERE code = ?"), {work}));
        QVERIFY(index.bringUpToDate(db));
        QVERIFY(!finds(index));
        same(index, QStringLiteral("locked"));
        QVERIFY(db.execute(QStringLiteral("UPDATE dirg SET pass = '0' WHERE code = ?"), {work}));
        QVERIFY(index.bringUpToDate(db));
        QVERIFY(finds(index));
    }
    // Most rounds were mended, not read whole.
    QVERIFY2(mended > 40, qPrintable(QString::number(mended)));
}

void TestBookSearch::theIndexKeptInTheBookIsBelievedOnlyAsTheProgramLeftIt()
{
    const QString path = m_db->path();
    DataConnection& otherProgram = m_db->reader();
    // A small book's blocks are held plain; with rows spread far apart they are held packed.
    for (const bool spread : {false, true}) {
        if (spread)
            QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (300000, ?, ?)"),
                                         {QStringLiteral("Zoë البعيدة"), m_family}));
        QStringList fresh;
        {
            Session first(path);
            QVERIFY(first.read());
            fresh = hitsOf(first.index);
            QVERIFY(KeptSearchIndex::save(first.connection, first.index));
        }
        Session next(path);
        QVERIFY(next.adopted());
        QCOMPARE(next.index.packed(), spread);
        QCOMPARE(next.index.size(), qsizetype(spread ? 3 : 2)); // the locked directory's contact left out
        QCOMPARE(hitsOf(next.index), fresh);
        // Found again at the close with nothing changed: not written again.
        QVERIFY(KeptSearchIndex::save(next.connection, next.index));
        QVERIFY(next.index.adoptedAt() == next.connection.changeStamp());
        // Kept under Egypt's number rules: a book searched with another region's reads the contacts.
        BookSearchIndex saudi(PhoneMatch::numberKey(QStringLiteral("SA")));
        QVERIFY(!KeptSearchIndex::adopt(next.connection, saudi));
    }

    // Another program adds a contact: the kept index is not believed, a fresh read finds the
    // contact, and the stale index is dropped at the close rather than left in the file.
    QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (name, dir) VALUES ('نادر الجديد', ?)"), {m_family}));
    {
        Session after(path);
        QVERIFY(!after.adopted());
        QVERIFY(after.read());
        QCOMPARE(after.index.find(QStringLiteral("نادر"), 10).hits.size(), size_t(1));
        QVERIFY(KeptSearchIndex::dropUnbelieved(after.connection));
        QCOMPARE(after.keptBlocks(), QStringLiteral("0"));
        // Kept over the changed file, it leaves the name order kept there a head start only.
        Recordset all(&after.connection);
        QVERIFY(all.openAllContacts().ok);
        QVERIFY(all.snapshot()->size() > 0); // the order is read when first shown
        QVERIFY(all.keepOrder());
        QVERIFY(otherProgram.execute(QStringLiteral("UPDATE info SET moreinfo = 'x' WHERE rowid = 1")));
        QVERIFY(after.read());
        QVERIFY(KeptSearchIndex::save(after.connection, after.index));
        QVERIFY(!KeptOrder::load(after.connection, all.source()).rows);
        QVERIFY(KeptOrder::loadHeadStart(after.connection, all.source()).rows);
        // The order kept after it keeps the index believed, and is believed itself.
        QVERIFY(all.requery());
        QVERIFY(all.snapshot()->size() > 0);
        QVERIFY(all.keepOrder());
        QVERIFY(KeptOrder::load(after.connection, all.source()).rows);
    }
    {
        Session next(path);
        QVERIFY(next.adopted());
        // A name order kept over a file another program changed drops the index it finds there.
        QVERIFY(otherProgram.execute(QStringLiteral("UPDATE info SET moreinfo = 'y' WHERE rowid = 1")));
        Recordset all(&next.connection);
        QVERIFY(all.openAllContacts().ok);
        QVERIFY(all.snapshot()->size() > 0); // the order is read when first shown
        QVERIFY(all.keepOrder());
        QCOMPARE(next.keptBlocks(), QStringLiteral("0"));
    }

    // This program locks a directory in a session that searched: the index it kept before holds
    // the directory's contacts and is not believed; kept again, it holds none of them.
    const QString work = m_db->addDirectory(QStringLiteral("العمل"));
    m_db->addContact(QStringLiteral("كريم"), work, {{}, {}, QStringLiteral("0122 777 8888")});
    {
        Session keeping(path);
        QVERIFY(keeping.read());
        QVERIFY(KeptSearchIndex::save(keeping.connection, keeping.index));
    }
    {
        Session locking(path);
        QVERIFY(locking.adopted());
        QVERIFY(locking.connection.execute(QStringLiteral("UPDATE dirg SET pass = '9999' WHERE code = ?"), {m_family}));
        QVERIFY(!KeptSearchIndex::save(locking.connection, locking.index)); // read before the lock
    }
    {
        Session next(path);
        QVERIFY(!next.adopted());
        QVERIFY(next.read());
        QVERIFY(KeptSearchIndex::save(next.connection, next.index));
    }
    Session locked(path);
    QVERIFY(locked.adopted());
    for (const QString& query : {QStringLiteral("محمد"), QStringLiteral("سارة"), QStringLiteral("0111 333"),
                                 QStringLiteral("Zoë"), QStringLiteral("نادر")})
        QVERIFY2(locked.index.find(query, 10).hits.empty(), qPrintable(query));
    QCOMPARE(locked.index.find(QStringLiteral("0122 777"), 10).hits.size(), size_t(1));
    QVERIFY(otherProgram.execute(QStringLiteral("UPDATE dirg SET pass = '0' WHERE code = ?"), {m_family}));

    // The program's own close keeps the search window's index; the book holds it encrypted, and
    // the file beside it holds nothing but the fingerprint.
    // A contact saved after the last search is mended in at the close, not left out of what is kept.
    BookSearchWindow* window = BookSearchWindow::showFor(*m_form);
    QCOMPARE(namesFoundFor(window, QStringLiteral("Sara.Work")), QStringList{QStringLiteral("سارة")});
    QVERIFY(SharedData::connection().execute(QStringLiteral("INSERT INTO info (name, dir, mobil) VALUES (?, ?, ?)"),
                                             {QStringLiteral("هالة"), m_family, QStringLiteral("0128 111 2222")}));
    QCloseEvent close;
    QCoreApplication::sendEvent(m_form.get(), &close);
    Session reopened(path);
    QVERIFY(reopened.adopted());
    QCOMPARE(reopened.index.find(QStringLiteral("sara.work"), 10).hits.size(), size_t(1));
    QCOMPARE(reopened.index.find(QStringLiteral("01281112222"), 10).hits.size(), size_t(1));
    QFile book(path);
    QVERIFY(book.open(QIODevice::ReadOnly));
    const QByteArray bytes = book.readAll();
    QVERIFY(!bytes.contains("sara.work") && !bytes.contains(QStringLiteral("التحرير").toUtf8()));
    QFile print(BookFingerprint::path(path));
    QVERIFY(print.open(QIODevice::ReadOnly));
    QCOMPARE(print.size(), qint64(64));
}

void TestBookSearch::aKeptIndexThatDoesNotReadBackWholeIsNeverBelieved()
{
    const QString path = m_db->path();
    QStringList fresh;
    qsizetype rows = 0;
    {
        Session first(path);
        QVERIFY(first.read());
        fresh = hitsOf(first.index);
        rows = first.index.size();
    }
    // The first block changed as anyone with the published key could, with the fingerprint that
    // makes the book look as the program left it.
    auto craft = [&](const char* sql, const QByteArray& value) {
        {
            Session keeping(path);
            QVERIFY(keeping.read());
            QVERIFY(KeptSearchIndex::save(keeping.connection, keeping.index));
            sqlite3_stmt* update = nullptr;
            QCOMPARE(sqlite3_prepare_v2(keeping.connection.handle(), sql, -1, &update, nullptr), SQLITE_OK);
            sqlite3_bind_blob(update, 1, value.constData(), int(value.size()), SQLITE_TRANSIENT);
            QCOMPARE(sqlite3_step(update), SQLITE_DONE);
            sqlite3_finalize(update);
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCryptographicHash print(QCryptographicHash::Sha256);
        print.addData(file.read(4096));
        print.addData(QByteArray::number(file.size()));
        QFile kept(BookFingerprint::path(path));
        QVERIFY(kept.open(QIODevice::WriteOnly | QIODevice::Truncate));
        kept.write(print.result().toHex());
    };
    // A zstd frame that says it unpacks to a terabyte.
    QByteArray terabyte = QByteArray::fromHex("28b52ffdc000");
    terabyte += QByteArray::fromHex("0000000000010000");
    const std::string marksThatLie = PackedText::pack(std::string(5, BookSearchIndex::kFieldEnd)); // two rows have two
    QByteArray farIds;
    VarInt::put(farIds, VarInt::fromSigned(qint64(1) << 62));
    // As many ids as the block has rows, all the same one.
    QByteArray oneIdAgain;
    VarInt::put(oneIdAgain, VarInt::fromSigned(1));
    oneIdAgain += QByteArray(rows - 1, '\0');
    // A name of 60 MB in a block of a book of a few pages: packed, it takes a few bytes.
    QByteArray swollen;
    {
        Session keeping(path);
        QVERIFY(keeping.read());
        QVERIFY(KeptSearchIndex::save(keeping.connection, keeping.index));
        sqlite3_stmt* select = nullptr;
        QCOMPARE(sqlite3_prepare_v2(keeping.connection.handle(), "SELECT texts FROM qav_search_blocks", -1, &select,
                                    nullptr),
                 SQLITE_OK);
        QCOMPARE(sqlite3_step(select), SQLITE_ROW);
        std::string texts;
        QVERIFY(PackedText::unpack(std::string(static_cast<const char*>(sqlite3_column_blob(select, 0)),
                                               size_t(sqlite3_column_bytes(select, 0))),
                                   texts));
        sqlite3_finalize(select);
        const std::string packed = PackedText::pack(std::string(size_t(60) << 20, 'a') + texts);
        swollen = QByteArray(packed.data(), qsizetype(packed.size()));
    }
    const QList<std::pair<const char*, QByteArray>> crafted{
        {"UPDATE qav_search_blocks SET texts = ?", swollen},
        {"UPDATE qav_search_blocks SET count = 1 << 60", {}},
        {"UPDATE qav_search_blocks SET count = 0", {}},
        {"UPDATE qav_search_blocks SET count = count + 1", {}},
        {"UPDATE qav_search_blocks SET rows = ?", farIds},
        {"UPDATE qav_search_blocks SET rows = ?", oneIdAgain},
        {"UPDATE qav_search_blocks SET texts = ?", QByteArray("plain text, not packed")},
        {"UPDATE qav_search_blocks SET numbers = ?", terabyte},
        {"UPDATE qav_search_blocks SET sounds = ?", QByteArray(marksThatLie.data(), qsizetype(marksThatLie.size()))},
        {"UPDATE qav_search_blocks SET texts = CAST(texts AS TEXT)", {}},
        {"UPDATE qav_search_blocks SET blocks = 2", {}},
        {"UPDATE qav_search_blocks SET block = 1", {}},
        {"UPDATE qav_search_blocks SET kind = replace(kind, 'format 1', 'format 0')", {}}};
    for (const auto& [sql, value] : crafted) {
        craft(sql, value);
        Session next(path);
        QVERIFY2(!next.adopted(), sql);
        QVERIFY2(!next.index.loaded(), sql);
        QVERIFY(next.read());
        QVERIFY2(hitsOf(next.index) == fresh, sql); // read as if none were kept
    }
    // The same craft with nothing changed is believed: the refusals above are the rows' own.
    craft("UPDATE qav_search_blocks SET count = count", {});
    Session next(path);
    QVERIFY(next.adopted());
    QCOMPARE(hitsOf(next.index), fresh);
}

void TestBookSearch::aLargeBookIsReadBehindTheWindowWithWhatIsWrittenMeanwhile()
{
    // Row ids as far apart as a large book's, one as far as they go: the window reads on a
    // thread of its own, in pieces that skip the empty ids.
    const QString path = m_db->path();
    DataConnection& otherProgram = m_db->reader();
    QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (300000, ?, ?)"),
                                 {QStringLiteral("Zoë البعيدة"), m_family}));
    QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (?, 'الأخيرة', ?)"),
                                 {QString::number(std::numeric_limits<qint64>::max()), m_family}));
    // Read ahead at start-up, into the search window made hidden. Another program saves during
    // the read and again after it: Ctrl+F shows that very window, which reads the save behind
    // it, never on its own thread; then it finds at once what this program saves.
    BookSearchWindow::readAhead(*m_form);
    auto* ahead = m_form->findChild<BookSearchWindow*>(QStringLiteral("booksearch"));
    QVERIFY(ahead && !ahead->isVisible() && ahead->reading());
    auto rename = [](DataConnection& writer, const QString& name) {
        return writer.execute(QStringLiteral("UPDATE info SET name = ? WHERE rowid = 300000"), {name}).ok;
    };
    auto found = [ahead] {
        return ahead->model()->rowCount() == 1 ? ahead->model()->contact(0).columns.value(0) : QString();
    };
    QVERIFY(rename(otherProgram, QStringLiteral("Zoë الأولى")));
    QTRY_VERIFY_WITH_TIMEOUT(!ahead->reading(), 30000);
    QVERIFY(rename(otherProgram, QStringLiteral("Zoë الثانية")));
    QCOMPARE(openWithCtrlF(), ahead);
    QVERIFY(ahead->reading());
    ahead->searchBox->setText(QStringLiteral("Zoë"));
    QTRY_VERIFY_WITH_TIMEOUT(!ahead->reading(), 30000);
    QCOMPARE(found(), QStringLiteral("Zoë الثانية"));
    QVERIFY(rename(SharedData::connection(), QStringLiteral("Zoë الثالثة")));
    ahead->searchBox->setText(QStringLiteral("Zo"));
    QVERIFY(!ahead->reading());
    QCOMPARE(found(), QStringLiteral("Zoë الثالثة"));
    delete ahead;

    // Saved while the book is read, by this program or another: found once it is read.
    for (DataConnection* writer : {&SharedData::connection(), &otherProgram}) {
        BookSearchWindow* window = openWithCtrlF();
        QVERIFY(window);
        QVERIFY(window->reading());
        window->searchBox->setText(QStringLiteral("Zoë"));
        QCOMPARE(window->summary->text(), QStringLiteral("جارٍ قراءة جهات الاتصال..."));
        QCOMPARE(window->model()->rowCount(), 0);
        const QString name =
            writer == &otherProgram ? QStringLiteral("Zoë من برنامج آخر") : QStringLiteral("Zoë القريبة");
        QVERIFY(writer->execute(QStringLiteral("UPDATE info SET name = ? WHERE rowid = 300000"), {name}));
        QTRY_VERIFY_WITH_TIMEOUT(!window->reading(), 30000);
        QCOMPARE(window->model()->rowCount(), 1);
        QCOMPARE(window->model()->contact(0).columns.value(0), name);
        QCOMPARE(window->summary->text(), QStringLiteral("1 نتيجة"));
        delete window;
    }
    // Closed while it reads, the window stops the read: nothing is left reading the book.
    BookSearchWindow* window = openWithCtrlF();
    QVERIFY(window && window->reading());
    delete window;

    // Each way a write falls about a read in pieces: this program's before the read or after
    // it, another program's. The index stands where the program stood before the read.
    enum Way { OursBefore, OursAfter, Another };
    for (const Way way : {OursBefore, OursAfter, Another}) {
        Session program(path);
        Session reading(path);
        const ChangeStamp before = program.connection.changeStamp();
        DataConnection& writer = way == Another ? otherProgram : program.connection;
        const QString number = QStringLiteral("0199 876 54%1").arg(int(way));
        auto write = [&] {
            return writer.execute(QStringLiteral("UPDATE info SET mobil = ? WHERE rowid = 300000"), {number}).ok;
        };
        if (way == OursBefore)
            QVERIFY(write());
        QVERIFY(reading.index.load(reading.connection, BookSearchIndex::Reading::InPieces));
        if (way != OursBefore)
            QVERIFY(write());
        reading.index.standAt(before);
        QVERIFY(reading.index.bringUpToDate(program.connection));
        QCOMPARE(reading.index.find(number, 10).hits.size(), size_t(1));
        Session fresh(path);
        QVERIFY(fresh.read());
        QCOMPARE(hitsOf(reading.index), hitsOf(fresh.index));
    }
}

void TestBookSearch::aSessionThatWritesWithoutSearchingMendsTheKeptIndex()
{
    const QString path = m_db->path();
    DataConnection& otherProgram = m_db->reader();
    for (const QString& name : {QStringLiteral("نبيل"), QStringLiteral("وليد")})
        QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (name, dir) VALUES (?, ?)"), {name, m_family}));
    QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (300000, ?, ?)"),
                                 {QStringLiteral("Zoë البعيدة"), m_family}));
    QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (400000, ?, ?), "
                                                "(400001, ?, ?)"),
                                 {QStringLiteral("كمال"), m_family, QStringLiteral("جمال"), m_family}));
    QVERIFY(otherProgram.execute(QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (500000, ?, ?), "
                                                "(500001, ?, ?)"),
                                 {QStringLiteral("فريد"), m_family, QStringLiteral("سعيد"), m_family}));
    qint64 mohamed = 0, sara = 0;
    QVERIFY(ContactStore(otherProgram).findByName(QStringLiteral("محمد علي"), mohamed));
    QVERIFY(ContactStore(otherProgram).findByName(QStringLiteral("سارة"), sara));
    auto valueOf = [&](const QString& text) {
        QString row;
        (void)otherProgram.scalar(QStringLiteral("SELECT rowid FROM qav_contact_value WHERE value = ?"), {text}, row);
        return row;
    };
    const QString phone = valueOf(QStringLiteral("0111 333 4444"));
    const QString email = valueOf(QStringLiteral("Sara.Work@example.org"));
    QVERIFY(!phone.isEmpty() && !email.isEmpty());
    {
        // Kept in blocks of two rows: محمد and سارة, نبيل and وليد, Zoë, كمال and جمال, فريد and سعيد.
        Session keeping(path);
        BookSearchIndex twoByTwo(egypt(), 2);
        QVERIFY(twoByTwo.load(keeping.connection));
        QVERIFY(KeptSearchIndex::save(keeping.connection, twoByTwo));
        QCOMPARE(keeping.keptBlocks(), QStringLiteral("5"));
    }
    // A kept block as the book holds it.
    auto keptRow = [&](int block) {
        QByteArray row;
        (void)otherProgram.query(QStringLiteral("SELECT rows || texts || numbers || sounds FROM qav_search_blocks "
                                                "WHERE block = ?"),
                                 {QString::number(block)}, [&row](sqlite3_stmt* statement) {
                                     row = QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, 0)),
                                                      sqlite3_column_bytes(statement, 0));
                                 });
        return row;
    };
    // One session of the program that writes and never searches, kept at its close.
    auto writeWithoutSearching = [&](const std::vector<std::pair<QString, QStringList>>& statements) {
        Session writing(path);
        const std::optional<ChangeStamp> believed = KeptSearchIndex::believedAt(writing.connection);
        QVERIFY(believed);
        for (const auto& [sql, values] : statements)
            QVERIFY2(writing.connection.execute(sql, values), qPrintable(sql));
        QVERIFY(!writing.index.loaded());
        QVERIFY(KeptSearchIndex::mend(writing.connection, *believed, 2));
    };
    // The next session takes the kept index, and finds exactly what a fresh read finds.
    auto takenAsFresh = [&](const std::vector<std::pair<QString, qsizetype>>& expected) {
        Session next(path);
        QVERIFY(next.adopted());
        QCOMPARE(next.index.lastBrought(), BookSearchIndex::Brought::Read);
        QVERIFY(next.index.adoptedAt() == next.connection.changeStamp());
        BookSearchIndex fresh(egypt());
        QVERIFY(fresh.load(next.connection));
        QCOMPARE(next.index.size(), fresh.size());
        QCOMPARE(hitsOf(next.index), hitsOf(fresh));
        for (const auto& [query, hits] : expected) {
            QCOMPARE(next.index.find(query, 10).hits.size(), size_t(hits));
            QCOMPARE(fresh.find(query, 10).hits.size(), size_t(hits));
        }
    };

    // Deleted, its row id taken by a new contact; renamed; deleted alone in its block; moved into
    // the locked directory; added; and a rename rolled back.
    {
        Session writing(path);
        const std::optional<ChangeStamp> believed = KeptSearchIndex::believedAt(writing.connection);
        QVERIFY(believed);
        DataConnection& c = writing.connection;
        QVERIFY(c.execute(QStringLiteral("DELETE FROM info WHERE rowid = ?"), {QString::number(mohamed)}));
        QVERIFY(
            c.execute(QStringLiteral("INSERT INTO info (rowid, name, dir, mobil) VALUES (?, ?, ?, '0144 222 3333')"),
                      {QString::number(mohamed), QStringLiteral("رامي"), m_family}));
        QVERIFY(c.execute(QStringLiteral("UPDATE info SET name = ? WHERE rowid = ?"),
                          {QStringLiteral("سارة حسن"), QString::number(sara)}));
        QVERIFY(c.execute(QStringLiteral("UPDATE qav_contact_value SET name = ? WHERE contact = ?"),
                          {QStringLiteral("سارة حسن"), QString::number(sara)}));
        QVERIFY(c.execute(QStringLiteral("DELETE FROM info WHERE name = ?"), {QStringLiteral("وليد")}));
        QVERIFY(c.execute(QStringLiteral("UPDATE info SET dir = ? WHERE rowid = 300000"), {m_secret}));
        QVERIFY(c.execute(QStringLiteral("INSERT INTO info (rowid, name, dir, mobil) VALUES (300001, ?, ?, "
                                         "'0199 444 5555')"),
                          {QStringLiteral("هشام"), m_family}));
        {
            Transaction undone(c);
            QVERIFY(
                c.execute(QStringLiteral("UPDATE info SET name = 'اسم خطأ' WHERE rowid = ?"), {QString::number(sara)}));
        }
        QVERIFY(KeptSearchIndex::mend(c, *believed));
    }
    takenAsFresh({{QStringLiteral("محمد"), 0},
                  {QStringLiteral("رامي"), 1},
                  {QStringLiteral("0144 222"), 1},
                  {QStringLiteral("سارة حسن"), 1},
                  {QStringLiteral("خطأ"), 0},
                  {QStringLiteral("وليد"), 0},
                  {QStringLiteral("نبيل"), 1},
                  {QStringLiteral("Zoë"), 0},
                  {QStringLiteral("0199 444"), 1}});
    if (QTest::currentTestFailed())
        return;

    // Only more values written, none of their contacts: one edited, then one deleted. The block
    // that held them is told by the values kept beside it; the other blocks stay as they were kept.
    const QByteArray secondBlock = keptRow(1);
    const QByteArray thirdBlock = keptRow(2);
    QVERIFY(!secondBlock.isEmpty() && !thirdBlock.isEmpty());
    writeWithoutSearching(
        {{QStringLiteral("UPDATE qav_contact_value SET value = '0122 999 0000' WHERE rowid = ?"), {phone}}});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(keptRow(1), secondBlock);
    QCOMPARE(keptRow(2), thirdBlock);
    takenAsFresh({{QStringLiteral("0111 333"), 0}, {QStringLiteral("0122 999"), 1}, {QStringLiteral("sara.work"), 1}});
    if (QTest::currentTestFailed())
        return;
    writeWithoutSearching({{QStringLiteral("DELETE FROM qav_contact_value WHERE rowid = ?"), {email}}});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(keptRow(1), secondBlock);
    QCOMPARE(keptRow(2), thirdBlock);
    takenAsFresh({{QStringLiteral("sara.work"), 0}});
    if (QTest::currentTestFailed())
        return;

    // A value given to a contact of the other block: both are read again.
    qint64 hesham = 0;
    QVERIFY(ContactStore(otherProgram).findByName(QStringLiteral("هشام"), hesham));
    writeWithoutSearching({{QStringLiteral("UPDATE qav_contact_value SET contact = ?, name = 'هشام' WHERE value "
                                           "LIKE '%التحرير%'"),
                            {QString::number(hesham)}}});
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(keptRow(1), secondBlock);
    QVERIFY(keptRow(2) != thirdBlock);
    takenAsFresh({{QStringLiteral("التحرير"), 1}, {QStringLiteral("سارة"), 1}});
    if (QTest::currentTestFailed())
        return;

    // The last contact of a block deleted: its row is taken out, the next block stands for its range.
    writeWithoutSearching({{QStringLiteral("DELETE FROM info WHERE name = ?"), {QStringLiteral("نبيل")}}});
    if (QTest::currentTestFailed())
        return;
    {
        Session after(path);
        QCOMPARE(after.keptBlocks(), QStringLiteral("4"));
    }
    takenAsFresh({{QStringLiteral("نبيل"), 0}, {QStringLiteral("كمال"), 1}, {QStringLiteral("سعيد"), 1}});
    if (QTest::currentTestFailed())
        return;

    // Five contacts added after the last, one given a value: the last block, grown past twice its
    // rows, is split into full blocks, each with its values, so that the value deleted later is
    // taken out of its new block.
    const QByteArray untouched = keptRow(1);
    writeWithoutSearching(
        {{QStringLiteral("INSERT INTO info (rowid, name, dir) VALUES (600000, 'ضيف أ', ?1), "
                         "(600001, 'ضيف ب', ?1), (600002, 'ضيف ج', ?1), (600003, 'ضيف د', ?1), "
                         "(600004, 'ضيف هـ', ?1)"),
          {m_family}},
         {QStringLiteral("UPDATE qav_contact_value SET contact = 600004, name = 'ضيف هـ' WHERE rowid = ?"), {phone}}});
    if (QTest::currentTestFailed())
        return;
    {
        Session after(path);
        QCOMPARE(after.keptBlocks(), QStringLiteral("6")); // the last block's one row and five: three of two
    }
    QCOMPARE(keptRow(1), untouched);
    takenAsFresh({{QStringLiteral("ضيف"), 5}, {QStringLiteral("0122 999"), 1}, {QStringLiteral("سعيد"), 1}});
    if (QTest::currentTestFailed())
        return;
    writeWithoutSearching({{QStringLiteral("DELETE FROM qav_contact_value WHERE rowid = ?"), {phone}}});
    if (QTest::currentTestFailed())
        return;
    takenAsFresh({{QStringLiteral("0122 999"), 0}, {QStringLiteral("ضيف"), 5}});
    if (QTest::currentTestFailed())
        return;

    // A session that searched: its index, taken from the book and mended, writes at the close only
    // the block read again (and the values kept beside it).
    {
        Session searching(path);
        QVERIFY(searching.adopted());
        QVERIFY(searching.connection.execute(QStringLiteral("UPDATE info SET moreinfo = 'ملاحظة جديدة' WHERE name = ?"),
                                             {QStringLiteral("كمال")}));
        QVERIFY(searching.index.bringUpToDate(searching.connection));
        QCOMPARE(searching.index.lastBrought(), BookSearchIndex::Brought::Mended);
        const int before = sqlite3_total_changes(searching.connection.handle());
        QVERIFY(KeptSearchIndex::save(searching.connection, searching.index));
        QCOMPARE(sqlite3_total_changes(searching.connection.handle()) - before, 2);
    }
    takenAsFresh({{QStringLiteral("ملاحظة جديدة"), 1}, {QStringLiteral("كمال"), 1}});
    if (QTest::currentTestFailed())
        return;
    // Read whole in a session, it is written whole.
    {
        Session reading(path);
        QVERIFY(reading.read());
        QVERIFY(reading.connection.execute(QStringLiteral("UPDATE info SET moreinfo = 'ثانية' WHERE name = ?"),
                                           {QStringLiteral("كمال")}));
        QVERIFY(reading.index.bringUpToDate(reading.connection));
        QVERIFY(KeptSearchIndex::save(reading.connection, reading.index));
    }
    takenAsFresh({{QStringLiteral("ملاحظة جديدة"), 0}, {QStringLiteral("ثانية"), 1}});
    if (QTest::currentTestFailed())
        return;

    // Another program writes while this one does: the log cannot tell, the kept index is dropped.
    {
        Session writing(path);
        const std::optional<ChangeStamp> believed = KeptSearchIndex::believedAt(writing.connection);
        QVERIFY(believed);
        QVERIFY(otherProgram.execute(QStringLiteral("UPDATE info SET moreinfo = 'من برنامج آخر' WHERE rowid = ?"),
                                     {QString::number(hesham)}));
        QVERIFY(writing.connection.execute(QStringLiteral("UPDATE info SET moreinfo = 'x' WHERE rowid = ?"),
                                           {QString::number(sara)}));
        QVERIFY(!KeptSearchIndex::mend(writing.connection, *believed));
        QVERIFY(KeptSearchIndex::dropUnbelieved(writing.connection));
        QCOMPARE(writing.keptBlocks(), QStringLiteral("0"));
    }
    // Another program's write between two sessions: nothing believed, the contacts are read.
    {
        Session keeping(path);
        QVERIFY(keeping.read());
        QVERIFY(KeptSearchIndex::save(keeping.connection, keeping.index));
    }
    QVERIFY(otherProgram.execute(QStringLiteral("UPDATE info SET moreinfo = 'y' WHERE rowid = ?"),
                                 {QString::number(sara)}));
    {
        Session next(path);
        QVERIFY(!KeptSearchIndex::believedAt(next.connection));
        QVERIFY(!next.adopted());
        QVERIFY(next.read());
        QVERIFY(KeptSearchIndex::save(next.connection, next.index));
    }

    // The program's own session: the book opened, one contact added, the program closed, all
    // without a search; the next session takes the kept index with the contact in it.
    QCloseEvent close;
    QCoreApplication::sendEvent(m_form.get(), &close);
    QVERIFY(OpenDatabase());
    QVERIFY(SharedData::connection().execute(
        QStringLiteral("INSERT INTO info (name, dir, mobil) VALUES (?, ?, '0133 777 8888')"),
        {QStringLiteral("ياسر"), m_family}));
    SharedData::keepForNextSession();
    takenAsFresh({{QStringLiteral("ياسر"), 1}, {QStringLiteral("0133 777"), 1}});

    // A directory locked in a session that never searched takes its contacts out of every block:
    // not mended, dropped.
    Session locking(path);
    const std::optional<ChangeStamp> believed = KeptSearchIndex::believedAt(locking.connection);
    QVERIFY(believed);
    QVERIFY(locking.connection.execute(QStringLiteral("UPDATE dirg SET pass = '9999' WHERE code = ?"), {m_family}));
    QVERIFY(!KeptSearchIndex::mend(locking.connection, *believed));
    QVERIFY(KeptSearchIndex::dropUnbelieved(locking.connection));
    QCOMPARE(locking.keptBlocks(), QStringLiteral("0"));
}
