#include "Occasion.h"

#include "HijriCalendar.h"

#include <QRegularExpression>

namespace
{

struct KeptDay {
    int year = 0; // 0: not known
    int month = 0;
    int day = 0;
};

// yyyy-mm-dd, or --mm-dd for a date kept without its year.
std::optional<KeptDay> keptDay(const QString& value)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\d{4})|-)-(\\d{2})-(\\d{2})$"));
    const QRegularExpressionMatch match = form.match(value);
    if (!match.hasMatch())
        return std::nullopt;
    KeptDay kept{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
    if (kept.month < 1 || kept.month > 12 || kept.day < 1)
        return std::nullopt;
    return kept;
}

// The Gregorian day in year; 29 February falls on the 28th in a year without it.
QDate gregorianIn(int year, const KeptDay& kept)
{
    const QDate date(year, kept.month, kept.day);
    if (!date.isValid() && kept.month == 2 && kept.day == 29)
        return {year, 2, 28};
    return date;
}

// The day in a Hijri year; the 30th falls on the 29th in a month that has only 29 days.
QDate hijriIn(int year, const KeptDay& kept)
{
    const QDate date = HijriCalendar::toGregorian(year, kept.month, kept.day);
    if (!date.isValid() && kept.day == 30)
        return HijriCalendar::toGregorian(year, kept.month, 29);
    return date;
}

} // namespace

std::optional<Occasion> Occasion::next(const ContactValue& date, const QDate& today)
{
    const std::optional<KeptDay> kept = keptDay(date.value);
    if (!kept || date.kind != ContactValue::Kind::Date || !today.isValid())
        return std::nullopt;
    const bool hijri = date.calendar == QLatin1String(ContactValue::kHijri);
    int thisYear = today.year();
    if (hijri) {
        int month = 0, day = 0;
        if (kept->day > 30 || !HijriCalendar::fromGregorian(today, thisYear, month, day))
            return std::nullopt;
    } else if (!QDate(2000, kept->month, kept->day).isValid()) {
        return std::nullopt;
    }
    for (const int year : {thisYear, thisYear + 1}) {
        const QDate day = hijri ? hijriIn(year, *kept) : gregorianIn(year, *kept);
        if (!day.isValid() || day < today)
            continue;
        Occasion occasion;
        occasion.day = day;
        if (kept->year > 0 && year > kept->year)
            occasion.years = year - kept->year;
        return occasion;
    }
    return std::nullopt;
}
