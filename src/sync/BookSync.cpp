#include "BookSync.h"

#include "BookAddress.h"
#include "CardDavClient.h"
#include "DuplicateFinder.h"

#include <QUrl>

SyncSummary BookSync::run(DataConnection& connection, const std::vector<SyncLink>& links,
                          const PasswordSource& password, const PlainHttpAgreed& plainHttpAgreed,
                          const DirectorySync::Progress& progress, int timeoutMs,
                          const std::function<bool()>& cancelRequested)
{
    SyncSummary total;
    for (const SyncLink& link : links) {
        // Checked at every sync: a link may have become http since it was made (a restored
        // backup, another program's edit of the book).
        if (BookAddress::insecure(QUrl(link.book)) && !(plainHttpAgreed && plainHttpAgreed(link))) {
            if (total.stop == SyncSummary::Stop::None) {
                total.stop = SyncSummary::Stop::PlainHttp;
                total.book = QUrl(link.book);
            }
            continue;
        }
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
