// Record filters: any typed text on any column filters without failing, never matches more
// than the unfiltered set, and the fold's byte path agrees with the full one.
#include "RecordFilter.h"
#include "Recordset.h"
#include "Schema.h"
#include "TextFold.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace
{

DataConnection& database()
{
    static QTemporaryDir folder;
    static DataConnection connection;
    if (!connection.isOpen()) {
        const QString path = folder.filePath(QStringLiteral("Kib.bin"));
        (void)Schema::create(path);
        (void)connection.open(path, QString::fromLatin1(Schema::kPassword));
        const char* names[] = {"أحمد علي", "O'Brien", "100% Cotton", "under_score", "Zoë", "على", "مدرسة", ""};
        for (const char* name : names)
            (void)connection.execute(QStringLiteral("insert into info values(?,?,?,?,?,?,?,?,?,?)"),
                                     {QString::fromUtf8(name),
                                      QStringLiteral("0100"),
                                      {},
                                      {},
                                      {},
                                      {},
                                      {},
                                      {},
                                      QStringLiteral("note"),
                                      QStringLiteral("1")});
    }
    return connection;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const char* columns[] = {"name", "hometel", "moreinfo", "org", "dir"};
    const QString column = QString::fromLatin1(columns[data[0] % 5]);
    const QString typed = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    const QByteArray utf8 = typed.toUtf8();
    std::string folded;
    if (TextFold::foldUtf8(reinterpret_cast<const unsigned char*>(utf8.constData()), int(utf8.size()), folded) &&
        QString::fromStdString(folded) != TextFold::fold(typed))
        std::abort();

    Recordset rows(&database());
    if (!rows.openContacts(QStringLiteral("1")))
        std::abort();
    const qsizetype all = rows.recordCount();
    if (!rows.setFilter(RecordFilter::contains(column, typed)) || rows.recordCount() < 0 || rows.recordCount() > all)
        std::abort();
    (void)RecordFilter::contains(column, typed).text();
    return 0;
}
