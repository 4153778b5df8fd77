#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The bodies of the requests an address-book client sends (RFC 4918, 6352, 6578).
class DavRequests
{
public:
    // The book's date and whether the user may write there.
    static QByteArray bookState();
    // Every card with its ETag and data.
    static QByteArray allCards();
    // With a token the answer holds the few changed cards, so they come whole; without one it
    // lists every card, and only those whose ETag changed are read afterwards.
    static QByteArray syncCollection(const QString& token);
    // The ETag of every member of a collection.
    static QByteArray etags();
    // The given cards in full.
    static QByteArray multiget(const QStringList& hrefs);
};
