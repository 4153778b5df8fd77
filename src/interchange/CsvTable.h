#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QStringList>

// Comma-separated values in the manner of RFC 4180: reading detects the encoding and the
// delimiter (comma, semicolon, tab or the Arabic semicolon "؛"); writing quotes every field and starts with a UTF-8
// byte-order mark so that spreadsheet programs show Arabic correctly.
class CsvTable
{
public:
    // encoding: one of TextDecoding::encodings(), or empty to detect it from the bytes.
    static QList<QStringList> read(const QByteArray& bytes, QChar* delimiterFound = nullptr,
                                   const QByteArray& encoding = QByteArray());
    static QByteArray write(const QList<QStringList>& rows);
    static QChar detectDelimiter(const QString& firstLine);
};
