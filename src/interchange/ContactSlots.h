#pragma once

#include "ContactFields.h"

#include <QStringList>

#include <vector>

// Puts what another address book holds for one person into this program's fields, losing
// nothing. Telephone numbers are placed once all are known, those of a kind with a slot of its
// own (home, work, mobile, fax) first, then those of unknown kind (home), then the rest: each to
// the slot of its kind, else to a free voice slot in the fixed order home, mobile, work (a fax
// only ever to the fax slot). An e-mail address and a postal address each have one slot. What does not fit is appended
// to the notes as "label: value", one per line, and counted. A value already held is not added twice.
class ContactSlots
{
public:
    enum class PhoneKind { Unknown, Home, Work, Mobile, Fax, Other };

    explicit ContactSlots(ContactFields& contact) : m_contact(contact) {}

    void addPhone(const QString& number, PhoneKind kind, const QString& label = QString());
    void addEmail(const QString& address, const QString& label = QString());
    void addAddress(const QString& address, const QString& label = QString());
    void addOrganisation(const QString& organisation, const QString& label = QString());

    // Places the numbers and appends what went to the notes after the notes the contact has.
    void finish();
    int movedToNotes() const { return int(m_overflow.size()); }

    // The kind of a number from its type words (vCard TYPE values or a label such as "Work Fax"):
    // a fax, then a mobile, then pagers, ISDN, video and the like, then work, then home; a
    // number with no kind, or only VOICE or PREF, is of unknown kind.
    static PhoneKind kindOf(const QStringList& words);
    // The Arabic name of a kind, as the notes show it when the file gives no label.
    static QString kindLabel(PhoneKind kind);

private:
    struct Phone {
        QString number;
        PhoneKind kind;
        QString label;
    };
    bool holds(const QString& value) const;
    void overflow(const QString& label, const QString& value);
    // An e-mail, address or organisation: the field when free, otherwise the notes.
    void addToOneSlot(QString& slot, const QString& value, const QString& label, const QString& fieldName);
    QString* ownSlot(PhoneKind kind);
    void placeElsewhere(const Phone& phone);

    ContactFields& m_contact;
    std::vector<Phone> m_phones;
    QStringList m_overflow;
};
