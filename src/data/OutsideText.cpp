#include "OutsideText.h"

namespace
{

bool lineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// Drops what no text keeps; line ends are kept, or each run of them becomes one space.
QString cleaned(const QString& text, bool keepLineEnds)
{
    // Most text has nothing to drop: it is returned as it is, without a copy.
    bool clean = true;
    for (const QChar c : text)
        if (OutsideText::dropped(c) || (!keepLineEnds && lineEnd(c))) {
            clean = false;
            break;
        }
    if (clean)
        return text;
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (OutsideText::dropped(c))
            continue;
        if (lineEnd(c) && !keepLineEnds) {
            if (!out.endsWith(QLatin1Char(' ')))
                out += QLatin1Char(' ');
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

bool OutsideText::dropped(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'\t' || u == u'\n' || u == u'\r')
        return false;
    return u < 0x20 || (u >= 0x7F && u <= 0x9F) || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

QString OutsideText::oneLine(const QString& text)
{
    return cleaned(text, false);
}

QString OutsideText::lines(const QString& text)
{
    return cleaned(text, true);
}

ContactFields OutsideText::contact(const ContactFields& fields)
{
    ContactFields clean;
    for (const ContactField& field : ContactFields::kFields)
        clean.*field.member = field.isOneLine() ? oneLine(fields.*field.member) : lines(fields.*field.member);
    return clean;
}

QString OutsideText::printable(const QString& text)
{
    QString line = oneLine(text);
    line.replace(QLatin1Char('\t'), QLatin1Char(' '));
    return line;
}
