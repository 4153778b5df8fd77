#include "BenchScenario.h"

#include "MainMenus.h"
#include "MainWindowControls.h"

#include "CommandWiring.h"
#include "MainForm.h"
#include "RecordListView.h"
#include "SharedData.h"
#include "SkinStatusBar.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>

BenchScenario::BenchScenario(const QString& folder)
{
    SharedData::setProgramFolder(folder);
}

BenchScenario::~BenchScenario() = default;

double BenchScenario::timeUntilPainted(const std::function<void()>& step)
{
    QElapsedTimer clock;
    clock.start();
    step();
    paintNow();
    return clock.nsecsElapsed() / 1e6;
}

void BenchScenario::paintNow()
{
    // repaint() paints at once, the way the user would see it, without waiting for the loop.
    m_form->repaint();
    QApplication::processEvents();
}

bool BenchScenario::start()
{
    m_form = std::make_unique<MainForm>();
    CommandWiring::install(*m_form);
    if (!m_form->Form_Load())
        return false;
    m_form->show();
    paintNow();
    return true;
}

double BenchScenario::openDirectory(const QString& code)
{
    RecordListView* list = controls(*m_form).infodirlist;
    for (int row = 0; row < list->count(); ++row) {
        if (list->subItem(row, 1) == code) {
            list->selectRow(row);
            break;
        }
    }
    return timeUntilPainted([this] { m_form->Opendir(); });
}

double BenchScenario::search(const QString& text)
{
    controls(*m_form).txtSearch->setText(text);
    return timeUntilPainted([this] { m_form->searchCommand(); });
}

double BenchScenario::searchIn(const QString& menuItem, const QString& text)
{
    controls(*m_form).menus->item(menuItem)->trigger();
    return search(text);
}

double BenchScenario::saveContact(const QString& name)
{
    return timeUntilPainted([this, name] {
        // What a save does: the insert, then the window's refresh after a write.
        DataConnection& connection = SharedData::connection();
        (void)connection.execute(
            QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"),
            {name, QStringLiteral("0223456789"), {}, {}, {}, {}, {}, {}, {}, m_form->currentDirectory()});
        m_form->refreshAfterWrite(BookChange::Contacts);
    });
}

void BenchScenario::goBack()
{
    m_form->GoBack();
}

double BenchScenario::scrollThrough(int* steps)
{
    QAbstractItemView* view = controls(*m_form).infolist->activeView();
    QScrollBar* bar =
        view->horizontalScrollBar()->maximum() > 0 ? view->horizontalScrollBar() : view->verticalScrollBar();
    double slowest = 0;
    int count = 0;
    for (int value = bar->minimum(); value <= bar->maximum(); value += std::max(1, bar->pageStep())) {
        slowest = std::max(slowest, timeUntilPainted([bar, value] { bar->setValue(value); }));
        ++count;
    }
    if (steps)
        *steps = count;
    return slowest;
}

namespace
{
// One "Vm…:" line of the process's status, in kB; -1 when unreadable.
long statusKb(const QByteArray& key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLong();
    return -1;
}
} // namespace

long BenchScenario::peakResidentKb()
{
    return statusKb("VmHWM:");
}

long BenchScenario::residentKb()
{
    return statusKb("VmRSS:");
}
