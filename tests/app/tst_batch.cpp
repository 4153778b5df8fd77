// Import and export from the command line, as a script uses them: no window, a summary on
// standard output, exit status 0, 1 with a one-line reason, or 2 for a wrong command line.
#include "DataConnection.h"
#include "ProgramRun.h"
#include "Schema.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestBatch : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void importIntoANewDirectoryThenExport();
    void aLockedDirectoryNeedsItsPasswordFile();
    void wrongUseIsRefused();

private:
    ProgramRun run(const QStringList& arguments);
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

void TestBatch::importIntoANewDirectoryThenExport()
{
    const QString sample = QStringLiteral(QAV_SAMPLES "/google-current.csv");
    const ProgramRun imported =
        run({QStringLiteral("--import"), sample, QStringLiteral("--into"), QStringLiteral("العائلة")});
    QVERIFY2(imported.status == 0, qPrintable(imported.err));
    QVERIFY(imported.out.contains(QStringLiteral("تم استيراد 2")));
    QVERIFY(imported.out.contains(QStringLiteral("تم وضع 2"))); // the values that went to the notes
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = (SELECT code FROM dirg WHERE dirname = ?)"),
                    {QStringLiteral("العائلة")}),
             QStringLiteral("2"));
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
    QCOMPARE(scalar(QStringLiteral("SELECT count(*) FROM dirg")), QStringLiteral("0")); // nothing made for nothing
}

QTEST_MAIN(TestBatch)
#include "tst_batch.moc"
