// qav_bench: the measured steps of ./bench.sh, each in a fresh process.
//   qav_bench startup <folder>             start, paint the directory list, exit
//   qav_bench steps <folder> <code> <runs> open, search and save timings (medians, ms)
//   qav_bench rss <folder> <code> [item:text,...]  peak resident KB after start-up, opening code
//                                          and searching for each text in its menu item's field
//   qav_bench first <folder> <code>        the first open after start-up (ms)
//   qav_bench keep <folder> <code> [search|edit] a session that opens code (and searches the whole
//                                          book, or edits one contact without searching) and closes
//                                          as the user does; prints the close (ms)
//   qav_bench check <folder>               the small CI run: counts and order are right
//   qav_bench duplicates <folder>          the search for duplicates over the whole book (ms)
//   qav_bench wholebook <folder> <q1,q2..> [ahead] the search through the whole book, typed letter
//                                          by letter (after the read ahead of start-up has ended)
//   qav_bench fields <folder> <code> <runs> item:text,...  a search in each field (ms)
//   qav_bench desktop <folder> <q1,q2..>   the desktop's search: the book read, then each query
#include "AppLook.h"
#include "BenchScenario.h"
#include "BookSearchWindow.h"
#include "ContactFinder.h"
#include "ContactImporter.h"
#include "DuplicatesWindow.h"
#include "HeapTuning.h"
#include "MainForm.h"
#include "MainWindowControls.h"
#include "NameOrder.h"
#include "Preferences.h"
#include "RecordListView.h"
#include "SettingsStore.h"
#include "SharedData.h"
#include "SkinStatusBar.h"
#include "SoundPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>

