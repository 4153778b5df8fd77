#pragma once

#include "ContactFields.h"

#include <QByteArray>

#include <vector>

// Reads vCard 2.1, 3.0 and 4.0: folded lines, quoted-printable with soft breaks and a charset,
// escaped commas, semicolons and backslashes, parameters with and without "TYPE=", several
// cards, a byte-order mark, CRLF or LF, unknown properties and embedded pictures (skipped).
class VCardReader
{
public:
    // False when the bytes hold no vCard at all.
    bool read(const QByteArray& bytes);
    const std::vector<ContactFields>& contacts() const { return m_contacts; }

    static bool looksLikeVCard(const QByteArray& bytes);

private:
    struct Property {
        QByteArray name;
        QList<QByteArray> params; // upper-case, "TYPE=" removed from types
        QByteArray rawValue;
        QByteArray charset;
        bool quotedPrintable = false;
        bool base64 = false;
    };
    static std::vector<QByteArray> logicalLines(const QByteArray& bytes);
    static Property parse(const QByteArray& line);
    static QString value(const Property& property);
    static QStringList components(const QString& value);
    static QString unescape(const QString& text);
    void apply(const Property& property, ContactFields& contact, QString& structuredName) const;

    std::vector<ContactFields> m_contacts;
};
