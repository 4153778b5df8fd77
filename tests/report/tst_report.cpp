// The directory report read back from its PDF, and the about window.
#include "AppLook.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirectoryReport.h"
#include "FileSizeLimit.h"
#include "HelpWindow.h"
#include "MainForm.h"
#include "MainWindowUser.h"
#include "ModalDriver.h"
#include "ReportPreview.h"
#include "ScriptedMessageBox.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "ToolbarCommand.h"
#include "WindowTestFixture.h"

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QtTest>

namespace
{

// The text of a PDF as a reader sees it: Arabic presentation forms folded to plain letters,
// direction marks dropped, each line's words in a set so visual order does not matter.
QString pdfText(const QString& path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(30000))
        return QString();
    QString text = QString::fromUtf8(tool.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    for (const QChar mark : {QChar(0x200E), QChar(0x200F), QChar(0x202A), QChar(0x202B), QChar(0x202C), QChar(0x2066),
                             QChar(0x2067), QChar(0x2068), QChar(0x2069)})
        text.remove(mark);
    return text;
}

// The words of a PDF with where they stand, for what reading order cannot show: which word is
// left of which. An Arabic word comes as its letters, one by one.
struct PlacedWord {
    QString text;
    double left;
    double middle; // of its height
};

QList<PlacedWord> pdfWords(const QString& path)
{
    QProcess tool;
    tool.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
    if (!tool.waitForFinished(30000))
        return {};
    static const QRegularExpression word(
        QStringLiteral(R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">([^<]*)</word>)re"));
    QList<PlacedWord> words;
    const QString html = QString::fromUtf8(tool.readAllStandardOutput());
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        words.append({m.captured(4).replace(QStringLiteral("&amp;"), QStringLiteral("&")), m.captured(1).toDouble(),
                      (m.captured(2).toDouble() + m.captured(3).toDouble()) / 2});
    }
    return words;
}

// The words of the line a word stands on, from left to right.
QStringList lineOf(const QList<PlacedWord>& words, const QString& member)
{
    const auto found = std::find_if(words.begin(), words.end(), [&](const PlacedWord& w) { return w.text == member; });
    if (found == words.end())
        return {};
    QList<PlacedWord> line;
    for (const PlacedWord& w : words)
        if (std::abs(w.middle - found->middle) < 2)
            line << w;
    std::sort(line.begin(), line.end(), [](const PlacedWord& a, const PlacedWord& b) { return a.left < b.left; });
    QStringList texts;
    for (const PlacedWord& w : line)
        texts << w.text;
    return texts;
}

// pdftotext may give right-to-left words in visual order; accept a word either way round.
bool containsWord(const QString& text, const QString& word)
{
    QString reversed;
    for (auto it = word.crbegin(); it != word.crend(); ++it)
        reversed += *it;
    return text.contains(word) || text.contains(reversed);
}

} // namespace

class TestReport : public QObject, public WindowTestFixture
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void reportShowsHeaderColumnsAndRowsInOrder();
    void emptyDirectoryGivesHeaderAndNoRows();
    void manyContactsSpanPagesWithHeadingsOnEach();
    void dateAndTimeReplaceTheirMarks();
    void numbersKeepEveryCharacterAndLongTextsEndCleanly();
    void printDoesNothingOnTheDirectoryList();
    void thePreviewsPdfNeverHarmsAnOlderFileOrTheBook();
    void helpWindowOpensTwiceAndCloses();

private:
    QString render(const QString& code, const QString& name, bool withMore = false);
    QTemporaryDir m_out;
};

void TestReport::initTestCase()
{
    prepareApplication();
}

void TestReport::init()
{
    openFixture();
}

void TestReport::cleanup()
{
    closeFixture();
}

QString TestReport::render(const QString& code, const QString& name, bool withMore)
{
    if (!SharedData::connection().isOpen())
        (void)OpenDatabase();
    DirectoryReport report;
    report.load(code);
    if (!report.printMoreValues(withMore))
        qWarning("the more values could not be read");
    report.directoryName = name;
    const QString path = m_out.filePath(name + QStringLiteral(".pdf"));
    if (!ReportPreview::savePdf(report, path))
        qWarning("the report could not be saved");
    return path;
}

