#pragma once

#include <QString>

#include <string>

// A telephone number as digits that compare as the number, however it was written: spaces,
// dashes, brackets and dots go, Arabic-Indic digits read as digits, "+" or "00" and the home
// country's code go, and so does the trunk prefix dialled inside the country. "0100 555 1212",
// "01005551212" and "+20 100 555 1212" all become "1005551212" for Egypt, so a search for any
// part of one finds the others. A foreign number keeps its country code.
class NumberKey
{
public:
    // countryCode: the home country's calling code ("20"); trunkPrefix: what is dialled before a
    // number inside it ("0"; may be empty).
    NumberKey(const QString& countryCode, const QString& trunkPrefix);

    // The key of a number as typed or stored; empty when it holds no digit.
    std::string of(QStringView number) const;
    // The same for a number as the book stores it, in UTF-8, appended to out.
    void appendUtf8(const char* number, int size, std::string& out) const;
    // Whether text reads as (a part of) a telephone number: digits with the marks people write
    // between them, and at least minDigits digits.
    static bool looksLikeNumber(QStringView text, int minDigits);
    // The country code and trunk prefix it drops: two keys with the same rules give the same digits.
    std::string rules() const { return m_countryCode + '/' + m_trunkPrefix; }

private:
    // Leaves out of digits, from start on, the country code or trunk prefix written before the number.
    void finish(std::string& digits, size_t start, bool international) const;

    std::string m_countryCode;
    std::string m_trunkPrefix;
};
