#include "NumberKey.h"

#include <string_view>

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
    finish(digits, 0, international);
    return digits;
}

void NumberKey::appendUtf8(const char* number, int size, std::string& out) const
{
    const size_t start = out.size();
    bool international = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(number);
    for (int i = 0; i < size; ++i) {
        const unsigned char b = bytes[i];
        if (b >= '0' && b <= '9') {
            out += char(b);
        } else if (b == '+' && out.size() == start) {
            international = true;
        } else if (i + 1 < size && b == 0xD9 && bytes[i + 1] >= 0xA0 && bytes[i + 1] <= 0xA9) {
            out += char('0' + (bytes[i + 1] - 0xA0)); // Arabic-Indic
            ++i;
        } else if (i + 1 < size && b == 0xDB && bytes[i + 1] >= 0xB0 && bytes[i + 1] <= 0xB9) {
            out += char('0' + (bytes[i + 1] - 0xB0)); // Eastern Arabic-Indic
            ++i;
        }
    }
    finish(out, start, international);
}

void NumberKey::finish(std::string& digits, size_t start, bool international) const
{
    const std::string_view number = std::string_view(digits).substr(start);
    if (!international && number.size() > 2 && number.starts_with("00")) {
        international = true;
        digits.erase(start, 2);
    }
    const std::string_view rest = std::string_view(digits).substr(start);
    if (international) {
        if (!m_countryCode.empty() && rest.starts_with(m_countryCode))
            digits.erase(start, m_countryCode.size());
        return;
    }
    if (!m_trunkPrefix.empty() && rest.starts_with(m_trunkPrefix))
        digits.erase(start, m_trunkPrefix.size());
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
