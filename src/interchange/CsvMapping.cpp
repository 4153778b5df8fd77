#include "CsvMapping.h"

#include <QHash>

namespace {

QString key(const QString& header) { return header.trimmed().toLower().remove(QLatin1Char('"')); }

const QHash<QString, CsvMapping::Target>& knownHeaders()
{
    using T = CsvMapping::Target;
    static const QHash<QString, T> headers = [] {
        QHash<QString, T> h;
        const QStringList own = CsvMapping::ownHeaders();
        const T ownTargets[] = {T::Name, T::HomeTel, T::JobTel, T::Mobil, T::Fax,
                                T::Address, T::Email, T::Org, T::MoreInfo};
        for (int i = 0; i < own.size(); ++i)
            h.insert(key(own[i]), ownTargets[i]);
        const std::pair<const char*, T> others[] = {
            // Google, Outlook, Thunderbird and plain English headers.
            {"name", T::Name}, {"full name", T::Name}, {"display name", T::Name},
            {"given name", T::FirstName}, {"first name", T::FirstName},
            {"additional name", T::MiddleName}, {"middle name", T::MiddleName},
            {"family name", T::LastName}, {"last name", T::LastName},
            {"home phone", T::HomeTel}, {"phone", T::HomeTel}, {"telephone", T::HomeTel},
            {"business phone", T::JobTel}, {"work phone", T::JobTel},
            {"mobile phone", T::Mobil}, {"mobile number", T::Mobil}, {"mobile", T::Mobil}, {"cell phone", T::Mobil},
            {"business fax", T::Fax}, {"home fax", T::Fax}, {"fax number", T::Fax}, {"fax", T::Fax},
            {"address 1 - formatted", T::Address}, {"home address", T::Address}, {"home street", T::Address},
            {"business street", T::Address}, {"work address", T::Address}, {"address", T::Address},
            {"e-mail 1 - value", T::Email}, {"e-mail address", T::Email}, {"primary email", T::Email},
            {"email", T::Email}, {"e-mail", T::Email},
            {"organization 1 - name", T::Org}, {"company", T::Org}, {"organization", T::Org},
            {"organisation", T::Org},
            {"notes", T::MoreInfo}, {"note", T::MoreInfo},
        };
        for (const auto& [name, target] : others)
            h.insert(QString::fromLatin1(name), target);
        return h;
    }();
    return headers;
}

} // namespace

QStringList CsvMapping::ownHeaders()
{
    return {QStringLiteral("الاسم"),   QStringLiteral("ت/ منزل"),          QStringLiteral("ت/عمل"),
            QStringLiteral("موبايل"),  QStringLiteral("فاكس"),             QStringLiteral("العنوان"),
            QStringLiteral("البريد الالكترونى"), QStringLiteral("المؤسسة"), QStringLiteral("بيانات إضافية")};
}

QStringList CsvMapping::targetNames()
{
    return {QStringLiteral("(تجاهل)"),       QStringLiteral("الاسم"),        QStringLiteral("الاسم الأول"),
            QStringLiteral("الاسم الأوسط"),  QStringLiteral("اسم العائلة"),  QStringLiteral("ت/ منزل"),
            QStringLiteral("ت/عمل"),          QStringLiteral("موبايل"),        QStringLiteral("فاكس"),
            QStringLiteral("العنوان"),        QStringLiteral("البريد الالكترونى"), QStringLiteral("المؤسسة"),
            QStringLiteral("بيانات إضافية"),  QStringLiteral("تليفون حسب النوع")};
}

CsvMapping CsvMapping::guess(const QStringList& headers)
{
    CsvMapping mapping;
    for (int i = 0; i < headers.size(); ++i) {
        const QString k = key(headers[i]);
        Target target = knownHeaders().value(k, Ignore);
        // Google: "Phone 1 - Value" follows "Phone 1 - Type".
        if (target == Ignore && k.startsWith(QLatin1String("phone ")) && k.endsWith(QLatin1String(" - value")) &&
            i > 0 && key(headers[i - 1]).endsWith(QLatin1String(" - type")))
            target = PhoneByType;
        // The same field twice: the first column wins, later ones are left out.
        if (target != Ignore && target != PhoneByType && mapping.targets.contains(target))
            target = Ignore;
        mapping.targets << target;
    }
    return mapping;
}

bool CsvMapping::hasNameSource() const
{
    return targets.contains(Name) || targets.contains(FirstName) || targets.contains(LastName);
}

ContactFields CsvMapping::contact(const QStringList& row) const
{
    ContactFields c;
    QString first, middle, last;
    auto fill = [](QString& field, const QString& value) {
        if (field.isEmpty())
            field = value;
    };
    for (int i = 0; i < targets.size() && i < row.size(); ++i) {
        const QString& v = row[i];
        if (v.isEmpty())
            continue;
        switch (targets[i]) {
        case Name: c.name = v; break;
        case FirstName: first = v; break;
        case MiddleName: middle = v; break;
        case LastName: last = v; break;
        case HomeTel: fill(c.hometel, v); break;
        case JobTel: fill(c.jobtel, v); break;
        case Mobil: fill(c.mobil, v); break;
        case Fax: fill(c.fax, v); break;
        case Address: fill(c.address, v); break;
        case Email: fill(c.email, v); break;
        case Org: fill(c.org, v); break;
        case MoreInfo: fill(c.moreinfo, v); break;
        case PhoneByType: {
            const QString type = i > 0 ? row.value(i - 1).toLower() : QString();
            if (type.contains(QLatin1String("fax")))
                fill(c.fax, v);
            else if (type.contains(QLatin1String("mobile")) || type.contains(QLatin1String("cell")))
                fill(c.mobil, v);
            else if (type.contains(QLatin1String("work")))
                fill(c.jobtel, v);
            else if (type.contains(QLatin1String("home")))
                fill(c.hometel, v);
            else
                fill(c.mobil, v);
            break;
        }
        case Ignore:
            break;
        }
    }
    if (c.name.isEmpty()) {
        QStringList parts;
        for (const QString& part : {first, middle, last})
            if (!part.trimmed().isEmpty())
                parts << part.trimmed();
        c.name = parts.join(QLatin1Char(' '));
    }
    return c;
}
