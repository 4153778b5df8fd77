#pragma once

#include <QString>

// What the contact editor calls each field. Every window that names a field to the user (the
// editor, the choice of columns for a CSV file) takes the words from here, so one field has
// one name.
struct FieldCaptions {
    static QString name() { return QStringLiteral("الاسم"); }
    static QString org() { return QStringLiteral("العمل"); }
    static QString address() { return QStringLiteral("العنوان"); }
    static QString hometel() { return QStringLiteral("ت/ منزل"); }
    static QString jobtel() { return QStringLiteral("ت/عمل"); }
    static QString mobil() { return QStringLiteral("موبايل"); }
    static QString fax() { return QStringLiteral("فاكس"); }
    static QString email() { return QStringLiteral("بريد الكترونى"); }
    static QString moreinfo() { return QStringLiteral("بيانات إضافية"); }
};
