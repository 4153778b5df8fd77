// Import and export from the command line, as a script uses them: no window, a summary on
// standard output, exit status 0, 1 with a one-line reason, or 2 for a wrong command line.
#include "BookRekey.h"
#include "BookSearchIndex.h"
#include "ContactFileReader.h"
#include "ContactPhoto.h"
#include "ContactValueStore.h"
#include "DataConnection.h"
#include "FileSizeLimit.h"
#include "KeptSearchIndex.h"
#include "PhoneMatch.h"
#include "ProgramRun.h"
#include "RunningCopy.h"
#include "Schema.h"

#include "KeptOrder.h"
#include "NameOrder.h"
#include "RecordQuery.h"
#include "Recordset.h"
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>

#include <QTemporaryDir>
#include <QtTest>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

class TestBatch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void importIntoANewDirectoryThenExport();
    void aPhonesCardComesBackWhole();
    void aLockedDirectoryNeedsItsPasswordFile();
    void aProtectedBookNeedsItsPasswordInAFile();
    void wrongUseIsRefused();
    void theBookIsNeverTheTargetNorHalfWritten();
    void badInputGetsAClearNo();
    void passwordFilesAreSmallRegularFilesReadOnce();
    void nothingTypedOrImportedSteersTheTerminal();
    void mailProgramsAskForAddresses();
    void aSecondStartOnTheSameBookHandsItsFilesOver();
    void theRunningCopyTakesOnlyItsFewLines();

private:
    ProgramRun run(const QStringList& arguments);
    QString file(const QString& name, const QByteArray& bytes);
    QString scalar(const QString& sql, const QStringList& values = {});

    std::unique_ptr<QTemporaryDir> m_folder;
};

void TestBatch::init()
{
    // A portable copy of the program: its own book beside it, nothing of the user's touched.
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::copy(QStringLiteral(QAV_PROGRAM), m_folder->filePath(QStringLiteral("qavtelephone"))));
    QFile::setPermissions(m_folder->filePath(QStringLiteral("qavtelephone")),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(Schema::create(m_folder->filePath(QStringLiteral("Kib.bin"))).ok);
}

ProgramRun TestBatch::run(const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-there")); // a window would fail
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    return ProgramRun::of(m_folder->filePath(QStringLiteral("qavtelephone")), arguments, environment);
}

QString TestBatch::scalar(const QString& sql, const QStringList& values)
{
    DataConnection reader;
    QString out;
    if (!reader.open(m_folder->filePath(QStringLiteral("Kib.bin")), QString::fromLatin1(Schema::kPassword)).ok ||
        !reader.scalar(sql, values, out).ok)
        return QStringLiteral("(unreadable)");
    return out;
}

