#pragma once

#include <QString>
#include <QStringList>

// One contact as it travels between address books: the nine values a person types, without
// the directory it belongs to.
struct ContactFields {
    QString name{}, hometel{}, jobtel{}, mobil{}, fax{}, address{}, email{}, org{}, moreinfo{};

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
    bool operator==(const ContactFields&) const = default;
};
