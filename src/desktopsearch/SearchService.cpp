#include "SearchService.h"

#include "GnomeSearchProvider.h"
#include "KRunnerProvider.h"

#include <QDBusConnectionInterface>
#include <QDBusMetaType>

SearchService::SearchService(ContactFinder::Book book, const SearchActions& actions, QObject* parent)
    : QObject(parent), m_finder(std::move(book))
{
    new GnomeSearchProvider(m_finder, actions, this);
    new KRunnerProvider(m_finder, actions, this);
}

void SearchService::setActions(const SearchActions& actions)
{
    findChild<GnomeSearchProvider*>()->setActions(actions);
    findChild<KRunnerProvider*>()->setActions(actions);
}

bool SearchService::addTo(QDBusConnection bus)
{
    if (!bus.isConnected())
        return false;
    // A slot whose type the bus does not know is left out of the interface without a word.
    qDBusRegisterMetaType<QList<QVariantMap>>();
    KRunnerProvider::registerTypes();
    const auto options = QDBusConnection::ExportAllSlots;
    return bus.registerObject(QString::fromLatin1(GnomeSearchProvider::kPath), findChild<GnomeSearchProvider*>(),
                              options) &&
           bus.registerObject(QString::fromLatin1(KRunnerProvider::kPath), findChild<KRunnerProvider*>(), options);
}

bool SearchService::takeName(QDBusConnection bus, bool mayBeReplaced)
{
    QDBusConnectionInterface* names = bus.interface();
    if (!bus.isConnected() || !names)
        return false;
    bus.connect(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameLost"), this, SLOT(onNameLost(QString)));
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = names->registerService(
        QString::fromLatin1(kBusName),
        mayBeReplaced ? QDBusConnectionInterface::DontQueueService : QDBusConnectionInterface::ReplaceExistingService,
        mayBeReplaced ? QDBusConnectionInterface::AllowReplacement : QDBusConnectionInterface::DontAllowReplacement);
    return reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
}

void SearchService::onNameLost(const QString& name)
{
    if (name == QLatin1String(kBusName))
        emit nameLost();
}
