#pragma once

#include "CardDavClient.h"

#include <QString>
#include <QUrl>

#include <vector>

struct AddressBook {
    QUrl url;
    QString name;
};

// Finds a user's address books from the server's address: the well-known address, then the
// user's principal, its address-book home and the books in it. Also makes a new book there.
class AddressBookFinder
{
public:
    explicit AddressBookFinder(CardDavClient& client) : m_client(client) {}

    // False with the reason in error (Arabic) when the server could not be asked.
    bool find(const QString& server, std::vector<AddressBook>& books);
    // A new, empty address book in the user's home (home() after find()), shown under the given name.
    bool create(const QUrl& home, const QString& name, AddressBook& made);

    QString error() const { return m_error; }
    QUrl home() const { return m_home; }
    // Books the server listed on another origin (scheme, host or port) than the address typed:
    // left out of the books found, and never asked anything with the password.
    const std::vector<QUrl>& elsewhere() const { return m_elsewhere; }
    // What to tell the user of a book on another origin than server.
    static QString elsewhereMessage(const QUrl& book, const QUrl& server);

    // "example.org" → "https://example.org/"; an address with a scheme stays as it is.
    static QUrl serverUrl(const QString& typed);

private:
    bool ask(const QUrl& url, int depth, const QByteArray& properties, Multistatus& listing);
    bool onServer(const QUrl& url, const QUrl& server);
    QUrl wellKnown(const QUrl& server);

    CardDavClient& m_client;
    QUrl m_home;
    QString m_error;
    std::vector<QUrl> m_elsewhere;
};
