#pragma once

#include "ContactField.h"

#include <QString>
#include <QStringList>

#include <array>
#include <string_view>

// One contact: the nine values a person types, without the directory it belongs to. The book's
// contacts table holds them in the order of kFields, then the directory's code; other programs
// read and write that table by position, so the order never changes.
struct ContactFields {
    QString name{}, hometel{}, jobtel{}, mobil{}, fax{}, address{}, email{}, org{}, moreinfo{};

    static constexpr int kCount = 9;
    // The nine fields in the table's column order.
    static const std::array<ContactField, kCount> kFields;

    // How many of the fields are of the kind, and their members in column order.
    static constexpr size_t countOf(ContactField::Kind kind);
    template <ContactField::Kind kind> static constexpr auto membersOf();
    // The field kept in member.
    static const ContactField& field(QString ContactFields::*member);
    // What the editor calls the field kept in member.
    static QString caption(QString ContactFields::*member) { return field(member).captionText(); }
    // The nine column names in the table's order, for a statement's column list.
    static QString columnList();
    // The nine columns as the program's own tables that keep a contact (the trash, the sync's
    // last agreed values) declare them: "name TEXT, hometel TEXT, ... moreinfo TEXT, ", in the
    // table's order, each followed by a comma for the columns of the table's own after them.
    static QString textColumnsDeclared();
    // The values in the column order of the contacts table, then dir.
    QStringList row(const QString& dir) const;
    static ContactFields fromRow(const QStringList& row);
    // Only the name, the numbers and the e-mail: what comparing two contacts needs.
    ContactFields namesAndNumbers() const;
    static bool comparesBy(ContactField::Kind kind)
    {
        return kind == ContactField::Kind::Name || kind == ContactField::Kind::Number ||
               kind == ContactField::Kind::Email;
    }

    bool operator==(const ContactFields&) const = default;
};

inline constexpr std::array<ContactField, ContactFields::kCount> ContactFields::kFields{{
    {&ContactFields::name, "name", u"الاسم", u"الاسم", ContactField::Kind::Name},
    {&ContactFields::hometel, "hometel", u"ت/ منزل", u"ت/ منزل", ContactField::Kind::Number},
    {&ContactFields::jobtel, "jobtel", u"ت/عمل", u"ت/عمل", ContactField::Kind::Number},
    {&ContactFields::mobil, "mobil", u"موبايل", u"موبايل", ContactField::Kind::Number},
    {&ContactFields::fax, "fax", u"فاكس", u"فاكس", ContactField::Kind::Number},
    {&ContactFields::address, "address", u"العنوان", u"العنوان", ContactField::Kind::Address},
    {&ContactFields::email, "email", u"بريد الكترونى", u"البريد الالكترونى", ContactField::Kind::Email},
    {&ContactFields::org, "org", u"العمل", u"المؤسسة", ContactField::Kind::Organisation},
    {&ContactFields::moreinfo, "moreinfo", u"بيانات إضافية", u"بيانات إضافية", ContactField::Kind::Notes},
}};

// The table's columns stand in this order in every book; a table out of it would write each value
// into another program's wrong column.
static_assert(
    [] {
        constexpr std::string_view kStored[] = {"name",    "hometel", "jobtel", "mobil",   "fax",
                                                "address", "email",   "org",    "moreinfo"};
        static_assert(std::size(kStored) == ContactFields::kFields.size());
        for (size_t i = 0; i < ContactFields::kFields.size(); ++i)
            if (kStored[i] != ContactFields::kFields[i].column)
                return false;
        return true;
    }(),
    "ContactFields::kFields must list the nine columns of the contacts table in their stored order");

constexpr size_t ContactFields::countOf(ContactField::Kind kind)
{
    size_t count = 0;
    for (const ContactField& one : kFields)
        count += one.kind == kind ? 1 : 0;
    return count;
}

template <ContactField::Kind kind> constexpr auto ContactFields::membersOf()
{
    std::array<QString ContactFields::*, countOf(kind)> members{};
    size_t next = 0;
    for (const ContactField& one : kFields)
        if (one.kind == kind)
            members[next++] = one.member;
    return members;
}

inline const ContactField& ContactFields::field(QString ContactFields::*member)
{
    for (const ContactField& one : kFields)
        if (one.member == member)
            return one;
    Q_UNREACHABLE();
    return kFields.front();
}

inline QString ContactFields::columnList()
{
    QString list;
    for (const ContactField& one : kFields)
        list += (list.isEmpty() ? QString() : QStringLiteral(", ")) + one.columnName();
    return list;
}

inline QString ContactFields::textColumnsDeclared()
{
    QString columns;
    for (const ContactField& one : kFields)
        columns += one.columnName() + QStringLiteral(" TEXT, ");
    return columns;
}

inline QStringList ContactFields::row(const QString& dir) const
{
    QStringList values;
    values.reserve(kCount + 1);
    for (const ContactField& one : kFields)
        values << this->*one.member;
    values << dir;
    return values;
}

inline ContactFields ContactFields::fromRow(const QStringList& row)
{
    ContactFields contact;
    for (int i = 0; i < kCount; ++i)
        contact.*kFields[size_t(i)].member = row.value(i);
    return contact;
}

inline ContactFields ContactFields::namesAndNumbers() const
{
    ContactFields kept;
    for (const ContactField& one : kFields)
        if (comparesBy(one.kind))
            kept.*one.member = this->*one.member;
    return kept;
}