#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace
{

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

const QString kHit = QStringLiteral("Zoë");    // about 1% of the names
const QString kMiss = QStringLiteral("qqqqq"); // none
// Written only in Arabic in the book: every hit is found by how it sounds.
const QString kSounds = QStringLiteral("Mohamed");

int check(BenchScenario& run)
{
    MainForm& form = run.form();
    int failures = 0;
    auto expect = [&](bool ok, const char* what) {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", what);
        failures += ok ? 0 : 1;
    };
    expect(controls(form).infodirlist->count() == 21, "21 directories listed");
    expect(controls(form).statbar->panelText(3).contains(QStringLiteral(" 1000 ")),
           "total of 1000 contacts in panel 3");
    run.openDirectory(QStringLiteral("1"));
    RecordListView* list = controls(form).infolist;
    expect(list->count() == 500, "500 contacts in the big directory");
    expect(controls(form).statbar->panelText(2).contains(QStringLiteral(" 500 ")), "its count in panel 2");
    NameOrder order;
    bool sorted = true;
    for (int i = 1; i < list->count(); ++i)
        sorted = sorted && !order.lessThan(list->itemText(i), list->itemText(i - 1));
    expect(sorted, "names in order from first to last");
    QString expectedHits;
    (void)SharedData::connection().scalar(QStringLiteral("SELECT count(*) FROM info WHERE dir = '1' AND name LIKE ?"),
                                          {QLatin1Char('%') + kHit + QLatin1Char('%')}, expectedHits);
    run.search(kHit);
    expect(list->count() == expectedHits.toInt() && list->count() > 0, "search finds the same rows as SQL");
    run.search(kMiss);
    expect(list->count() == 0, "search with no hits empties the list");
    run.saveContact(QStringLiteral("Bench Contact"));
    expect(list->count() == 501, "saved contact listed");
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    HeapTuning::apply(); // as the program does
    QApplication app(argc, argv);
    AppLook::apply(app);
    SoundPlayer::setBackend({[](const QString&) {}, [] {}});
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: qav_bench startup|steps|rss|first|keep|check <folder> [code] [runs]\n");
        return 2;
    }
    const QString mode = args.at(1);
    // The preferences of the run stay in its folder; plain searches unless measuring by sound.
    SettingsStore::setFolder(args.at(2) + QStringLiteral("/settings"));
    Preferences::setSearchBySound(false);
    BenchScenario run(args.at(2));
    if (!run.start())
        return 1;
    if (mode == QLatin1String("startup")) {
        std::fflush(stdout);
        _exit(0); // the measurement ends at the first paint
    }
    const QString code = args.value(3, QStringLiteral("1"));
    if (mode == QLatin1String("rss")) {
        run.openDirectory(code);
        for (const QString& search : args.value(4).split(QLatin1Char(','), Qt::SkipEmptyParts))
            run.searchIn(search.section(QLatin1Char(':'), 0, 0), search.section(QLatin1Char(':'), 1));
        std::printf("%ld\n", BenchScenario::peakResidentKb());
        std::fflush(stdout);
        _exit(0);
    }
    if (mode == QLatin1String("first")) {
        std::printf("open_first_ms=%.2f\n", run.openDirectory(code));
        std::fflush(stdout);
        _exit(0);
    }
    if (mode == QLatin1String("keep")) {
        run.openDirectory(code);
        if (args.value(4) == QLatin1String("search")) {
            BookSearchWindow* window = BookSearchWindow::showFor(run.form());
            window->searchBox->setText(kHit);
            QCoreApplication::processEvents();
            while (window->reading())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        if (args.value(4) == QLatin1String("edit"))
            (void)SharedData::connection().execute(
                QStringLiteral("UPDATE info SET mobil = ? WHERE rowid = (SELECT max(rowid) FROM info)"),
                {QStringLiteral("0100 555 0000")});
        QElapsedTimer timer;
        timer.start();
        run.form().close();
        std::printf("close_ms=%.2f\n", double(timer.nsecsElapsed()) / 1e6);
        std::fflush(stdout);
        return 0;
    }
    if (mode == QLatin1String("check"))
        return check(run);
    if (mode == QLatin1String("after_import")) {
        // As the import command does: the contacts go in; the order shown last is mended when the
        // directory opens again.
        run.openDirectory(code);
        run.goBack();
        std::vector<ContactFields> contacts;
        for (int i = 0; i < 100; ++i)
            contacts.push_back({QStringLiteral("Imported %1").arg(i), QStringLiteral("0100%1").arg(i)});
        QElapsedTimer importTimer;
        importTimer.start();
        const ImportSummary summary = ContactImporter::run(SharedData::connection(), contacts, code);
        const double imported = double(importTimer.nsecsElapsed()) / 1e6;
        const double open = run.openDirectory(code);
        std::printf("import_ms=%.2f open_after_import_ms=%.2f added=%d listed=%d\n", imported, open, summary.added,
                    controls(run.form()).infolist->count());
        std::fflush(stdout);
        _exit(0);
    }
    if (mode == QLatin1String("fields")) {
        // Every search field, plainly: the medians, field by field, in the form column=ms.
        run.openDirectory(code);
        const int runs = std::max(1, args.value(4, QStringLiteral("3")).toInt());
        for (const QString& pair : args.value(5).split(QLatin1Char(','))) {
            const QString item = pair.section(QLatin1Char(':'), 0, 0);
            const QString text = pair.section(QLatin1Char(':'), 1);
            // The first search in a field reads its texts; the next ones find them at hand.
            const double first = run.searchIn(item, text);
            std::vector<double> times;
            for (int i = 0; i < runs; ++i)
                times.push_back(run.searchIn(item, text));
            std::printf("%s=%.2f %s_first=%.2f ", qPrintable(item), median(times), qPrintable(item), first);
        }
        // A save, then the last field searched again: its texts followed the saved row.
        const QString last = args.value(5).section(QLatin1Char(','), -1);
        run.saveContact(QStringLiteral("Bench Contact Saved"));
        std::printf("field_after_save=%.2f",
                    run.searchIn(last.section(QLatin1Char(':'), 0, 0), last.section(QLatin1Char(':'), 1)));
        std::printf("\n");
        std::fflush(stdout);
        _exit(0);
    }
    if (mode == QLatin1String("wholebook")) {
        // The search through the whole book: opened as Ctrl+F opens it (the contacts read),
        // then each query typed a letter at a time, each keystroke timed to the results shown.
        // What the program held before the search: its growth is the search's own.
        const long before = BenchScenario::residentKb();
        QElapsedTimer timer;
        // A large book never searched is read behind the window: a contact saved meanwhile waits
        // for one piece of the read at most, and is found by the first search.
        double savedWhileReading = -1;
        auto saveWhileReading = [&] {
            QElapsedTimer saving;
            saving.start();
            (void)SharedData::connection().execute(
                QStringLiteral("UPDATE info SET mobil = ? WHERE rowid = (SELECT min(rowid) FROM info)"),
                {QStringLiteral("0100 555 1111")});
            savedWhileReading = double(saving.nsecsElapsed()) / 1e6;
        };
        // As a session over a book no session left its index in begins: read behind the main
        // window (-1 when it is not), with a save meanwhile.
        double readAhead = -1;
        if (args.value(4) == QLatin1String("ahead")) {
            timer.start();
            BookSearchWindow::readAhead(run.form());
            const auto* hidden = run.form().findChild<BookSearchWindow*>(QStringLiteral("booksearch"));
            if (hidden && hidden->reading()) {
                saveWhileReading();
                while (hidden->reading())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                readAhead = double(timer.nsecsElapsed()) / 1e6;
            }
        }
        timer.start();
        BookSearchWindow* window = BookSearchWindow::showFor(run.form());
        const double opened = double(timer.nsecsElapsed()) / 1e6;
        if (window->reading())
            saveWhileReading();
        double first = 0, later = 0;
        bool typedOne = false;
        for (const QString& query : args.value(3).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            window->searchBox->clear();
            for (qsizetype typed = 1; typed <= query.size(); ++typed) {
                timer.restart();
                window->searchBox->setText(query.left(typed));
                QCoreApplication::processEvents();
                // A large book never searched is read behind the window: the results come once it is.
                while (window->reading())
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                const double took = double(timer.nsecsElapsed()) / 1e6;
                if (!typedOne)
                    first = opened + took;
                else
                    later = std::max(later, took);
                typedOne = true;
            }
        }
        // One contact edited, as a save writes it, then the last query typed again at once: the
        // search waits for the index to follow the edit.
        const QString again = args.value(3).section(QLatin1Char(','), -1);
        (void)SharedData::connection().execute(
            QStringLiteral("UPDATE info SET mobil = ? WHERE rowid = (SELECT max(rowid) FROM info)"),
            {QStringLiteral("0100 555 0000")});
        window->searchBox->clear();
        timer.restart();
        window->searchBox->setText(again);
        QCoreApplication::processEvents();
        const double afterEdit = double(timer.nsecsElapsed()) / 1e6;
        std::printf("whole_open_ms=%.2f whole_first_ms=%.2f whole_later_max_ms=%.2f whole_after_edit_ms=%.2f "
                    "whole_rss_kb=%ld whole_rss_before_kb=%ld whole_saved_while_reading_ms=%.2f "
                    "whole_read_ahead_ms=%.2f\n",
                    opened, first, later, afterEdit, BenchScenario::peakResidentKb(), before, savedWhileReading,
                    readAhead);
        std::fflush(stdout);
        _exit(0);
    }
    if (mode == QLatin1String("desktop")) {
        // As the search service answers a desktop's search box: the book read when the service
        // starts, then each query as typed (each word a term), with the names and lines shown.
        ContactFinder finder([] { return &SharedData::connection(); });
        QElapsedTimer timer;
        timer.start();
        finder.prepare();
        const double prepared = double(timer.nsecsElapsed()) / 1e6;
        double slowest = 0;
        for (const QString& query : args.value(3).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            for (qsizetype typed = 1; typed <= query.size(); ++typed) {
                timer.restart();
                const QStringList ids = finder.find(query.left(typed).split(QLatin1Char(' '), Qt::SkipEmptyParts));
                (void)finder.metas(ids);
                slowest = std::max(slowest, double(timer.nsecsElapsed()) / 1e6);
            }
        }
        std::printf("desktop_prepare_ms=%.2f desktop_answer_max_ms=%.2f\n", prepared, slowest);
        std::fflush(stdout);
        _exit(0);
    }
    if (mode == QLatin1String("duplicates")) {
        // The window reads every open directory and lists its groups before it is shown.
        QElapsedTimer timer;
        timer.start();
        DuplicatesWindow window(run.form());
        std::printf("duplicates_ms=%.2f groups=%d\n", double(timer.nsecsElapsed()) / 1e6, window.groups->count());
        std::fflush(stdout);
        _exit(0);
    }
    const int runs = std::max(1, args.value(4, QStringLiteral("5")).toInt());
    std::vector<double> open, hit, miss, save;
    int hits = 0;
    // The first open after start-up: from the order the last session kept, or read and sorted.
    const double firstOpen = run.openDirectory(code);
    int steps = 0;
    const double scroll = run.scrollThrough(&steps);
    run.goBack();
    for (int i = 0; i < runs; ++i) {
        open.push_back(run.openDirectory(code));
        hit.push_back(run.search(kHit));
        hits = controls(run.form()).infolist->count();
        miss.push_back(run.search(kMiss));
        save.push_back(run.saveContact(QStringLiteral("Bench Contact %1").arg(i)));
        // Two more saves, each after a search as the first: the disk's sync wanders by
        // milliseconds from one save to the next, and a few saves alone would show that more
        // than the save.
        for (int more = 1; more <= 2; ++more) {
            run.search(kMiss);
            save.push_back(run.saveContact(QStringLiteral("Bench Contact %1.%2").arg(i).arg(more)));
        }
        run.goBack();
    }
    // The same name typed in Latin letters: plainly (nothing), then also by sound (the first
    // search makes the directory's sound keys, the others reuse them).
    run.openDirectory(code);
    std::vector<double> plainLatin, bySound;
    for (int i = 0; i < runs; ++i)
        plainLatin.push_back(run.search(kSounds));
    Preferences::setSearchBySound(true);
    const double firstBySound = run.search(kSounds);
    for (int i = 0; i < runs; ++i)
        bySound.push_back(run.search(kSounds));
    const int soundHits = controls(run.form()).infolist->count();
    std::printf("open_first_ms=%.2f open_ms=%.2f search_hit_ms=%.2f search_miss_ms=%.2f save_ms=%.2f hits=%d "
                "scroll_max_ms=%.2f scroll_steps=%d search_plain_latin_ms=%.2f search_sound_first_ms=%.2f "
                "search_sound_ms=%.2f by_sound_found=%d\n",
                firstOpen, median(open), median(hit), median(miss), median(save), hits, scroll, steps,
                median(plainLatin), firstBySound, median(bySound), soundHits);
    std::fflush(stdout);
    _exit(0);
}