void TestBatch::aProtectedBookNeedsItsPasswordInAFile()
{
    const QString book = m_folder->filePath(QStringLiteral("Kib.bin"));
    {
        DataConnection owner;
        QVERIFY(owner.open(book, QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(owner.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('work', '0')")).ok);
        QVERIFY(BookRekey::run(owner, QStringLiteral("كلمة سر طويلة")).ok);
    }
    const QString target = m_folder->filePath(QStringLiteral("out.vcf"));
    const QStringList exportWork{QStringLiteral("--export"), QStringLiteral("work"), target};
    // Without the password: a clear no, and the book as it was.
    const ProgramRun refused = run(exportWork);
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(QStringLiteral("--book-password-file")), qPrintable(refused.err));
    QCOMPARE(refused.err.count(QLatin1Char('\n')), 1);
    const ProgramRun wrong = run(
        exportWork + QStringList{QStringLiteral("--book-password-file"), file(QStringLiteral("wrong"), "not it\n")});
    QCOMPARE(wrong.status, 1);
    QVERIFY2(wrong.err.contains(QStringLiteral("كلمة مرور الدفتر غير صحيحة")), qPrintable(wrong.err));
    QVERIFY(!QFile::exists(target));
    const ProgramRun opened = run(exportWork + QStringList{QStringLiteral("--book-password-file"),
                                                           file(QStringLiteral("right"), "كلمة سر طويلة\n")});
    QVERIFY2(opened.status == 0, qPrintable(opened.err));
    QVERIFY(QFile::exists(target));
    // Not a word of the password on the way out.
    QVERIFY(!opened.out.contains(QStringLiteral("كلمة سر")) && !opened.err.contains(QStringLiteral("كلمة سر")));
    // The option belongs with a command.
    QCOMPARE(run({QStringLiteral("--book-password-file"), QStringLiteral("x")}).status, 2);
}

void TestBatch::importIntoANewDirectoryThenExport()
{
    const QString sample = QStringLiteral(QAV_SAMPLES "/google-current.csv");
    const ProgramRun imported =
        run({QStringLiteral("--import"), sample, QStringLiteral("--into"), QStringLiteral("العائلة")});
    QVERIFY2(imported.status == 0, qPrintable(imported.err));
    QVERIFY(imported.out.contains(QStringLiteral("تم استيراد 2")));
    // The columns no field takes are named, not dropped without a word.
    QVERIFY2(imported.err.contains(QStringLiteral("Organization Title، Labels")), qPrintable(imported.err));
    // The second mobile, the father's number, the work e-mail and the pager: values of their own.
    QVERIFY(!imported.out.contains(QStringLiteral("تم وضع")));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM qav_contact_value")), QStringLiteral("4"));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = (SELECT code FROM dirg WHERE dirname = ?)"),
                    {QStringLiteral("العائلة")}),
             QStringLiteral("2"));
    // A session showed the directory and kept its order; an import from the command line keeps
    // that order true, so the next session opens it without reading every name.
    const QString family =
        scalar(QStringLiteral("SELECT code FROM dirg WHERE dirname = ?"), {QStringLiteral("العائلة")});
    auto keptOrder = [&] {
        DataConnection connection;
        Recordset contacts(&connection);
        if (!connection.open(m_folder->filePath(QStringLiteral("Kib.bin")), QString::fromLatin1(Schema::kPassword)))
            return QStringList{QStringLiteral("(unreadable)")};
        const KeptOrder::Loaded stored = KeptOrder::load(connection, RecordQuery::contactsOf(family).text());
        QStringList names;
        if (stored.rows)
            for (qsizetype i = 0; i < stored.rows->texts.size(); ++i)
                names << stored.rows->texts.text(i);
        return names;
    };
    {
        DataConnection connection;
        QVERIFY(connection.open(m_folder->filePath(QStringLiteral("Kib.bin")), QString::fromLatin1(Schema::kPassword)));
        Recordset contacts(&connection);
        QVERIFY(contacts.openContacts(family).ok && contacts.snapshot()->size() == 2);
        QVERIFY(contacts.keepOrder());
    }
    QCOMPARE(keptOrder().size(), 2);
    const ProgramRun more = run({QStringLiteral("--import"), QStringLiteral(QAV_SAMPLES "/phone.vcf"),
                                 QStringLiteral("--into"), QStringLiteral("العائلة")});
    QVERIFY2(more.status == 0, qPrintable(more.err));
    const QStringList kept = keptOrder();
    QCOMPARE(QString::number(kept.size()), scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = ?"), {family}));
    NameOrder order;
    for (qsizetype i = 1; i < kept.size(); ++i)
        QVERIFY(!order.lessThan(kept.at(i), kept.at(i - 1)));
    // Linking another directory (made by the link) changes no contact: the order stays believed.
    const ProgramRun linked =
        run({QStringLiteral("--link"), QStringLiteral("الخادم"), QStringLiteral("https://dav.example.org/book/")});
    QVERIFY2(linked.status == 0, qPrintable(linked.err));
    QCOMPARE(keptOrder(), kept);

    // The same file again: nothing added twice, the duplicates counted.
    const ProgramRun again =
        run({QStringLiteral("--import"), sample, QStringLiteral("--into"), QStringLiteral("العائلة")});
    QCOMPARE(again.status, 0);
    QVERIFY(again.out.contains(QStringLiteral("تم استيراد 0")) &&
            again.out.contains(QStringLiteral("لم يتم استيراد 2")));

    const QString target = m_folder->filePath(QStringLiteral("out.csv"));
    const ProgramRun exported = run({QStringLiteral("--export"), QStringLiteral("العائلة"), target,
                                     QStringLiteral("--format"), QStringLiteral("google-csv")});
    QVERIFY2(exported.status == 0, qPrintable(exported.err));
    // Contacts leave the program readable by their owner only, as the book it makes.
    const QFile::Permissions privateBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    QCOMPARE(QFileInfo(target).permissions(), privateBits);
    QFile written(target);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(written.readAll());
    QVERIFY(text.contains(QStringLiteral("Phone 1 - Value")) && text.contains(QStringLiteral("+20 100 111 2222")));
}

