#pragma once

#include "SecretStore.h"

// The desktop's secret store (the Secret Service or KWallet) through QtKeychain.
class DesktopSecretStore : public SecretStore
{
public:
    bool read(const QString& account, QString& password) override;
    bool write(const QString& account, const QString& password) override;
    void forget(const QString& account) override;
};
