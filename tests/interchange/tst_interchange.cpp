// Reading and writing other address books' files: vCard and CSV, and the import itself.
#include "ContactExporter.h"
#include "ContactFileReader.h"
#include "ContactImporter.h"
#include "CsvMapping.h"
#include "CsvTable.h"
#include "PhoneMatch.h"
#include "SharedData.h"
#include "TestDatabase.h"
#include "VCardReader.h"
#include "VCardWriter.h"

#include <QFile>
#include <QStringEncoder>
#include <QtTest>

namespace
{

QByteArray corpus(const char* name)
{
    // Found by the source folder's path: a relative path to the test's source (as Ninja gives
    // it) does not lead there from where the test runs.
    QFile file(QStringLiteral(QAV_CORPUS "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Values that have broken address-book exports before.
ContactFields hostile(int i)
{
    return {QStringLiteral("O'Brien, \"Bob\"; \\ %1 100% *x*").arg(i),
            QStringLiteral("0223456789"),
            QStringLiteral("+20 (2) 555-%1").arg(i),
            QStringLiteral("٠١٠٠٠"),
            QString(),
            QStringLiteral("شارع النيل; الدور ٣, شقة \"ب\""),
            QStringLiteral("a,b;c@example.com"),
            QStringLiteral("مدرسة النصر\\الفرع"),
            QStringLiteral("سطر أول\nسطر ثانٍ, ; \\n ليس سطرا\n") + QString(200, QChar(0x0628)) +
                QString::fromUtf8("\u202Eمعكوس\u202C")};
}

} // namespace

class TestInterchange : public QObject
{
    Q_OBJECT
private slots:
    void vcard21QuotedPrintableWindows1256();
    void vcard30FoldingEscapesAndTwoCards();
    void vcard40UrisAndGroups();
    void vcardRoundTripKeepsEveryField_data();
    void vcardRoundTripKeepsEveryField();
    void foldedLinesNeverSplitACharacter();
    void csvRoundTripKeepsEveryField();
    void csvDelimitersAndEncodings();
    void commonHeadersAreRecognised();
    void duplicatesAreSkippedAndReported();
    void cancelledImportLeavesNothingBehind();
    void notAVCardIsNoVCard();
    void brokenUtf16IsReadAndRefusedOnImport();
};

void TestInterchange::vcard21QuotedPrintableWindows1256()
{
    VCardReader reader;
    QVERIFY(reader.read(corpus("v21-cp1256-qp.vcf")));
    QCOMPARE(reader.contacts().size(), size_t(1));
    const ContactFields c = reader.contacts().front();
    QCOMPARE(c.name, QStringLiteral("أحمد محمود السيد"));
    QCOMPARE(c.hometel, QStringLiteral("0223456789"));
    QCOMPARE(c.mobil, QStringLiteral("01001234567"));
    QCOMPARE(c.fax, QStringLiteral("0229998877"));
    QCOMPARE(c.jobtel, QString()); // a work fax is a fax
    QCOMPARE(c.address, QStringLiteral("شارع التحرير، القاهرة"));
    QCOMPARE(c.email, QStringLiteral("ahmed@example.com")); // read after the picture
}

void TestInterchange::vcard30FoldingEscapesAndTwoCards()
{
    VCardReader reader;
    QVERIFY(reader.read(corpus("v30-utf8-two-cards.vcf")));
    QCOMPARE(reader.contacts().size(), size_t(2));
    const ContactFields sara = reader.contacts()[0];
    QCOMPARE(sara.name, QStringLiteral("Sara O'Brien, PhD"));
    QCOMPARE(sara.jobtel, QStringLiteral("+20 2 555 1234"));
    QCOMPARE(sara.mobil, QStringLiteral("0100 000 0000"));
    QCOMPARE(sara.org, QStringLiteral("Acme; Sons, Sales"));
    QCOMPARE(sara.moreinfo, QStringLiteral("first line\nsecond line with a back\\slash and a very long tail that "
                                           "goes on past seventy five octets"));
    QCOMPARE(sara.email, QStringLiteral("sara@example.org"));
    const ContactFields mariam = reader.contacts()[1];
    QCOMPARE(mariam.name, QStringLiteral("مريم الشريف")); // from N when there is no FN
    QCOMPARE(mariam.hometel, QStringLiteral("٠٢٢٣٤٥"));
}

void TestInterchange::vcard40UrisAndGroups()
{
    VCardReader reader;
    QVERIFY(reader.read(corpus("v40-crlf-uri.vcf")));
    QCOMPARE(reader.contacts().size(), size_t(1));
    const ContactFields c = reader.contacts().front();
    QCOMPARE(c.name, QStringLiteral("يوسف إبراهيم"));
    QCOMPARE(c.mobil, QStringLiteral("+201001112223"));
    QCOMPARE(c.hometel, QStringLiteral("0233334444"));
    QCOMPARE(c.address, QStringLiteral("١٢ شارع النيل, الجيزة, مصر"));
}

void TestInterchange::vcardRoundTripKeepsEveryField_data()
{
    QTest::addColumn<int>("version");
    QTest::newRow("4.0") << 4;
    QTest::newRow("3.0") << 3;
}

void TestInterchange::vcardRoundTripKeepsEveryField()
{
    QFETCH(int, version);
    std::vector<ContactFields> contacts{
        hostile(1), hostile(2), {QStringLiteral("  spaced  "), {}, {}, {}, {}, {}, {}, {}, {}}};
    const QByteArray bytes = ContactExporter::encode(contacts, version == 3 ? ContactExporter::Format::VCard3
                                                                            : ContactExporter::Format::VCard4);
    VCardReader reader;
    QVERIFY(reader.read(bytes));
    QCOMPARE(reader.contacts().size(), contacts.size());
    for (size_t i = 0; i < contacts.size(); ++i)
        QVERIFY2(reader.contacts()[i] == contacts[i], qPrintable(reader.contacts()[i].name));
}

void TestInterchange::foldedLinesNeverSplitACharacter()
{
    const ContactFields c{QString(120, QChar(0x0645)), {}, {}, {}, {}, {}, {}, {}, QString(500, QChar(0x0628))};
    const QByteArray card = VCardWriter().card(c);
    for (const QByteArray& line : card.split('\n')) {
        QVERIFY(line.size() <= 76); // 75 octets and the CR
        QVERIFY(!QString::fromUtf8(line).contains(QChar::ReplacementCharacter));
    }
}

void TestInterchange::csvRoundTripKeepsEveryField()
{
    const std::vector<ContactFields> contacts{hostile(1), hostile(2)};
    const QByteArray bytes = ContactExporter::encode(contacts, ContactExporter::Format::Csv);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QList<QStringList> rows = CsvTable::read(bytes);
    QCOMPARE(rows.first(), CsvMapping::ownHeaders());
    const CsvMapping mapping = CsvMapping::guess(rows.first());
    QCOMPARE(rows.size(), 3);
    for (int i = 0; i < 2; ++i)
        QVERIFY(mapping.contact(rows[i + 1]) == contacts[size_t(i)]);

    // A phone's card: every value beyond the nine fields comes back as its own value in each
    // layout, none in the notes; ours keeps labels and a Hijri date's calendar too.
    using K = ContactValue::Kind;
    const ContactFields card{QStringLiteral("Sara Nabil"), QStringLiteral("0233"), QStringLiteral("0244"),
                             QStringLiteral("0100"),       QStringLiteral("0255"), QStringLiteral("12 Nile St"),
                             QStringLiteral("s@a.eg"),     QStringLiteral("Co"),   QStringLiteral("a note")};
    const MoreValues values{
        {K::Phone, QStringLiteral("mobile"), QStringLiteral("0101"), {}},
        {K::Phone, QStringLiteral("mobile"), QStringLiteral("0102"), {}},
        {K::Phone, QStringLiteral("work"), QStringLiteral("0245"), {}},
        {K::Phone, QStringLiteral("fax"), QStringLiteral("0256"), {}},
        {K::Email, QStringLiteral("work"), QStringLiteral("s@work.eg"), {}},
        {K::Email, {}, QStringLiteral("s@b.eg"), {}},
        {K::Address, QStringLiteral("work"), ContactValue::joinParts({{}, {}, QStringLiteral("1 Tahrir, \"B\"")}), {}},
        {K::Web, {}, QStringLiteral("https://s.eg"), {}},
        {K::Date, QStringLiteral("birthday"), QStringLiteral("1990-07-13"), ContactValue::kGregorian},
        {K::Date, QStringLiteral("anniversary"), QStringLiteral("1435-09-15"), ContactValue::kHijri},
        {K::Photo, {}, QStringLiteral("iVBORw0KGgo="), {}}};
    const ContactFields plain{QStringLiteral("Ali"), {}, {}, QStringLiteral("0111"), {}, {}, {}, {}, {}};
    for (const auto format :
         {ContactExporter::Format::Csv, ContactExporter::Format::GoogleCsv, ContactExporter::Format::OutlookCsv}) {
        const QList<QStringList> table = CsvTable::read(ContactExporter::encode({card, plain}, format, {values}));
        const ContactFileContents read = ContactFileReader::readCsv(table, CsvMapping::guess(table.first()));
        QCOMPARE(read.movedToNotes, 0);
        QCOMPARE(read.contacts.size(), size_t(2));
        QCOMPARE(read.contacts[1].mobil, plain.mobil); // its empty cells of more values add nothing
        QVERIFY(read.more[1].empty());
        ContactFields expected = card;
        if (format != ContactExporter::Format::Csv) // their layouts split the name
            expected.name = read.contacts[0].name;
        QVERIFY(read.contacts[0] == expected);
        MoreValues kept(values.begin(), values.end() - 1); // the photo stays with vCard
        if (format == ContactExporter::Format::Csv) {
            QCOMPARE(read.more[0], kept);
            continue;
        }
        // The other programs read the Gregorian day of a Hijri date.
        kept[9] = {K::Date, QStringLiteral("anniversary"), QStringLiteral("2014-07-12"), ContactValue::kGregorian};
        QCOMPARE(read.more[0].size(), kept.size());
        for (const ContactValue& v : kept) {
            const bool found = std::any_of(read.more[0].begin(), read.more[0].end(), [&v](const ContactValue& r) {
                return r.kind == v.kind && r.value == v.value && r.calendar == v.calendar &&
                       (v.kind == K::Email || v.kind == K::Web || r.label == v.label);
            });
            QVERIFY2(found, qPrintable(v.value));
        }
    }
}

void TestInterchange::csvDelimitersAndEncodings()
{
    const QString text = QStringLiteral("Name;Mobile Phone\r\n\"أحمد; علي\";0100\r\nسارة;0111\r\n");
    QChar delimiter;
    QList<QStringList> rows = CsvTable::read(text.toUtf8(), &delimiter);
    QCOMPARE(delimiter, QLatin1Char(';'));
    QCOMPARE(rows.size(), 3);
    QCOMPARE(rows[1], (QStringList{QStringLiteral("أحمد; علي"), QStringLiteral("0100")}));
    // The same file in windows-1256 and in UTF-16 reads the same.
    QStringEncoder arabic("windows-1256");
    QCOMPARE(CsvTable::read(arabic.encode(text)), rows);
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    QCOMPARE(CsvTable::read(utf16.encode(text)), rows);
    const QString tabs = QStringLiteral("Name\tEmail\nx\ty@z\n");
    CsvTable::read(tabs.toUtf8(), &delimiter);
    QCOMPARE(delimiter, QLatin1Char('\t'));
    // The Arabic semicolon some Arabic systems separate a spreadsheet's cells with.
    const QString arabicList = QStringLiteral("الاسم؛الموبايل\r\nسهام؛0103، 0104\r\n");
    rows = CsvTable::read(arabic.encode(arabicList), &delimiter);
    QCOMPARE(delimiter, QChar(0x061B));
    QCOMPARE(rows.value(1), (QStringList{QStringLiteral("سهام"), QStringLiteral("0103، 0104")}));
}

void TestInterchange::commonHeadersAreRecognised()
{
    using T = CsvMapping::Target;
    const QStringList google = {QStringLiteral("Name"),
                                QStringLiteral("Given Name"),
                                QStringLiteral("Family Name"),
                                QStringLiteral("E-mail 1 - Value"),
                                QStringLiteral("Phone 1 - Type"),
                                QStringLiteral("Phone 1 - Value"),
                                QStringLiteral("Phone 2 - Type"),
                                QStringLiteral("Phone 2 - Value"),
                                QStringLiteral("Organization 1 - Name"),
                                QStringLiteral("Notes")};
    CsvMapping mapping = CsvMapping::guess(google);
    QCOMPARE(mapping.targets, (QList<T>{T::Name, T::FirstName, T::LastName, T::Email, T::Label, T::PhoneByType,
                                        T::Label, T::PhoneByType, T::Org, T::MoreInfo}));
    const ContactFields c = mapping.contact({QStringLiteral("Ali Hassan"),
                                             {},
                                             {},
                                             QStringLiteral("a@b.c"),
                                             QStringLiteral("Mobile"),
                                             QStringLiteral("0100"),
                                             QStringLiteral("Work Fax"),
                                             QStringLiteral("0222"),
                                             QStringLiteral("Acme"),
                                             QStringLiteral("n")});
    QCOMPARE(c.mobil, QStringLiteral("0100"));
    QCOMPARE(c.fax, QStringLiteral("0222"));

    const QStringList outlook = {QStringLiteral("First Name"),     QStringLiteral("Middle Name"),
                                 QStringLiteral("Last Name"),      QStringLiteral("Company"),
                                 QStringLiteral("Business Phone"), QStringLiteral("Home Phone"),
                                 QStringLiteral("Mobile Phone"),   QStringLiteral("Business Fax"),
                                 QStringLiteral("E-mail Address"), QStringLiteral("Home Street")};
    mapping = CsvMapping::guess(outlook);
    const ContactFields o = mapping.contact({QStringLiteral("Mona"),
                                             {},
                                             QStringLiteral("Zaki"),
                                             QStringLiteral("Co"),
                                             QStringLiteral("1"),
                                             QStringLiteral("2"),
                                             QStringLiteral("3"),
                                             QStringLiteral("4"),
                                             QStringLiteral("m@z"),
                                             QStringLiteral("St")});
    QCOMPARE(o, (ContactFields{QStringLiteral("Mona Zaki"), QStringLiteral("2"), QStringLiteral("1"),
                               QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("St"), QStringLiteral("m@z"),
                               QStringLiteral("Co"), QString()}));
    // Dates as Outlook writes them: its day, its "no date", and a day no calendar has, kept in the notes.
    MoreValues dates;
    const ContactFields d = CsvMapping::guess({QStringLiteral("Name"), QStringLiteral("Birthday"),
                                               QStringLiteral("Anniversary"), QStringLiteral("Birthday 2")})
                                .contact({QStringLiteral("Dina"), QStringLiteral("7/13/1990"), QStringLiteral("0/0/00"),
                                          QStringLiteral("2014-02-30")},
                                         nullptr, &dates);
    QCOMPARE(dates, (MoreValues{{ContactValue::Kind::Date, QStringLiteral("birthday"), QStringLiteral("1990-07-13"),
                                 ContactValue::kGregorian}}));
    QCOMPARE(d.moreinfo, QStringLiteral("Birthday 2: 2014-02-30"));

    const QStringList thunderbird = {QStringLiteral("First Name"),   QStringLiteral("Last Name"),
                                     QStringLiteral("Display Name"), QStringLiteral("Primary Email"),
                                     QStringLiteral("Work Phone"),   QStringLiteral("Mobile Number"),
                                     QStringLiteral("Organization"), QStringLiteral("Notes")};
    mapping = CsvMapping::guess(thunderbird);
    QVERIFY(mapping.hasNameSource());
    QCOMPARE(mapping.targets.at(2), T::Name);
    QCOMPARE(mapping.targets.at(5), T::Mobil);
    QCOMPARE(CsvMapping::guess({QStringLiteral("Email Address")}).targets, QList<T>{T::Email});

    // Arabic headers as people type them: hamza or none, ة or ه, ى or ي, the article or none,
    // a vowel mark or a stretched letter, "رقم" before or a count after.
    const std::pair<const char16_t*, T> arabic[] = {
        {u"الاسم", T::Name},
        {u"إسم", T::Name},
        {u"الموبايل", T::Mobil},
        {u"رقم الجوال", T::Mobil},
        {u"المحمول 2", T::Mobil},
        {u"تليفون المنزل", T::HomeTel},
        {u"هاتف منزل", T::HomeTel},
        {u"ت/ منزل", T::HomeTel},
        {u"تليفون العمل", T::JobTel},
        {u"هاتـف العمل", T::JobTel},
        {u"ت/عمل", T::JobTel},
        {u"فاكس", T::Fax},
        {u"رقم الفاكس", T::Fax},
        {u"البريد الإلكتروني", T::Email},
        {u"بريد الكترونى", T::Email},
        {u"الإيميل", T::Email},
        {u"ايميل", T::Email},
        {u"العمل", T::Org},
        {u"الشركه", T::Org},
        {u"جهة عمل", T::Org},
        {u"العنوان", T::Address},
        {u"ملاحظات", T::MoreInfo},
        {u"المُلاحظات", T::MoreInfo},
        {u"تاريخ الميلاد", T::Birthday},
        {u"الهاتف المنزلي", T::HomeTel},
        {u"الهاتف النقال", T::Mobil},
        {u"عنوان البريد الإلكتروني", T::Email},
        {u"البريد الاليكتروني", T::Email},
        {u"اسم الشركة", T::Org},
        {u"ملحوظات", T::MoreInfo},
        {u"فاكس العمل", T::Fax},
        {u"اسم جهة الاتصال", T::Name},
        {u"الرقم", T::Ignore},
    };
    for (const auto& [header, target] : arabic) {
        const QString text = QString::fromUtf16(header);
        QVERIFY2(CsvMapping::guess({text}).targets == QList<T>{target}, qPrintable(text));
    }
    // The mapping window names each field as the editor does.
    QCOMPARE(CsvMapping::targetNames().at(T::Org), QStringLiteral("العمل"));
    QCOMPARE(CsvMapping::targetNames().at(T::Email), QStringLiteral("بريد الكترونى"));
}

void TestInterchange::duplicatesAreSkippedAndReported()
{
    TestDatabase db;
    const QString family = db.addDirectory(QStringLiteral("العائلة"));
    const QString work = db.addDirectory(QStringLiteral("العمل"));
    db.addContact(QStringLiteral("موجود"), work, {QStringLiteral("999")});
    QVERIFY(OpenDatabase().ok);
    const std::vector<ContactFields> contacts{{QStringLiteral("جديد")},
                                              {QStringLiteral("موجود"), QStringLiteral("111")},
                                              {QStringLiteral("جديد"), QStringLiteral("222")},
                                              {QStringLiteral("   ")}};
    const ImportSummary summary = ContactImporter::run(SharedData::connection(), contacts, family);
    QCOMPARE(summary.added, 1);
    QCOMPARE(summary.skipped.size(), 3);
    QCOMPARE(summary.skipped[0].first, QStringLiteral("موجود"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT hometel || dir FROM info WHERE name = ?"), {QStringLiteral("موجود")}),
             QStringLiteral("999") + work); // never overwritten
    QCOMPARE(db.scalar(QStringLiteral("SELECT dir FROM info WHERE name = ?"), {QStringLiteral("جديد")}), family);
    QCOMPARE(summary.likelyDuplicates, 0);

    // A likely duplicate of a contact already there (its number written another way, the name in
    // Latin letters) is added, and said so.
    PhoneMatch::setPreferredRegion(QStringLiteral("EG"));
    db.addContact(QStringLiteral("سارة علي"), work, {{}, {}, QStringLiteral("0100 123 4567")});
    const std::vector<ContactFields> more{{QStringLiteral("Sara Ali"), {}, {}, QStringLiteral("+201001234567")},
                                          {QStringLiteral("Karim"), {}, {}, QStringLiteral("+201009999999")}};
    const ImportSummary second = ContactImporter::run(SharedData::connection(), more, family);
    QCOMPARE(second.added, 2);
    QCOMPARE(second.likelyDuplicates, 1);
    QVERIFY(second.text().contains(QStringLiteral("1 ربما مكررة")));
}

void TestInterchange::cancelledImportLeavesNothingBehind()
{
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("d"));
    QVERIFY(OpenDatabase().ok);
    std::vector<ContactFields> contacts;
    for (int i = 0; i < 300; ++i)
        contacts.push_back({QStringLiteral("c%1").arg(i)});
    int calls = 0;
    const ImportSummary summary = ContactImporter::run(SharedData::connection(), contacts, d, [&](int, int) {
        return ++calls < 4; // cancel part-way
    });
    QVERIFY(summary.cancelled);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("0"));
    // The connection is usable afterwards.
    QVERIFY(ContactImporter::run(SharedData::connection(), contacts, d).added == 300);

    // A directory deleted meanwhile (by another copy of the program) takes nothing: its
    // contacts would be shown nowhere.
    const QString gone = db.addDirectory(QStringLiteral("gone"));
    QVERIFY(db.reader().execute(QStringLiteral("DELETE FROM dirg WHERE code = ?"), {gone}).ok);
    const ImportSummary refused = ContactImporter::run(SharedData::connection(), {{QStringLiteral("lost")}}, gone);
    QVERIFY(!refused.error.isEmpty());
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {gone}), QStringLiteral("0"));