void TestBatch::aLockedDirectoryNeedsItsPasswordFile()
{
    {
        DataConnection writer;
        QVERIFY(writer.open(m_folder->filePath(QStringLiteral("Kib.bin")), QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(writer.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('خاص', 'Key1')")).ok);
    }
    const QString sample = QStringLiteral(QAV_SAMPLES "/phone.vcf");
    const QStringList import = {QStringLiteral("--import"), sample, QStringLiteral("--into"), QStringLiteral("خاص")};
    const ProgramRun refused = run(import);
    QCOMPARE(refused.status, 1);
    QCOMPARE(refused.err.count(QLatin1Char('\n')), 1);
    QVERIFY(refused.err.contains(QStringLiteral("--password-file")));
    const QString passwordFile = m_folder->filePath(QStringLiteral("pass.txt"));
    QFile file(passwordFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("Key2\n");
    file.close();
    QCOMPARE(run(import + QStringList{QStringLiteral("--password-file"), passwordFile}).status, 1);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("Key1\n");
    file.close();
    const ProgramRun accepted = run(import + QStringList{QStringLiteral("--password-file"), passwordFile});
    QVERIFY2(accepted.status == 0, qPrintable(accepted.err));
    QVERIFY(accepted.out.contains(QStringLiteral("غير مكتملة"))); // the cut-off card is counted
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM info")), QStringLiteral("5"));
}

void TestBatch::wrongUseIsRefused()
{
    QCOMPARE(run({QStringLiteral("--import"), QStringLiteral("x.vcf")}).status, 2);
    QCOMPARE(run({QStringLiteral("--export"), QStringLiteral("d")}).status, 2);
    QCOMPARE(run({QStringLiteral("--export"), QStringLiteral("d"), QStringLiteral("f"), QStringLiteral("--format"),
                  QStringLiteral("pdf")})
                 .status,
             2);
    const ProgramRun unknown =
        run({QStringLiteral("--export"), QStringLiteral("لا يوجد"), m_folder->filePath(QStringLiteral("f.vcf"))});
    QCOMPARE(unknown.status, 1);
    QCOMPARE(unknown.err.count(QLatin1Char('\n')), 1);
    const ProgramRun missing = run({QStringLiteral("--import"), m_folder->filePath(QStringLiteral("none.vcf")),
                                    QStringLiteral("--into"), QStringLiteral("د")});
    QCOMPARE(missing.status, 1);
    QVERIFY2(missing.err.contains(QStringLiteral("غير موجود")), qPrintable(missing.err)); // not the system's English
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("0"));   // nothing made for nothing
}

void TestBatch::aPhonesCardComesBackWhole()
{
    // A phone's card: three mobiles, two work numbers, a fax, three e-mails, two addresses, a
    // web page, a birthday and a photo far larger than is kept; and a card with a Hijri birthday.
    QImage picture(1600, 1200, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(picture.save(&buffer, "JPEG", 100));
    QByteArray photoLines;
    const QByteArray base64 = jpeg.toBase64();
    for (qsizetype i = 0; i < base64.size(); i += 74)
        photoLines += " " + base64.mid(i, 74) + "\r\n";
    const QByteArray card =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Hoda Kamel\r\nN:Kamel;Hoda;;;\r\n"
        "TEL;TYPE=CELL:0100 111\r\nTEL;TYPE=CELL:0100 222\r\nTEL;TYPE=CELL,PREF:0100 333\r\n"
        "TEL;TYPE=WORK,VOICE:02 2444\r\nTEL;TYPE=WORK:02 2555\r\nTEL;TYPE=WORK,FAX:02 2666\r\n"
        "EMAIL;TYPE=INTERNET,HOME:hoda@home.example\r\nEMAIL;TYPE=INTERNET,WORK:hoda@work.example\r\n"
        "item1.EMAIL;TYPE=INTERNET:hoda@club.example\r\nitem1.X-ABLabel:النادي\r\n"
        "ADR;TYPE=HOME:;;1 Nile St;Cairo;;11511;Egypt\r\n"
        "ADR;TYPE=WORK:;Floor 3\\; Suite 2;9 Tahrir Sq;Cairo;;;Egypt\r\n"
        "URL:https://hoda.example/about?a=1&b=2\r\nBDAY:1985-03-09\r\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:\r\n" +
        photoLines +
        "NOTE:صديقة\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:عمر\r\nBDAY;X-QAV-HIJRI=1435-09-15:20140712\r\n"
        "PHOTO;VALUE=uri:http://127.0.0.1:9/never-fetched.jpg\r\nEND:VCARD\r\n";
    const ContactFileContents original = ContactFileReader::readVCard(card);
    QCOMPARE(original.contacts.size(), size_t(2));
    const ContactFields& hoda = original.contacts[0];
    QCOMPARE(hoda.mobil, QStringLiteral("0100 111"));
    QCOMPARE(hoda.jobtel, QStringLiteral("02 2444"));
    QCOMPARE(hoda.fax, QStringLiteral("02 2666"));
    QCOMPARE(hoda.hometel, QString()); // a second mobile is a mobile, not a home number
    QCOMPARE(hoda.email, QStringLiteral("hoda@home.example"));
    QCOMPARE(hoda.address, QStringLiteral("1 Nile St, Cairo, 11511, Egypt"));
    QCOMPARE(hoda.moreinfo, QStringLiteral("صديقة")); // the notes hold only notes
    QCOMPARE(original.movedToNotes, 0);
    using K = ContactValue::Kind;
    const MoreValues& more = original.more[0];
    QCOMPARE(more.size(), size_t(9));
    QCOMPARE(more.back().kind, K::Photo);
    const QImage kept = QImage::fromData(ContactPhoto::bytesOf(more.back().value));
    QCOMPARE(kept.size(), QSize(512, 384));
    QVERIFY(more.back().value.size() < 400 * 1024);
    const QStringList expected{QStringLiteral("mobile 0100 222"),
                               QStringLiteral("mobile 0100 333"),
                               QStringLiteral("work 02 2555"),
                               QStringLiteral("work hoda@work.example"),
                               QStringLiteral("النادي hoda@club.example"),
                               QStringLiteral("work 9 Tahrir Sq, Floor 3; Suite 2, Cairo, Egypt"),
                               QStringLiteral(" https://hoda.example/about?a=1&b=2"),
                               QStringLiteral("birthday 1985-03-09 gregorian")};
    QStringList read;
    for (size_t i = 0; i + 1 < more.size(); ++i)
        read << (more[i].label + QLatin1Char(' ') + (more[i].kind == K::Address ? more[i].oneLine() : more[i].value) +
                 QLatin1Char(' ') + more[i].calendar)
                    .chopped(more[i].calendar.isEmpty() ? 1 : 0);
    QCOMPARE(read, expected);
    // 15 Ramadan 1435 was 12 July 2014; read back as the Hijri date; an address is never fetched.
    QCOMPARE(original.more[1].size(), size_t(1));
    QCOMPARE(original.more[1][0], (ContactValue{K::Date, QStringLiteral("birthday"), QStringLiteral("1435-09-15"),
                                                QLatin1String(ContactValue::kHijri)}));

    // Through the command line's import and export, in both vCard versions: every value comes
    // back in its own place, nothing in the notes.
    const ProgramRun imported = run({QStringLiteral("--import"), file(QStringLiteral("phone.vcf"), card),
                                     QStringLiteral("--into"), QStringLiteral("هاتف")});
    QVERIFY2(imported.status == 0, qPrintable(imported.err));
    for (const char* format : {"vcard4", "vcard3"}) {
        const QString target = m_folder->filePath(QStringLiteral("out-%1.vcf").arg(QLatin1String(format)));
        const ProgramRun exported = run({QStringLiteral("--export"), QStringLiteral("هاتف"), target,
                                         QStringLiteral("--format"), QLatin1String(format)});
        QVERIFY2(exported.status == 0, qPrintable(exported.err));
        QFile written(target);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY2(!bytes.contains("NOTE:\r\n") && bytes.contains("BDAY:"), bytes.left(2000).constData());
        QVERIFY(bytes.contains(format == QByteArray("vcard4") ? "BDAY;X-QAV-HIJRI=1435-09-15:20140712"
                                                              : "BDAY;X-QAV-HIJRI=1435-09-15:2014-07-12"));
        const ContactFileContents again = ContactFileReader::readVCard(bytes);
        QCOMPARE(again.contacts.size(), size_t(2));
        const size_t h = again.contacts[0].name == hoda.name ? 0 : 1;
        QVERIFY(again.contacts[h] == hoda);
        QVERIFY(again.more[h] == more);
        QVERIFY(again.more[1 - h] == original.more[1]);
    }
}

QString TestBatch::file(const QString& name, const QByteArray& bytes)
{
    QFile out(m_folder->filePath(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return out.fileName();
}

void TestBatch::theBookIsNeverTheTargetNorHalfWritten()
{
    const QString book = m_folder->filePath(QStringLiteral("Kib.bin"));
    QCOMPARE(QFileInfo(book).permissions(), // a new book is its owner's alone
             QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    QVERIFY(run({QStringLiteral("--import"), QStringLiteral(QAV_SAMPLES "/phone.vcf"), QStringLiteral("--into"),
                 QStringLiteral("العائلة")})
                .status == 0);
    const QString contacts = scalar(QStringLiteral("SELECT count(*) FROM info"));
    QVERIFY(QFile::link(book, m_folder->filePath(QStringLiteral("link.vcf"))));
    for (const QString& target :
         {book, m_folder->path() + QStringLiteral("/./Kib.bin"), m_folder->filePath(QStringLiteral("link.vcf")),
          book + QStringLiteral("-journal"), book + QStringLiteral(".previous")}) {
        const ProgramRun refused = run({QStringLiteral("--export"), QStringLiteral("العائلة"), target});
        QCOMPARE(refused.status, 1);
        QCOMPARE(refused.err.count(QLatin1Char('\n')), 1);
    }
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM info")), contacts); // the book still opens, whole

    // A symbolic link as the target is refused: the file it points to keeps every byte, and the
    // folder holds no half-written temporary file.
    const QString victim = file(QStringLiteral("victim.txt"), "keep me\n");
    const QString trap = m_folder->filePath(QStringLiteral("trap.vcf"));
    QVERIFY(QFile::link(victim, trap));
    const QStringList before = QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const ProgramRun linked = run({QStringLiteral("--export"), QStringLiteral("العائلة"), trap});
    QCOMPARE(linked.status, 1);
    QCOMPARE(linked.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(linked.err.contains(QStringLiteral("رابط رمزى")), qPrintable(linked.err));
    QFile kept(victim);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("keep me\n"));
    QVERIFY(QFileInfo(trap).isSymLink());
    QCOMPARE(QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    // An export over an older file of its own replaces it whole, private whatever the old bits.
    const QString older = file(QStringLiteral("older.vcf"), "old");
    QFile::setPermissions(older, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    QCOMPARE(run({QStringLiteral("--export"), QStringLiteral("العائلة"), older}).status, 0);
    QCOMPARE(QFileInfo(older).permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);

    // A device that never ends is no file to read whole.
    const ProgramRun endless =
        run({QStringLiteral("--import"), QStringLiteral("/dev/zero"), QStringLiteral("--into"), QStringLiteral("صفر")});
    QCOMPARE(endless.status, 1);
    QCOMPARE(endless.err.count(QLatin1Char('\n')), 1);

    // The disk fills up in the middle of a large import into a new directory: nothing of it stays.
    QByteArray cards;
    for (int i = 0; i < 20000; ++i)
        cards += QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:جهة %1\r\nTEL;TYPE=CELL:0100%1\r\nNOTE:%2\r\n"
                                "END:VCARD\r\n")
                     .arg(i)
                     .arg(QString(40, QLatin1Char('x')))
                     .toUtf8();
    const QString large = file(QStringLiteral("large.vcf"), cards);
    ProgramRun full;
    {
        FileSizeLimit limit(QFileInfo(book).size() + 256 * 1024);
        full = run({QStringLiteral("--import"), large, QStringLiteral("--into"), QStringLiteral("كبير")});
    }
    QCOMPARE(full.status, 1);
    QCOMPARE(full.err.count(QLatin1Char('\n')), 1); // the reason alone, no internal logging
    QVERIFY(full.out.isEmpty());
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM info")), contacts);
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM dirg WHERE dirname = ?"), {QStringLiteral("كبير")}),
             QStringLiteral("0"));
}

void TestBatch::badInputGetsAClearNo()
{
    const QStringList notContacts = {file(QStringLiteral("random.csv"), QByteArray("lorem ipsum dolor\nsit amet\n")),
                                     file(QStringLiteral("empty.csv"), QByteArray()),
                                     file(QStringLiteral("numbers.csv"), QByteArray("Amount,Date\n12,2026-01-01\n"))};
    for (const QString& path : notContacts) {
        const ProgramRun refused =
            run({QStringLiteral("--import"), path, QStringLiteral("--into"), QStringLiteral("جديد")});
        QCOMPARE(refused.status, 1);
        // A table of rows without a column of names is told which header to give it.
        QCOMPARE(refused.err.contains(QStringLiteral("\"الاسم\"")), !path.endsWith(QLatin1String("empty.csv")));
    }
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("0"));

    // Directory names as the window takes them: trimmed, never blank.
    const QString sample = QStringLiteral(QAV_SAMPLES "/phone.vcf");
    QCOMPARE(run({QStringLiteral("--import"), sample, QStringLiteral("--into"), QStringLiteral("   ")}).status, 1);
    QCOMPARE(run({QStringLiteral("--import"), sample, QStringLiteral("--into"), QStringLiteral("العائلة")}).status, 0);
    const ProgramRun padded =
        run({QStringLiteral("--import"), sample, QStringLiteral("--into"), QStringLiteral("العائلة ")});
    QCOMPARE(padded.status, 0);
    QCOMPARE(scalar(QStringLiteral("SELECT group_concat(dirname, '|') FROM dirg")), QStringLiteral("العائلة"));

    // A NUL deep in a card, and an old Latin-1 name in quoted-printable with no charset.
    QByteArray card = "BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE:" + QByteArray(9000, 'n') +
                      "\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN:Zaid";
    card += '\0';
    card += "Omar\r\nEND:VCARD\r\nBEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:=E9lodie\r\nEND:VCARD\r\n";
    const ProgramRun odd = run({QStringLiteral("--import"), file(QStringLiteral("odd.vcf"), card),
                                QStringLiteral("--into"), QStringLiteral("أخرى")});
    QVERIFY2(odd.status == 0, qPrintable(odd.err));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {QStringLiteral("ZaidOmar")}),
             QStringLiteral("1"));
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM info WHERE name = ?"), {QStringLiteral("élodie")}),
             QStringLiteral("1"));
}

void TestBatch::passwordFilesAreSmallRegularFilesReadOnce()
{
    const QString pipe = m_folder->filePath(QStringLiteral("pipe"));
    QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), m_folder->filePath(QStringLiteral("zero-link"))));
    const QString large = file(QStringLiteral("large"), QByteArray(4097, 'p'));
    const QString book = m_folder->filePath(QStringLiteral("Kib.bin"));
    const QByteArray bookBefore = [&] {
        QFile read(book);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
    }();
    // What never ends, never closes or is no file at all is refused at once (a pipe nobody
    // writes to would otherwise wait for ever, /dev/zero fill the memory), with one line.
    for (const QString& option : {QStringLiteral("--book-password-file"), QStringLiteral("--password-file")})
        for (const QString& hostile : {QStringLiteral("/dev/zero"), m_folder->filePath(QStringLiteral("zero-link")),
                                       m_folder->path(), pipe, large}) {
            const ProgramRun refused = run({QStringLiteral("--import"), QStringLiteral(QAV_SAMPLES "/phone.vcf"),
                                            QStringLiteral("--into"), QStringLiteral("جديد"), option, hostile});
            QVERIFY2(refused.status == 1, qPrintable(hostile + QLatin1Char(' ') + refused.err));
            QCOMPARE(refused.err.count(QLatin1Char('\n')), 1);
            QVERIFY2(refused.err.contains(hostile), qPrintable(refused.err));
        }
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("0"));
    QFile after(book);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bookBefore);

    // A password file others may read still works, with a warning; one of the owner's alone, silently.
    {
        DataConnection writer;
        QVERIFY(writer.open(book, QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(writer.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('خاص', 'Key1')")).ok);
    }
    const QString exact = file(QStringLiteral("exact"), QByteArray("Key1\n"));
    const QStringList exportLocked{QStringLiteral("--export"), QStringLiteral("خاص"),
                                   m_folder->filePath(QStringLiteral("out.vcf")), QStringLiteral("--password-file"),
                                   exact};
    QFile::setPermissions(exact, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    const ProgramRun shared = run(exportLocked);
    QVERIFY2(shared.status == 0, qPrintable(shared.err));
    QVERIFY2(shared.err.contains(QStringLiteral("chmod 600")), qPrintable(shared.err));
    QFile::setPermissions(exact, QFile::ReadOwner | QFile::WriteOwner);
    const ProgramRun own = run(exportLocked);
    QVERIFY2(own.status == 0 && own.err.isEmpty(), qPrintable(own.err));
    // Exactly 4 KB is still a password file.
    QFile::resize(large, 4096);
    QFile::setPermissions(large, QFile::ReadOwner | QFile::WriteOwner);
    const ProgramRun wrong = run(exportLocked.mid(0, 4) + QStringList{large});
    QCOMPARE(wrong.status, 1);
    QVERIFY2(wrong.err.contains(QStringLiteral("رمز الحماية غير صحيح")), qPrintable(wrong.err));
}

void TestBatch::nothingTypedOrImportedSteersTheTerminal()
{
    // A card whose name would retitle and recolour the terminal, and one turned around by a
    // direction override; the marks Arabic needs stay.
    const QByteArray cards = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Evil\x1b]0;pwned\x07\x1b[1;31mRED\r\n"
                             "TEL:1\r\nNOTE:line one\\nline\x1b[2J two\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Mona \xe2\x80\xae"
                             "gpj.exe\xc2\x9b\r\nTEL:2\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:\xe2\x80\x8f"
                             "سارة\xd8\x9c\r\nTEL:3\r\nEND:VCARD\r\n";
    const ProgramRun imported = run({QStringLiteral("--import"), file(QStringLiteral("evil.vcf"), cards),
                                     QStringLiteral("--into"), QStringLiteral("Dir\x1b[31m\u202E")});
    QVERIFY2(imported.status == 0, qPrintable(imported.err));
    QCOMPARE(scalar(QStringLiteral("SELECT group_concat(name, '|') FROM (SELECT name FROM info ORDER BY rowid)")),
             QStringLiteral("Evil]0;pwned[1;31mRED|Mona gpj.exe|\u200Fسارة\u061C"));
    QCOMPARE(scalar(QStringLiteral("SELECT moreinfo FROM info WHERE name LIKE 'Evil%'")),
             QStringLiteral("line one\nline[2J two"));
    QCOMPARE(scalar(QStringLiteral("SELECT dirname FROM dirg")), QStringLiteral("Dir[31m"));

    // What the command line prints quotes what was typed, without a control character in it.
    const ProgramRun unknown = run(
        {QStringLiteral("--export"), QStringLiteral("\x1b]0;pwned\x07"), m_folder->filePath(QStringLiteral("x.vcf"))});
    QCOMPARE(unknown.status, 1);
    const ProgramRun wrongOption = run({QStringLiteral("--\x1b[31mred")});
    QCOMPARE(wrongOption.status, 2);
    for (const ProgramRun* printed : {&imported, &unknown, &wrongOption})
        for (const QString& text : {printed->out, printed->err})
            for (const QChar c : text)
                QVERIFY2(
                    c == QLatin1Char('\n') ||
                        (c.unicode() >= 0x20 && !(c.unicode() >= 0x7F && c.unicode() <= 0x9F) && c.unicode() != 0x202E),
                    qPrintable(text));
    QVERIFY(unknown.err.contains(QStringLiteral("]0;pwned")));
}

void TestBatch::mailProgramsAskForAddresses()
{
    const QString book = m_folder->filePath(QStringLiteral("Kib.bin"));
    {
        DataConnection writer;
        QVERIFY(writer.open(book, QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(
            writer.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES ('أصدقاء', '0'), ('سري', 'Key1')")));
        const QString add = QStringLiteral("INSERT INTO info (name, email, moreinfo, dir) VALUES "
                                           "(?, ?, ?, (SELECT code FROM dirg WHERE dirname = ?))");
        const QList<QStringList> contacts = {
            {QStringLiteral("محمد علي"), QStringLiteral("m.ali@example.org; <mo@work.example>"), QString(),
             QStringLiteral("أصدقاء")},
            {QStringLiteral("محمد حسن"), QStringLiteral("secret@example.org"), QString(), QStringLiteral("سري")},
            {QStringLiteral("Mohamed Nomail"), QString(), QString(), QStringLiteral("أصدقاء")},
            // A name from anywhere: a direction override, an escape and a line break in it.
            {QStringLiteral("ليلى\u202E\x1b[31m\nx"), QStringLiteral("laila@example.com"),
             QStringLiteral("m.ali@example.org"), QStringLiteral("أصدقاء")}};
        for (const QStringList& contact : contacts)
            QVERIFY(writer.execute(add, contact));
        // An e-mail among the more values is an address too, never a locked directory's.
        const ContactValue second{ContactValue::Kind::Email, {}, QStringLiteral("second@example.net")};
        for (const QString& name : {QStringLiteral("Mohamed Nomail"), QStringLiteral("محمد حسن")}) {
            QString row;
            QVERIFY(writer.scalar(QStringLiteral("SELECT rowid FROM info WHERE name = ?"), {name}, row));
            QVERIFY(ContactValueStore(writer).replaceWithin(row.toLongLong(), name, {second}));
        }
    }
    auto query = [&](const QStringList& more) { return run(QStringList{QStringLiteral("--query")} + more); };
    auto printable = [](const ProgramRun& answer) {
        for (const QString& line : answer.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            for (const QChar c : line)
                if (c != QLatin1Char('\t') &&
                    (c.category() == QChar::Other_Format || c.category() == QChar::Other_Control))
                    return false;
        return true;
    };

    // Typed in Latin, the Arabic name is found by sound; one line per address, the locked
    // directory's namesake and the contact without an address left out.
    const ProgramRun byName = query({QStringLiteral("mohamed")});
    QVERIFY2(byName.status == 0, qPrintable(byName.err));
    QCOMPARE(byName.out, QStringLiteral("QAV Telephone: 3 عناوين\n"
                                        "second@example.net\tMohamed Nomail\tأصدقاء\n"
                                        "m.ali@example.org\tمحمد علي\tأصدقاء\n"
                                        "mo@work.example\tمحمد علي\tأصدقاء\n"));
    // An address fragment finds that address alone; a hit in the notes is no address; tsv has no
    // first line; the name comes out on one line, its controls left out.
    QCOMPARE(query({QStringLiteral("WORK.example"), QStringLiteral("--format"), QStringLiteral("tsv")}).out,
             QStringLiteral("mo@work.example\tمحمد علي\tأصدقاء\n"));
    const ProgramRun laila = query({QStringLiteral("laila"), QStringLiteral("--format=tsv")});
    QCOMPARE(laila.out, QStringLiteral("laila@example.com\tليلى[31m x\tأصدقاء\n"));
    const ProgramRun fragment = query({QStringLiteral("example.org")});
    QVERIFY(fragment.status == 0 && fragment.out.count(QLatin1Char('\n')) == 2 && printable(fragment));
    QVERIFY(!fragment.out.contains(QStringLiteral("secret")) && printable(laila));
    // Nothing found: exit 1, the mail program's message alone, nothing on standard error.
    const ProgramRun none = query({QStringLiteral("nobody@nowhere")});
    QCOMPARE(none.status, 1);
    QVERIFY(none.out.startsWith(QStringLiteral("QAV Telephone: ")) && none.out.count(QLatin1Char('\n')) == 1);
    QVERIFY(none.err.isEmpty());
    QCOMPARE(query({QStringLiteral("  ")}).status, 2);
    QCOMPARE(query({QStringLiteral("ali"), QStringLiteral("--password-file"), QStringLiteral("p")}).status, 2);

    // The index a session kept at its close answers the same; once another program has written,
    // the answer follows the book, not what was kept.
    {
        DataConnection session;
        QVERIFY(session.open(book, QString::fromLatin1(Schema::kPassword)).ok);
        BookSearchIndex index(PhoneMatch::numberKey(PhoneMatch::preferredRegion()));
        QVERIFY(index.load(session).ok);
        QVERIFY(KeptSearchIndex::save(session, index));
    }
    QCOMPARE(query({QStringLiteral("mohamed")}).out, byName.out);
    {
        DataConnection other;
        QVERIFY(other.open(book, QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(other.execute(QStringLiteral("UPDATE info SET email = 'moved@example.org' WHERE name = 'محمد علي'")));
    }
    const ProgramRun afterWrite = query({QStringLiteral("mohamed")});
    QVERIFY2(afterWrite.out.contains(QStringLiteral("moved@example.org")) &&
                 !afterWrite.out.contains(QStringLiteral("mo@work.example")),
             qPrintable(afterWrite.out));

    // A protected book answers only with its password.
    {
        DataConnection owner;
        QVERIFY(owner.open(book, QString::fromLatin1(Schema::kPassword)).ok);
        QVERIFY(BookRekey::run(owner, QStringLiteral("كلمة سر طويلة")).ok);
    }
    const ProgramRun refused = query({QStringLiteral("mohamed")});
    QCOMPARE(refused.status, 1);
    QVERIFY(refused.out.isEmpty() && refused.err.count(QLatin1Char('\n')) == 1);
    QVERIFY2(refused.err.contains(QStringLiteral("--book-password-file")), qPrintable(refused.err));
    // A device that never ends is no password file.
    const ProgramRun endless =
        query({QStringLiteral("mohamed"), QStringLiteral("--book-password-file"), QStringLiteral("/dev/zero")});
    QVERIFY(endless.status == 1 && endless.err.count(QLatin1Char('\n')) == 1);
    const ProgramRun opened = query({QStringLiteral("mohamed"), QStringLiteral("--book-password-file"),
                                     file(QStringLiteral("right"), "كلمة سر طويلة\n")});
    QCOMPARE(opened.out, afterWrite.out);
}

void TestBatch::aSecondStartOnTheSameBookHandsItsFilesOver()
{
    // A runtime folder of the test's own: the user's running copy is never reached.
    QTemporaryDir runtime;
    QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), 0700) == 0);
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    RunningCopy running(m_folder->filePath(QStringLiteral("Kib.bin")));
    QVERIFY(running.listen());
    struct stat info {
    };
    QVERIFY(::stat(QFile::encodeName(running.socketPath()).constData(), &info) == 0);
    QCOMPARE(info.st_mode & 077, 0u); // nobody else may even connect
    QSignalSpy shown(&running, &RunningCopy::showRequested);
    QSignalSpy handed(&running, &RunningCopy::filesReceived);

    // Started again in its folder with two files, one named with a line end: it hands them over,
    // by absolute path, and ends; a window would fail on this display.
    for (const QString& name : {QStringLiteral("in.vcf"), QStringLiteral("the trend\nend")}) {
        QFile handedFile(m_folder->filePath(name));
        QVERIFY(handedFile.open(QIODevice::WriteOnly));
    }
    QProcess second;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-there"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    second.setProcessEnvironment(environment);
    second.setWorkingDirectory(m_folder->path());
    second.start(m_folder->filePath(QStringLiteral("qavtelephone")),
                 {QStringLiteral("in.vcf"), QStringLiteral("the trend\nend")});
    QTRY_COMPARE_WITH_TIMEOUT(second.state(), QProcess::NotRunning, 60000);
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(handed.size(), 1);
    QCOMPARE(handed.at(0).at(0).toStringList(), (QStringList{m_folder->filePath(QStringLiteral("in.vcf")),
                                                             m_folder->filePath(QStringLiteral("the trend\nend"))}));

    // The same book reached through a link is the same copy; another portable folder's book is not.
    const QString link = runtime.filePath(QStringLiteral("link"));
    QVERIFY(QFile::link(m_folder->path(), link));
    QCOMPARE(RunningCopy(link + QStringLiteral("/Kib.bin")).socketPath(), running.socketPath());
    QTemporaryDir other;
    QVERIFY(RunningCopy(other.filePath(QStringLiteral("Kib.bin"))).socketPath() != running.socketPath());
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
}

void TestBatch::theRunningCopyTakesOnlyItsFewLines()
{
    bool show = false;
    QStringList files;
    QVERIFY(RunningCopy::parse("show\nimport /a%0Ab/end\nend\n", show, files));
    QVERIFY(show);
    QCOMPARE(files, QStringList{QStringLiteral("/a\nb/end")});
    for (const QByteArray& refused :
         {QByteArray("show\nimport relative.vcf\nend\n"), QByteArray("show\nrm -rf /\nend\n"),
          QByteArray("show\nimport /a%00b\nend\n"), QByteArray("show\nimport /%FF%FE\nend\n"),
          QByteArray("show\nend\nimport /x\nend\n"), QByteArray("show\nimport /x\n"),
          QByteArray("show\n") + QByteArray(RunningCopy::kLongestMessage, 'x') + QByteArray("\nend\n")})
        QVERIFY2(!RunningCopy::parse(refused, show, files), refused.left(40).constData());

    QTemporaryDir runtime;
    QVERIFY(::chmod(QFile::encodeName(runtime.path()).constData(), 0700) == 0);
    const QByteArray runtimeBefore = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    RunningCopy running(m_folder->filePath(QStringLiteral("Kib.bin")));
    // A copy that crashed left its socket behind: nobody takes the files, and the next copy listens.
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray path = QFile::encodeName(running.socketPath());
    std::memcpy(address.sun_path, path.constData(), size_t(path.size()));
    QVERIFY(::bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
    ::close(stale);
    QVERIFY(!running.handOver({QStringLiteral("/x.vcf")}));
    QVERIFY(running.listen());
    // Anything but its lines is dropped unanswered, with nothing done.
    QSignalSpy shown(&running, &RunningCopy::showRequested);
    QSignalSpy handed(&running, &RunningCopy::filesReceived);
    QLocalSocket caller;
    caller.connectToServer(running.socketPath());
    QVERIFY(caller.waitForConnected(5000));
    caller.write("show\nimport ../../etc/passwd\nend\n");
    QTRY_COMPARE_WITH_TIMEOUT(caller.state(), QLocalSocket::UnconnectedState, 10000);
    QCOMPARE(caller.readAll(), QByteArray());
    QCOMPARE(shown.size() + handed.size(), 0);
    qputenv("XDG_RUNTIME_DIR", runtimeBefore);
}

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
