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

    // The key a password is kept under: user and server.
    static QString account(const QString& user, const QString& book);
};
