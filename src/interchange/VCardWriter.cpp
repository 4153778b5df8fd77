#include "VCardWriter.h"

#include "ContactPhoto.h"
#include "HijriCalendar.h"
#include "PersonName.h"

#include <QDate>
#include <QRegularExpression>

QString VCardWriter::escape(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char(',') || c == QLatin1Char(';'))
            out += QLatin1Char('\\');
        if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\n");
            continue;
        }
        if (c == QLatin1Char('\r'))
            continue;
        out += c;
    }
    return out;
}

void VCardWriter::line(QByteArray& out, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    int start = 0;
    int limit = 75;
    while (bytes.size() - start > limit) {
        int cut = start + limit;
        while (cut > start && (uchar(bytes[cut]) & 0xC0) == 0x80)
            --cut; // never inside a character
        out += bytes.mid(start, cut - start);
        out += "\r\n ";
        start = cut;
        limit = 74; // the folding blank counts
    }
    out += bytes.mid(start);
    out += "\r\n";
}

QString VCardWriter::dateProperty(const QString& name, const ContactValue& date) const
{
    static const QRegularExpression form(QStringLiteral(R"(^(\d{4}|-)-(\d{2})-(\d{2})$)"));
    const auto m = form.match(date.value);
    if (!m.hasMatch())
        return QString();
    const bool yearless = m.captured(1) == QLatin1String("-");
    int year = m.captured(1).toInt();
    const int month = m.captured(2).toInt(), day = m.captured(3).toInt();
    QDate gregorian(yearless ? 2000 : year, month, day);
    QString parameter;
    if (date.calendar == QLatin1String(ContactValue::kHijri)) {
        // Other programs read the Gregorian day; this one reads the Hijri date beside it. A
        // date without a year is written as it falls this Hijri year.
        int thisYear = 0, m0 = 0, d0 = 0;
        if (yearless && HijriCalendar::fromGregorian(QDate::currentDate(), thisYear, m0, d0))
            year = thisYear;
        gregorian = HijriCalendar::toGregorian(year, month, day);
        if (!gregorian.isValid() && yearless)
            gregorian = HijriCalendar::toGregorian(year, month, day - 1);
        parameter = QStringLiteral(";X-QAV-HIJRI=") + date.value;
    }
    if (!gregorian.isValid())
        return QString();
    const bool v4 = m_version == 4;
    const QString value = yearless ? gregorian.toString(v4 ? QStringLiteral("--MMdd") : QStringLiteral("--MM-dd"))
                                   : gregorian.toString(v4 ? QStringLiteral("yyyyMMdd") : QStringLiteral("yyyy-MM-dd"));
    return name + parameter + QLatin1Char(':') + value;
}

