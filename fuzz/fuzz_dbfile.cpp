// Opening a mutated database file: refused or read, never a crash.
#include "DataConnection.h"
#include "Recordset.h"
#include "Schema.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Kib.bin"));
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    DataConnection connection;
    if (!connection.open(path, QString::fromLatin1(Schema::kPassword)))
        return 0;
    Recordset rows(&connection);
    if (rows.openAllContacts().ok) {
        const auto all = rows.snapshot();
        for (qsizetype i = 0; all && i < all->size() && i < 50; ++i)
            (void)all->record(i);
    }
    QString check;
    (void)connection.scalar(QStringLiteral("PRAGMA integrity_check"), {}, check);
    return 0;
}
