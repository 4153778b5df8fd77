#include "DesktopSecretStore.h"

#include <QEventLoop>

#include <qt6keychain/keychain.h>

namespace
{

const QString kService = QStringLiteral("org.qav.telephone");

// Runs a job to its end (D-Bus bounds how long a store that does not answer can keep us).
bool finish(QKeychain::Job& job)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    bool done = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    job.start();
    if (!done)
        loop.exec();
    return job.error() == QKeychain::NoError;
}

} // namespace

bool DesktopSecretStore::read(const QString& account, QString& password)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(account);
    if (!finish(job))
        return false;
    password = job.textData();
    return true;
}

bool DesktopSecretStore::write(const QString& account, const QString& password)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(account);
    job.setTextData(password);
    return finish(job);
}

void DesktopSecretStore::forget(const QString& account)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(account);
    finish(job);
}
