#pragma once

#include "ContactValue.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <memory>
#include <vector>

class QPainter;
class QPrinter;
class Recordset;

// The report of one directory's contacts: a landscape table laid out in twips with a report
// header (publisher, date and time, directory name), column headings repeated on every page,
// and one row per contact in name order. Seven columns run from right to left.
class DirectoryReport
{
public:
    // The deploying party's name at the top of the report.
    static const QString kPublisher;

    QString directoryName;                              // Label7
    QDateTime printedAt = QDateTime::currentDateTime(); // replaces %D and %T

    // Reads the contacts of directory code through its own recordset.
    bool load(const QString& code);
    qsizetype rowCount() const;
    // Whether each contact's more values (not the photo) are printed under it, one a line; they
    // are read from the book when turned on. False when they could not be read (then they are not
    // printed).
    bool printMoreValues(bool on);

    // Lays the report out on the printer's pages (it is set to landscape first).
    // False when the printer (or the PDF file) could not be written.
    bool print(QPrinter& printer);
    int pageCount(QPrinter& printer);

    static QString dateLine(const QDateTime& when);

private:
    struct Geometry;
    void paintReportHeader(QPainter& painter) const;
    void paintPageHeader(QPainter& painter, int top) const;
    void paintRow(QPainter& painter, int top, qsizetype row) const;
    void paintMoreValue(QPainter& painter, int top, const ContactValue& value) const;

    // The report's lines: a contact's row (value -1), or one of its more values under it.
    struct Line {
        qsizetype row = 0;
        qsizetype value = -1;
    };
    std::vector<Line> lines() const;
    const MoreValues* moreOf(qsizetype row) const;

    std::shared_ptr<Recordset> m_rows;
    QString m_code;
    bool m_withMore = false;
    QHash<QString, MoreValues> m_more; // by contact name, the photo left out
};
