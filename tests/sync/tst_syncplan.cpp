// What a sync decides for each card, from what each side holds and what both last agreed on:
// every combination of unchanged, changed and deleted on either side, without a server.
#include "SyncPlan.h"

#include <QtTest>

namespace
{

using Action = SyncPlan::Action;

// "mobile,email" → a contact named Mona; "-" → none (deleted on that side).
std::optional<ContactFields> fields(const QString& text)
{
    if (text == QLatin1String("-"))
        return std::nullopt;
    ContactFields made;
    made.name = QStringLiteral("Mona");
    made.mobil = text.section(QLatin1Char(','), 0, 0);
    made.email = text.section(QLatin1Char(','), 1, 1);
    return made;
}

SyncPlan::ServerCard serverCard(const QString& href, const ContactFields& values, const QString& uid = {})
{
    return {href, "\"1\"", values, uid};
}

} // namespace

Q_DECLARE_METATYPE(SyncPlan::Action)

class TestSyncPlan : public QObject
{
    Q_OBJECT
private slots:
    void eachCardFromTheServer_data();
    void eachCardFromTheServer();
    void eachCardGoneFromTheServer_data();
    void eachCardGoneFromTheServer();
    void aCardMovedOnTheServerIsTheSameContact();
    void aContactAlreadyHereIsLinkedNotDoubled();
    void whatGoesToTheServer();
};

void TestSyncPlan::eachCardFromTheServer_data()
{
    QTest::addColumn<QString>("agreed");
    QTest::addColumn<QString>("local");
    QTest::addColumn<QString>("server");
    QTest::addColumn<SyncPlan::Action>("action");
    QTest::addColumn<QString>("after"); // what the contact holds afterwards

    QTest::newRow("new there") << "-"
                               << "-"
                               << "1," << Action::Insert << "1,";
    QTest::newRow("unchanged on both sides, new ETag") << "1,"
                                                       << "1,"
                                                       << "1," << Action::Link << "1,";
    QTest::newRow("changed there") << "1,"
                                   << "1,"
                                   << "2," << Action::Update << "2,";
    QTest::newRow("changed here, ETag moved there") << "1,"
                                                    << "2,"
                                                    << "1," << Action::Link << "2,";
    QTest::newRow("changed alike on both sides") << "1,"
                                                 << "2,"
                                                 << "2," << Action::Link << "2,";
    QTest::newRow("different fields on each side") << "1,"
                                                   << "2,"
                                                   << "1,m@x" << Action::Merge << "2,m@x";
    QTest::newRow("one field, differently") << "1,"
                                            << "2,"
                                            << "3," << Action::KeepBoth << "3,";
    QTest::newRow("one field differently, another alike") << "1,"
                                                          << "2,m@x"
                                                          << "3,m@x" << Action::KeepBoth << "3,m@x";
    QTest::newRow("deleted here, changed there") << "1,"
                                                 << "-"
                                                 << "2," << Action::Insert << "2,";
    QTest::newRow("deleted here, only the ETag moved") << "1,"
                                                       << "-"
                                                       << "1," << Action::Link << "1,";
}

void TestSyncPlan::eachCardFromTheServer()
{
    QFETCH(QString, agreed);
    QFETCH(QString, local);
    QFETCH(QString, server);
    QFETCH(SyncPlan::Action, action);
    QFETCH(QString, after);
    std::optional<SyncPlan::Agreed> known;
    if (const auto values = fields(agreed))
        known = SyncPlan::Agreed{*values, local == QLatin1String("-") ? 0 : 7, {}};
    const SyncPlan::Step step = SyncPlan::onServerCard(serverCard("/b/1.vcf", *fields(server)), known, fields(local));
    QCOMPARE(step.action, action);
    QCOMPARE(step.fields, *fields(after));
    if (action != Action::Insert)
        QCOMPARE(step.row, known ? known->row : 0);
}

void TestSyncPlan::eachCardGoneFromTheServer_data()
{
    QTest::addColumn<QString>("local");
    QTest::addColumn<SyncPlan::Action>("action");
    QTest::newRow("unchanged here") << "1," << Action::Delete;
    QTest::newRow("changed here") << "2," << Action::Forget;
    QTest::newRow("gone here too") << "-" << Action::Forget;
}

