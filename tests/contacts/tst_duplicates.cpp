// The duplicates window over a real book: a merge keeps every number and address, goes to the
// trash, and leaves unrelated contacts alone; a pair said to be two people is not offered again.
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DuplicatesWindow.h"
#include "MainForm.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "MessageBox.h"
#include "ModalDriver.h"
#include "ScriptedMessageBox.h"
#include "SkinButton.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QComboBox>
#include <QListWidget>
#include <QTableWidget>
#include <QtTest>

class TestDuplicates : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(); }
    void init();
    void cleanup() { closeFixture(); }

    void aMergeThroughTheWindowLosesNoNumber();
    void notADuplicateIsRememberedAndLockedDirectoriesStayOut();

private:
    void inWindow(const std::function<void(DuplicatesWindow*)>& action);
    QString row(const QString& name);
    MoreValues more(const QString& name);
    void giveMore(const QString& name, const MoreValues& values);
    QString m_family;
    QString m_work;
};

void TestDuplicates::init()
{
    openFixture();
    m_family = m_db->addDirectory(QStringLiteral("العائلة"));
    m_work = m_db->addDirectory(QStringLiteral("العمل"));
    // hometel, jobtel, mobil, fax, address, email, org, moreinfo
    m_db->addContact(QStringLiteral("محمد أحمد"), m_family,
                     {QStringLiteral("0223456789"),
                      {},
                      QStringLiteral("0100 123 4567"),
                      {},
                      QStringLiteral("شارع النيل"),
                      QStringLiteral("Mo@Example.com")});
    m_db->addContact(QStringLiteral("Mohamed Ahmed"), m_work,
                     {QStringLiteral("0224445555"),
                      QStringLiteral("0233334444"),
                      QStringLiteral("+20 100 123 4567"),
                      {},
                      QStringLiteral("Baker Street"),
                      QStringLiteral("mo@example.com"),
                      QStringLiteral("Acme"),
                      QStringLiteral("met at work")});
    m_db->addContact(QStringLiteral("سارة"), m_family, {QStringLiteral("0225556666")});
    m_form = MainWindowUser::start();
}

void TestDuplicates::inWindow(const std::function<void(DuplicatesWindow*)>& action)
{
    bool shown = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<DuplicatesWindow*>(modal);
        QVERIFY(window);
        shown = true;
        QCOMPARE(window->windowTitle(), QStringLiteral("البحث عن المكررات"));
        window->region->setCurrentText(QStringLiteral("EG"));
        action(window);
        window->accept();
    });
    QAction* item = controls(*m_form).menus->item(QStringLiteral("duplicates"));
    QVERIFY(item && item->text() == QStringLiteral("البحث عن المكررات"));
    item->trigger();
    QVERIFY(shown);
}

QString TestDuplicates::row(const QString& name)
{
    return m_db->scalar(QStringLiteral("SELECT quote(name)||quote(hometel)||quote(jobtel)||quote(mobil)||quote(fax)||"
                                       "quote(address)||quote(email)||quote(org)||quote(moreinfo)||quote(dir) "
                                       "FROM info WHERE name = ?"),
                        {name});
}

MoreValues TestDuplicates::more(const QString& name)
{
    MoreValues values;
    [&] { QVERIFY(ContactValueStore(m_db->reader()).readByName(name, values)); }();
    return values;
}

void TestDuplicates::giveMore(const QString& name, const MoreValues& values)
{
    qint64 at = 0;
    QVERIFY(ContactStore(m_db->reader()).findByName(name, at));
    QVERIFY(ContactValueStore(m_db->reader()).replaceWithin(at, name, values));
}

