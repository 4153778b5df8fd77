#include "WindowSearchService.h"

#include "BookSearchWindow.h"
#include "ContactCommands.h"
#include "LockState.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "SearchService.h"
#include "SharedData.h"

#include <QDBusConnection>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace
{

// The desktop's request is answered first; the window opens afterwards, behind the lock if
// the book is locked now.
void later(MainForm& form, std::function<void(MainForm&)> work)
{
    QPointer<MainForm> window(&form);
    QTimer::singleShot(0, &form, [window, work = std::move(work)] {
        if (window)
            LockState::whenUnlocked(window, [window, work] {
                if (window)
                    work(*window);
            });
    });
}

} // namespace

void WindowSearchService::start(MainForm& form, const CommandLine::Request& request)
{
    auto* service = new SearchService(
        [] {
            DataConnection& connection = SharedData::connection();
            return LockState::locked() || !connection.isOpen() ? nullptr : &connection;
        },
        {}, &form);
    ContactFinder* finder = &service->finder();
    QPointer<MainForm> window(&form);
    const SearchActions actions{[window, finder](const QString& id) {
                                    if (window)
                                        later(*window, [finder, id](MainForm& f) { showContact(f, *finder, id); });
                                },
                                [window](const QString& text) {
                                    if (window)
                                        later(*window, [text](MainForm& f) { showSearch(f, text); });
                                }};
    service->setActions(actions);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && service->addTo(bus))
        service->takeName(bus, false);

    if (!request.showContact.isEmpty())
        actions.showContact(request.showContact);
    else if (!request.searchBook.isEmpty())
        actions.showSearch(request.searchBook);
}

void WindowSearchService::showContact(MainForm& form, ContactFinder& finder, const QString& id)
{
    const QStringList columns = finder.columnsOf(id);
    form.raise();
    form.activateWindow();
    if (columns.isEmpty()) {
        MessageBox::show(QStringLiteral("جهة الاتصال هذه لم تعد موجودة فى دليل مفتوح"),
                         MessageBox::Arabic | MessageBox::Information, QStringLiteral("QAV Telephone"));
        return;
    }
    ContactCommands::edit(form, columns, true, &form);
}

void WindowSearchService::showSearch(MainForm& form, const QString& text)
{
    BookSearchWindow* window = BookSearchWindow::showFor(form);
    window->searchBox->setText(text);
    window->search();
}
