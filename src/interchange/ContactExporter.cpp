#include "ContactExporter.h"

#include "ContactValueStore.h"
#include "CsvMapping.h"
#include "CsvTable.h"
#include "PassedOver.h"
#include "PersonName.h"
#include "Recordset.h"
#include "VCardWriter.h"

#include "HijriCalendar.h"

#include <QHash>

namespace
{

using Kind = ContactValue::Kind;

// The columns of the more values: each contact names the cells it fills, the header row is
// every column any contact filled, in the order they first came.
class MoreColumns
{
public:
    void set(const QString& header, const QString& value)
    {
        if (!m_headers.contains(header))
            m_headers << header;
        m_rows.back().insert(header, value);
    }
    QString current(const QString& header) const { return m_rows.back().value(header); }
    void nextContact() { m_rows.emplace_back(); }
    void appendTo(QList<QStringList>& rows) const
    {
        rows.first() << m_headers;
        for (size_t i = 0; i < m_rows.size(); ++i)
            for (const QString& header : m_headers)
                rows[qsizetype(i) + 1] << m_rows[i].value(header);
    }

private:
    QStringList m_headers;
    std::vector<QHash<QString, QString>> m_rows;
};

enum class Layout { Own, Google, Outlook };

// A date as the layout's readers take it: ours keeps a Hijri date in its calendar ("هـ" after
// it); the others get its Gregorian day, Outlook's as m/d/yyyy.
QString dateCell(const ContactValue& v, Layout layout)
{
    const bool hijri = v.calendar == QLatin1String(ContactValue::kHijri);
    QDate day = QDate::fromString(v.value, Qt::ISODate);
    if (hijri && day.isValid() && layout != Layout::Own)
        day = HijriCalendar::toGregorian(day.year(), day.month(), day.day());
    else if (hijri || !day.isValid())
        return hijri ? v.value + QStringLiteral(" هـ") : v.value; // a day without a year
    return layout == Layout::Outlook ? day.toString(QStringLiteral("M/d/yyyy")) : day.toString(Qt::ISODate);
}

QString cellOf(const ContactValue& v, Layout layout)
{
    return v.kind == Kind::Address ? v.oneLine() : v.kind == Kind::Date ? dateCell(v, layout) : v.value;
}

// "work" as the other programs write it, "Work"; a label of the user's as it is.
QString englishLabel(const QString& label)
{
    for (const char* word : {"home", "work", "other", "mobile", "fax", "anniversary"})
        if (label == QLatin1String(word))
            return label.left(1).toUpper() + label.mid(1);
    return label;
}

// The photo is left to vCard: a cell is no place for its bytes.
void addMore(MoreColumns& columns, const MoreValues& more, Layout layout)
{
    columns.nextContact();
    QHash<QString, int> used; // how many columns of a family this contact has filled
    auto numbered = [&used](const QString& family, int first) { return first + used[family]++; };
    for (const ContactValue& v : more) {
        if (v.kind == Kind::Photo)
            continue;
        const QString cell = cellOf(v, layout);
        if (layout == Layout::Own) {
            const int n = numbered(QString::number(int(v.kind)), 1);
            columns.set(CsvMapping::ownGroupHeader(v.kind, n, true), v.label);
            columns.set(CsvMapping::ownGroupHeader(v.kind, n, false), cell);
            continue;
        }
        const bool birthday = v.kind == Kind::Date && v.label == QLatin1String("birthday");
        if (birthday && !used.contains(QStringLiteral("birthday"))) {
            used.insert(QStringLiteral("birthday"), 1);
            columns.set(QStringLiteral("Birthday"), cell);
            continue;
        }
        if (layout == Layout::Google) {
            static const QHash<int, std::pair<const char*, int>> groups{{int(Kind::Phone), {"Phone", 5}},
                                                                        {int(Kind::Email), {"E-mail", 2}},
                                                                        {int(Kind::Address), {"Address", 2}},
                                                                        {int(Kind::Web), {"Website", 1}},
                                                                        {int(Kind::Date), {"Event", 1}}};
            const auto [family, first] = groups.value(int(v.kind));
            const QString group =
                QStringLiteral("%1 %2 - ").arg(QLatin1String(family)).arg(numbered(QLatin1String(family), first));
            columns.set(group + QStringLiteral("Label"), englishLabel(v.label));
            columns.set(group + (v.kind == Kind::Address ? QStringLiteral("Formatted") : QStringLiteral("Value")),
                        cell);
            continue;
        }
        // Outlook has a column family per kind; a label of the user's has no place there.
        QString family;
        int first = 2;
        QString after;
        if (v.kind == Kind::Phone) {
            const QString label = v.label.toLower();
            family = label == QLatin1String("mobile") ? QStringLiteral("Mobile Phone")
                     : label == QLatin1String("home") ? QStringLiteral("Home Phone")
                     : label == QLatin1String("work") ? QStringLiteral("Business Phone")
                     : label == QLatin1String("fax")  ? QStringLiteral("Other Fax")
                                                      : QStringLiteral("Other Phone");
            first = family.startsWith(QLatin1String("Other")) ? 1 : 2;
        } else if (v.kind == Kind::Email) {
            family = QStringLiteral("E-mail");
            after = QStringLiteral(" Address");
        } else if (v.kind == Kind::Web) {
            family = QStringLiteral("Web Page");
            first = 1;
        } else if (v.kind == Kind::Date) {
            family = birthday ? QStringLiteral("Birthday") : QStringLiteral("Anniversary");
            first = birthday ? 2 : 1;
        } else {
            // Addresses: a work one in the business columns, the rest in the other ones, several
            // in one cell as Google writes them.
            const bool work = v.label == QLatin1String("work") && !used.contains(QStringLiteral("business"));
            if (work) {
                used.insert(QStringLiteral("business"), 1);
                columns.set(QStringLiteral("Business Street"), cell);
            } else {
                const QString before = columns.current(QStringLiteral("Other Street"));
                columns.set(QStringLiteral("Other Street"),
                            before.isEmpty() ? cell : before + QStringLiteral(" ::: ") + cell);
            }
            continue;
        }
        const int n = numbered(family, first);
        columns.set(n == 1 ? family + after : QStringLiteral("%1 %2%3").arg(family).arg(n).arg(after), cell);
    }
}

} // namespace

