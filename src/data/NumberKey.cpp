#include "NumberKey.h"

namespace
{

bool isNumberMark(QChar ch)
{
    switch (ch.unicode()) {
    case u' ':
    case u'-':
    case u'(':
    case u')':
    case u'.':
    case u'/':
    case u'+':
    case 0x00A0:
    case 0x200E: // the marks that keep a number left to right inside Arabic text
    case 0x200F:
    case 0x2066:
    case 0x2069:
        return true;
    default:
        return false;
    }
}

} // namespace

NumberKey::NumberKey(const QString& countryCode, const QString& trunkPrefix)
    : m_countryCode(countryCode.toStdString()), m_trunkPrefix(trunkPrefix.toStdString())
{
}

std::string NumberKey::of(QStringView number) const
{
    std::string digits;
    digits.reserve(size_t(number.size()));
    bool international = false;
    for (const QChar ch : number) {
        const int value = ch.digitValue();
        if (value >= 0 && value <= 9)
            digits += char('0' + value);
        else if (ch == u'+' && digits.empty())
            international = true;
    }
    return finish(std::move(digits), international);
}

std::string NumberKey::ofUtf8(const char* number, int size) const
{
    std::string digits;
    digits.reserve(size_t(size));
    bool international = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(number);
    for (int i = 0; i < size; ++i) {
        const unsigned char b = bytes[i];
        if (b >= '0' && b <= '9') {
            digits += char(b);
        } else if (b == '+' && digits.empty()) {
            international = true;
        } else if (i + 1 < size && b == 0xD9 && bytes[i + 1] >= 0xA0 && bytes[i + 1] <= 0xA9) {
            digits += char('0' + (bytes[i + 1] - 0xA0)); // Arabic-Indic
            ++i;
        } else if (i + 1 < size && b == 0xDB && bytes[i + 1] >= 0xB0 && bytes[i + 1] <= 0xB9) {
            digits += char('0' + (bytes[i + 1] - 0xB0)); // Eastern Arabic-Indic
            ++i;
        }
    }
    return finish(std::move(digits), international);
}

std::string NumberKey::finish(std::string digits, bool international) const
{
    if (!international && digits.size() > 2 && digits.starts_with("00")) {
        international = true;
        digits.erase(0, 2);
    }
    if (international) {
        if (!m_countryCode.empty() && digits.starts_with(m_countryCode))
            digits.erase(0, m_countryCode.size());
        return digits;
    }
    if (!m_trunkPrefix.empty() && digits.starts_with(m_trunkPrefix))
        digits.erase(0, m_trunkPrefix.size());
    return digits;
}

bool NumberKey::looksLikeNumber(QStringView text, int minDigits)
{
    int digits = 0;
    for (const QChar ch : text) {
        const int value = ch.digitValue();
        if (value >= 0 && value <= 9)
            ++digits;
        else if (!isNumberMark(ch))
            return false;
    }
    return digits >= minDigits;
}
