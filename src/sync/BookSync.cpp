#include "BookSync.h"

#include "CardDavClient.h"

#include <QUrl>

SyncSummary BookSync::run(DataConnection& connection, const std::vector<SyncLink>& links,
                          const PasswordSource& password, const DirectorySync::Progress& progress, int timeoutMs,
                          const std::function<bool()>& cancelRequested)
{
    SyncSummary total;
    for (const SyncLink& link : links) {
        const std::optional<QString> secret = password(link);
        if (!secret) {
            total.error = QStringLiteral("لا توجد كلمة مرور للمستخدم \"%1\" على الخادم %2")
                              .arg(link.user, QUrl(link.book).host());
            break;
        }
        CardDavClient client(link.user, *secret);
        client.setTimeout(timeoutMs);
        client.setCancelCheck(cancelRequested);
        total.add(DirectorySync(connection, client, link).run(progress));
        if (!total.completed())
            break;
    }
    return total;
}