std::vector<ContactFields> ContactExporter::directoryContacts(DataConnection& connection, const QString& dir,
                                                              std::vector<MoreValues>* more)
{
    std::vector<ContactFields> contacts;
    Recordset rows(&connection);
    if (!rows.openContacts(dir))
        return contacts;
    const auto snapshot = rows.snapshot();
    if (!snapshot)
        return contacts;
    for (qsizetype i = 0; i < snapshot->size(); ++i)
        contacts.push_back(ContactFields::fromRow(snapshot->record(i)));
    if (more) {
        // Read for the whole directory at once, only when an export asks for them.
        QHash<QString, MoreValues> byName;
        PassedOver::note(ContactValueStore(connection).readDirectory(dir, byName), Q_FUNC_INFO);
        more->clear();
        for (const ContactFields& c : contacts)
            more->push_back(byName.value(c.name));
    }
    return contacts;
}

QByteArray ContactExporter::encode(const std::vector<ContactFields>& contacts, Format format,
                                   const std::vector<MoreValues>& more)
{
    if (format == Format::Csv) {
        QList<QStringList> rows{CsvMapping::ownHeaders()};
        MoreColumns columns;
        for (size_t i = 0; i < contacts.size(); ++i) {
            const ContactFields& c = contacts[i];
            rows << c.row(QString()).mid(0, ContactFields::kCount);
            addMore(columns, i < more.size() ? more[i] : MoreValues(), Layout::Own);
        }
        columns.appendTo(rows);
        return CsvTable::write(rows);
    }
    if (format == Format::GoogleCsv) {
        QList<QStringList> rows{
            {QStringLiteral("First Name"), QStringLiteral("Middle Name"), QStringLiteral("Last Name"),
             QStringLiteral("Organization Name"), QStringLiteral("E-mail 1 - Label"),
             QStringLiteral("E-mail 1 - Value"), QStringLiteral("Phone 1 - Label"), QStringLiteral("Phone 1 - Value"),
             QStringLiteral("Phone 2 - Label"), QStringLiteral("Phone 2 - Value"), QStringLiteral("Phone 3 - Label"),
             QStringLiteral("Phone 3 - Value"), QStringLiteral("Phone 4 - Label"), QStringLiteral("Phone 4 - Value"),
             QStringLiteral("Address 1 - Label"), QStringLiteral("Address 1 - Formatted"), QStringLiteral("Notes")}};
        auto labelled = [](const QString& label, const QString& value) { return value.isEmpty() ? QString() : label; };
        MoreColumns columns;
        for (size_t i = 0; i < contacts.size(); ++i) {
            const ContactFields& c = contacts[i];
            addMore(columns, i < more.size() ? more[i] : MoreValues(), Layout::Google);
            const PersonName name = PersonName::split(c.name);
            rows << QStringList{name.given,
                                name.middle,
                                name.family,
                                c.org,
                                labelled(QStringLiteral("* Home"), c.email),
                                c.email,
                                labelled(QStringLiteral("Home"), c.hometel),
                                c.hometel,
                                labelled(QStringLiteral("Work"), c.jobtel),
                                c.jobtel,
                                labelled(QStringLiteral("Mobile"), c.mobil),
                                c.mobil,
                                labelled(QStringLiteral("Work Fax"), c.fax),
                                c.fax,
                                labelled(QStringLiteral("Home"), c.address),
                                c.address,
                                c.moreinfo};
        }
        columns.appendTo(rows);
        return CsvTable::write(rows);
    }
    if (format == Format::OutlookCsv) {
        QList<QStringList> rows{{QStringLiteral("First Name"), QStringLiteral("Middle Name"),
                                 QStringLiteral("Last Name"), QStringLiteral("Company"), QStringLiteral("Home Street"),
                                 QStringLiteral("Home Phone"), QStringLiteral("Business Phone"),
                                 QStringLiteral("Mobile Phone"), QStringLiteral("Business Fax"),
                                 QStringLiteral("E-mail Address"), QStringLiteral("Notes")}};
        MoreColumns columns;
        for (size_t i = 0; i < contacts.size(); ++i) {
            const ContactFields& c = contacts[i];
            const PersonName name = PersonName::split(c.name);
            rows << QStringList{name.given, name.middle, name.family, c.org,   c.address, c.hometel,
                                c.jobtel,   c.mobil,     c.fax,       c.email, c.moreinfo};
            addMore(columns, i < more.size() ? more[i] : MoreValues(), Layout::Outlook);
        }
        columns.appendTo(rows);
        return CsvTable::write(rows);
    }
    const VCardWriter writer(format == Format::VCard3 ? 3 : 4);
    QByteArray out;
    for (size_t i = 0; i < contacts.size(); ++i)
        out += writer.card(contacts[i], i < more.size() ? more[i] : MoreValues());
    return out;
}
