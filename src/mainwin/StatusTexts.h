#pragma once

#include <QString>

// The count texts of the status bar. A number is written with one blank before its digits.
class StatusTexts
{
public:
    static QString number(qsizetype n) { return QLatin1Char(' ') + QString::number(n); }

    static QString directoryCount(qsizetype n)
    {
        return QStringLiteral("عدد الأدلة ") + QStringLiteral(" ") + number(n) + QStringLiteral(" ") +
               QStringLiteral("دليل");
    }
    // The form "عرض الكل" writes, with one more blank before the word.
    static QString directoryCountWide(qsizetype n)
    {
        return QStringLiteral("عدد الأدلة ") + QStringLiteral(" ") + number(n) + QStringLiteral(" ") +
               QStringLiteral(" دليل");
    }
    static QString totalContacts(qsizetype n)
    {
        return QStringLiteral("إجمالى البيانات المسجلة ") + QStringLiteral(" ") + number(n) + QStringLiteral(" ") +
               QStringLiteral("بيان");
    }
    static QString currentDirectory(qsizetype n)
    {
        return QStringLiteral("يتضمن الدليل الحالى  ") + QStringLiteral(" ") + number(n) + QStringLiteral(" ") +
               QStringLiteral(" بيان");
    }
    static QString searchResults(qsizetype n)
    {
        return QStringLiteral("نتائج البحث ") + number(n) + QStringLiteral(" نتيجة");
    }
    // Over a list that a search left empty.
    static QString noResults() { return QStringLiteral("لا توجد نتائج"); }
    // Exact hits and, after them, names found by how they sound.
    static QString searchResults(qsizetype exact, qsizetype bySound)
    {
        return searchResults(exact) + QStringLiteral(" و") + number(bySound) + QStringLiteral(" تطابق بالنطق");
    }
};
