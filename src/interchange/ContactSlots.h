#pragma once

#include "ContactFields.h"
#include "ContactValue.h"
#include "PhoneLabel.h"

#include <QSet>
#include <QStringList>

#include <vector>

// Puts what another address book holds for one person into this program's fields, losing
// nothing. Telephone numbers are placed once all are known, those of a kind with a slot of its
// own (home, work, mobile, fax) first, then those of unknown kind (home), then the rest: each to
// the slot of its kind, else to a free voice slot in the fixed order home, mobile, work (a fax
// only ever to the fax slot). An e-mail address and a postal address each have one slot. What does not fit goes to
// the contact's more values when they are given, each as its own typed value; otherwise (and a
// second organisation always) it is appended to the notes as "label: value", one per line, and
// counted. A value already held is not added twice.
class ContactSlots
{
public:
    using PhoneKind = PhoneLabel::Kind;

    explicit ContactSlots(ContactFields& contact, MoreValues* more = nullptr) : m_contact(contact), m_more(more) {}

    void addPhone(const QString& number, PhoneKind kind, const QString& label = QString());
    void addEmail(const QString& address, const QString& label = QString());
    // parts: the address's vCard parts (ContactValue::joinParts), kept when it becomes a more value.
    void addAddress(const QString& address, const QString& label = QString(), const QString& parts = QString());
    void addOrganisation(const QString& organisation, const QString& label = QString());

    // Places the numbers and appends what went to the notes after the notes the contact has.
    void finish();
    int movedToNotes() const { return int(m_overflow.size()); }

    // The Arabic name of a kind, as the notes show it when the file gives no label.
    static QString kindLabel(PhoneKind kind);
    // The word a more value's label holds for a kind ("mobile", "home", "work", "fax", "other").
    static QString kindWord(PhoneKind kind);

private:
    struct Phone {
        QString number;
        PhoneKind kind;
        QString label;
    };
    bool holds(const QString& value) const;
    void overflow(const QString& label, const QString& value);
    // A value for the more values when they are given; false sends it to the notes.
    bool toMore(ContactValue::Kind kind, const QString& label, const QString& value);
    // An e-mail, address or organisation: the field when free, otherwise the notes.
    void addToOneSlot(QString& slot, const QString& value, const QString& label, const QString& fieldName);
    QString* ownSlot(PhoneKind kind);
    void placeElsewhere(const Phone& phone);

    ContactFields& m_contact;
    MoreValues* m_more;
    std::vector<Phone> m_phones;
    QStringList m_overflow;
    // Every value put into the notes or the more values (an address also by its line): a card
    // with thousands of numbers is read in one pass, not compared with itself.
    QSet<QString> m_held;
};
