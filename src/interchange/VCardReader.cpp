#include "VCardReader.h"

#include "TextDecoding.h"

namespace {

QByteArray decodeQuotedPrintable(const QByteArray& in)
{
    QByteArray out;
    out.reserve(in.size());
    for (int i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size()) {
            bool ok = false;
            const int byte = in.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out += char(byte);
                i += 2;
                continue;
            }
        }
        out += in[i];
    }
    return out;
}

bool hasType(const QList<QByteArray>& params, const char* type)
{
    for (const QByteArray& p : params)
        if (p == type)
            return true;
    return false;
}

} // namespace

bool VCardReader::looksLikeVCard(const QByteArray& bytes)
{
    const QString start = TextDecoding::decode(bytes.left(4096)).trimmed();
    return start.startsWith(QLatin1String("BEGIN:VCARD"), Qt::CaseInsensitive);
}

std::vector<QByteArray> VCardReader::logicalLines(const QByteArray& input)
{
    QByteArray bytes = input;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        bytes = TextDecoding::decode(bytes).toUtf8();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    std::vector<QByteArray> lines;
    bool inBase64 = false;
    bool softBreak = false;
    for (const QByteArray& physical : bytes.split('\n')) {
        const bool folded = !physical.isEmpty() && (physical[0] == ' ' || physical[0] == '\t');
        if (!lines.empty() && softBreak) {
            // Quoted-printable soft line break: the value goes on, with no folding blank.
            lines.back().chop(1);
            lines.back() += physical;
        } else if (!lines.empty() && folded) {
            lines.back() += physical.mid(1);
        } else if (inBase64 && !physical.isEmpty() && !physical.contains(':')) {
            continue; // the picture data of a 2.1 card, one line after the other
        } else {
            if (physical.trimmed().isEmpty()) {
                inBase64 = false;
                softBreak = false;
                continue;
            }
            lines.push_back(physical);
        }
        const QByteArray upper = lines.back().left(lines.back().indexOf(':')).toUpper();
        inBase64 = upper.contains("BASE64") || upper.contains("ENCODING=B");
        softBreak = upper.contains("QUOTED-PRINTABLE") && lines.back().endsWith('=');
    }
    return lines;
}

VCardReader::Property VCardReader::parse(const QByteArray& line)
{
    Property property;
    // The name and parameters end at the first colon outside double quotes.
    int colon = -1;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon < 0)
        return property;
    const QList<QByteArray> head = line.left(colon).split(';');
    property.name = head.first().toUpper();
    if (const int dot = property.name.lastIndexOf('.'); dot >= 0)
        property.name = property.name.mid(dot + 1); // item1.TEL
    for (int i = 1; i < head.size(); ++i) {
        QByteArray param = head[i].trimmed();
        const int eq = param.indexOf('=');
        const QByteArray key = eq < 0 ? QByteArray() : param.left(eq).toUpper();
        QByteArray value = eq < 0 ? param : param.mid(eq + 1);
        value.replace('"', "");
        if (key == "CHARSET") {
            property.charset = value;
        } else if (key == "ENCODING" || key.isEmpty()) {
            const QByteArray upper = value.toUpper();
            if (upper == "QUOTED-PRINTABLE")
                property.quotedPrintable = true;
            else if (upper == "BASE64" || upper == "B")
                property.base64 = true;
            else if (key.isEmpty())
                property.params << upper;
        } else if (key == "TYPE") {
            for (const QByteArray& type : value.split(','))
                property.params << type.trimmed().toUpper();
        }
    }
    property.rawValue = line.mid(colon + 1);
    return property;
}

QString VCardReader::value(const Property& property)
{
    const QByteArray bytes = property.quotedPrintable ? decodeQuotedPrintable(property.rawValue) : property.rawValue;
    return TextDecoding::decode(bytes, property.charset);
}

QStringList VCardReader::components(const QString& value)
{
    QStringList parts;
    QString current;
    for (int i = 0; i < value.size(); ++i) {
        if (value[i] == QLatin1Char('\\') && i + 1 < value.size()) {
            current += value[i];
            current += value[++i];
        } else if (value[i] == QLatin1Char(';')) {
            parts << current;
            current.clear();
        } else {
            current += value[i];
        }
    }
    parts << current;
    return parts;
}

QString VCardReader::unescape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar next = text[++i];
            out += (next == QLatin1Char('n') || next == QLatin1Char('N')) ? QChar(QLatin1Char('\n')) : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

void VCardReader::apply(const Property& property, ContactFields& contact, QString& structuredName) const
{
    if (property.base64)
        return;
    const QString text = value(property);
    const QByteArray& name = property.name;
    auto setIfEmpty = [](QString& field, const QString& v) {
        if (field.isEmpty())
            field = v;
    };
    if (name == "FN") {
        contact.name = unescape(text);
    } else if (name == "N") {
        // Family;Given;Middle;Prefix;Suffix, written as a person says it.
        const QStringList parts = components(text);
        QStringList spoken;
        for (int i : {3, 1, 2, 0, 4})
            if (i < parts.size() && !unescape(parts[i]).trimmed().isEmpty())
                spoken << unescape(parts[i]).trimmed();
        structuredName = spoken.join(QLatin1Char(' '));
    } else if (name == "TEL") {
        QString number = unescape(text);
        if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
            number = number.mid(4);
        const QList<QByteArray>& types = property.params;
        if (hasType(types, "FAX"))
            setIfEmpty(contact.fax, number);
        else if (hasType(types, "CELL") || hasType(types, "MOBILE"))
            setIfEmpty(contact.mobil, number);
        else if (hasType(types, "WORK"))
            setIfEmpty(contact.jobtel, number);
        else if (hasType(types, "HOME"))
            setIfEmpty(contact.hometel, number);
        else if (contact.mobil.isEmpty())
            contact.mobil = number;
        else
            setIfEmpty(contact.hometel, number);
    } else if (name == "ADR") {
        QStringList parts;
        for (const QString& part : components(text))
            if (!unescape(part).trimmed().isEmpty())
                parts << unescape(part);
        setIfEmpty(contact.address, parts.join(QStringLiteral(", ")));
    } else if (name == "EMAIL") {
        setIfEmpty(contact.email, unescape(text));
    } else if (name == "ORG") {
        QStringList parts;
        for (const QString& part : components(text))
            if (!unescape(part).isEmpty())
                parts << unescape(part);
        setIfEmpty(contact.org, parts.join(QStringLiteral(", ")));
    } else if (name == "NOTE") {
        contact.moreinfo = contact.moreinfo.isEmpty() ? unescape(text)
                                                      : contact.moreinfo + QLatin1Char('\n') + unescape(text);
    }
}

bool VCardReader::read(const QByteArray& bytes)
{
    m_contacts.clear();
    bool inCard = false;
    bool sawCard = false;
    ContactFields contact;
    QString structuredName;
    for (const QByteArray& line : logicalLines(bytes)) {
        const Property property = parse(line);
        if (property.name == "BEGIN" && property.rawValue.trimmed().toUpper() == "VCARD") {
            inCard = true;
            sawCard = true;
            contact = ContactFields();
            structuredName.clear();
        } else if (property.name == "END" && property.rawValue.trimmed().toUpper() == "VCARD") {
            if (inCard) {
                if (contact.name.trimmed().isEmpty())
                    contact.name = structuredName;
                m_contacts.push_back(contact);
            }
            inCard = false;
        } else if (inCard) {
            apply(property, contact, structuredName);
        }
    }
    return sawCard;
}
