// The coming occasions over a real book: the nearest first, a Hijri birthday on its Hijri day,
// nothing from a directory with a password, and the contact shown on a double-click.
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "Editor.h"
#include "HijriCalendar.h"
#include "MainMenus.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "OccasionReminder.h"
#include "OccasionsWindow.h"
#include "Preferences.h"
#include "SkinButton.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QTreeWidget>
#include <QtTest>

class TestOccasions : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase() { prepareApplication(); }
    void init() { openFixture(); }
    void cleanup() { closeFixture(); }

    void theNextDaysNearestFirstFromOpenDirectories();
    void aDateThatIsNotInEveryYearStillComesRound();

private:
    void addWithDate(const QString& name, const QString& dir, const QString& label, const QString& value,
                     const QString& calendar = QLatin1String(ContactValue::kGregorian));
};

void TestOccasions::addWithDate(const QString& name, const QString& dir, const QString& label, const QString& value,
                                const QString& calendar)
{
    m_db->addContact(name, dir, {QStringLiteral("0100%1").arg(qHash(name) % 100000)});
    qint64 row = 0;
    QVERIFY(ContactStore(m_db->reader()).findByName(name, row));
    ContactValue date{ContactValue::Kind::Date, label, value, calendar};
    QVERIFY(ContactValueStore(m_db->reader()).replaceWithin(row, name, {date}));
}

void TestOccasions::theNextDaysNearestFirstFromOpenDirectories()
{
    const QDate today = QDate::currentDate();
    const QString family = m_db->addDirectory(QStringLiteral("العائلة"));
    const QString locked = m_db->addDirectory(QStringLiteral("خاص"), QStringLiteral("secret"));
    const QDate inThree = today.addDays(3);
    addWithDate(QStringLiteral("أمل"), family, QStringLiteral("birthday"),
                QStringLiteral("1992-%1").arg(inThree.toString(QStringLiteral("MM-dd"))));
    addWithDate(QStringLiteral("سعيد"), family, QStringLiteral("anniversary"),
                today.toString(QStringLiteral("--MM-dd")));
    // Kept in the Hijri calendar: it comes round on its Hijri day, which is no fixed Gregorian one.
    const QDate inTen = today.addDays(10);
    int hy = 0, hm = 0, hd = 0;
    QVERIFY(HijriCalendar::fromGregorian(inTen, hy, hm, hd));
    addWithDate(QStringLiteral("خالد"), family, QStringLiteral("birthday"),
                QStringLiteral("1400-%1-%2").arg(hm, 2, 10, QLatin1Char('0')).arg(hd, 2, 10, QLatin1Char('0')),
                QLatin1String(ContactValue::kHijri));
    addWithDate(QStringLiteral("بعيد"), family, QStringLiteral("birthday"),
                today.addDays(40).toString(QStringLiteral("yyyy-MM-dd")));
    addWithDate(QStringLiteral("أمس"), family, QStringLiteral("birthday"),
                today.addDays(-1).toString(QStringLiteral("--MM-dd")));
    addWithDate(QStringLiteral("سر"), locked, QStringLiteral("birthday"),
                today.addDays(1).toString(QStringLiteral("--MM-dd")));
    // Another program deleted a contact and a new one took its row: the old date is not its.
    addWithDate(QStringLiteral("قديم"), family, QStringLiteral("birthday"),
                today.addDays(2).toString(QStringLiteral("--MM-dd")));
    QVERIFY(m_db->reader().execute(QStringLiteral("UPDATE info SET name = ? WHERE name = ?"),
                                   {QStringLiteral("غريب"), QStringLiteral("قديم")}));

    // On by default; off here, so the start-up reminder never reaches the desktop running the test.
    QVERIFY(Preferences::remindOccasions());
    Preferences::setRemindOccasions(false);
    m_form = MainWindowUser::start();
    bool shown = false, viewed = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* window = qobject_cast<OccasionsWindow*>(modal);
        QVERIFY(window);
        shown = true;
        QCOMPARE(window->windowTitle(), QStringLiteral("المناسبات القادمة"));
        QCOMPARE(window->layoutDirection(), Qt::RightToLeft);
        QTreeWidget* list = window->list;
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("سعيد"));
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("ذكرى سنوية"));
        QCOMPARE(list->topLevelItem(0)->text(3), QString());
        QCOMPARE(list->topLevelItem(0)->text(4), QStringLiteral("اليوم"));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("أمل"));
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("عيد ميلاد"));
        const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
        QCOMPARE(list->topLevelItem(1)->text(3), arabic.toString(inThree.year() - 1992));
        QCOMPARE(list->topLevelItem(2)->text(0), QStringLiteral("خالد"));
        QCOMPARE(list->topLevelItem(2)->text(2), HijriCalendar::bothCalendars(inTen, arabic));
        QCOMPARE(list->topLevelItem(2)->text(3), arabic.toString(hy - 1400));
        QVERIFY(list->topLevelItem(2)->text(2).contains(QStringLiteral(" هـ — ")));

        ModalDriver::whenModal([&](QWidget* view) {
            auto* editor = qobject_cast<Editor*>(view);
            QVERIFY(editor);
            viewed = true;
            QCOMPARE(editor->tname->text(), QStringLiteral("خالد"));
            QVERIFY(editor->tname->isReadOnly());
            editor->reject();
        });
        list->setCurrentItem(list->topLevelItem(2));
        emit list->itemActivated(list->topLevelItem(2), 0);
        QVERIFY(viewed);
        // The start-up reminder is turned on and off here.
        QVERIFY(!window->remindAtStart->isChecked());
        window->remindAtStart->click();
        QVERIFY(Preferences::remindOccasions());
        window->remindAtStart->click();
        QVERIFY(!Preferences::remindOccasions());
        window->cmdClose->click();
    });
    QAction* item = controls(*m_form).menus->item(QStringLiteral("occasions"));
    QVERIFY(item && item->text() == QStringLiteral("المناسبات القادمة"));
    item->trigger();
    QVERIFY(shown);
    QCOMPARE(ModalDriver::takeUnanswered(), 0);
    QVERIFY(!OccasionReminder::remind(today));

    // The reminder tells today's and tomorrow's only, from the open directories.
    QCOMPARE(OccasionReminder::text(today), QStringLiteral("اليوم: ذكرى سنوية «سعيد»"));
    QCOMPARE(OccasionReminder::text(inThree.addDays(-1)),
             QStringLiteral("غدا: عيد ميلاد «أمل» (%1)")
                 .arg(QLocale(QLocale::Arabic, QLocale::Egypt).toString(inThree.year() - 1992)));
}