void TestReport::reportShowsHeaderColumnsAndRowsInOrder()
{
    const QString code = m_db->addDirectory(QStringLiteral("Clients"));
    const QString other = m_db->addDirectory(QStringLiteral("Other"));
    m_db->addContact(QStringLiteral("Zed Zulu"), code,
                     {QStringLiteral("1111"), QStringLiteral("2222"), QStringLiteral("3333"), QString(),
                      QStringLiteral("Nile Street"), QStringLiteral("zed@mail.example"), QStringLiteral("Acme"),
                      QStringLiteral("secret note")});
    m_db->addContact(QStringLiteral("Adam Alpha"), code, {QStringLiteral("4444")});
    m_db->addContact(QStringLiteral("Elsewhere Person"), other);
    const QString text = pdfText(render(code, QStringLiteral("Clients")));
    QVERIFY2(!text.isEmpty(), "pdftotext gave nothing");
    QVERIFY(text.contains(QStringLiteral("Clients")));
    for (const char* heading : {"الاسم", "موبايل", "فاكس", "العمل", "العنوان"})
        QVERIFY2(containsWord(text, QString::fromUtf8(heading)), heading);
    QVERIFY(text.indexOf(QStringLiteral("Adam Alpha")) >= 0);
    QVERIFY(text.indexOf(QStringLiteral("Adam Alpha")) < text.indexOf(QStringLiteral("Zed Zulu")));
    for (const char* value : {"1111", "2222", "3333", "Nile Street", "Acme", "4444"})
        QVERIFY2(text.contains(QString::fromLatin1(value)), value);
    QVERIFY(!text.contains(QStringLiteral("zed@mail.example")));
    QVERIFY(!text.contains(QStringLiteral("secret note")));
    QVERIFY(!text.contains(QStringLiteral("Elsewhere")));
    // Adam has no work number: his row holds only his name and home number.
    const QString adamLine =
        text.section(QLatin1Char('\n'), 0, -1).split(QLatin1Char('\n')).filter(QStringLiteral("Adam")).value(0);
    QCOMPARE(adamLine.simplified().split(QLatin1Char(' ')).size(), 3);

    // Zed's more values: printed under him only when asked for, never the photo; so many that
    // they go on to a second page. Values another program left at a row of Adam's name are not his.
    using Kind = ContactValue::Kind;
    MoreValues more{{Kind::Photo, {}, QStringLiteral("UEhPVE9CWVRFUw==")},
                    {Kind::Phone, QStringLiteral("\u202Emobile"), QStringLiteral("5555 6666")},
                    {Kind::Email, QStringLiteral("work"), QStringLiteral("zed2@mail.example")}};
    for (int i = 0; i < 40; ++i)
        more.push_back({Kind::Phone, QStringLiteral("other"), QStringLiteral("0100 000 %1").arg(1000 + i)});
    qint64 zed = 0;
    QVERIFY(ContactStore(m_db->reader()).findByName(QStringLiteral("Zed Zulu"), zed));
    QVERIFY(ContactValueStore(m_db->reader()).replaceWithin(zed, QStringLiteral("Zed Zulu"), more));
    QVERIFY(m_db->reader()
                .execute(QStringLiteral("INSERT INTO qav_contact_value (contact, name, kind, label, value) "
                                        "VALUES (9999, 'Adam Alpha', 'tel', 'mobile', '7777 8888')"))
                .ok);
    QVERIFY(!pdfText(render(code, QStringLiteral("Clients"))).contains(QStringLiteral("5555 6666")));
    const QString withMore = pdfText(render(code, QStringLiteral("Clients"), true));
    for (const QString& value : {QStringLiteral("5555 6666"), QStringLiteral("zed2@mail.example"),
                                 QStringLiteral("0100 000 1000"), QStringLiteral("0100 000 1039")})
        QVERIFY2(withMore.contains(value), qPrintable(value));
    QVERIFY(withMore.indexOf(QStringLiteral("Zed Zulu")) < withMore.indexOf(QStringLiteral("5555 6666")));
    QVERIFY(withMore.indexOf(QStringLiteral("0100 000 1000")) < withMore.indexOf(QStringLiteral("0100 000 1039")));
    QVERIFY(!withMore.contains(QStringLiteral("7777")) && !withMore.contains(QStringLiteral("UEhPVE9C")));
    QVERIFY(withMore.count(QLatin1Char('\f')) >= 2);
}

