#include "MoreValueTexts.h"

#include "HijriCalendar.h"
#include "OutsideText.h"

#include <QLocale>
#include <QRegularExpression>
#include <optional>

namespace
{

const QLocale& arabic()
{
    static const QLocale locale(QLocale::Arabic, QLocale::Egypt);
    return locale;
}

// "١٥ رمضان ١٤٣٥ هـ" or, without a year, "١٥ رمضان".
QString hijriText(int year, int month, int day)
{
    QString text = arabic().toString(day) + QLatin1Char(' ') + HijriCalendar::hijriMonthName(month);
    if (year > 0)
        text += QLatin1Char(' ') + arabic().toString(year).remove(arabic().groupSeparator()) + QStringLiteral(" هـ");
    return text;
}

QString gregorianText(int year, int month, int day)
{
    QString text = arabic().toString(day) + QLatin1Char(' ') + HijriCalendar::gregorianMonthName(month);
    if (year > 0)
        text += QLatin1Char(' ') + arabic().toString(year).remove(arabic().groupSeparator());
    return text;
}

struct DayParts {
    int year = 0; // 0: no year
    int month = 0;
    int day = 0;
};

// yyyy-mm-dd or --mm-dd; nothing for anything else.
std::optional<DayParts> partsOf(const QString& stored)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\d{4})|--)-?(\\d{2})-?(\\d{2})$"));
    const QRegularExpressionMatch match = form.match(MoreValueTexts::asciiDigits(stored.trimmed()));
    if (!match.hasMatch())
        return std::nullopt;
    DayParts parts{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
    if (parts.month < 1 || parts.month > 12 || parts.day < 1 || parts.day > 31)
        return std::nullopt;
    return parts;
}

} // namespace

QString MoreValueTexts::asciiDigits(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u >= 0x0660 && u <= 0x0669)
            c = QChar(u'0' + (u - 0x0660));
        else if (u >= 0x06F0 && u <= 0x06F9)
            c = QChar(u'0' + (u - 0x06F0));
    }
    return out;
}

QString MoreValueTexts::kindCaption(ContactValue::Kind kind)
{
    switch (kind) {
    case ContactValue::Kind::Phone:
        return QStringLiteral("هاتف");
    case ContactValue::Kind::Email:
        return QStringLiteral("بريد إلكتروني");
    case ContactValue::Kind::Address:
        return QStringLiteral("عنوان");
    case ContactValue::Kind::Web:
        return QStringLiteral("صفحة ويب");
    case ContactValue::Kind::Date:
        return QStringLiteral("تاريخ");
    case ContactValue::Kind::Photo:
        break;
    }
    return QStringLiteral("صورة");
}

QStringList MoreValueTexts::usualLabels(ContactValue::Kind kind)
{
    if (kind == ContactValue::Kind::Phone)
        return {QStringLiteral("mobile"), QStringLiteral("home"), QStringLiteral("work"), QStringLiteral("fax"),
                QStringLiteral("other")};
    if (kind == ContactValue::Kind::Date)
        return {QStringLiteral("birthday"), QStringLiteral("anniversary")};
    return {};
}

QString MoreValueTexts::labelCaption(ContactValue::Kind kind, const QString& label)
{
    if (kind == ContactValue::Kind::Phone) {
        if (label == QLatin1String("mobile"))
            return QStringLiteral("جوال");
        if (label == QLatin1String("home"))
            return QStringLiteral("هاتف المنزل");
        if (label == QLatin1String("work"))
            return QStringLiteral("هاتف العمل");
        if (label == QLatin1String("fax"))
            return QStringLiteral("فاكس");
        if (label == QLatin1String("other"))
            return QStringLiteral("هاتف آخر");
    }
    if (kind == ContactValue::Kind::Date) {
        if (label == QLatin1String("birthday"))
            return QStringLiteral("تاريخ الميلاد");
        if (label == QLatin1String("anniversary"))
            return QStringLiteral("ذكرى سنوية");
    }
    return label;
}

QString MoreValueTexts::caption(const ContactValue& value)
{
    QString own = OutsideText::oneLine(labelCaption(value.kind, value.label)).simplified();
    if (own.isEmpty())
        return kindCaption(value.kind);
    if (value.kind == ContactValue::Kind::Phone || value.kind == ContactValue::Kind::Date)
        return own;
    return kindCaption(value.kind) + QStringLiteral(" (") + own + QLatin1Char(')');
}

QDate MoreValueTexts::gregorianOf(const ContactValue& date)
{
    const std::optional<DayParts> parts = partsOf(date.value);
    if (!parts || parts->year == 0)
        return {};
    if (date.calendar == QLatin1String(ContactValue::kHijri))
        return HijriCalendar::toGregorian(parts->year, parts->month, parts->day);
    return QDate(parts->year, parts->month, parts->day);
}

QString MoreValueTexts::bothCalendars(const ContactValue& date)
{
    const std::optional<DayParts> parts = partsOf(date.value);
    if (!parts)
        return date.value;
    const bool hijri = date.calendar == QLatin1String(ContactValue::kHijri);
    if (parts->year == 0)
        return hijri ? hijriText(0, parts->month, parts->day) : gregorianText(0, parts->month, parts->day);
    const QDate gregorian = gregorianOf(date);
    int y = 0, m = 0, d = 0;
    if (!gregorian.isValid() || !HijriCalendar::fromGregorian(gregorian, y, m, d))
        return hijri ? hijriText(parts->year, parts->month, parts->day)
                     : gregorianText(parts->year, parts->month, parts->day);
    return hijriText(y, m, d) + QStringLiteral(" — ") +
           gregorianText(gregorian.year(), gregorian.month(), gregorian.day());
}

QString MoreValueTexts::shown(const ContactValue& value)
{
    switch (value.kind) {
    case ContactValue::Kind::Address:
        return value.oneLine();
    case ContactValue::Kind::Date:
        return bothCalendars(value);
    case ContactValue::Kind::Photo:
        return QString();
    default:
        break;
    }
    return value.value;
}