void TestOccasions::aDateThatIsNotInEveryYearStillComesRound()
{
    const ContactValue leapDay{ContactValue::Kind::Date, QStringLiteral("birthday"), QStringLiteral("2000-02-29"),
                               QLatin1String(ContactValue::kGregorian)};
    auto next = Occasion::next(leapDay, QDate(2027, 1, 10));
    QVERIFY(next);
    QCOMPARE(next->day, QDate(2027, 2, 28));
    QCOMPARE(next->years, 27);
    next = Occasion::next(leapDay, QDate(2027, 3, 1));
    QVERIFY(next);
    QCOMPARE(next->day, QDate(2028, 2, 29));

    // 15 Ramadan 1435 is 12 July 2014; a Hijri birthday comes round eleven days or so earlier
    // each Gregorian year.
    const ContactValue hijri{ContactValue::Kind::Date, QStringLiteral("birthday"), QStringLiteral("1435-09-15"),
                             QLatin1String(ContactValue::kHijri)};
    next = Occasion::next(hijri, QDate(2014, 7, 1));
    QVERIFY(next);
    QCOMPARE(next->day, QDate(2014, 7, 12));
    next = Occasion::next(hijri, QDate(2014, 7, 13));
    QVERIFY(next);
    QCOMPARE(next->day, HijriCalendar::toGregorian(1436, 9, 15));
    QCOMPARE(next->years, 1);
    QCOMPARE(HijriCalendar::bothCalendars(QDate(2014, 7, 12), QLocale(QLocale::Arabic, QLocale::Egypt)),
             QStringLiteral("١٥ رمضان ١٤٣٥ هـ — ١٢ يوليو ٢٠١٤"));
    // The 30th of a Hijri month of 29 days that year falls on its 29th; nonsense is no date.
    const ContactValue thirtieth{
        ContactValue::Kind::Date, {}, QStringLiteral("--09-30"), QLatin1String(ContactValue::kHijri)};
    for (int year = 1440; year < 1450; ++year) {
        const QDate start = HijriCalendar::toGregorian(year, 9, 1);
        next = Occasion::next(thirtieth, start);
        QVERIFY(next);
        const QDate expected = HijriCalendar::toGregorian(year, 9, 30).isValid()
                                   ? HijriCalendar::toGregorian(year, 9, 30)
                                   : HijriCalendar::toGregorian(year, 9, 29);
        QCOMPARE(next->day, expected);
    }
    for (const QString& bad : {QStringLiteral("2000-13-01"), QStringLiteral("--02-30"), QStringLiteral("1990-1-1"),
                               QStringLiteral("٢٠٠٠-٠١-٠١"), QStringLiteral("")})
        QVERIFY2(!Occasion::next({ContactValue::Kind::Date, {}, bad, {}}, QDate(2027, 1, 1)), qPrintable(bad));
}

QTEST_MAIN(TestOccasions)
#include "tst_occasions.moc"
