#include "ContactMerge.h"

#include "ContactStore.h"
#include "ContactValueStore.h"
#include "NumberKey.h"
#include "PhoneLabel.h"
#include "PhoneMatch.h"
#include "Transaction.h"
#include "TrashStore.h"

#include <set>

namespace
{

using Kind = ContactValue::Kind;

// The kept contact being filled: its nine fields first, then its more values, each value once.
class MergeTarget
{
public:
    MergeTarget(ContactMerge::Whole& whole, const QString& region)
        : m_whole(whole), m_numbers(PhoneMatch::numberKey(region))
    {
        ContactFields& c = m_whole.fields;
        for (const auto number : ContactFields::membersOf<ContactField::Kind::Number>())
            hold(key(Kind::Phone, c.*number));
        hold(key(Kind::Email, c.email));
        hold(key(Kind::Address, c.address));
        for (const ContactValue& value : m_whole.more) {
            hold(key(value));
            m_photo = m_photo || value.kind == Kind::Photo;
        }
    }

    // A value of one of the nine fields: its own field when free, else a more value of its kind.
    void addField(Kind kind, const QString& label, const QString& text)
    {
        const QString value = text.trimmed();
        if (value.isEmpty() || !hold(key(kind, value)))
            return;
        if (QString* slot = fieldFor(kind, label); slot && slot->isEmpty()) {
            *slot = value;
            return;
        }
        m_whole.more.push_back(
            {kind, label, kind == Kind::Address ? ContactValue::joinParts({{}, {}, value}) : value, QString()});
    }

    void addMore(const ContactValue& value)
    {
        if (value.kind == Kind::Photo) {
            // One photo: the kept contact's own stays.
            if (!m_photo)
                m_whole.more.push_back(value);
            m_photo = true;
            return;
        }
        if (!hold(key(value)))
            return;
        QString* slot = fieldFor(value.kind, value.label);
        if (slot && slot->isEmpty()) {
            *slot = value.kind == Kind::Address ? value.oneLine() : value.value;
            return;
        }
        m_whole.more.push_back(value);
    }

private:
    // False when the value is held already.
    bool hold(const QString& key) { return key.isEmpty() || m_held.insert(key).second; }

    QString key(const ContactValue& value) const
    {
        if (value.kind == Kind::Address)
            return key(Kind::Address, value.oneLine());
        if (value.kind == Kind::Date)
            return QStringLiteral("d") + value.label + QLatin1Char('|') + value.calendar + QLatin1Char('|') +
                   value.value;
        return key(value.kind, value.value);
    }

    QString key(Kind kind, const QString& text) const
    {
        const QString trimmed = text.trimmed();
        if (trimmed.isEmpty())
            return QString();
        switch (kind) {
        case Kind::Phone:
            if (const std::string digits = m_numbers.of(trimmed); !digits.empty())
                return QStringLiteral("p") + QString::fromStdString(digits);
            return QStringLiteral("t") + trimmed;
        case Kind::Email:
            return QStringLiteral("e") + trimmed.toCaseFolded();
        case Kind::Address:
            return QStringLiteral("a") + trimmed.simplified();
        case Kind::Web:
            return QStringLiteral("w") + trimmed;
        case Kind::Date:
        case Kind::Photo:
            break;
        }
        return QStringLiteral("x") + trimmed;
    }

    // The field a value of that kind and label belongs in, if any.
    QString* fieldFor(Kind kind, const QString& label)
    {
        ContactFields& c = m_whole.fields;
        switch (kind) {
        case Kind::Phone:
            switch (PhoneLabel::kindOf({label})) {
            case PhoneLabel::Kind::Home:
                return &c.hometel;
            case PhoneLabel::Kind::Work:
                return &c.jobtel;
            case PhoneLabel::Kind::Mobile:
                return &c.mobil;
            case PhoneLabel::Kind::Fax:
                return &c.fax;
            case PhoneLabel::Kind::Unknown:
            case PhoneLabel::Kind::Other:
                break;
            }
            return nullptr;
        case Kind::Email:
            return &c.email;
        case Kind::Address:
            return &c.address;
        case Kind::Web:
        case Kind::Date:
        case Kind::Photo:
            break;
        }
        return nullptr;
    }

    ContactMerge::Whole& m_whole;
    NumberKey m_numbers;
    std::set<QString> m_held;
    bool m_photo = false;
};

} // namespace

