#pragma once

#include <QString>

// Where server passwords are kept between syncs: the desktop's secret store, never "Kib.bin" or
// the settings file. Tests put a store of their own in its place.
class SecretStore
{
public:
    virtual ~SecretStore() = default;
    // False when no secret store answers, or it holds nothing for that account.
    virtual bool read(const QString& account, QString& password) = 0;
    virtual bool write(const QString& account, const QString& password) = 0;
    virtual void forget(const QString& account) = 0;

    static SecretStore& instance();
    static void setInstance(SecretStore* store); // nullptr: the desktop's again

    // The key a password is kept under: the user and the book's origin (scheme, host and port), so
    // that a password given to a server over https is never offered to plain http on that host.
    static QString account(const QString& user, const QString& book);
    // The password kept for the user at the book's origin. An https book also takes up an entry
    // of the earlier form (user and host alone, whatever the scheme it was typed for: over https
    // it goes nowhere it should not) and keeps it under its own key from then on; plain http never
    // does, since that entry may be an https password.
    bool readFor(const QString& user, const QString& book, QString& password);
};
