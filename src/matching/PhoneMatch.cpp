#include "PhoneMatch.h"

#include <QLocale>

#include <phonenumbers/phonenumberutil.h>

#include <algorithm>
#include <set>

using i18n::phonenumbers::PhoneNumber;
using i18n::phonenumbers::PhoneNumberUtil;

PhoneMatch::PhoneMatch(const QString& region) : m_region(region.toUpper().toStdString()) {}

qint64 PhoneMatch::tailNumber(const QString& number)
{
    qint64 value = 0;
    int digits = 0;
    qint64 scale = 1;
    // From the end: the last eight digits, and how many of all there are.
    for (qsizetype i = number.size() - 1; i >= 0; --i) {
        const int digit = number.at(i).digitValue();
        if (digit < 0)
            continue;
        if (digits < 8) {
            value += digit * scale;
            scale *= 10;
        }
        ++digits;
    }
    if (digits < 6)
        return -1;
    return value + qint64(std::min(digits, 8)) * 100000000;
}

NumberKey PhoneMatch::numberKey(const QString& region)
{
    const PhoneNumberUtil& util = *PhoneNumberUtil::GetInstance();
    const std::string code = region.toUpper().toStdString();
    const int callingCode = util.GetCountryCodeForRegion(code);
    std::string trunk;
    util.GetNddPrefixForRegion(code, true, &trunk);
    return NumberKey(callingCode > 0 ? QString::number(callingCode) : QString(), QString::fromStdString(trunk));
}

QString PhoneMatch::normalised(const QString& number)
{
    if (const auto known = m_read.constFind(number); known != m_read.constEnd())
        return *known;
    QString digits;
    for (const QChar ch : number)
        digits += ch.isDigit() ? QChar(u'0' + ch.digitValue()) : ch;
    PhoneNumber parsed;
    std::string e164;
    const PhoneNumberUtil* util = PhoneNumberUtil::GetInstance();
    if (util->Parse(digits.toStdString(), m_region, &parsed) == PhoneNumberUtil::NO_PARSING_ERROR)
        util->Format(parsed, PhoneNumberUtil::E164, &e164);
    QString result = QString::fromStdString(e164);
    m_read.insert(number, result);
    return result;
}

bool PhoneMatch::same(const QString& a, const QString& b)
{
    const qint64 tailA = tailNumber(a);
    if (tailA < 0 || tailA != tailNumber(b))
        return false;
    const QString first = normalised(a);
    return !first.isEmpty() && first == normalised(b);
}

QStringList PhoneMatch::regions()
{
    std::set<std::string> supported;
    PhoneNumberUtil::GetInstance()->GetSupportedRegions(&supported);
    QStringList out;
    for (const std::string& region : supported)
        out << QString::fromStdString(region);
    return out;
}

QString PhoneMatch::defaultRegion()
{
    const QString own = QLocale::territoryToCode(QLocale::system().territory());
    return regions().contains(own) ? own : QStringLiteral("EG");
}

namespace
{
QString& chosenRegion()
{
    static QString region;
    return region;
}
} // namespace

QString PhoneMatch::preferredRegion()
{
    const QString chosen = chosenRegion();
    return !chosen.isEmpty() && regions().contains(chosen) ? chosen : defaultRegion();
}

// Only kept: the numbers' library is loaded when numbers are first compared, not at start-up.
void PhoneMatch::setPreferredRegion(const QString& region)
{
    chosenRegion() = region.trimmed().toUpper();
}
