#include "VCardReader.h"

#include "ContactPhoto.h"
#include "ContactSlots.h"
#include "HijriCalendar.h"
#include "TextDecoding.h"

#include <QRegularExpression>

#include <algorithm>

namespace
{

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

QStringList typeWords(const QList<QByteArray>& params)
{
    QStringList words;
    for (const QByteArray& p : params)
        words << QString::fromLatin1(p);
    return words;
}

// Apple's labels come wrapped as "_$!<Father>!$_".
QString plainLabel(QString label)
{
    if (label.startsWith(QLatin1String("_$!<")) && label.endsWith(QLatin1String(">!$_")))
        label = label.mid(4, label.size() - 8);
    return label.trimmed();
}

// A date as vCard writes it (19800713, 1980-07-13, --0713, --07-13, with or without a time) as
// yyyy-mm-dd or --mm-dd; empty when it is none.
QString isoDate(const QString& text)
{
    static const QRegularExpression full(QStringLiteral(R"(^(\d{4})-?(\d{2})-?(\d{2})(T.*)?$)"));
    static const QRegularExpression yearless(QStringLiteral(R"(^--(\d{2})-?(\d{2})$)"));
    const QString trimmed = text.trimmed();
    if (const auto m = full.match(trimmed); m.hasMatch()) {
        const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        return date.isValid() ? date.toString(Qt::ISODate) : QString();
    }
    if (const auto m = yearless.match(trimmed); m.hasMatch()) {
        // The 29th of February stands for a leap year's.
        if (!QDate(2000, m.captured(1).toInt(), m.captured(2).toInt()).isValid())
            return QString();
        return QStringLiteral("--%1-%2").arg(m.captured(1), m.captured(2));
    }
    return QString();
}

// A Hijri date this program wrote beside the Gregorian one (yyyy-mm-dd or --mm-dd); empty when
// it is no Hijri day.
QString hijriDate(const QString& text)
{
    static const QRegularExpression form(QStringLiteral(R"(^(\d{4}|-)-(\d{2})-(\d{2})$)"));
    const auto m = form.match(text.trimmed());
    if (!m.hasMatch())
        return QString();
    const int month = m.captured(2).toInt(), day = m.captured(3).toInt();
    if (m.captured(1) == QLatin1String("-"))
        return month >= 1 && month <= 12 && day >= 1 && day <= 30 ? text.trimmed() : QString();
    return HijriCalendar::toGregorian(m.captured(1).toInt(), month, day).isValid() ? text.trimmed() : QString();
}

bool isBeginOrEnd(const QByteArray& name, const QByteArray& value, const char* which)
{
    return name == which && value.trimmed().toUpper() == "VCARD";
}

} // namespace

bool VCardReader::looksLikeVCard(const QByteArray& bytes)
{
    static const QRegularExpression begin(QStringLiteral(R"(^\s*([\w-]+\.)?begin\s*:\s*vcard)"),
                                          QRegularExpression::CaseInsensitiveOption);
    return begin.match(TextDecoding::decode(bytes.left(4096))).hasMatch();
}

