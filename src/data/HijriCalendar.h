#pragma once

#include <QDate>
#include <QLocale>

// Converts dates between the Gregorian and the Hijri (Umm al-Qura) calendars through ICU.
class HijriCalendar
{
public:
    // The Gregorian day of a Hijri date; invalid when there is no such Hijri day.
    static QDate toGregorian(int year, int month, int day);
    // The Hijri year, month and day of a Gregorian date; false when it cannot be converted.
    static bool fromGregorian(const QDate& date, int& year, int& month, int& day);
    // The day in both calendars, Hijri first ("15 رمضان 1435 هـ — 12 يوليو 2014"), its digits as
    // locale writes them; the Gregorian alone when the day has no Hijri date.
    static QString bothCalendars(const QDate& date, const QLocale& locale = QLocale());
    // The Arabic names of the months, 1 to 12; empty for any other number.
    static QString hijriMonthName(int month);
    static QString gregorianMonthName(int month);
};
