#pragma once

#include "NumberKey.h"

#include <QHash>
#include <QString>

// Whether two telephone numbers as people write them are one number: spaces, dashes and
// brackets, "+" or "00" before a country code, or a trunk "0" instead of the country code of the
// region the book's numbers are written in. libphonenumber reads them; each text once.
class PhoneMatch
{
public:
    // region: two letters, such as "EG"; numbers without a country code are read as of it.
    explicit PhoneMatch(const QString& region);

    // The last eight digits (all of them when fewer), as a number with their count kept apart
    // ("012345" is not "12345"): one number written two ways keeps them, so only numbers with
    // the same tail need reading. -1 for text of fewer than six digits.
    static qint64 tailNumber(const QString& number);
    bool same(const QString& a, const QString& b);

    // Numbers as digits that compare as the number, for the region (its calling code and trunk
    // prefix as libphonenumber knows them).
    static NumberKey numberKey(const QString& region);

    // The regions numbers can be read as, by their two letters.
    static QStringList regions();
    // The region of the desktop's own locale when it is one, else Egypt.
    static QString defaultRegion();
    // The region the user chose (kept in the preferences, handed over at start and on change),
    // else the default.
    static QString preferredRegion();
    static void setPreferredRegion(const QString& region);

private:
    QString normalised(const QString& number);

    std::string m_region;
    QHash<QString, QString> m_read;
};
