#include "CsvTable.h"

#include "TextDecoding.h"

namespace
{
// "؛": the list separator some Arabic systems give spreadsheets.
constexpr QChar kArabicSemicolon(0x061B);
} // namespace

QChar CsvTable::detectDelimiter(const QString& text)
{
    // Count each candidate outside quotes on the first record; the most frequent wins.
    int comma = 0, semicolon = 0, tab = 0, arabicSemicolon = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && (c == QLatin1Char('\n') || c == QLatin1Char('\r')))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++comma;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolon;
        else if (!quoted && c == QLatin1Char('\t'))
            ++tab;
        else if (!quoted && c == kArabicSemicolon)
            ++arabicSemicolon;
    }
    if (arabicSemicolon > comma && arabicSemicolon > semicolon && arabicSemicolon > tab)
        return kArabicSemicolon;
    if (tab > comma && tab > semicolon)
        return QLatin1Char('\t');
    if (semicolon > comma)
        return QLatin1Char(';');
    return QLatin1Char(',');
}

QList<QStringList> CsvTable::read(const QByteArray& bytes, QChar* delimiterFound, const QByteArray& encoding)
{
    const QString text = encoding.isEmpty() ? TextDecoding::decode(bytes) : TextDecoding::decodeAs(bytes, encoding);
    const QChar delimiter = detectDelimiter(text);
    if (delimiterFound)
        *delimiterFound = delimiter;
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool fieldStarted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == delimiter) {
            row << field;
            field.clear();
            fieldStarted = false;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            row << field;
            if (!(row.size() == 1 && row.first().isEmpty()))
                rows << row;
            row.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.isEmpty() || !row.isEmpty()) {
        row << field;
        rows << row;
    }
    return rows;
}

QByteArray CsvTable::write(const QList<QStringList>& rows)
{
    QByteArray out("\xEF\xBB\xBF");
    for (const QStringList& row : rows) {
        QStringList quoted;
        for (QString field : row)
            quoted << QLatin1Char('"') + field.replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        out += quoted.join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
    }
    return out;
}
