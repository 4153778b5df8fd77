#include "VCardWriter.h"

#include "PersonName.h"

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

QByteArray VCardWriter::card(const ContactFields& c) const
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
