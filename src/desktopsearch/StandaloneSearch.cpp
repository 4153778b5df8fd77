#include "StandaloneSearch.h"

#include "ContactLaunch.h"
#include "ReadOnlyBook.h"
#include "SearchService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

#include <cstdio>

namespace
{

int fail(const QString& reason)
{
    const QByteArray line = (QStringLiteral("qavtelephone: ") + reason + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    return 1;
}

} // namespace

int StandaloneSearch::run(const QString& bookPath, const QString& program)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return fail(QStringLiteral("لا يوجد ناقل جلسة D-Bus يقدم عليه البحث"));

    // Only looks: a book that is not there is not made, one that is there is never written.
    ReadOnlyBook book(bookPath);
    SearchService* serving = nullptr;
    QTimer idle;
    idle.setSingleShot(true);
    idle.setInterval(kIdleMinutes * 60 * 1000);
    QObject::connect(&idle, &QTimer::timeout, QCoreApplication::instance(), &QCoreApplication::quit);
    SearchService service(
        [&]() -> DataConnection* {
            // Every question keeps the service a while longer.
            idle.start();
            DataConnection* connection = book.current();
            if (book.changed() && serving)
                serving->finder().forget();
            return connection;
        },
        ContactLaunch::startingProgram(program));
    serving = &service;
    // Read before the name is taken, so the first question does not wait for the book.
    service.finder().prepare();
    if (!service.addTo(bus))
        return fail(QStringLiteral("تعذر تقديم البحث على ناقل الجلسة"));
    // The running window answers itself: then there is nothing left to do here.
    if (!service.takeName(bus, true))
        return 0;
    QObject::connect(&service, &SearchService::nameLost, QCoreApplication::instance(), &QCoreApplication::quit);
    idle.start();
    return QCoreApplication::exec();
}
