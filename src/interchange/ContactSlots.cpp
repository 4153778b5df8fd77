#include "ContactSlots.h"

#include <QRegularExpression>

#include <algorithm>

namespace
{

bool fill(QString& slot, const QString& value)
{
    if (!slot.isEmpty())
        return false;
    slot = value;
    return true;
}

// The field a number of the kind belongs in; a number of no kind is taken for a home number.
QString ContactFields::*fieldOf(ContactSlots::PhoneKind kind)
{
    switch (kind) {
    case ContactSlots::PhoneKind::Unknown:
    case ContactSlots::PhoneKind::Home:
        return &ContactFields::hometel;
    case ContactSlots::PhoneKind::Work:
        return &ContactFields::jobtel;
    case ContactSlots::PhoneKind::Mobile:
        return &ContactFields::mobil;
    case ContactSlots::PhoneKind::Fax:
        return &ContactFields::fax;
    case ContactSlots::PhoneKind::Other:
        break;
    }
    return nullptr;
}

} // namespace

QString ContactSlots::kindLabel(PhoneKind kind)
{
    switch (kind) {
    case PhoneKind::Home:
    case PhoneKind::Work:
    case PhoneKind::Mobile:
    case PhoneKind::Fax:
        return ContactFields::caption(fieldOf(kind));
    case PhoneKind::Unknown:
    case PhoneKind::Other:
        break;
    }
    return QStringLiteral("تليفون");
}

QString ContactSlots::kindWord(PhoneKind kind)
{
    switch (kind) {
    case PhoneKind::Home:
        return QStringLiteral("home");
    case PhoneKind::Work:
        return QStringLiteral("work");
    case PhoneKind::Mobile:
        return QStringLiteral("mobile");
    case PhoneKind::Fax:
        return QStringLiteral("fax");
    case PhoneKind::Unknown:
    case PhoneKind::Other:
        break;
    }
    return QStringLiteral("other");
}

bool ContactSlots::toMore(ContactValue::Kind kind, const QString& label, const QString& value)
{
    if (!m_more)
        return false;
    m_more->push_back({kind, label.trimmed(), value, QString()});
    m_held.insert(value);
    if (kind == ContactValue::Kind::Address)
        m_held.insert(m_more->back().oneLine());
    return true;
}

bool ContactSlots::holds(const QString& value) const
{
    for (const ContactField& field : ContactFields::kFields)
        if (field.kind != ContactField::Kind::Name && field.isOneLine() && m_contact.*field.member == value)
            return true;
    return m_held.contains(value);
}

void ContactSlots::overflow(const QString& label, const QString& value)
{
    m_overflow << label.trimmed() + QStringLiteral(": ") + value;
    m_held.insert(value);
}

void ContactSlots::addPhone(const QString& number, PhoneKind kind, const QString& label)
{
    if (!number.trimmed().isEmpty())
        m_phones.push_back({number.trimmed(), kind, label});
}

QString* ContactSlots::ownSlot(PhoneKind kind)
{
    const auto field = fieldOf(kind);
    return field ? &(m_contact.*field) : nullptr;
}

void ContactSlots::placeElsewhere(const Phone& phone)
{
    if (holds(phone.number))
        return;
    // A voice number takes any free voice slot; a fax is never put where people would call it.
    ContactFields& c = m_contact;
    // Where more values are kept, a number of a known kind stays with its kind there instead.
    if (phone.kind != PhoneKind::Fax && (!m_more || phone.kind == PhoneKind::Unknown))
        for (QString* slot : {&c.hometel, &c.mobil, &c.jobtel})
            if (fill(*slot, phone.number))
                return;
    // A label of the file's own is kept as it is; the usual ones become the kind's word.
    QString label = phone.label;
    if (label.isEmpty() || kindWord(PhoneLabel::kindOf({label})) == label.toLower())
        label = kindWord(phone.kind);
    if (!toMore(ContactValue::Kind::Phone, label, phone.number))
        overflow(phone.label.isEmpty() ? kindLabel(phone.kind) : phone.label, phone.number);
}

void ContactSlots::addToOneSlot(QString& slot, const QString& value, const QString& label, const QString& fieldName)
{
    if (value.isEmpty() || holds(value) || fill(slot, value))
        return;
    overflow(label.isEmpty() ? fieldName : label, value);
}

void ContactSlots::addEmail(const QString& address, const QString& label)
{
    const QString value = address.trimmed();
    if (value.isEmpty() || holds(value) || fill(m_contact.email, value) ||
        toMore(ContactValue::Kind::Email, label, value))
        return;
    overflow(label.isEmpty() ? ContactFields::caption(&ContactFields::email) : label, value);
}

void ContactSlots::addAddress(const QString& address, const QString& label, const QString& parts)
{
    // An address takes one line here; the lines of a formatted address are joined.
    static const QRegularExpression lineBreaks(QStringLiteral("\\s*[\\r\\n]+\\s*"));
    const QString line = address.trimmed().replace(lineBreaks, QStringLiteral(", "));
    if (line.isEmpty() || holds(line) || fill(m_contact.address, line) ||
        toMore(ContactValue::Kind::Address, label, parts.isEmpty() ? ContactValue::joinParts({{}, {}, line}) : parts))
        return;
    overflow(label.isEmpty() ? ContactFields::caption(&ContactFields::address) : label, line);
}

void ContactSlots::addOrganisation(const QString& organisation, const QString& label)
{
    addToOneSlot(m_contact.org, organisation.trimmed(), label, ContactFields::field(&ContactFields::org).headingText());
}

void ContactSlots::finish()
{
    auto rank = [](PhoneKind kind) { return kind == PhoneKind::Unknown ? 1 : kind == PhoneKind::Other ? 2 : 0; };
    std::stable_sort(m_phones.begin(), m_phones.end(),
                     [&rank](const Phone& a, const Phone& b) { return rank(a.kind) < rank(b.kind); });
    // Every number gets the slot of its kind while it is free, before any takes another's.
    std::vector<Phone> homeless;
    for (const Phone& phone : m_phones) {
        if (holds(phone.number))
            continue;
        QString* own = ownSlot(phone.kind);
        if (!own || !fill(*own, phone.number))
            homeless.push_back(phone);
    }
    for (const Phone& phone : homeless)
        placeElsewhere(phone);
    m_phones.clear();
    if (m_overflow.isEmpty())
        return;
    const QString lines = m_overflow.join(QLatin1Char('\n'));
    m_contact.moreinfo = m_contact.moreinfo.isEmpty() ? lines : m_contact.moreinfo + QLatin1Char('\n') + lines;
}
