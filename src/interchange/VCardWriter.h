#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

#include <QByteArray>

// Writes contacts as vCards in UTF-8: version 4.0 unless 3.0 is asked for, one card each,
// lines folded at 75 octets without splitting a character, CRLF line ends.
class VCardWriter
{
public:
    explicit VCardWriter(int version = 4) : m_version(version == 3 ? 3 : 4) {}
    // more: the contact's values beyond the nine fields, each written as its own property.
    QByteArray card(const ContactFields& contact, const MoreValues& more = {}) const;

    static QString escape(const QString& text);

private:
    static void line(QByteArray& out, const QString& text);
    void writeMore(QByteArray& out, const MoreValues& more) const;
    // A date's value as this version writes it, with the Hijri date beside it as a parameter.
    QString dateProperty(const QString& name, const ContactValue& date) const;
    int m_version;
};
