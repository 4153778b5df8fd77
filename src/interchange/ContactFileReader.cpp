#include "ContactFileReader.h"

#include "CsvTable.h"
#include "TextDecoding.h"
#include "VCardReader.h"

ContactFileReader::Kind ContactFileReader::kindOf(const QString& path, const QByteArray& bytes)
{
    if (TextDecoding::looksBinary(bytes))
        return Kind::None;
    if (VCardReader::looksLikeVCard(bytes))
        return Kind::VCard;
    if (path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive) ||
        path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive))
        return Kind::Csv;
    return Kind::None;
}

ContactFileContents ContactFileReader::readVCard(const QByteArray& bytes)
{
    VCardReader reader;
    reader.read(bytes);
    return {reader.contacts(), reader.movedToNotes(), reader.incompleteCards()};
}

bool ContactFileReader::readGuessingColumns(const QString& path, const QByteArray& bytes, ContactFileContents& contents)
{
    switch (kindOf(path, bytes)) {
    case Kind::VCard:
        contents = readVCard(bytes);
        return true;
    case Kind::Csv: {
        const QList<QStringList> rows = CsvTable::read(bytes);
        contents = readCsv(rows, CsvMapping::guess(rows.value(0)));
        return true;
    }
    case Kind::None:
        break;
    }
    return false;
}

ContactFileContents ContactFileReader::readCsv(const QList<QStringList>& rows, const CsvMapping& mapping)
{
    ContactFileContents contents;
    for (qsizetype i = 1; i < rows.size(); ++i)
        contents.contacts.push_back(mapping.contact(rows[i], &contents.movedToNotes));
    return contents;
}
