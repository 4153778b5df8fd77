// The program as installed: the tree an install lays out, the validators that desktops and
// software centres apply to it, Qt's dialogs in Arabic, and where an installed program keeps
// the book.
#include "DataLocation.h"
#include "GnomeSearchProvider.h"
#include "KRunnerProvider.h"
#include "ProgramRun.h"
#include "QtTranslations.h"
#include "Schema.h"
#include "SearchService.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

bool hasArabic(const QString& text)
{
    return text.contains(QRegularExpression(QStringLiteral("[\\x{0600}-\\x{06FF}]")));
}

ProgramRun run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {})
{
    return ProgramRun::of(program, arguments, environment);
}

} // namespace

class TestInstallation : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void installedTreeIsCompleteAndValid();
    void commandLineNeedsNoWindow();
    void installedProgramStartsANewBookInTheUserDataFolder();
    void qtDialogsSpeakArabic();
    void aBookBesideTheProgramAlwaysWins();

private:
    QTemporaryDir m_prefix;
    QString m_program;
};

void TestInstallation::initTestCase()
{
    const ProgramRun installed =
        run(QStringLiteral("cmake"),
            {QStringLiteral("--install"), QStringLiteral(QAV_BUILD_DIR), QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY2(installed.status == 0, qPrintable(installed.err));
    m_program = m_prefix.filePath(QStringLiteral("bin/qavtelephone"));
}

void TestInstallation::installedTreeIsCompleteAndValid()
{
    const QStringList expected = {
        QStringLiteral("bin/qavtelephone"),
        QStringLiteral("share/applications/org.qav.telephone.desktop"),
        QStringLiteral("share/metainfo/org.qav.telephone.metainfo.xml"),
        QStringLiteral("share/icons/hicolor/scalable/apps/org.qav.telephone.svg"),
        QStringLiteral("share/icons/hicolor/48x48/apps/org.qav.telephone.png"),
        QStringLiteral("share/icons/hicolor/256x256/apps/org.qav.telephone.png"),
        QStringLiteral("share/qavtelephone/bg.wav"),
        QStringLiteral("share/man/man1/qavtelephone.1.gz"),
        QStringLiteral("share/doc/qavtelephone/changelog.gz"),
        QStringLiteral("share/doc/qavtelephone/copyright"),
        QStringLiteral("share/dbus-1/services/org.qav.telephone.service"),
        QStringLiteral("share/gnome-shell/search-providers/org.qav.telephone.search-provider.ini"),
        QStringLiteral("share/krunner/dbusplugins/org.qav.telephone.desktop"),
    };
    for (const QString& file : expected)
        QVERIFY2(QFileInfo(m_prefix.filePath(file)).size() > 0, qPrintable(file));
    QCOMPARE(QImage(m_prefix.filePath(QStringLiteral("share/icons/hicolor/48x48/apps/org.qav.telephone.png"))).size(),
             QSize(48, 48));
    // The desktop finds the search service by these: the bus starts the installed program by its
    // name, GNOME Shell and krunner ask at the paths it serves.
    const auto text = [this](const QString& file) {
        QFile read(m_prefix.filePath(file));
        return read.open(QIODevice::ReadOnly) ? QString::fromUtf8(read.readAll()) : QString();
    };
    const QString busName = QString::fromLatin1(SearchService::kBusName);
    QCOMPARE(text(expected.at(10)),
             QStringLiteral("[D-BUS Service]\nName=%1\nExec=%2 --search-provider\n").arg(busName, m_program));
    const QString gnome = text(expected.at(11));
    for (const QString& line :
         {QStringLiteral("BusName=") + busName, QStringLiteral("ObjectPath=") + GnomeSearchProvider::kPath,
          QStringLiteral("DesktopId=org.qav.telephone.desktop"), QStringLiteral("Version=2")})
        QVERIFY2(gnome.contains(line + QLatin1Char('\n')), qPrintable(line));
    const QString runner = text(expected.at(12));
    for (const QString& line : {QStringLiteral("X-Plasma-DBusRunner-Service=") + busName,
                                QStringLiteral("X-Plasma-DBusRunner-Path=") + KRunnerProvider::kPath})
        QVERIFY2(runner.contains(line + QLatin1Char('\n')), qPrintable(line));

    const QString desktopValidator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (desktopValidator.isEmpty() || appstream.isEmpty())
        QSKIP("desktop-file-validate or appstreamcli is not installed");
    const ProgramRun desktop = run(desktopValidator, {m_prefix.filePath(expected.at(1))});
    QVERIFY2(desktop.status == 0 && desktop.out.trimmed().isEmpty(), qPrintable(desktop.out + desktop.err));
    const ProgramRun metainfo =
        run(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"), m_prefix.filePath(expected.at(2))});
    QVERIFY2(metainfo.status == 0, qPrintable(metainfo.out + metainfo.err));
}

void TestInstallation::commandLineNeedsNoWindow()
{
    // No screen at all: a window would make the program fail.
    QProcessEnvironment noScreen = QProcessEnvironment::systemEnvironment();
    noScreen.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("none-there"));
    noScreen.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    const ProgramRun help = run(m_program, {QStringLiteral("--help")}, noScreen);
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains(QStringLiteral("--version")) && hasArabic(help.out));
    const ProgramRun version = run(m_program, {QStringLiteral("--version")}, noScreen);
    QCOMPARE(version.status, 0);
    QVERIFY(version.out.startsWith(QStringLiteral("QAV Telephone 1.")));
    for (const QString& wrong : {QStringLiteral("--frobnicate"), QStringLiteral("stray")}) {
        const ProgramRun refused = run(m_program, {wrong}, noScreen);
        QCOMPARE(refused.status, 2);
        QVERIFY(refused.out.isEmpty());
        QVERIFY(refused.err.contains(wrong) && refused.err.contains(QStringLiteral("--help")));
    }
}

void TestInstallation::installedProgramStartsANewBookInTheUserDataFolder()
{
    QTemporaryDir home;
    QProcessEnvironment user = QProcessEnvironment::systemEnvironment();
    user.insert(QStringLiteral("HOME"), home.path());
    user.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    user.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    user.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    user.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
    QProcess program;
    program.setProcessEnvironment(user);
    program.start(m_program, {});
    const QString book = home.filePath(QStringLiteral("data/QAV/QAV Telephone/Kib.bin"));
    // The book is made in one transaction: it opens once the program has finished making it.
    DataConnection connection;
    QTRY_VERIFY_WITH_TIMEOUT(
        QFileInfo::exists(book) &&
            connection.open(book, QString::fromLatin1(Schema::kPassword), DataConnection::Access::ReadOnly).ok,
        30000);
    connection.close();
    QTest::qWait(500);
    QCOMPARE(program.state(), QProcess::Running); // the window is up, on the new book
    program.kill();
    program.waitForFinished();
    QVERIFY(connection.open(book, QString::fromLatin1(Schema::kPassword), DataConnection::Access::ReadOnly).ok);
    QVERIFY(!QFileInfo::exists(m_prefix.filePath(QStringLiteral("bin/Kib.bin"))));
}

void TestInstallation::qtDialogsSpeakArabic()
{
    if (!QtTranslations::install(*qApp))
        QSKIP("Qt's Arabic translations (qt6-translations-l10n) are not installed");
    QFileDialog chooser(nullptr, QStringLiteral("اختيار"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    const QList<QPushButton*> buttons = chooser.findChild<QDialogButtonBox*>()->findChildren<QPushButton*>();
    QVERIFY(!buttons.isEmpty());
    for (QPushButton* button : buttons)
        QVERIFY2(hasArabic(button->text()), qPrintable(button->text()));
    QDialogButtonBox standard(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QVERIFY(hasArabic(standard.button(QDialogButtonBox::Cancel)->text()));
    QCOMPARE(QGuiApplication::layoutDirection(), Qt::RightToLeft);
}

void TestInstallation::aBookBesideTheProgramAlwaysWins()
{
    QTemporaryDir root;
    const QString bin = root.filePath(QStringLiteral("bin"));
    const QString user = root.filePath(QStringLiteral("user"));
    QDir().mkpath(bin);
    QDir().mkpath(user);
    // A writable folder of its own, no book: the program's folder, as in portable use.
    QCOMPARE(DataLocation::bookFolder(bin, user), bin);
    // An installed layout (bin/ beside share/qavtelephone): the user's data folder.
    QDir().mkpath(root.filePath(QStringLiteral("share/qavtelephone")));
    QCOMPARE(DataLocation::bookFolder(bin, user), user);
    // Both hold a book: the one beside the program, and nothing is moved.
    QVERIFY(Schema::create(QDir(user).filePath(QStringLiteral("Kib.bin"))).ok);
    QVERIFY(Schema::create(QDir(bin).filePath(QStringLiteral("Kib.bin"))).ok);
    QCOMPARE(DataLocation::bookFolder(bin, user), bin);
    QVERIFY(QFileInfo::exists(QDir(user).filePath(QStringLiteral("Kib.bin"))));
    // A program folder nobody may write to (made immutable, as root ignores modes).
    QTemporaryDir locked;
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), locked.path()}) != 0)
        QSKIP("the file system cannot make a folder unwritable here");
    const bool chosen = DataLocation::bookFolder(locked.path(), user) == user;
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), locked.path()});
    QVERIFY(chosen);
}

QTEST_MAIN(TestInstallation)
#include "tst_installation.moc"
