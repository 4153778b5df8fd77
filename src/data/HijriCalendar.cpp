#include "HijriCalendar.h"

#include <QStringList>

#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/locid.h>

#include <memory>

namespace
{

std::unique_ptr<icu::Calendar> calendar(const char* locale)
{
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> made(
        icu::Calendar::createInstance(icu::TimeZone::getGMT()->clone(), icu::Locale(locale), status));
    if (U_FAILURE(status))
        return nullptr;
    made->setLenient(false);
    return made;
}

} // namespace

QDate HijriCalendar::toGregorian(int year, int month, int day)
{
    const auto hijri = calendar("@calendar=islamic-umalqura");
    const auto gregorian = calendar("@calendar=gregorian");
    if (!hijri || !gregorian || year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 30)
        return {};
    hijri->clear();
    hijri->set(year, month - 1, day);
    UErrorCode status = U_ZERO_ERROR;
    const UDate moment = hijri->getTime(status); // not lenient: the 30th of a 29-day month fails
    if (U_FAILURE(status))
        return {};
    gregorian->setTime(moment, status);
    const QDate date(gregorian->get(UCAL_EXTENDED_YEAR, status), gregorian->get(UCAL_MONTH, status) + 1,
                     gregorian->get(UCAL_DATE, status));
    if (U_FAILURE(status))
        return {};
    // A day ICU accepted but that does not come back the same is no day of that calendar.
    int y = 0, m = 0, d = 0;
    if (!fromGregorian(date, y, m, d) || y != year || m != month || d != day)
        return {};
    return date;
}

bool HijriCalendar::fromGregorian(const QDate& date, int& year, int& month, int& day)
{
    const auto hijri = calendar("@calendar=islamic-umalqura");
    const auto gregorian = calendar("@calendar=gregorian");
    if (!hijri || !gregorian || !date.isValid() || date.year() < 623)
        return false;
    gregorian->clear();
    gregorian->set(date.year(), date.month() - 1, date.day());
    UErrorCode status = U_ZERO_ERROR;
    hijri->setTime(gregorian->getTime(status), status);
    year = hijri->get(UCAL_EXTENDED_YEAR, status);
    month = hijri->get(UCAL_MONTH, status) + 1;
    day = hijri->get(UCAL_DATE, status);
    return U_SUCCESS(status);
}

QString HijriCalendar::hijriMonthName(int month)
{
    static const QStringList names{
        QStringLiteral("محرم"),       QStringLiteral("صفر"),          QStringLiteral("ربيع الأول"),
        QStringLiteral("ربيع الآخر"), QStringLiteral("جمادى الأولى"), QStringLiteral("جمادى الآخرة"),
        QStringLiteral("رجب"),        QStringLiteral("شعبان"),        QStringLiteral("رمضان"),
        QStringLiteral("شوال"),       QStringLiteral("ذو القعدة"),    QStringLiteral("ذو الحجة")};
    return names.value(month - 1);
}

QString HijriCalendar::gregorianMonthName(int month)
{
    static const QStringList names{QStringLiteral("يناير"),  QStringLiteral("فبراير"), QStringLiteral("مارس"),
                                   QStringLiteral("أبريل"),  QStringLiteral("مايو"),   QStringLiteral("يونيو"),
                                   QStringLiteral("يوليو"),  QStringLiteral("أغسطس"),  QStringLiteral("سبتمبر"),
                                   QStringLiteral("أكتوبر"), QStringLiteral("نوفمبر"), QStringLiteral("ديسمبر")};
    return names.value(month - 1);
}

QString HijriCalendar::bothCalendars(const QDate& date, const QLocale& locale)
{
    if (!date.isValid())
        return {};
    QLocale digits = locale;
    digits.setNumberOptions(QLocale::OmitGroupSeparator);
    QString gregorian =
        QStringLiteral("%1 %2 %3")
            .arg(digits.toString(date.day()), gregorianMonthName(date.month()), digits.toString(date.year()));
    int year = 0, month = 0, day = 0;
    if (!fromGregorian(date, year, month, day) || month < 1 || month > 12)
        return gregorian;
    return QStringLiteral("%1 %2 %3 هـ — %4")
        .arg(digits.toString(day), hijriMonthName(month), digits.toString(year), gregorian);
}
