// Files as other address books write them (Google's two CSV layouts, Outlook, Thunderbird, a
// phone's vCards): every number, e-mail, organisation and address they hold arrives, in a field
// or as one of the contact's more values, and survives export and import again in every layout.
#include "ContactExporter.h"
#include "ContactFileReader.h"
#include "ContactImporter.h"
#include "CsvTable.h"
#include "TestDatabase.h"

#include <QFile>
#include <QtTest>

namespace
{

ContactFileContents readSample(const QString& name)
{
    QFile file(QStringLiteral(QAV_SAMPLES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing sample %s", qPrintable(name));
    ContactFileContents contents;
    if (!ContactFileReader::readGuessingColumns(name, file.readAll(), contents))
        qFatal("%s is no contact file", qPrintable(name));
    return contents;
}

const ContactFields& named(const ContactFileContents& contents, const QString& name)
{
    for (const ContactFields& c : contents.contacts)
        if (c.name == name)
            return c;
    qFatal("no contact named %s", qPrintable(name));
}

// Every value of a contact: in its field, as one of its more values (with that label), or as a
// line of the notes (what a table's columns bring).
bool holds(const ContactFileContents& contents, const ContactFields& c, const QString& value,
           const QString& label = QString())
{
    for (const QString& field : {c.hometel, c.jobtel, c.mobil, c.fax, c.email, c.address, c.org})
        if (field == value)
            return true;
    const size_t at = size_t(&c - contents.contacts.data());
    if (at < contents.more.size())
        for (const ContactValue& more : contents.more[at])
            if ((more.value == value || more.oneLine() == value) && (label.isEmpty() || more.label == label))
                return true;
    return c.moreinfo.contains(QStringLiteral(": ") + value);
}

} // namespace

class TestRealExports : public QObject
{
    Q_OBJECT
private slots:
    void googleCurrentLayout();
    void googleOlderLayout();
    void outlookSpreadAddressesAndManyNumbers();
    void thunderbirdInWindows1256();
    void excelArabicHeadersInWindows1256();
    void phoneVCardsWithTheirQuirks();
    void everySampleSurvivesExportAndImport_data();
    void everySampleSurvivesExportAndImport();
};

void TestRealExports::googleCurrentLayout()
{
    const ContactFileContents read = readSample(QStringLiteral("google-current.csv"));
    QCOMPARE(read.contacts.size(), size_t(2));
    const ContactFields& mona = named(read, QStringLiteral("منى أحمد الشريف"));
    // Two mobiles in one cell: the first in the mobile slot, the second stays a mobile.
    QCOMPARE(mona.mobil, QStringLiteral("+20 100 111 2222"));
    QCOMPARE(mona.hometel, QString());
    QVERIFY(holds(read, mona, QStringLiteral("+20 122 333 4444"), QStringLiteral("mobile")));
    QCOMPARE(mona.jobtel, QStringLiteral("02 2345 6789"));
    QCOMPARE(mona.org, QStringLiteral("شركة النيل"));
    QCOMPARE(mona.email, QStringLiteral("mona@example.org"));
    QCOMPARE(mona.address, QStringLiteral("12 شارع التحرير, الدقى, الجيزة"));
    QCOMPARE(mona.moreinfo, QStringLiteral("صديقة الدراسة")); // only the notes
    QVERIFY(holds(read, mona, QStringLiteral("02 2555 0000"), QStringLiteral("Father")));
    QVERIFY(holds(read, mona, QStringLiteral("mona@nile.example"), QStringLiteral("work")));

    const ContactFields& john = named(read, QStringLiteral("John Smith"));
    QCOMPARE(john.fax, QStringLiteral("+1 555 0100"));
    QCOMPARE(john.hometel, QString()); // a pager is no home number
    QVERIFY(holds(read, john, QStringLiteral("+1 555 0199"), QStringLiteral("Pager")));
    QCOMPARE(john.org, QStringLiteral("Acme Ltd"));
    // No formatted address: its parts, street first, without empty ones.
    QCOMPARE(john.address, QStringLiteral("1 Main Street, Springfield, IL, 62701, USA"));
    QCOMPARE(read.movedToNotes, 0);
}

void TestRealExports::googleOlderLayout()
{
    const ContactFileContents read = readSample(QStringLiteral("google-older.csv"));
    const ContactFields& karim = named(read, QStringLiteral("كريم سالم"));
    QCOMPARE(karim.mobil, QStringLiteral("01001234567"));
    QCOMPARE(karim.hometel, QStringLiteral("0233334444"));
    QCOMPARE(karim.org, QStringLiteral("مكتب سالم"));
    QCOMPARE(karim.email, QStringLiteral("karim@example.org"));
    QCOMPARE(karim.address, QStringLiteral("5 شارع النصر, المعادى"));
}

void TestRealExports::outlookSpreadAddressesAndManyNumbers()
{
    const ContactFileContents read = readSample(QStringLiteral("outlook.csv"));
    const ContactFields& sara = named(read, QStringLiteral("Sara Nabil"));
    QCOMPARE(sara.hometel, QStringLiteral("03 555 1234"));
    QCOMPARE(sara.jobtel, QStringLiteral("03 480 0000"));
    QCOMPARE(sara.mobil, QStringLiteral("0111 222 3333"));
    QCOMPARE(sara.fax, QStringLiteral("03 480 0001"));
    QCOMPARE(sara.address, QStringLiteral("22 El Horreya Rd, Apt 4, Alexandria, 21500, Egypt"));
    QCOMPARE(sara.email, QStringLiteral("sara@delta.example"));
    for (const QString& kept :
         {QStringLiteral("03 480 0002"), QStringLiteral("0800 123"), QStringLiteral("0109 876 5432"),
          QStringLiteral("sara.n@example.org"), QStringLiteral("7 Port Said St, Alexandria, Egypt")})
        QVERIFY2(holds(read, sara, kept), qPrintable(kept));
    QVERIFY(holds(read, sara, QStringLiteral("7 Port Said St, Alexandria, Egypt"), QStringLiteral("work")));
    QVERIFY(holds(read, sara, QStringLiteral("0109 876 5432"), QStringLiteral("Car Phone")));
    QCOMPARE(sara.moreinfo, QStringLiteral("line one\r\nline two"));
    QCOMPARE(read.movedToNotes, 0);
}

void TestRealExports::thunderbirdInWindows1256()
{
    const ContactFileContents read = readSample(QStringLiteral("thunderbird.csv"));
    const ContactFields& hala = named(read, QStringLiteral("هالة مصطفى"));
    QCOMPARE(hala.address, QStringLiteral("3 شارع الهرم, الجيزة, مصر"));
    QCOMPARE(hala.jobtel, QStringLiteral("0227778888"));
    QCOMPARE(hala.hometel, QStringLiteral("0226665555"));
    QCOMPARE(hala.mobil, QStringLiteral("01223334444"));
    QCOMPARE(hala.fax, QStringLiteral("0227778889"));
    QCOMPARE(hala.org, QStringLiteral("دار النشر"));
    for (const QString& kept :
         {QStringLiteral("0900"), QStringLiteral("hala.m@example.net"), QStringLiteral("10 شارع قصر النيل, القاهرة")})
        QVERIFY2(holds(read, hala, kept), qPrintable(kept));
}

// Saved by a spreadsheet on Arabic Windows: code page 1256 with no byte-order mark, Arabic
// headers spelt as the user typed them.
void TestRealExports::excelArabicHeadersInWindows1256()
{
    const ContactFileContents read = readSample(QStringLiteral("excel-arabic.csv"));
    QCOMPARE(read.contacts.size(), size_t(2));
    const ContactFields& salma = named(read, QStringLiteral("سلمى عبد الرحمن"));
    QCOMPARE(salma.mobil, QStringLiteral("+20 100 555 1212"));
    QCOMPARE(salma.hometel, QStringLiteral("02 2345 6789"));
    QCOMPARE(salma.jobtel, QStringLiteral("02 2765 4321"));
    QCOMPARE(salma.fax, QStringLiteral("02 2765 4322"));
    QCOMPARE(salma.email, QStringLiteral("salma@example.com"));
    QCOMPARE(salma.org, QStringLiteral("شركة النيل للتأمين"));
    QCOMPARE(salma.address, QStringLiteral("12 شارع التحرير، الدقي، الجيزة"));
    QVERIFY(salma.moreinfo.startsWith(QStringLiteral("تتصل بعد العصر")));
    QVERIFY(holds(read, salma, QStringLiteral("0122 333 4444"), QStringLiteral("mobile"))); // the second mobile
    QCOMPARE(named(read, QStringLiteral("يوسف إبراهيم")).org, QStringLiteral("وزارة الصحة"));
}

void TestRealExports::phoneVCardsWithTheirQuirks()
{
    const ContactFileContents read = readSample(QStringLiteral("phone.vcf"));
    QCOMPARE(read.contacts.size(), size_t(5)); // the nested card and the cut-off one included
    QCOMPARE(read.incomplete, 1);

    const ContactFields& nadia = named(read, QStringLiteral("نادية حسن"));
    QCOMPARE(nadia.mobil, QStringLiteral("01001112222"));  // CELL;HOME is a mobile
    QCOMPARE(nadia.hometel, QStringLiteral("0225556666")); // VOICE alone: a home number
    QCOMPARE(nadia.fax, QStringLiteral("0224445555"));     // FAX,WORK without TYPE=
    QCOMPARE(nadia.jobtel, QString());                     // the second mobile stays a mobile, one of the more values
    QVERIFY(holds(read, nadia, QStringLiteral("01223334444"), QStringLiteral("mobile")));
    QCOMPARE(nadia.moreinfo, QStringLiteral("ملاحظة طويلة تمتد على سطرين")); // only the notes
    QVERIFY(holds(read, nadia, QStringLiteral("0900111"), QStringLiteral("pager")));
    QVERIFY(holds(read, nadia, QStringLiteral("0227778888"), QStringLiteral("isdn")));
    QVERIFY(holds(read, nadia, QStringLiteral("nadia@work.example"), QStringLiteral("work")));

    const ContactFields& omar = named(read, QStringLiteral("Omar Farouk")); // "item1.begin:vcard"
    QCOMPARE(omar.mobil, QStringLiteral("+20 100 000 0002"));
    QCOMPARE(omar.hometel, QString()); // the father's number is no home number: it keeps its label
    QVERIFY(holds(read, omar, QStringLiteral("+20 100 000 0001"), QStringLiteral("Father")));
    QCOMPARE(omar.address, QStringLiteral("1 Nile St, Cairo, 11511, Egypt"));
    QVERIFY(holds(read, omar, QStringLiteral("9 Tahrir Sq, Cairo, Egypt"), QStringLiteral("work")));
    QVERIFY(omar.moreinfo.startsWith(QStringLiteral("C:\\temp, kept")));
    QCOMPARE(named(read, QStringLiteral("Agent Amr")).hometel, QStringLiteral("0100 999"));

    // vCard 2.1: a backslash is a backslash; one bad byte costs one character.
    const ContactFields& samir = named(read, QString::fromUtf8("Bad \xEF\xBF\xBD byte Samir"));
    QCOMPARE(samir.moreinfo, QStringLiteral("C:\\temp\\new"));
    QCOMPARE(named(read, QStringLiteral("Cut Off")).hometel, QStringLiteral("0102"));
}

void TestRealExports::everySampleSurvivesExportAndImport_data()
{
    QTest::addColumn<QString>("sample");
    for (const char* name :
         {"google-current.csv", "google-older.csv", "outlook.csv", "thunderbird.csv", "excel-arabic.csv", "phone.vcf"})
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestRealExports::everySampleSurvivesExportAndImport()
{
    QFETCH(QString, sample);
    TestDatabase db;
    const QString dir = db.addDirectory(QStringLiteral("مستورد"));
    const ContactFileContents read = readSample(sample);
    const ImportSummary imported = ContactImporter::run(db.reader(), read, dir);
    QCOMPARE(imported.added, int(read.contacts.size()));
    std::vector<MoreValues> storedMore;
    const std::vector<ContactFields> stored = ContactExporter::directoryContacts(db.reader(), dir, &storedMore);
    QCOMPARE(stored.size(), read.contacts.size());
    using Format = ContactExporter::Format;
    for (Format format : {Format::VCard4, Format::VCard3, Format::Csv, Format::GoogleCsv, Format::OutlookCsv}) {
        const QByteArray written = ContactExporter::encode(stored, format, storedMore);
        ContactFileContents again;
        if (format == Format::VCard4 || format == Format::VCard3) {
            again = ContactFileReader::readVCard(written);
        } else {
            const QList<QStringList> rows = CsvTable::read(written);
            again = ContactFileReader::readCsv(rows, CsvMapping::guess(rows.value(0)));
        }
        QCOMPARE(again.contacts.size(), stored.size());
        for (size_t i = 0; i < stored.size(); ++i) {
            ContactFields expected = stored[i];
            // The other programs' layouts keep names as given, middle and family names.
            if (format == Format::GoogleCsv || format == Format::OutlookCsv)
                expected.name = expected.name.simplified();
            // vCard writes every more value back as its own property.
            if (format == Format::VCard4 || format == Format::VCard3)
                QVERIFY(again.more[i] == storedMore[i]);
            QVERIFY2(again.contacts[i] == expected,
                     qPrintable(again.contacts[i].row(QString()).join(QLatin1Char('|')) + QStringLiteral(" <> ") +
                                expected.row(QString()).join(QLatin1Char('|'))));
        }
        QCOMPARE(again.movedToNotes, 0);
    }
}

QTEST_MAIN(TestRealExports)
#include "tst_realexports.moc"
