#include "SecretStore.h"

#include "BookAddress.h"
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
    return user + QLatin1Char('@') + BookAddress::origin(QUrl(book));
}

bool SecretStore::readFor(const QString& user, const QString& book, QString& password)
{
    const QString key = account(user, book);
    if (read(key, password))
        return true;
    const QUrl url(book);
    if (url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0)
        return false;
    const QString earlier = QStringLiteral("%1@%2").arg(
        user, url.port() > 0 ? url.host() + QLatin1Char(':') + QString::number(url.port()) : url.host());
    if (!read(earlier, password))
        return false;
    if (write(key, password))
        forget(earlier);
    return true;
}