ContactMerge::Whole ContactMerge::merged(const Whole& kept, const std::vector<Whole>& others, const QString& region)
{
    Whole result = kept;
    ContactFields& fields = result.fields;
    QStringList notes = fields.moreinfo.isEmpty() ? QStringList() : fields.moreinfo.split(QLatin1Char('\n'));
    auto addLine = [&notes](const QString& line) {
        if (!notes.contains(line))
            notes << line;
    };
    for (const Whole& whole : others) {
        const ContactFields& other = whole.fields;
        if (other.name != kept.fields.name)
            addLine(QStringLiteral("اسم آخر: ") + other.name);
        // An organisation has no place but its field: a second one is kept in the notes.
        const QString org = other.org.trimmed();
        if (fields.org.trimmed().isEmpty())
            fields.org = org;
        else if (!org.isEmpty() && org.compare(fields.org.trimmed(), Qt::CaseInsensitive) != 0)
            addLine(QStringLiteral("المؤسسة: ") + org);
        if (!other.moreinfo.trimmed().isEmpty() && !notes.join(QLatin1Char('\n')).contains(other.moreinfo.trimmed()))
            notes << other.moreinfo.trimmed();
    }
    fields.moreinfo = notes.join(QLatin1Char('\n'));
    MergeTarget target(result, region);
    for (const Whole& whole : others) {
        const ContactFields& other = whole.fields;
        target.addField(Kind::Phone, QStringLiteral("home"), other.hometel);
        target.addField(Kind::Phone, QStringLiteral("work"), other.jobtel);
        target.addField(Kind::Phone, QStringLiteral("mobile"), other.mobil);
        target.addField(Kind::Phone, QStringLiteral("fax"), other.fax);
        target.addField(Kind::Email, QString(), other.email);
        target.addField(Kind::Address, QString(), other.address);
        for (const ContactValue& value : whole.more)
            target.addMore(value);
    }
    return result;
}

namespace
{

const QString kChangedMeanwhile = QStringLiteral("changed meanwhile");

// Fails when another writer changed or removed the contact since it was read.
DataResult unchanged(ContactStore& contacts, const ContactFields& asRead, QString& dir)
{
    bool same = false;
    DataResult read = contacts.isAsRead(asRead, same, dir);
    if (read && !same)
        return DataResult{false, kChangedMeanwhile};
    return read;
}

// The same for a contact with its more values.
DataResult unchanged(DataConnection& connection, const ContactMerge::Whole& asRead, QString& dir, qint64& row)
{
    ContactStore contacts(connection);
    if (DataResult same = unchanged(contacts, asRead.fields, dir); !same)
        return same;
    MoreValues more;
    if (DataResult read = ContactValueStore(connection).readByName(asRead.fields.name, more); !read)
        return read;
    if (more != asRead.more)
        return DataResult{false, kChangedMeanwhile};
    return contacts.findByName(asRead.fields.name, row);
}

// Rewrites the kept contact, fields and more values, as one.
DataResult rewrite(DataConnection& connection, const QString& name, qint64 row, const ContactMerge::Whole& to,
                   const QString& dir)
{
    if (DataResult written = ContactStore(connection).updateByName(name, to.fields, dir); !written)
        return written;
    return ContactValueStore(connection).replaceWithin(row, to.fields.name, to.more);
}

} // namespace

DataResult ContactMerge::apply(DataConnection& connection, const Whole& keptAsRead, const Whole& merged,
                               const std::vector<ContactFields>& othersAsRead, std::vector<qint64>* trashIds)
{
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    QString keptDir;
    qint64 keptRow = 0;
    if (DataResult same = unchanged(connection, keptAsRead, keptDir, keptRow); !same)
        return same;
    ContactStore contacts(connection);
    for (const ContactFields& other : othersAsRead) {
        QString dir;
        if (DataResult same = unchanged(contacts, other, dir); !same)
            return same;
        qint64 id = 0;
        if (DataResult trashed = TrashStore(connection).moveInWithin(other.name, &id); !trashed)
            return trashed;
        if (trashIds)
            trashIds->push_back(id);
    }
    if (DataResult written = rewrite(connection, keptAsRead.fields.name, keptRow, merged, keptDir); !written)
        return written;
    return transaction.commit();
}

DataResult ContactMerge::undo(DataConnection& connection, const Whole& keptBefore, const Whole& merged,
                              const std::vector<qint64>& trashIds)
{
    Transaction transaction(connection);
    if (!transaction.begun())
        return transaction.begun();
    QString dir;
    qint64 row = 0;
    if (DataResult same = unchanged(connection, merged, dir, row); !same)
        return same;
    if (DataResult written = rewrite(connection, merged.fields.name, row, keptBefore, dir); !written)
        return written;
    for (const qint64 id : trashIds)
        if (DataResult restored = TrashStore(connection).restoreWithin(id, QString()); !restored)
            return restored;
    return transaction.commit();
}

bool ContactMerge::changedMeanwhile(const DataResult& result)
{
    return !result.ok && result.error == kChangedMeanwhile;
}