void VCardWriter::writeMore(QByteArray& out, const MoreValues& more) const
{
    const bool v4 = m_version == 4;
    int group = 0;
    bool birthday = false, anniversary = false;
    // A value of a kind vCard names goes with that type; one of the user's own words in a group
    // with its label, as phones write it.
    auto put = [&](const QString& property, const QString& type, const QString& label, const QString& value) {
        if (!type.isEmpty()) {
            line(out, property + QStringLiteral(";TYPE=") + (v4 ? type : type.toUpper()) + QLatin1Char(':') + value);
        } else if (!label.isEmpty()) {
            const QString item = QStringLiteral("item%1.").arg(++group);
            line(out, item + property + QLatin1Char(':') + value);
            line(out, item + QStringLiteral("X-ABLabel:") + escape(label));
        } else {
            line(out, property + QLatin1Char(':') + value);
        }
    };
    auto typeOf = [](const QString& label, std::initializer_list<std::pair<const char*, const char*>> known) {
        for (const auto& [word, type] : known)
            if (label == QLatin1String(word))
                return QString::fromLatin1(type);
        return QString();
    };
    for (const ContactValue& v : more) {
        switch (v.kind) {
        case ContactValue::Kind::Phone: {
            const QString type = typeOf(v.label, {{"mobile", "cell"},
                                                  {"home", "home,voice"},
                                                  {"work", "work,voice"},
                                                  {"fax", "fax"},
                                                  {"other", "voice"},
                                                  {"", "voice"}});
            put(QStringLiteral("TEL"), type, v.label, escape(v.value));
            break;
        }
        case ContactValue::Kind::Email:
            put(QStringLiteral("EMAIL"), typeOf(v.label, {{"home", "home"}, {"work", "work"}}), v.label,
                escape(v.value));
            break;
        case ContactValue::Kind::Address: {
            QStringList parts;
            for (const QString& part : v.parts())
                parts << escape(part);
            put(QStringLiteral("ADR"), typeOf(v.label, {{"home", "home"}, {"work", "work"}}), v.label,
                parts.join(QLatin1Char(';')));
            break;
        }
        case ContactValue::Kind::Web:
            put(QStringLiteral("URL"), QString(), v.label,
                QString(v.value).remove(QLatin1Char('\r')).remove(QLatin1Char('\n')));
            break;
        case ContactValue::Kind::Date: {
            QString property;
            if (v.label == QLatin1String("birthday") && !birthday) {
                birthday = true;
                property = dateProperty(QStringLiteral("BDAY"), v);
            } else if (v.label == QLatin1String("anniversary") && !anniversary) {
                anniversary = true;
                property = dateProperty(v4 ? QStringLiteral("ANNIVERSARY") : QStringLiteral("X-ANNIVERSARY"), v);
            } else if (const QString item = QStringLiteral("item%1.").arg(group + 1);
                       !(property = dateProperty(item + QStringLiteral("X-ABDATE"), v)).isEmpty()) {
                ++group;
                line(out, property);
                property = item + QStringLiteral("X-ABLabel:") + escape(v.label);
            }
            if (!property.isEmpty())
                line(out, property);
            break;
        }
        case ContactValue::Kind::Photo: {
            QByteArray type;
            const QByteArray bytes = ContactPhoto::bytesOf(v.value, &type);
            if (bytes.isEmpty())
                break;
            line(out, v4 ? QStringLiteral("PHOTO:data:image/%1;base64,%2")
                               .arg(QString::fromLatin1(type.toLower()), QString::fromLatin1(bytes.toBase64()))
                         : QStringLiteral("PHOTO;ENCODING=b;TYPE=%1:%2")
                               .arg(QString::fromLatin1(type), QString::fromLatin1(bytes.toBase64())));
            break;
        }
        }
    }
}

QByteArray VCardWriter::card(const ContactFields& c, const MoreValues& more) const
{
    const bool v4 = m_version == 4;
    QByteArray out;
    line(out, QStringLiteral("BEGIN:VCARD"));
    line(out, v4 ? QStringLiteral("VERSION:4.0") : QStringLiteral("VERSION:3.0"));
    line(out, QStringLiteral("FN:") + escape(c.name));
    // The name in its parts (family;given;middle), so that readers never take it all for a surname.
    const PersonName parts = PersonName::split(c.name);
    line(out, QStringLiteral("N:") + escape(parts.family) + QLatin1Char(';') + escape(parts.given) + QLatin1Char(';') +
                  escape(parts.middle) + QStringLiteral(";;"));
    auto tel = [&](const QString& number, const char* types4, const char* types3) {
        if (!number.isEmpty())
            line(out,
                 QStringLiteral("TEL;TYPE=") + QLatin1String(v4 ? types4 : types3) + QLatin1Char(':') + escape(number));
    };
    tel(c.hometel, "home,voice", "HOME,VOICE");
    tel(c.jobtel, "work,voice", "WORK,VOICE");
    tel(c.mobil, "cell", "CELL");
    tel(c.fax, "fax", "FAX");
    if (!c.address.isEmpty())
        line(out, QStringLiteral("ADR;TYPE=") + (v4 ? QStringLiteral("home") : QStringLiteral("HOME")) +
                      QStringLiteral(":;;") + escape(c.address) + QStringLiteral(";;;;"));
    if (!c.email.isEmpty())
        line(out, QStringLiteral("EMAIL:") + escape(c.email));
    if (!c.org.isEmpty())
        line(out, QStringLiteral("ORG:") + escape(c.org));
    writeMore(out, more);
    if (!c.moreinfo.isEmpty())
        line(out, QStringLiteral("NOTE:") + escape(c.moreinfo));
    // vCard has no way to write a carriage return: which line breaks of the notes were CRLF ("C")
    // and which LF ("L") is kept beside them, and this program's reader puts them back.
    if (c.moreinfo.contains(QLatin1String("\r\n"))) {
        QString ends;
        for (qsizetype i = 0; i < c.moreinfo.size(); ++i)
            if (c.moreinfo[i] == QLatin1Char('\n'))
                ends += i > 0 && c.moreinfo[i - 1] == QLatin1Char('\r') ? QLatin1Char('C') : QLatin1Char('L');
        line(out, QStringLiteral("X-QAV-NOTE-LINE-ENDS:") + ends);
    }
    line(out, QStringLiteral("END:VCARD"));
    return out;
}
