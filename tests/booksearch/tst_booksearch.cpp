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
#include "StoredOrder.h"
#include "VarInt.h"
#include "WindowTestFixture.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCryptographicHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>
#include <QtTest>

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
    void theIndexKeptInTheBookIsBelievedOnlyAsTheProgramLeftIt();
    void aKeptIndexThatDoesNotReadBackWholeIsNeverBelieved();

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
                      QStringLiteral("تقابلنا فى المؤتمر")});
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
        QVERIFY(!StoredOrder::load(after.connection, all.source()).rows);
        QVERIFY(StoredOrder::loadHint(after.connection, all.source()).rows);
        // The order kept after it keeps the index believed, and is believed itself.
        QVERIFY(all.requery());
        QVERIFY(all.snapshot()->size() > 0);
        QVERIFY(all.keepOrder());
        QVERIFY(StoredOrder::load(after.connection, all.source()).rows);
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
    BookSearchWindow* window = BookSearchWindow::showFor(*m_form);
    QCOMPARE(namesFoundFor(window, QStringLiteral("Sara.Work")), QStringList{QStringLiteral("سارة")});
    QCloseEvent close;
    QCoreApplication::sendEvent(m_form.get(), &close);
    Session reopened(path);
    QVERIFY(reopened.adopted());
    QCOMPARE(reopened.index.find(QStringLiteral("sara.work"), 10).hits.size(), size_t(1));
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
    {
        Session first(path);
        QVERIFY(first.read());
        fresh = hitsOf(first.index);
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
    const QList<std::pair<const char*, QByteArray>> crafted{
        {"UPDATE qav_search_blocks SET count = 1 << 60", {}},
        {"UPDATE qav_search_blocks SET count = 0", {}},
        {"UPDATE qav_search_blocks SET count = count + 1", {}},
        {"UPDATE qav_search_blocks SET rows = ?", farIds},
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
