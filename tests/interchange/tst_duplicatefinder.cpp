// Finding likely duplicates and merging them without losing a value.
#include "ContactMerge.h"
#include "DuplicateFinder.h"

#include <QtTest>

class TestDuplicateFinder : public QObject
{
    Q_OBJECT
private slots:
    void oneNumberInSixFormatsMakesOneGroup();
    void emailsAndNamesInBothScripts();
    void namesAloneDoNotJoinTwoPeople();
    void aMergeKeepsEveryValue();
};

namespace
{

ContactFields contact(const QString& name, const QString& mobile = {}, const QString& email = {})
{
    ContactFields c;
    c.name = name;
    c.mobil = mobile;
    c.email = email;
    return c;
}

QStringList namesOf(const std::vector<ContactFields>& contacts, const DuplicateFinder::Group& group)
{
    QStringList names;
    for (const int member : group.members)
        names << contacts[size_t(member)].name;
    return names;
}

} // namespace

void TestDuplicateFinder::oneNumberInSixFormatsMakesOneGroup()
{
    const std::vector<ContactFields> contacts = {
        contact(QStringLiteral("A"), QStringLiteral("+20 100 123 4567")),
        contact(QStringLiteral("B"), QStringLiteral("00201001234567")),
        contact(QStringLiteral("C"), QStringLiteral("0100-123-4567")),
        contact(QStringLiteral("D"), QStringLiteral("(0100) 123 4567")),
        contact(QStringLiteral("E"), QStringLiteral("٠١٠٠١٢٣٤٥٦٧")),
        contact(QStringLiteral("F"), QStringLiteral("+20.100.123.4567")),
        // The same last digits, another number: in another country, and one digit apart.
        contact(QStringLiteral("G"), QStringLiteral("+966 10 0123 4567")),
        contact(QStringLiteral("H"), QStringLiteral("0100-123-4568")),
    };
    std::vector<DuplicateFinder::Group> groups = DuplicateFinder(QStringLiteral("EG")).find(contacts);
    QCOMPARE(groups.size(), size_t(1));
    QCOMPARE(namesOf(contacts, groups[0]), QStringList({"A", "B", "C", "D", "E", "F"}));
    QCOMPARE(groups[0].reason, DuplicateFinder::Reason::SameNumber);
    // Read as numbers of another region, the trunk-0 ones are not the +20 number any more.
    groups = DuplicateFinder(QStringLiteral("SA")).find(contacts);
    QVERIFY(groups.empty() || namesOf(contacts, groups[0]).size() < 6);
    // Said to be two people: never offered together again.
    DuplicateFinder told(QStringLiteral("EG"));
    told.setNotDuplicates({DuplicateFinder::pairKey(QStringLiteral("B"), QStringLiteral("A"))});
    const std::vector<ContactFields> two(contacts.begin(), contacts.begin() + 2);
    QVERIFY(told.find(two).empty());
}

void TestDuplicateFinder::emailsAndNamesInBothScripts()
{
    const std::vector<ContactFields> contacts = {
        contact(QStringLiteral("محمد أحمد")),
        contact(QStringLiteral("Ali Hassan"), {}, QStringLiteral("Ali.Hassan@Example.COM")),
        contact(QStringLiteral("Mohamed Ahmed")),
        contact(QStringLiteral("علي حسن"), {}, QStringLiteral(" ali.hassan@example.com")),
        contact(QStringLiteral("أحمد محمد")), // the same words in another order: another person
        contact(QStringLiteral("إيمان")),
        contact(QStringLiteral("ايمان")),
    };
    const std::vector<DuplicateFinder::Group> groups = DuplicateFinder(QStringLiteral("EG")).find(contacts);
    QCOMPARE(groups.size(), size_t(3));
    QCOMPARE(groups[0].reason, DuplicateFinder::Reason::SameEmail); // strongest first
    QCOMPARE(namesOf(contacts, groups[0]), QStringList({QStringLiteral("Ali Hassan"), QStringLiteral("علي حسن")}));
    QCOMPARE(groups[1].reason, DuplicateFinder::Reason::SameName);
    QCOMPARE(namesOf(contacts, groups[1]), QStringList({QStringLiteral("إيمان"), QStringLiteral("ايمان")}));
    QCOMPARE(groups[2].reason, DuplicateFinder::Reason::SoundAlike);
    QCOMPARE(namesOf(contacts, groups[2]), QStringList({QStringLiteral("محمد أحمد"), QStringLiteral("Mohamed Ahmed")}));
}

void TestDuplicateFinder::namesAloneDoNotJoinTwoPeople()
{
    const std::vector<ContactFields> contacts = {
        // Alike names, but every number differs, or the e-mail addresses do.
        contact(QStringLiteral("محمد علي"), QStringLiteral("01001111111")),
        contact(QStringLiteral("Mohamed Ali"), QStringLiteral("01002222222")),
        contact(QStringLiteral("Hassan Omar"), {}, QStringLiteral("h1@x.org")),
        contact(QStringLiteral("حسن عمر"), {}, QStringLiteral("h2@x.org")),
        // Names that are not alike at all, and names with different numbers in them.
        contact(QStringLiteral("Hussein Omar")),
        contact(QStringLiteral("Mary Smith 1")),
        contact(QStringLiteral("Mary Smith 2")),
    };
    QVERIFY(DuplicateFinder(QStringLiteral("EG")).find(contacts).empty());
}

void TestDuplicateFinder::aMergeKeepsEveryValue()
{
    ContactFields kept{QStringLiteral("محمد أحمد"),  QStringLiteral("0223"),    {}, QStringLiteral("0100"), {},
                       QStringLiteral("شارع النيل"), QStringLiteral("m@x.org"), {}, QStringLiteral("صديق")};
    ContactFields other{QStringLiteral("Mohamed Ahmed"), QStringLiteral("0224"), QStringLiteral("0233"),
                        QStringLiteral("0100"),          QStringLiteral("0244"), QStringLiteral("Baker Street"),
                        QStringLiteral("M@X.org"),       QStringLiteral("Acme"), QStringLiteral("met at work")};
    const ContactFields merged = ContactMerge::merged(kept, {other});
    QCOMPARE(merged.name, kept.name);
    QCOMPARE(merged.hometel, QStringLiteral("0223"));
    QCOMPARE(merged.jobtel, QStringLiteral("0233")); // a free slot of its own kind
    QCOMPARE(merged.mobil, QStringLiteral("0100"));  // held once
    QCOMPARE(merged.fax, QStringLiteral("0244"));
    QCOMPARE(merged.org, QStringLiteral("Acme"));
    QCOMPARE(merged.address, kept.address);
    QCOMPARE(merged.email, kept.email);
    // What found no field: in the notes, labelled, after the notes both had and the other name.
    const QStringList notes = merged.moreinfo.split(QLatin1Char('\n'));
    QCOMPARE(notes.first(), QStringLiteral("صديق"));
    for (const QString& line :
         {QStringLiteral("اسم آخر: Mohamed Ahmed"), QStringLiteral("met at work"), QStringLiteral("ت/ منزل: 0224"),
          QStringLiteral("العنوان: Baker Street"), QStringLiteral("بريد الكترونى: M@X.org")})
        QVERIFY2(notes.contains(line), qPrintable(line + QStringLiteral(" in ") + merged.moreinfo));
}

QTEST_GUILESS_MAIN(TestDuplicateFinder)
#include "tst_duplicatefinder.moc"
