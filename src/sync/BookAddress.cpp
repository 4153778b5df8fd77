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

QString BookAddress::canonicalPath(const QUrl& url)
{
    QUrl canonical;
    canonical.setPath(QUrl::fromPercentEncoding(url.path(QUrl::FullyEncoded).toUtf8()), QUrl::DecodedMode);
    return canonical.path(QUrl::FullyEncoded);
}

QString BookAddress::origin(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return QStringLiteral("%1://%2:%3")
        .arg(scheme, url.host().toLower())
        .arg(url.port(scheme == QLatin1String("https") ? 443 : 80));
}

QString BookAddress::key(const QUrl& url)
{
    QString path = canonicalPath(url);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    QUrl canonical = withoutCredentials(url);
    canonical.setPath(path, QUrl::StrictMode);
    canonical.setScheme(canonical.scheme().toLower());
    canonical.setHost(canonical.host().toLower());
    return canonical.toString(QUrl::FullyEncoded);
}

std::function<bool(const QString&)> BookAddress::isBookAt(const QString& key)
{
    return [key](const QString& book) { return BookAddress::key(QUrl(book)) == key; };
}
