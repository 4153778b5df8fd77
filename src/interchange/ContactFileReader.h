#pragma once

#include "ContactFields.h"
#include "ContactValue.h"
#include "CsvMapping.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// What a contact file held, ready to import, with what an import summary tells about it.
struct ContactFileContents {
    std::vector<ContactFields> contacts;
    // Each contact's values beyond the nine fields, in the order of contacts; empty when the
    // file's layout has none.
    std::vector<MoreValues> more;
    int movedToNotes = 0;
    int incomplete = 0;
    // The headers of a table's columns that held values no field takes, when its columns were
    // guessed: with no window to choose their fields in, the first few are named instead.
    QStringList leftOut;
};

// Reads the contact files the import takes: vCard, whatever the name, and CSV by its name
// (".csv", ".txt"). Binary files and anything else are no contact files.
class ContactFileReader
{
public:
    enum class Kind { VCard, Csv, None };
    static constexpr qint64 kMaxFileBytes = 256 * 1024 * 1024;

    // The bytes of the file a user chose to import, read whole only when it is a regular file
    // (a link to one is followed) of at most 256 MB: a device that never ends, a pipe or a
    // folder is refused before a byte is read. Empty when read, else why not, in Arabic.
    static QString load(const QString& path, QByteArray& bytes);
    static Kind kindOf(const QString& path, const QByteArray& bytes);

    static ContactFileContents readVCard(const QByteArray& bytes);
    // rows: the file's rows, the header first; mapping: which column fills which field.
    static ContactFileContents readCsv(const QList<QStringList>& rows, const CsvMapping& mapping);
    // Any contact file, CSV columns taken as the mapping window would propose them; false for a
    // file that is no contact file.
    static bool readGuessingColumns(const QString& path, const QByteArray& bytes, ContactFileContents& contents);
};
