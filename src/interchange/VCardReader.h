#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

#include <QByteArray>
#include <QHash>

#include <vector>

// Reads vCard 2.1, 3.0 and 4.0: folded lines, quoted-printable with soft breaks and a charset,
// escaped commas, semicolons and backslashes (in 2.1 only "\;" is an escape), parameters with and
// without "TYPE=", grouped properties and their labels, several cards, cards nested in a card
// and a last card cut off before its END, a byte-order mark, CRLF or LF, unknown properties and
// embedded pictures. Numbers, e-mails and addresses that find no field of their own go to the
// contact's more values when those are kept (with web pages, birthdays, anniversaries and the
// photo), else to the notes; never away.
class VCardReader
{
public:
    // Whether values beyond the nine fields are read as more values (not into the notes).
    void keepMoreValues(bool keep) { m_keepMore = keep; }
    // False when the bytes hold no vCard at all.
    bool read(const QByteArray& bytes);
    const std::vector<ContactFields>& contacts() const { return m_contacts; }
    // Each contact's more values, in the order of contacts(); empty unless kept.
    const std::vector<MoreValues>& moreValues() const { return m_more; }
    // Values put into the notes because their fields were taken.
    int movedToNotes() const { return m_movedToNotes; }
    // Cards that ended with the file instead of with END:VCARD.
    int incompleteCards() const { return m_incomplete; }

    static bool looksLikeVCard(const QByteArray& bytes);

private:
    struct Property {
        QByteArray group;
        QByteArray name;
        QList<QByteArray> params;            // upper-case, "TYPE=" removed from types
        QHash<QByteArray, QByteArray> named; // other parameters by upper-case name, as written
        QByteArray rawValue;
        QByteArray charset;
        bool quotedPrintable = false;
        bool base64 = false;
    };
    // A number, e-mail or address waits for the end of its card, where its group's label is known.
    struct Pending {
        Property property;
        QString text;
    };
    struct Card {
        ContactFields contact;
        QString structuredName;
        QByteArray version;
        QString noteLineEnds; // "C" for each CRLF line break of the notes, "L" for each LF
        std::vector<Pending> pending;
        QHash<QByteArray, QString> groupLabels;
        MoreValues more;
    };

    static std::vector<QByteArray> logicalLines(const QByteArray& bytes);
    static Property parse(const QByteArray& line);
    QString value(const Property& property) const;
    static QStringList components(const QString& value);
    static QString unescape(const QString& text, const QByteArray& version);
    void apply(const Property& property, Card& card) const;
    void finish(Card& card);
    void placeMore(const Pending& item, const QString& label, Card& card) const;
    static QString photoOf(const Property& property, const QString& text);

    std::vector<ContactFields> m_contacts;
    std::vector<MoreValues> m_more;
    bool m_keepMore = false;
    QByteArray m_fileEncoding = "UTF-8";
    int m_movedToNotes = 0;
    int m_incomplete = 0;
};