void TestSyncPlan::eachCardGoneFromTheServer()
{
    QFETCH(QString, local);
    QFETCH(SyncPlan::Action, action);
    const SyncPlan::Step step =
        SyncPlan::onServerRemoval("/b/1.vcf", {*fields("1,"), local == QLatin1String("-") ? 0 : 7, {}}, fields(local));
    QCOMPARE(step.action, action);
}

void TestSyncPlan::aCardMovedOnTheServerIsTheSameContact()
{
    ContactFields other = *fields("5,");
    other.name = QStringLiteral("Other");
    const std::map<QString, SyncPlan::Agreed> known{{"/b/old.vcf", {*fields("1,"), 7, "uid-1"}},
                                                    {"/b/other.vcf", {other, 8, "uid-2"}}};
    const std::map<qint64, ContactFields> local{{7, *fields("1,")}, {8, other}};
    SyncPlan::ServerChanges changes;
    changes.changed.push_back(serverCard("/b/new.vcf", *fields("2,"), "uid-1"));
    changes.removed = {"/b/old.vcf", "/b/other.vcf"};
    const std::vector<SyncPlan::Step> steps = SyncPlan::serverSide(changes, known, local);
    QCOMPARE(steps.size(), size_t(3));
    QCOMPARE(steps[0].action, Action::Move);
    QCOMPARE(steps[0].from, QStringLiteral("/b/old.vcf"));
    QCOMPARE(steps[1].action, Action::Update);
    QCOMPARE(steps[1].row, 7);
    QCOMPARE(steps[2].action, Action::Delete); // a card gone with no new address is still gone
    QCOMPARE(steps[2].href, QStringLiteral("/b/other.vcf"));
}

void TestSyncPlan::aContactAlreadyHereIsLinkedNotDoubled()
{
    const std::map<qint64, ContactFields> local{{3, *fields("1,")}};
    SyncPlan::ServerChanges changes;
    changes.changed.push_back(serverCard("/b/same.vcf", *fields("1,")));
    changes.changed.push_back(serverCard("/b/same.vcf", *fields("1,"))); // listed twice
    std::vector<SyncPlan::Step> steps = SyncPlan::serverSide(changes, {}, local);
    QCOMPARE(steps.size(), size_t(1));
    QCOMPARE(steps[0].action, Action::Link);
    QCOMPARE(steps[0].row, 3);

    // Same name, other values: a new contact (renamed when it is written), not the one here.
    changes.changed = {serverCard("/b/same.vcf", *fields("2,"))};
    steps = SyncPlan::serverSide(changes, {}, local);
    QCOMPARE(steps[0].action, Action::Insert);
}

void TestSyncPlan::whatGoesToTheServer()
{
    const std::map<QString, SyncPlan::Agreed> known{{"/b/same.vcf", {*fields("1,"), 1, {}}},
                                                    {"/b/changed.vcf", {*fields("1,"), 2, {}}},
                                                    {"/b/deleted.vcf", {*fields("1,"), 3, {}}},
                                                    {"/b/never.vcf", {*fields("1,"), 0, {}}}};
    const std::map<qint64, ContactFields> local{{1, *fields("1,")}, {2, *fields("2,")}, {4, *fields("4,")}};
    const SyncPlan::Pushes pushes = SyncPlan::localSide(known, local);
    QCOMPARE(pushes.changed, std::vector<QString>{"/b/changed.vcf"});
    QCOMPARE(pushes.deleted, (std::vector<QString>{"/b/deleted.vcf", "/b/never.vcf"}));
    QCOMPARE(pushes.added, std::vector<qint64>{4});

    const SyncPlan::FieldMerge merge = SyncPlan::mergeFields(*fields("1,a"), *fields("2,a"), *fields("3,b"));
    QCOMPARE(merge.conflicts.size(), size_t(1));
    QVERIFY(merge.conflicts.front() == &ContactFields::mobil);
    QCOMPARE(merge.merged.email, QStringLiteral("b"));
}

QTEST_GUILESS_MAIN(TestSyncPlan)
#include "tst_syncplan.moc"
