#include "ContactFileReader.h"

#include "CsvTable.h"
#include "TextDecoding.h"
#include "VCardReader.h"

#include "BoundedFileRead.h"
#include "OutsideText.h"

#include <algorithm>

namespace
{

// What is stored is text a person can read: without the characters OutsideText drops (a NUL
// anywhere cuts the value for other readers, an escape steers a terminal), and in one Unicode
// spelling of each letter (NFC), so two names that look the same are the same.
void clean(ContactFileContents& contents)
{
    for (ContactFields& contact : contents.contacts) {
        contact = OutsideText::contact(contact);
        for (const ContactField& field : ContactFields::kFields)
            contact.*field.member = (contact.*field.member).normalized(QString::NormalizationForm_C);
    }
    for (MoreValues& values : contents.more)
        for (ContactValue& v : values) {
            v.label = OutsideText::oneLine(v.label).normalized(QString::NormalizationForm_C);
            if (v.kind != ContactValue::Kind::Photo)
                v.value = OutsideText::oneLine(v.value).normalized(QString::NormalizationForm_C);
        }
}

// The headers of the columns that hold a value and go to no field, each on one line and cut
// short (a column without a header by its place); past the first few, how many more. One pass
// over the cells there are: a short row has no cells for the columns past its end.
QStringList leftOutColumns(const QList<QStringList>& rows, const CsvMapping& mapping)
{
    constexpr qsizetype kMostNamed = 10;
    constexpr qsizetype kLongestName = 40;
    std::vector<bool> filled(size_t(mapping.targets.size()), false);
    for (qsizetype row = 1; row < rows.size(); ++row)
        for (qsizetype column = 0; column < std::min(rows[row].size(), mapping.targets.size()); ++column)
            if (!filled[size_t(column)] && mapping.targets[column] == CsvMapping::Ignore &&
                std::any_of(rows[row][column].begin(), rows[row][column].end(), [](QChar c) { return !c.isSpace(); }))
                filled[size_t(column)] = true;
    QStringList named;
    qsizetype more = 0;
    for (qsizetype column = 0; column < mapping.targets.size(); ++column) {
        if (!filled[size_t(column)])
            continue;
        if (named.size() == kMostNamed) {
            ++more;
            continue;
        }
        QString name = OutsideText::oneLine(rows[0].value(column)).trimmed();
        if (name.size() > kLongestName)
            name = name.left(name.at(kLongestName - 1).isHighSurrogate() ? kLongestName - 1 : kLongestName) +
                   QStringLiteral("…");
        named << (name.isEmpty() ? QStringLiteral("العمود %1").arg(column + 1) : name);
    }
    if (more > 0)
        named << QStringLiteral("و%1 غيرها").arg(more);
    return named;
}

} // namespace

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
    reader.keepMoreValues(true);
    reader.read(bytes);
    ContactFileContents contents{
        reader.contacts(), reader.moreValues(), reader.movedToNotes(), reader.incompleteCards(), {}};
    clean(contents);
    return contents;
}

bool ContactFileReader::readGuessingColumns(const QString& path, const QByteArray& bytes, ContactFileContents& contents)
{
    switch (kindOf(path, bytes)) {
    case Kind::VCard:
        contents = readVCard(bytes);
        return true;
    case Kind::Csv: {
        // A table with no rows, or with no column a name could come from, holds no contacts.
        const QList<QStringList> rows = CsvTable::read(bytes);
        const CsvMapping mapping = CsvMapping::guess(rows.value(0));
        if (rows.size() < 2 || !mapping.hasNameSource())
            return false;
        contents = readCsv(rows, mapping);
        contents.leftOut = leftOutColumns(rows, mapping);
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
    for (qsizetype i = 1; i < rows.size(); ++i) {
        MoreValues more;
        contents.contacts.push_back(mapping.contact(rows[i], &contents.movedToNotes, &more));
        contents.more.push_back(std::move(more));
    }
    clean(contents);
    return contents;
}

QString ContactFileReader::load(const QString& path, QByteArray& bytes)
{
    BoundedFileRead::Result read = BoundedFileRead::read(path, kMaxFileBytes);
    switch (read.outcome) {
    case BoundedFileRead::Outcome::Read:
        bytes = std::move(read.bytes);
        return QString();
    case BoundedFileRead::Outcome::CannotOpen:
        return QStringLiteral("تعذر فتح الملف %1: %2").arg(path, read.error);
    case BoundedFileRead::Outcome::NotRegular:
        return QStringLiteral("%1 ليس ملفا عاديا , لم يتغير شىء").arg(path);
    case BoundedFileRead::Outcome::TooLarge:
        break;
    }
    return QStringLiteral("الملف %1 أكبر من 256 ميجابايت , لم يتغير شىء").arg(path);
}
