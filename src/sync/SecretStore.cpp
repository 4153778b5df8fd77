#include "SecretStore.h"

#include "DesktopSecretStore.h"

#include <QUrl>

namespace
{
SecretStore* g_store = nullptr;
}

SecretStore& SecretStore::instance()
{
    static DesktopSecretStore desktop;
    return g_store ? *g_store : desktop;
}

void SecretStore::setInstance(SecretStore* store)
{
    g_store = store;
}

QString SecretStore::account(const QString& user, const QString& book)
{
    const QUrl url(book);
    return QStringLiteral("%1@%2").arg(
        user, url.port() > 0 ? url.host() + QLatin1Char(':') + QString::number(url.port()) : url.host());
}