    // The summary names the directory; a name that turns text around (U+202E) stays inside its
    // isolate and cannot reorder the sentence.
    const QString odd = db.addDirectory(QStringLiteral("\u202Eعملاء"));
    const ImportSummary named = ContactImporter::run(SharedData::connection(), {{QStringLiteral("new")}}, odd);
    QCOMPARE(named.text(), QStringLiteral("تم استيراد 1 من جهات الاتصال إلى الدليل \"\u2068\u202Eعملاء\u2069\"."));
}

void TestInterchange::notAVCardIsNoVCard()
{
    VCardReader reader;
    QVERIFY(!reader.read(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)));
    QVERIFY(!VCardReader::looksLikeVCard("name,phone\nx,1\n"));
    QVERIFY(reader.contacts().empty());
}

void TestInterchange::brokenUtf16IsReadAndRefusedOnImport()
{
    // Found by fuzzing: a UTF-16 file cut in the middle of a character.
    const QByteArray bytes = QByteArray::fromBase64("//4rItin2YTYp9g7ItmF2YjYqNgqYP8=");
    const QList<QStringList> rows = CsvTable::read(bytes);
    QVERIFY(!rows.isEmpty());
    TestDatabase db;
    const QString d = db.addDirectory(QStringLiteral("d"));
    QVERIFY(OpenDatabase().ok);
    std::vector<ContactFields> contacts;
    for (const QString& field : rows.first())
        contacts.push_back({field + QStringLiteral("x")});
    const ImportSummary summary = ContactImporter::run(SharedData::connection(), contacts, d);
    // Whatever cannot be stored exactly is left out and reported; nothing else changes.
    int invalid = 0;
    for (const ContactFields& c : contacts)
        invalid += c.name.isValidUtf16() ? 0 : 1;
    QVERIFY(invalid > 0);
    QCOMPARE(summary.skipped.size(), invalid);
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM info")), QString::number(summary.added));
}

QTEST_GUILESS_MAIN(TestInterchange)
#include "tst_interchange.moc"