void TestReport::emptyDirectoryGivesHeaderAndNoRows()
{
    const QString code = m_db->addDirectory(QStringLiteral("Empty"));
    m_db->addContact(QStringLiteral("Somebody Else"), m_db->addDirectory(QStringLiteral("Full")));
    const QString text = pdfText(render(code, QStringLiteral("Empty")));
    QVERIFY(text.contains(QStringLiteral("Empty")));
    QVERIFY(containsWord(text, QStringLiteral("الاسم")));
    QVERIFY(!text.contains(QStringLiteral("Somebody")));
    QCOMPARE(text.count(QLatin1Char('\f')), 1);
}

void TestReport::manyContactsSpanPagesWithHeadingsOnEach()
{
    const QString code = m_db->addDirectory(QStringLiteral("Big"));
    (void)m_db->reader().execute(QStringLiteral("BEGIN"));
    for (int i = 0; i < 500; ++i)
        m_db->addContact(QStringLiteral("Person %1").arg(i, 3, 10, QLatin1Char('0')), code);
    (void)m_db->reader().execute(QStringLiteral("COMMIT"));
    const QString text = pdfText(render(code, QStringLiteral("Big")));
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QVERIFY2(pages.size() > 10, qPrintable(QString::number(pages.size())));
    for (const QString& page : pages)
        QVERIFY(containsWord(page, QStringLiteral("موبايل")));
    QVERIFY(pages.first().contains(QStringLiteral("Big")));
    QVERIFY(!pages.at(1).contains(QStringLiteral("Big")));
    QVERIFY(text.contains(QStringLiteral("Person 000")));
    QVERIFY(text.contains(QStringLiteral("Person 499")));
    QVERIFY(text.indexOf(QStringLiteral("Person 099")) < text.indexOf(QStringLiteral("Person 100")));
}

void TestReport::dateAndTimeReplaceTheirMarks()
{
    const QDateTime when(QDate(2026, 3, 9), QTime(14, 5, 7));
    const QString line = DirectoryReport::dateLine(when);
    QCOMPARE(line, QStringLiteral("تاريخ اليوم :  09/03/2026   /   التوقيت الآن : 14:05:07"));
    const QString code = m_db->addDirectory(QStringLiteral("Dated"));
    (void)OpenDatabase();
    DirectoryReport report;
    report.load(code);
    report.printedAt = when;
    const QString path = m_out.filePath(QStringLiteral("dated.pdf"));
    QVERIFY(ReportPreview::savePdf(report, path));
    const QString text = pdfText(path);
    QVERIFY(text.contains(QStringLiteral("09/03/2026")));
    QVERIFY(text.contains(QStringLiteral("14:05:07")));
    // Read from the right: the date's label, the date, the time's label, the time.
    const QStringList printed = lineOf(pdfWords(path), QStringLiteral("09/03/2026"));
    const qsizetype date = printed.indexOf(QStringLiteral("09/03/2026"));
    const qsizetype time = printed.indexOf(QStringLiteral("14:05:07"));
    QVERIFY2(time == 0 && date > time + 3 && date < printed.size() - 3, qPrintable(printed.join(QLatin1Char(' '))));
    QCOMPARE(printed.at(date + 1), QStringLiteral(":"));
    QCOMPARE(printed.at(time + 1), QStringLiteral(":"));
    // A place that cannot be written is a failure the caller hears of, with nothing left behind.
    QVERIFY(!ReportPreview::savePdf(report, m_out.filePath(QStringLiteral("missing/dated.pdf"))));
    QVERIFY(!QFileInfo::exists(m_out.filePath(QStringLiteral("missing"))));
}

