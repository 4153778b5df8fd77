// CSV reader and header mapping: any bytes, no crash; a written table reads back the same.
#include "CsvMapping.h"
#include "CsvTable.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QStringList> rows = CsvTable::read(bytes);
    if (rows.isEmpty())
        return 0;
    const CsvMapping mapping = CsvMapping::guess(rows.first());
    for (const QStringList& row : rows)
        (void)mapping.contact(row);
    // Round trip of what was read (rows of one empty field are not written as records).
    // Text that is not valid UTF-16 (a broken UTF-16 file) cannot be written back as read; the
    // import refuses such values when it stores them.
    QList<QStringList> kept;
    for (const QStringList& row : rows) {
        for (const QString& field : row)
            if (!field.isValidUtf16())
                return 0;
        if (!(row.size() == 1 && row.first().isEmpty()))
            kept << row;
    }
    if (CsvTable::read(CsvTable::write(kept)) != kept)
        std::abort();
    return 0;
}
