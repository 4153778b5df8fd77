#include "BookSync.h"

#include "CardDavClient.h"
#include "DuplicateFinder.h"

#include <QUrl>

SyncSummary BookSync::run(DataConnection& connection, const std::vector<SyncLink>& links,
                          const PasswordSource& password, const DirectorySync::Progress& progress, int timeoutMs,
                          const std::function<bool()>& cancelRequested)
{
    SyncSummary total;
    for (const SyncLink& link : links) {
        const std::optional<QString> secret = password(link);
        if (!secret) {
            if (total.stop == SyncSummary::Stop::None) {
                total.stop = SyncSummary::Stop::NoPassword;
                total.detail = link.user;
                total.book = QUrl(link.book);
            }
            continue;
        }
        CardDavClient client(link.user, *secret);
        client.setTimeout(timeoutMs);
        client.setCancelCheck(cancelRequested);
        // One book that fails leaves the others to sync; a cancel stops them all.
        total.add(DirectorySync(connection, client, link).run(progress));
        if (total.cancelled)
            break;
    }
    // Cards that came in and are likely someone the book already had are said to be, not merged.
    total.likelyDuplicates = DuplicateFinder::countInBook(connection, total.added, QString());
    return total;
}
