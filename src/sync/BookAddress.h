#pragma once

#include <QString>
#include <QUrl>

#include <functional>

// What an address typed for a server or an address book may carry, and what it may not.
class BookAddress
{
public:
    // Plain http to anything but this machine: the password and every contact travel readable.
    static bool insecure(const QUrl& url);
    // The address as it is stored and shown: never with a user name or password in it.
    static QUrl withoutCredentials(const QUrl& url);
    // An address's path as the server means it: percent-decoded, then encoded one way ("%40" and
    // "@" alike).
    static QString canonicalPath(const QUrl& url);
    // scheme://host:port, the port always written: what a password and an agreement belong to.
    static QString origin(const QUrl& url);
    // A book's address, compared as the server means it (case of scheme and host, a final slash, "%40" for "@").
    static QString key(const QUrl& url);
    // Whether a book's address is the one at key (as key() writes it).
    static std::function<bool(const QString& book)> isBookAt(const QString& key);
};
