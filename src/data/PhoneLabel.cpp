#include "PhoneLabel.h"

#include <QRegularExpression>

PhoneLabel::Kind PhoneLabel::kindOf(const QStringList& words)
{
    static const QRegularExpression notALetter(QStringLiteral("[^A-Z]+"));
    QStringList upper;
    for (const QString& word : words)
        upper << word.toUpper().split(notALetter, Qt::SkipEmptyParts);
    auto has = [&upper](std::initializer_list<const char*> names) {
        for (const char* name : names)
            if (upper.contains(QLatin1String(name)))
                return true;
        return false;
    };
    if (has({"FAX", "FACSIMILE"}))
        return Kind::Fax;
    if (has({"CELL", "MOBILE", "IPHONE", "CELLULAR"}))
        return Kind::Mobile;
    if (has({"PAGER", "ISDN", "VIDEO", "TEXTPHONE", "TTY", "TDD", "TELEX", "CAR", "MODEM", "BBS", "RADIO"}))
        return Kind::Other;
    if (has({"WORK", "BUSINESS", "COMPANY", "OFFICE"}))
        return Kind::Work;
    if (has({"HOME"}))
        return Kind::Home;
    // Words that say nothing of the kind; any other word makes a kind this program has no field for.
    // A number that takes messages ("VOICE,MSG,WORK") is still a work or home number.
    for (const char* plain : {"VOICE", "MSG", "PREF", "MAIN", "PHONE", "TEL", "TELEPHONE", "PRIMARY"})
        upper.removeAll(QLatin1String(plain));
    return upper.isEmpty() ? Kind::Unknown : Kind::Other;
}