void TestReport::numbersKeepEveryCharacterAndLongTextsEndCleanly()
{
    const QString code = m_db->addDirectory(QStringLiteral("Numbers"));
    const QString org = QStringLiteral("الشركة المصرية العامة للتأمين والاستثمار العقارى والتجارى فرع الجيزة الجديد");
    const QString address = QStringLiteral("شارع التحرير الدقى الجيزة الدور الرابع شقة ١٢ بجوار محطة مترو البحوث");
    m_db->addContact(QStringLiteral("سلمى عبد الرحمن"), code,
                     {QStringLiteral("+20 100 555 1212"), QStringLiteral("+20 2 2765 4321 9"),
                      QStringLiteral("+201005551212999"), QStringLiteral("(02) 2765-4322"), address, QString(), org});
    const QString path = render(code, QStringLiteral("Numbers"));
    // Each number whole, its parts from left to right as it is written, though the row reads
    // right to left.
    const QList<PlacedWord> words = pdfWords(path);
    const QStringList row = lineOf(words, QStringLiteral("(02)"));
    const QString printed = row.join(QLatin1Char(' '));
    for (const char* number : {"+20 100 555 1212", "+20 2 2765 4321 9", "+201005551212999", "(02) 2765-4322"})
        QVERIFY2(printed.contains(QString::fromLatin1(number)), qPrintable(printed));
    // The long organisation and address end in "…" after a whole word's letters: the cell
    // shows their start and leaves out their end rather than cutting through a letter.
    const QString text = pdfText(path);
    QCOMPARE(text.count(QStringLiteral("...")), 2);
    QVERIFY(containsWord(text, QStringLiteral("المصرية")));
    QVERIFY(!containsWord(text, QStringLiteral("الجديد")));
    QVERIFY(containsWord(text, QStringLiteral("التحرير")));
    QVERIFY(!containsWord(text, QStringLiteral("البحوث")));
}

void TestReport::printDoesNothingOnTheDirectoryList()
{
    m_db->addDirectory(QStringLiteral("d"));
    m_form = MainWindowUser::start();
    bool previewed = false;
    ModalDriver::watchForModal(
        [&](QWidget* modal) {
            previewed = true;
            modal->close();
        },
        300);
    m_form->toolbarButtonPressed(toolbarPosition(ToolbarCommand::Print));
    QTest::qWait(400);
    QVERIFY(!previewed);
}