std::vector<QByteArray> VCardReader::logicalLines(const QByteArray& input)
{
    QByteArray bytes = input;
    bytes.replace("\r\n", "\n");
    bytes.replace('\r', '\n');
    std::vector<QByteArray> lines;
    bool inBase64 = false;
    bool softBreak = false;
    for (const QByteArray& physical : bytes.split('\n')) {
        const bool folded = !physical.isEmpty() && (physical[0] == ' ' || physical[0] == '\t');
        if (!lines.empty() && softBreak) {
            // Quoted-printable soft line break: the value goes on. Writers that also fold the
            // line put a blank in front, which belongs to no value.
            lines.back().chop(1);
            lines.back() += folded ? physical.mid(1) : physical;
        } else if (!lines.empty() && folded) {
            lines.back() += physical.mid(1);
        } else if (inBase64 && !physical.isEmpty() && !physical.contains(':')) {
            lines.back() += physical.trimmed(); // the picture data of a 2.1 card, one line after the other
            continue;
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
    property.name = head.first().trimmed().toUpper();
    if (const int dot = property.name.lastIndexOf('.'); dot >= 0) {
        property.group = property.name.left(dot); // item1.TEL
        property.name = property.name.mid(dot + 1);
    }
    for (int i = 1; i < head.size(); ++i) {
        QByteArray param = head[i].trimmed();
        const int eq = param.indexOf('=');
        const QByteArray key = eq < 0 ? QByteArray() : param.left(eq).toUpper();
        QByteArray value = eq < 0 ? param : param.mid(eq + 1);
        value.replace('"', "");
        if (key == "CHARSET") {
            property.charset = value;
        } else if (key == "ENCODING" || key.isEmpty()) {
            // Bare parameters are types too, also as a list ("TEL;FAX,WORK").
            for (const QByteArray& word : value.split(',')) {
                const QByteArray upper = word.trimmed().toUpper();
                if (upper == "QUOTED-PRINTABLE")
                    property.quotedPrintable = true;
                else if (upper == "BASE64" || upper == "B")
                    property.base64 = true;
                else if (key.isEmpty() && !upper.isEmpty())
                    property.params << upper;
            }
        } else if (key == "TYPE") {
            for (const QByteArray& type : value.split(','))
                property.params << type.trimmed().toUpper();
        } else {
            property.named.insert(key, value.trimmed());
        }
    }
    property.rawValue = line.mid(colon + 1);
    return property;
}

QString VCardReader::value(const Property& property) const
{
    const QByteArray bytes = property.quotedPrintable ? decodeQuotedPrintable(property.rawValue) : property.rawValue;
    if (!property.charset.isEmpty())
        return TextDecoding::decodeAs(bytes, property.charset);
    // Quoted-printable bytes hide from the file's detection: in a UTF-8 file, bytes of no charset
    // that are not UTF-8 are the old Windows text they were written in ("=E9lodie").
    if (property.quotedPrintable && m_fileEncoding == "UTF-8")
        return TextDecoding::decodeAs(bytes, TextDecoding::detectEncoding(bytes));
    return TextDecoding::decodeAs(bytes, m_fileEncoding);
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

QString VCardReader::unescape(const QString& text, const QByteArray& version)
{
    // vCard 2.1 knows one escape only, "\;"; every other backslash is an ordinary character.
    const bool v21 = version.startsWith("2");
    QString out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\\') && i + 1 < text.size() && (!v21 || text[i + 1] == QLatin1Char(';'))) {
            const QChar next = text[++i];
            out += (next == QLatin1Char('n') || next == QLatin1Char('N')) ? QChar(QLatin1Char('\n')) : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

QString VCardReader::photoOf(const Property& property, const QString& text)
{
    // Only pictures the card carries; one given as an address is never fetched.
    QByteArray data;
    if (property.base64) {
        data = property.rawValue;
    } else if (text.trimmed().startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        const QString uri = text.trimmed();
        const qsizetype comma = uri.indexOf(QLatin1Char(','));
        if (comma < 0 || !uri.left(comma).endsWith(QLatin1String(";base64"), Qt::CaseInsensitive))
            return QString();
        data = uri.mid(comma + 1).toLatin1();
    } else {
        return QString();
    }
    data.replace(' ', "").replace('\t', "");
    return ContactPhoto::fromBytes(QByteArray::fromBase64(data));
}

void VCardReader::apply(const Property& property, Card& card) const
{
    const QByteArray& name = property.name;
    if (name == "PHOTO" && m_keepMore) {
        const bool hasPhoto = std::any_of(card.more.begin(), card.more.end(),
                                          [](const ContactValue& v) { return v.kind == ContactValue::Kind::Photo; });
        if (!hasPhoto)
            if (const QString photo = photoOf(property, property.base64 ? QString() : value(property));
                !photo.isEmpty())
                card.more.push_back({ContactValue::Kind::Photo, QString(), photo, QString()});
        return;
    }
    if (property.base64)
        return;
    const QString text = value(property);
    ContactFields& contact = card.contact;
    if (name == "VERSION") {
        card.version = text.trimmed().toLatin1();
    } else if (name == "FN") {
        contact.name = unescape(text, card.version);
    } else if (name == "N") {
        // Family;Given;Middle;Prefix;Suffix, written as a person says it.
        const QStringList parts = components(text);
        QStringList spoken;
        for (int i : {3, 1, 2, 0, 4})
            if (i < parts.size() && !unescape(parts[i], card.version).trimmed().isEmpty())
                spoken << unescape(parts[i], card.version).trimmed();
        card.structuredName = spoken.join(QLatin1Char(' '));
    } else if (name == "TEL" || name == "EMAIL" || name == "ADR" || name == "ORG") {
        card.pending.push_back({property, text});
    } else if (m_keepMore && (name == "URL" || name == "BDAY" || name == "ANNIVERSARY" || name == "X-ANNIVERSARY" ||
                              name == "X-ABDATE")) {
        card.pending.push_back({property, text});
    } else if (name == "X-ABLABEL") {
        card.groupLabels.insert(property.group, plainLabel(unescape(text, card.version)));
    } else if (name == "NOTE") {
        const QString note = unescape(text, card.version);
        contact.moreinfo = contact.moreinfo.isEmpty() ? note : contact.moreinfo + QLatin1Char('\n') + note;
    } else if (name == "X-QAV-NOTE-LINE-ENDS") {
        card.noteLineEnds = text.trimmed().toUpper();
    }
}

void VCardReader::finish(Card& card)
{
    ContactFields& contact = card.contact;
    if (contact.name.trimmed().isEmpty())
        contact.name = card.structuredName;
    ContactSlots placed(contact, m_keepMore ? &card.more : nullptr);
    for (const Pending& item : card.pending) {
        const Property& p = item.property;
        const QString label = card.groupLabels.value(p.group);
        if (p.name == "TEL") {
            QString number = unescape(item.text, card.version).trimmed();
            if (number.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
                number = number.mid(4);
            const QStringList types = typeWords(p.params);
            const ContactSlots::PhoneKind kind = PhoneLabel::kindOf(QStringList(types) << label);
            // A kind without a field of its own is named as the card names it ("pager").
            QString shownLabel = label;
            if (shownLabel.isEmpty() && kind == ContactSlots::PhoneKind::Other)
                shownLabel = types.join(QLatin1Char(',')).toLower();
            placed.addPhone(number, kind, shownLabel);
        } else if (p.name == "EMAIL") {
            const QString kind = p.params.contains("WORK")   ? QStringLiteral("work")
                                 : p.params.contains("HOME") ? QStringLiteral("home")
                                                             : QString();
            placed.addEmail(unescape(item.text, card.version), label.isEmpty() && m_keepMore ? kind : label);
        } else if (p.name == "ADR") {
            // PO box;extended;street;locality;region;postal code;country, read street first.
            const QStringList parts = components(item.text);
            QStringList shown;
            for (int i : {2, 1, 0, 3, 4, 5, 6})
                if (const QString part = unescape(parts.value(i), card.version).trimmed(); !part.isEmpty())
                    shown << part;
            const bool work = p.params.contains("WORK");
            QStringList kept;
            for (int i = 0; i < 7; ++i)
                kept << unescape(parts.value(i), card.version).trimmed();
            QString shownLabel = label;
            if (shownLabel.isEmpty() && work)
                shownLabel = m_keepMore ? QStringLiteral("work") : QStringLiteral("عنوان العمل");
            else if (shownLabel.isEmpty() && m_keepMore && p.params.contains("HOME"))
                shownLabel = QStringLiteral("home");
            placed.addAddress(shown.join(QStringLiteral(", ")), shownLabel, ContactValue::joinParts(kept));
        } else if (p.name == "ORG") {
            QStringList parts;
            for (const QString& part : components(item.text))
                if (const QString unit = unescape(part, card.version).trimmed(); !unit.isEmpty())
                    parts << unit;
            placed.addOrganisation(parts.join(QStringLiteral(", ")), label);
        } else {
            placeMore(item, label, card);
        }
    }
    placed.finish();
    m_movedToNotes += placed.movedToNotes();
    if (!card.noteLineEnds.isEmpty()) {
        QString notes;
        int lineBreak = 0;
        for (const QChar ch : contact.moreinfo) {
            if (ch == QLatin1Char('\n') && lineBreak < card.noteLineEnds.size() &&
                card.noteLineEnds.at(lineBreak++) == QLatin1Char('C'))
                notes += QLatin1Char('\r');
            notes += ch;
        }
        contact.moreinfo = notes;
    }
    m_contacts.push_back(contact);
    if (m_keepMore) {
        // Numbers first, then e-mails, addresses, web pages, dates and the photo, each kind in
        // the card's order.
        std::stable_sort(card.more.begin(), card.more.end(),
                         [](const ContactValue& a, const ContactValue& b) { return a.kind < b.kind; });
        m_more.push_back(card.more);
    }
}

void VCardReader::placeMore(const Pending& item, const QString& label, Card& card) const
{
    const Property& p = item.property;
    const QString text = unescape(item.text, card.version).trimmed();
    if (text.isEmpty())
        return;
    if (p.name == "URL") {
        card.more.push_back({ContactValue::Kind::Web, label, text, QString()});
        return;
    }
    QString date = isoDate(text);
    if (date.isEmpty())
        return;
    QString calendar = QLatin1String(ContactValue::kGregorian);
    if (const QString hijri = hijriDate(QString::fromLatin1(p.named.value("X-QAV-HIJRI"))); !hijri.isEmpty()) {
        date = hijri;
        calendar = QLatin1String(ContactValue::kHijri);
    }
    // Apple's dates carry their kind in a label; one of no label is taken for an anniversary.
    QString kind = label;
    if (p.name == "BDAY")
        kind = QStringLiteral("birthday");
    else if (p.name != "X-ABDATE" || label.isEmpty() ||
             label.compare(QLatin1String("anniversary"), Qt::CaseInsensitive) == 0)
        kind = QStringLiteral("anniversary");
    card.more.push_back({ContactValue::Kind::Date, kind, date, calendar});
}

bool VCardReader::read(const QByteArray& input)
{
    m_contacts.clear();
    m_more.clear();
    m_movedToNotes = 0;
    m_incomplete = 0;
    // The file's encoding is decided once; UTF-16 is read as the UTF-8 it holds.
    QByteArray bytes = input;
    m_fileEncoding = TextDecoding::detectEncoding(bytes);
    if (m_fileEncoding.startsWith("UTF-16")) {
        bytes = TextDecoding::decodeAs(bytes, m_fileEncoding).toUtf8();
        m_fileEncoding = "UTF-8";
    } else if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes.remove(0, 3);
    }
    bool sawCard = false;
    // A card that begins inside another (an agent's card) is read as a card of its own; the
    // outer one goes on after it.
    std::vector<Card> open;
    for (const QByteArray& line : logicalLines(bytes)) {
        const Property property = parse(line);
        if (isBeginOrEnd(property.name, property.rawValue, "BEGIN")) {
            open.emplace_back();
            sawCard = true;
        } else if (isBeginOrEnd(property.name, property.rawValue, "END")) {
            if (!open.empty()) {
                finish(open.back());
                open.pop_back();
            }
        } else if (!open.empty()) {
            apply(property, open.back());
        }
    }
    // The file ended inside a card: what it holds is kept, and counted as incomplete.
    while (!open.empty()) {
        finish(open.back());
        open.pop_back();
        ++m_incomplete;
    }
    return sawCard;
}