void TestDuplicates::aMergeThroughTheWindowLosesNoNumber()
{
    using Kind = ContactValue::Kind;
    // Each has more values of its own; the kept one a second mobile that the other has too.
    const MoreValues keptMore{{Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0111 222 3333")},
                              {Kind::Web, {}, QStringLiteral("https://example.com/\u202Emo")}};
    const MoreValues otherMore{
        {Kind::Phone, QStringLiteral("mobile"), QStringLiteral("+20 111 222 3333")},
        {Kind::Email, QStringLiteral("work"), QStringLiteral("mo@work.example")},
        {Kind::Date, QStringLiteral("birthday"), QStringLiteral("1985-04-02"), ContactValue::kGregorian}};
    giveMore(QStringLiteral("محمد أحمد"), keptMore);
    giveMore(QStringLiteral("Mohamed Ahmed"), otherMore);
    const QString unrelated = row(QStringLiteral("سارة"));
    const QString keptBefore = row(QStringLiteral("محمد أحمد"));
    const QString otherBefore = row(QStringLiteral("Mohamed Ahmed"));
    inWindow([&](DuplicatesWindow* window) {
        QCOMPARE(window->groups->count(), 1);
        QVERIFY(window->groups->item(0)->text().startsWith(QStringLiteral("نفس رقم التليفون")));
        QCOMPARE(window->members->rowCount(), 2);
        window->kept->setCurrentText(QStringLiteral("محمد أحمد"));
        window->cmdMerge->click();
        QVERIFY(m_boxes->last().text.contains(QStringLiteral("تم الدمج فى «محمد أحمد»")));
        QCOMPARE(window->groups->count(), 0);
        QCOMPARE(window->summary->text(), QStringLiteral("لا توجد بيانات مكررة"));
    });
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = 'Mohamed Ahmed'")),
             QStringLiteral("0"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash WHERE name = 'Mohamed Ahmed'")),
             QStringLiteral("1"));
    // The fields take what fits; every other value is a more value of its kind, none is in the
    // notes, and the numbers and e-mail both had (written two ways) are there once.
    const QString merged = row(QStringLiteral("محمد أحمد"));
    QCOMPARE(merged, QStringLiteral("'محمد أحمد''0223456789''0233334444''0100 123 4567''''شارع النيل'"
                                    "'Mo@Example.com''Acme''اسم آخر: Mohamed Ahmed\nmet at work''%1'")
                         .arg(m_family));
    MoreValues expected = keptMore;
    expected.push_back({Kind::Phone, QStringLiteral("home"), QStringLiteral("0224445555")});
    expected.push_back({Kind::Address, {}, ContactValue::joinParts({{}, {}, QStringLiteral("Baker Street")})});
    expected.insert(expected.end(), otherMore.begin() + 1, otherMore.end());
    QVERIFY(more(QStringLiteral("محمد أحمد")) == expected);
    QCOMPARE(row(QStringLiteral("سارة")), unrelated);

    // Taken back at once: both as they were, byte for byte, each with its own more values; and
    // made again.
    QAction* undo = m_form->findChild<QAction*>(QStringLiteral("undo"));
    QCOMPARE(undo->text(), QStringLiteral("تراجع عن دمج «محمد أحمد»"));
    undo->trigger();
    QCOMPARE(row(QStringLiteral("محمد أحمد")), keptBefore);
    QCOMPARE(row(QStringLiteral("Mohamed Ahmed")), otherBefore);
    QVERIFY(more(QStringLiteral("محمد أحمد")) == keptMore);
    QVERIFY(more(QStringLiteral("Mohamed Ahmed")) == otherMore);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash")), QStringLiteral("0"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM qav_trash_value")), QStringLiteral("0"));
    m_form->findChild<QAction*>(QStringLiteral("redo"))->trigger();
    QCOMPARE(row(QStringLiteral("محمد أحمد")), merged);
    QVERIFY(more(QStringLiteral("محمد أحمد")) == expected);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = 'Mohamed Ahmed'")),
             QStringLiteral("0"));

    // Another program changed a more value of the kept one meanwhile: the undo changes nothing.
    giveMore(QStringLiteral("محمد أحمد"), keptMore);
    undo->trigger();
    QVERIFY(more(QStringLiteral("محمد أحمد")) == keptMore);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = 'Mohamed Ahmed'")),
             QStringLiteral("0"));
}

void TestDuplicates::notADuplicateIsRememberedAndLockedDirectoriesStayOut()
{
    inWindow([&](DuplicatesWindow* window) {
        QCOMPARE(window->groups->count(), 1);
        window->cmdNotDuplicate->click();
        QCOMPARE(window->groups->count(), 0);
    });
    inWindow([&](DuplicatesWindow* window) { QCOMPARE(window->groups->count(), 0); });
    // Another pair, one of them in a directory with a password that is not open: not offered.
    const QString locked = m_db->addDirectory(QStringLiteral("خاص"), QStringLiteral("secret"));
    m_db->addContact(QStringLiteral("Sarah"), locked, {QStringLiteral("0225556666")});
    inWindow([&](DuplicatesWindow* window) { QCOMPARE(window->groups->count(), 0); });
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("4"));

    // Two people who share nothing but a second number, or a second e-mail, are offered as well.
    m_db->addContact(QStringLiteral("Ali"), m_family, {QStringLiteral("0226667777")});
    m_db->addContact(QStringLiteral("Hassan"), m_work, {QStringLiteral("0228889999")});
    m_db->addContact(QStringLiteral("Kamal"), m_family, {{}, {}, {}, {}, {}, QStringLiteral("K@Example.org")});
    m_db->addContact(QStringLiteral("Bob"), m_work, {QStringLiteral("0221112222")});
    giveMore(QStringLiteral("Hassan"),
             {{ContactValue::Kind::Phone, QStringLiteral("mobile"), QStringLiteral("02 2666 7777")}});
    giveMore(QStringLiteral("Bob"), {{ContactValue::Kind::Email, {}, QStringLiteral("k@example.org")}});
    inWindow([&](DuplicatesWindow* window) {
        QCOMPARE(window->groups->count(), 2);
        QVERIFY(window->groups->item(0)->text().startsWith(QStringLiteral("نفس رقم التليفون")));
        QVERIFY(window->groups->item(1)->text().startsWith(QStringLiteral("نفس البريد الالكترونى")));
    });
}

QTEST_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