void TestReport::thePreviewsPdfNeverHarmsAnOlderFileOrTheBook()
{
    const QString code = m_db->addDirectory(QStringLiteral("العمل"));
    for (int i = 0; i < 200; ++i)
        m_db->addContact(QStringLiteral("جهة %1").arg(i), code, {QStringLiteral("0100%1").arg(i)});
    m_form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*m_form, QStringLiteral("العمل")));
    m_form->openSelectedDirectory();

    // An older PDF of that name, and a link named like a PDF that points at the book.
    const QString older = m_out.filePath(QStringLiteral("older.pdf"));
    QFile previous(older);
    QVERIFY(previous.open(QIODevice::WriteOnly));
    previous.write("%PDF-1.4 an older report\n%%EOF\n");
    previous.close();
    const QByteArray olderBytes = QByteArray("%PDF-1.4 an older report\n%%EOF\n");
    const QString link = m_out.filePath(QStringLiteral("book.pdf"));
    QVERIFY(QFile::link(m_db->path(), link));
    const QByteArray book = [&] {
        QFile file(m_db->path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();

    bool previewed = false;
    ModalDriver::whenModal([&](QWidget* modal) {
        previewed = true;
        // The preview fills the screen with the page as wide as the window.
        const QRect screen = modal->screen()->availableGeometry();
        QVERIFY2(modal->width() >= screen.width() * 9 / 10 && modal->height() >= screen.height() * 9 / 10,
                 qPrintable(QStringLiteral("%1x%2").arg(modal->width()).arg(modal->height())));
        auto* preview = modal->findChild<QPrintPreviewWidget*>();
        QVERIFY(preview);
        QCOMPARE(preview->zoomMode(), QPrintPreviewWidget::FitToWidth);
        auto* pdf = modal->findChild<QAction*>(QStringLiteral("savepdf"));
        QVERIFY(pdf);
        // Each contact's more values are printed only when asked for.
        auto* more = modal->findChild<QAction*>(QStringLiteral("withmore"));
        QVERIFY(more && more->isCheckable() && !more->isChecked());
        QCOMPARE(more->text(), QStringLiteral("طباعة القيم الأخرى"));
        more->trigger();
        QVERIFY(more->isChecked());
        // The disk fills up while the report is written: the older file stays whole.
        {
            FileSizeLimit limit(olderBytes.size() + 64);
            m_chooser->answer(older);
            pdf->trigger();
        }
        QCOMPARE(m_boxes->count(), 1);
        QVERIFY(m_boxes->last().text.startsWith(QStringLiteral("لم يتم حفظ الملف")));
        QFile kept(older);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), olderBytes);
        // The book itself, behind a link, is never the target.
        m_chooser->answer(link);
        pdf->trigger();
        QCOMPARE(m_boxes->count(), 2);
        // With room, the report takes the older file's place whole.
        m_chooser->answer(older);
        pdf->trigger();
        QCOMPARE(m_boxes->count(), 2);
        QFile written(older);
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray report = written.readAll();
        QVERIFY(report.startsWith("%PDF") && report.size() > olderBytes.size());
        QCOMPARE(written.permissions(), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
        // A link to any other file is refused as well: what it points to keeps every byte.
        const QString other = m_out.filePath(QStringLiteral("notes.txt"));
        QFile notes(other);
        QVERIFY(notes.open(QIODevice::WriteOnly) && notes.write("mine") == 4);
        notes.close();
        QVERIFY(QFile::link(other, m_out.filePath(QStringLiteral("notes.pdf"))));
        m_chooser->answer(m_out.filePath(QStringLiteral("notes.pdf")));
        pdf->trigger();
        QCOMPARE(m_boxes->count(), 3);
        QVERIFY2(m_boxes->last().text.contains(QStringLiteral("رابط رمزى")), qPrintable(m_boxes->last().text));
        QVERIFY(notes.open(QIODevice::ReadOnly));
        QCOMPARE(notes.readAll(), QByteArray("mine"));
        modal->close();
    });
    m_form->toolbarButtonPressed(toolbarPosition(ToolbarCommand::Print));
    QVERIFY(previewed);
    QFile after(m_db->path());
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), book);
}

void TestReport::helpWindowOpensTwiceAndCloses()
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (int round = 0; round < 2; ++round) {
        bool seen = false;
        ModalDriver::whenModal([&](QWidget* modal) {
            auto* help = qobject_cast<HelpWindow*>(modal);
            QVERIFY(help);
            seen = true;
            QCOMPARE(help->windowTitle(), QStringLiteral("حول البرنامج"));
            QVERIFY(help->SkinButton1->caption().startsWith(QStringLiteral("QAV Telephone / ")));
            QVERIFY(qAbs(help->geometry().center().x() - screen.center().x()) <= 2);
            QVERIFY(qAbs(help->geometry().center().y() - screen.center().y()) <= 2);
            if (round == 0)
                help->cmdCancel->click();
            else
                help->close(); // the close box
        });
        HelpWindow window;
        window.exec();
        QVERIFY(seen);
        QVERIFY(!window.isVisible());
    }
    QCOMPARE(HelpWindow::fadeMilliseconds(10), 200);
    QCOMPARE(HelpWindow::fadeMilliseconds(15), 300);
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
