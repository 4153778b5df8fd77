#include "ImportedNoteLines.h"

#include "ContactSlots.h"
#include "NumberKey.h"
#include "PhoneMatch.h"

#include <QRegularExpression>
#include <QSet>

namespace
{

struct LineKind {
    ContactValue::Kind kind;
    QString label; // the more value's label
};

// The labels the import writes itself, with the value each stands for.
std::optional<LineKind> kindOfLabel(const QString& label)
{
    using Kind = ContactSlots::PhoneKind;
    for (const Kind kind : {Kind::Home, Kind::Work, Kind::Mobile, Kind::Fax, Kind::Unknown})
        if (label == ContactSlots::kindLabel(kind))
            return LineKind{ContactValue::Kind::Phone, ContactSlots::kindWord(kind)};
    if (label == ContactFields::caption(&ContactFields::email))
        return LineKind{ContactValue::Kind::Email, {}};
    if (label == ContactFields::caption(&ContactFields::address))
        return LineKind{ContactValue::Kind::Address, {}};
    if (label == QStringLiteral("عنوان العمل"))
        return LineKind{ContactValue::Kind::Address, QStringLiteral("work")};
    return std::nullopt;
}

bool plainlyOfKind(ContactValue::Kind kind, const QString& value)
{
    static const QRegularExpression address(QStringLiteral("^[^@\\s]+@[^@\\s]+$"));
    // A control or direction mark inside is not something the import wrote.
    for (const QChar c : value)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            return false;
    switch (kind) {
    case ContactValue::Kind::Phone:
        return NumberKey::looksLikeNumber(value, 3);
    case ContactValue::Kind::Email:
        return address.match(value).hasMatch();
    case ContactValue::Kind::Address:
        return !value.isEmpty();
    default:
        return false;
    }
}

// What makes two values the same: a number as a number, an e-mail in any case, an address's line.
QString sameness(const NumberKey& numbers, ContactValue::Kind kind, const QString& text)
{
    if (kind == ContactValue::Kind::Phone)
        return QStringLiteral("t") + QString::fromStdString(numbers.of(text));
    if (kind == ContactValue::Kind::Email)
        return QStringLiteral("e") + text.toCaseFolded();
    return QStringLiteral("a") + text;
}

} // namespace

ImportedNoteLines::Split ImportedNoteLines::split(const ContactFields& contact, const MoreValues& more)
{
    const NumberKey numbers = PhoneMatch::numberKey(PhoneMatch::preferredRegion());
    auto sameAs = [&numbers](ContactValue::Kind kind, const QString& text) { return sameness(numbers, kind, text); };
    QSet<QString> held;
    for (const auto number : ContactFields::membersOf<ContactField::Kind::Number>())
        held.insert(sameAs(ContactValue::Kind::Phone, contact.*number));
    held.insert(sameAs(ContactValue::Kind::Email, contact.email));
    held.insert(sameAs(ContactValue::Kind::Address, contact.address));
    for (const ContactValue& value : more)
        held.insert(sameAs(value.kind, value.kind == ContactValue::Kind::Address ? value.oneLine() : value.value));

    Split split;
    QStringList kept;
    const QStringList lines = contact.moreinfo.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        const std::optional<LineKind> kind = colon > 0 ? kindOfLabel(line.left(colon).trimmed()) : std::nullopt;
        const QString text = colon > 0 ? line.mid(colon + 2).trimmed() : QString();
        if (!kind || !plainlyOfKind(kind->kind, text)) {
            kept << line;
            continue;
        }
        const QString same = sameAs(kind->kind, text);
        if (held.contains(same))
            continue; // already one of the contact's values: the line only repeated it
        held.insert(same);
        const QString value =
            kind->kind == ContactValue::Kind::Address ? ContactValue::joinParts({{}, {}, text}) : text;
        split.values.push_back({kind->kind, kind->label, value, QString()});
    }
    if (kept.size() == lines.size())
        split.notes = contact.moreinfo;
    else
        split.notes = kept.join(QLatin1Char('\n'));
    // The import put its lines after a line break of its own; that break goes with them.
    while (split.notes.endsWith(QLatin1Char('\n')) && kept.size() != lines.size())
        split.notes.chop(1);
    return split;
}
