#include "PersonName.h"

#include <QStringList>

PersonName PersonName::split(const QString& name)
{
    const QStringList words = name.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    PersonName parts;
    if (words.isEmpty())
        return parts;
    parts.given = words.first();
    if (words.size() > 1) {
        parts.family = words.last();
        parts.middle = words.mid(1, words.size() - 2).join(QLatin1Char(' '));
    }
    return parts;
}
