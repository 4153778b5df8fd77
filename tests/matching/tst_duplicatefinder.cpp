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
    using Kind = ContactValue::Kind;
    const ContactMerge::Whole kept{{QStringLiteral("محمد أحمد"),
                                    QStringLiteral("0223"),
                                    {},
                                    QStringLiteral("0100 123 4567"),
                                    {},
                                    QStringLiteral("شارع النيل"),
                                    QStringLiteral("m@x.org"),
                                    {},
                                    QStringLiteral("صديق")},
                                   {{Kind::Phone, QStringLiteral("mobile"), QStringLiteral("0111 222 3333")},
                                    {Kind::Photo, {}, QStringLiteral("a2VwdA==")}}};
    ContactMerge::Whole other{
        {QStringLiteral("Mohamed Ahmed"), QStringLiteral("0224"), QStringLiteral("0233"),
         QStringLiteral("+20 100 123 4567"), QStringLiteral("0244"), QStringLiteral("Baker Street"),
         QStringLiteral("M@X.org"), QStringLiteral("Acme"), QStringLiteral("met at work")},
        {{Kind::Phone, QStringLiteral("mobile"), QStringLiteral("٠١١١٢٢٢٣٣٣٣")},
         {Kind::Email, QStringLiteral("work"), QStringLiteral("mo@work.org")},
         {Kind::Address, QStringLiteral("work"), ContactValue::joinParts({{}, {}, QStringLiteral("Tahrir 1")})},
         {Kind::Date, QStringLiteral("birthday"), QStringLiteral("1435-09-15"), ContactValue::kHijri},
         {Kind::Photo, {}, QStringLiteral("b3RoZXI=")}}};
    // A card of hundreds of numbers keeps each once, in its order.
    for (int i = 0; i < 500; ++i)
        other.more.push_back({Kind::Phone, QStringLiteral("other"), QStringLiteral("0120 %1").arg(1000000 + i)});
    other.more.push_back({Kind::Phone, QStringLiteral("other"), QStringLiteral("+201201000007")});
    const ContactMerge::Whole merged = ContactMerge::merged(kept, {other}, QStringLiteral("EG"));
    const ContactFields& fields = merged.fields;
    QCOMPARE(fields.name, kept.fields.name);
    QCOMPARE(fields.hometel, QStringLiteral("0223"));
    QCOMPARE(fields.jobtel, QStringLiteral("0233"));         // a free field of its own kind
    QCOMPARE(fields.mobil, QStringLiteral("0100 123 4567")); // the same number, held once
    QCOMPARE(fields.fax, QStringLiteral("0244"));
    QCOMPARE(fields.org, QStringLiteral("Acme"));
    QCOMPARE(fields.address, kept.fields.address);
    QCOMPARE(fields.email, kept.fields.email); // "M@X.org" is the same address
    // The notes hold only notes and the other name: no value went there.
    QCOMPARE(
        fields.moreinfo.split(QLatin1Char('\n')),
        QStringList({QStringLiteral("صديق"), QStringLiteral("اسم آخر: Mohamed Ahmed"), QStringLiteral("met at work")}));
    // Each value that found no field is a more value of its kind, after the kept contact's own;
    // the second mobile (in Arabic-Indic digits) is the kept one's, the other photo is left.
    MoreValues expected = kept.more;
    expected.push_back({Kind::Phone, QStringLiteral("home"), QStringLiteral("0224")});
    expected.push_back({Kind::Address, {}, ContactValue::joinParts({{}, {}, QStringLiteral("Baker Street")})});
    expected.insert(expected.end(), other.more.begin() + 1, other.more.begin() + 4);
    expected.insert(expected.end(), other.more.begin() + 5, other.more.end() - 1);
    QCOMPARE(merged.more.size(), expected.size());
    QVERIFY(merged.more == expected);
    // Merging what is merged again adds nothing.
    QVERIFY(ContactMerge::merged(merged, {other}, QStringLiteral("EG")) == merged);
}

QTEST_GUILESS_MAIN(TestDuplicateFinder)
#include "tst_duplicatefinder.moc"
