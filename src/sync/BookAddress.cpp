#include "BookAddress.h"

#include <QHostAddress>

bool BookAddress::insecure(const QUrl& url)
{
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) != 0)
        return false;
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return false;
    const QHostAddress address(host);
    return address.isNull() || !address.isLoopback();
}

QUrl BookAddress::withoutCredentials(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveUserInfo);
}

QString BookAddress::key(const QUrl& url)
{
    QUrl canonical = withoutCredentials(url);
    QString path = QUrl::fromPercentEncoding(canonical.path(QUrl::FullyEncoded).toUtf8());
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    canonical.setPath(path, QUrl::DecodedMode);
    canonical.setScheme(canonical.scheme().toLower());
    canonical.setHost(canonical.host().toLower());
    return canonical.toString(QUrl::FullyEncoded);
}
