#pragma once

#include <QString>
#include <QStringList>

// One contact: the nine values a person types, without the directory it belongs to. The book's
// contacts table holds them in this order, then the directory's code; other programs read and
// write that table by position, so the order never changes.
struct ContactFields {
    QString name{}, hometel{}, jobtel{}, mobil{}, fax{}, address{}, email{}, org{}, moreinfo{};

    static constexpr int kCount = 9;
    // The nine column names in the table's order, for a statement's column list.
    static QString columnList()
    {
        return QStringLiteral("name, hometel, jobtel, mobil, fax, address, email, org, moreinfo");
    }

    // The values in the column order of the contacts table, then dir.
    QStringList row(const QString& dir) const
    {
        return {name, hometel, jobtel, mobil, fax, address, email, org, moreinfo, dir};
    }
    static ContactFields fromRow(const QStringList& row)
    {
        return {row.value(0), row.value(1), row.value(2), row.value(3), row.value(4),
                row.value(5), row.value(6), row.value(7), row.value(8)};
    }
    // Only the name, the four numbers and the e-mail: what comparing two contacts needs.
    ContactFields namesAndNumbers() const { return {name, hometel, jobtel, mobil, fax, {}, email, {}, {}}; }

    bool operator==(const ContactFields&) const = default;
};
