#pragma once

#include "ContactFields.h"

#include <QByteArray>

// Writes contacts as vCards in UTF-8: version 4.0 unless 3.0 is asked for, one card each,
// lines folded at 75 octets without splitting a character, CRLF line ends.
class VCardWriter
{
public:
    explicit VCardWriter(int version = 4) : m_version(version == 3 ? 3 : 4) {}
    QByteArray card(const ContactFields& contact) const;

    static QString escape(const QString& text);

private:
    static void line(QByteArray& out, const QString& text);
    int m_version;
};
