#include "CsvMapping.h"

#include "ContactFields.h"
#include "ContactSlots.h"
#include "HijriCalendar.h"

#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace
{

using T = CsvMapping::Target;
using Kind = ContactSlots::PhoneKind;

// The target that fills each of the nine fields; a file of the program's own has one column each.
T targetOf(QString ContactFields::*member)
{
    const std::pair<QString ContactFields::*, T> targets[] = {
        {&ContactFields::name, T::Name},         {&ContactFields::hometel, T::HomeTel},
        {&ContactFields::jobtel, T::JobTel},     {&ContactFields::mobil, T::Mobil},
        {&ContactFields::fax, T::Fax},           {&ContactFields::address, T::Address},
        {&ContactFields::email, T::Email},       {&ContactFields::org, T::Org},
        {&ContactFields::moreinfo, T::MoreInfo},
    };
    for (const auto& [field, target] : targets)
        if (field == member)
            return target;
    return T::Ignore;
}

QString key(const QString& header)
{
    return header.trimmed().toLower().remove(QLatin1Char('"'));
}

// Places of the parts of an address, street first.
enum AddressPlace { Street = 10, Extended = 20, PoBox = 30, City = 40, Region = 50, PostalCode = 60, Country = 70 };

const QHash<QString, T>& singleHeaders()
{
    static const QHash<QString, T> headers = [] {
        QHash<QString, T> h;
        for (const ContactField& field : ContactFields::kFields)
            h.insert(key(field.headingText()), targetOf(field.member));
        const std::pair<const char*, T> others[] = {
            {"name", T::Name},
            {"full name", T::Name},
            {"display name", T::Name},
            {"given name", T::FirstName},
            {"first name", T::FirstName},
            {"additional name", T::MiddleName},
            {"middle name", T::MiddleName},
            {"family name", T::LastName},
            {"last name", T::LastName},
            {"home phone", T::HomeTel},
            {"home phone 2", T::HomeTel},
            {"phone", T::HomeTel},
            {"telephone", T::HomeTel},
            {"business phone", T::JobTel},
            {"business phone 2", T::JobTel},
            {"work phone", T::JobTel},
            {"company main phone", T::JobTel},
            {"mobile phone", T::Mobil},
            {"mobile number", T::Mobil},
            {"mobile", T::Mobil},
            {"cell phone", T::Mobil},
            {"business fax", T::Fax},
            {"home fax", T::Fax},
            {"other fax", T::Fax},
            {"fax number", T::Fax},
            {"fax", T::Fax},
            {"pager", T::OtherPhone},
            {"pager number", T::OtherPhone},
            {"car phone", T::OtherPhone},
            {"isdn", T::OtherPhone},
            {"tty/tdd phone", T::OtherPhone},
            {"telex", T::OtherPhone},
            {"radio phone", T::OtherPhone},
            {"callback", T::OtherPhone},
            {"assistant's phone", T::OtherPhone},
            {"other phone", T::OtherPhone},
            {"primary phone", T::OtherPhone},
            {"address", T::Address},
            {"home address formatted", T::Address},
            {"e-mail address", T::Email},
            {"e-mail 2 address", T::Email},
            {"e-mail 3 address", T::Email},
            {"primary email", T::Email},
            {"secondary email", T::Email},
            {"email", T::Email},
            {"e-mail", T::Email},
            {"email address", T::Email},
            {"mail", T::Email},
            {"company name", T::Org},
            {"organization name", T::Org},
            {"company", T::Org},
            {"organization", T::Org},
            {"organisation", T::Org},
            {"notes", T::MoreInfo},
            {"note", T::MoreInfo},
            {"mobile phone 2", T::Mobil},
            {"birthday", T::Birthday},
            {"anniversary", T::Event},
            {"web page", T::Website},
            {"personal web page", T::Website},
            {"website", T::Website},
            {"web site", T::Website},
        };
        for (const auto& [name, target] : others)
            h.insert(QString::fromLatin1(name), target);
        return h;
    }();
    return headers;
}

// Arabic headers are spelt many ways: with or without hamza on the alef, ة or ه, ى or ي, with or
// without the article or the word "رقم", "ت/ منزل" or "تليفون المنزل", with a number after them
// ("موبايل 2"). Both the known headers and the file's are compared in one spelling.
QString arabicKey(const QString& header)
{
    QString folded;
    for (const QChar c : header) {
        const char16_t u = c.unicode();
        if (u == 0x0623 || u == 0x0625 || u == 0x0622 || u == 0x0671)
            folded += QChar(0x0627); // أ إ آ ٱ: ا
        else if (u == 0x0629)
            folded += QChar(0x0647); // ة: ه
        else if (u == 0x0649 || u == 0x06CC)
            folded += QChar(0x064A); // ى and the Persian ی: ي
        else if (u == 0x06A9)
            folded += QChar(0x0643); // ک: ك
        else if (u == 0x0640 || (u >= 0x064B && u <= 0x0652) || c.category() == QChar::Other_Format)
            continue; // the stretching stroke, the vowel marks, invisible direction marks
        else if (c.isLetterOrNumber())
            folded += c;
        else
            folded += QLatin1Char(' ');
    }
    // "موبايل 2", "هاتف2": the number only counts the columns of one kind.
    qsizetype end = folded.size();
    while (end > 0 && (folded[end - 1].isDigit() || folded[end - 1] == QLatin1Char(' ')))
        --end;
    if (end > 0)
        folded.truncate(end);
    QStringList words = folded.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    // "الالكترونى" and "إلكترونى" are one word: the article goes, and so does an ال of the word itself.
    const QString article = QStringLiteral("ال");
    for (QString& word : words)
        while (word.startsWith(article) && word.size() > article.size() + 1)
            word.remove(0, article.size());
    if (words.size() > 1)
        words.removeAll(QStringLiteral("رقم"));
    return words.join(QLatin1Char(' '));
}

const QHash<QString, T>& arabicHeaders()
{
    static const QHash<QString, T> headers = [] {
        QHash<QString, T> h;
        for (const ContactField& field : ContactFields::kFields)
            h.insert(arabicKey(field.headingText()), targetOf(field.member));
        const std::pair<const char16_t*, T> known[] = {
            {u"الاسم", T::Name},
            {u"الاسم بالكامل", T::Name},
            {u"الاسم الكامل", T::Name},
            {u"الاسم الأول", T::FirstName},
            {u"الاسم الأوسط", T::MiddleName},
            {u"اسم الأب", T::MiddleName},
            {u"اسم العائلة", T::LastName},
            {u"الاسم الأخير", T::LastName},
            {u"اللقب", T::LastName},
            {u"الموبايل", T::Mobil},
            {u"موبيل", T::Mobil},
            {u"الجوال", T::Mobil},
            {u"المحمول", T::Mobil},
            {u"الهاتف المحمول", T::Mobil},
            {u"الهاتف الجوال", T::Mobil},
            {u"تليفون محمول", T::Mobil},
            {u"تليفون المنزل", T::HomeTel},
            {u"تلفون المنزل", T::HomeTel},
            {u"هاتف المنزل", T::HomeTel},
            {u"تليفون البيت", T::HomeTel},
            {u"هاتف البيت", T::HomeTel},
            {u"تليفون/ منزل", T::HomeTel},
            {u"الهاتف", T::HomeTel},
            {u"التليفون", T::HomeTel},
            {u"التلفون", T::HomeTel},
            {u"الهاتف الأرضي", T::HomeTel},
            {u"تليفون العمل", T::JobTel},
            {u"تلفون العمل", T::JobTel},
            {u"هاتف العمل", T::JobTel},
            {u"تليفون المكتب", T::JobTel},
            {u"هاتف المكتب", T::JobTel},
            {u"تليفون الشركة", T::JobTel},
            {u"هاتف الشركة", T::JobTel},
            {u"تليفون/ عمل", T::JobTel},
            {u"الفاكس", T::Fax},
            {u"البريد الإلكتروني", T::Email},
            {u"البريد", T::Email},
            {u"الإيميل", T::Email},
            {u"الإميل", T::Email},
            {u"العمل", T::Org},
            {u"الشركة", T::Org},
            {u"جهة العمل", T::Org},
            {u"مكان العمل", T::Org},
            {u"المؤسسة", T::Org},
            {u"العنوان", T::Address},
            {u"عنوان المنزل", T::Address},
            {u"ملاحظات", T::MoreInfo},
            {u"ملاحظة", T::MoreInfo},
            {u"بيانات إضافية", T::MoreInfo},
            {u"اسم جهة الاتصال", T::Name},
            {u"جهة الاتصال", T::Name},
            {u"اسم", T::Name},
            {u"الهاتف النقال", T::Mobil},
            {u"النقال", T::Mobil},
            {u"الهاتف الخلوي", T::Mobil},
            {u"الخلوي", T::Mobil},
            {u"الخليوي", T::Mobil},
            {u"تليفون موبايل", T::Mobil},
            {u"تليفون الموبايل", T::Mobil},
            {u"الهاتف المنزلي", T::HomeTel},
            {u"تليفون منزلي", T::HomeTel},
            {u"تلفون منزلي", T::HomeTel},
            {u"الهاتف الثابت", T::HomeTel},
            {u"تليفون أرضي", T::HomeTel},
            {u"تليفون ثابت", T::HomeTel},
            {u"تليفون الشغل", T::JobTel},
            {u"هاتف الشغل", T::JobTel},
            {u"تليفون مكتب", T::JobTel},
            {u"هاتف مكتب", T::JobTel},
            {u"فاكس العمل", T::Fax},
            {u"فاكس المنزل", T::Fax},
            {u"فاكس المكتب", T::Fax},
            {u"عنوان البريد الإلكتروني", T::Email},
            {u"البريد الاليكتروني", T::Email},
            {u"إيميل", T::Email},
            {u"اسم الشركة", T::Org},
            {u"اسم المؤسسة", T::Org},
            {u"اسم جهة العمل", T::Org},
            {u"الجهة", T::Org},
            {u"عنوان السكن", T::Address},
            {u"السكن", T::Address},
            {u"محل الإقامة", T::Address},
            {u"عنوان الإقامة", T::Address},
            {u"العنوان بالتفصيل", T::Address},
            {u"ملحوظات", T::MoreInfo},
            {u"ملحوظة", T::MoreInfo},
            {u"تعليق", T::MoreInfo},
            {u"تعليقات", T::MoreInfo},
            {u"هاتف آخر", T::OtherPhone},
            {u"تليفون آخر", T::OtherPhone},
            {u"تاريخ الميلاد", T::Birthday},
            {u"عيد الميلاد", T::Birthday},
            {u"الموقع", T::Website},
            {u"الموقع الإلكتروني", T::Website},
            {u"صفحة الويب", T::Website},
        };
        for (const auto& [name, target] : known)
            h.insert(arabicKey(QString::fromUtf16(name)), target);
        return h;
    }();
    return headers;
}

int addressPlace(const QString& part)
{
    static const QRegularExpression numbered(QStringLiteral(R"(^(street|address)(?: (\d))?$)"));
    if (const QRegularExpressionMatch m = numbered.match(part); m.hasMatch())
        return Street + m.captured(2).toInt();
    const std::pair<const char*, int> places[] = {
        {"extended address", Extended},
        {"po box", PoBox},
        {"city", City},
        {"state", Region},
        {"region", Region},
        {"postal code", PostalCode},
        {"zipcode", PostalCode},
        {"zip code", PostalCode},
        {"zip", PostalCode},
        {"country/region", Country},
        {"country", Country},
    };
    for (const auto& [name, place] : places)
        if (part == QLatin1String(name))
            return place;
    return 0;
}

// The words of our own layout's groups, as Google spells them.
const std::pair<const char16_t*, const char*> kOwnGroupKinds[] = {
    {u"تليفون", "phone"}, {u"بريد", "e-mail"}, {u"عنوان", "address"}, {u"موقع", "website"}, {u"مناسبة", "event"}};

// Our own layout's "تليفون 2 - النوع" / "عنوان 2 - القيمة" in Google's words.
QString ownGroupInGoogleWords(const QString& k)
{
    static const QRegularExpression own(QStringLiteral(R"(^(\S+) (\d+) - (النوع|القيمة)$)"));
    const QRegularExpressionMatch m = own.match(k);
    if (!m.hasMatch())
        return k;
    for (const auto& [arabic, english] : kOwnGroupKinds)
        if (m.captured(1) == QString::fromUtf16(arabic)) {
            const bool label = m.captured(3) == QStringLiteral("النوع");
            const char* field = label ? "label" : qstrcmp(english, "address") == 0 ? "formatted" : "value";
            return QStringLiteral("%1 %2 - %3").arg(QLatin1String(english), m.captured(2), QLatin1String(field));
        }
    return k;
}

// Google's numbered groups: "Phone 1 - Label", "E-mail 2 - Value", "Address 1 - City" ...
bool guessGrouped(const QString& k, T& target, CsvMapping::Column& column)
{
    static const QRegularExpression grouped(
        QStringLiteral(R"(^(e-mail|email|phone|address|organization|website|event) (\d+) - (.+)$)"));
    const QRegularExpressionMatch m = grouped.match(k);
    if (!m.hasMatch())
        return false;
    const QString kind = m.captured(1);
    const QString field = m.captured(3);
    column.group = kind + QLatin1Char(' ') + m.captured(2);
    if (field == QLatin1String("label") || field == QLatin1String("type"))
        target = kind == QLatin1String("organization") ? T::Ignore : T::Label;
    else if (kind == QLatin1String("phone"))
        target = field == QLatin1String("value") ? T::PhoneByType : T::Ignore;
    else if (kind == QLatin1String("e-mail") || kind == QLatin1String("email"))
        target = field == QLatin1String("value") ? T::Email : T::Ignore;
    else if (kind == QLatin1String("organization"))
        target = field == QLatin1String("name") ? T::Org : T::Ignore;
    else if (kind == QLatin1String("website"))
        target = field == QLatin1String("value") ? T::Website : T::Ignore;
    else if (kind == QLatin1String("event"))
        target = field == QLatin1String("value") ? T::Event : T::Ignore;
    else if (field == QLatin1String("formatted"))
        target = T::Address;
    else if ((column.part = addressPlace(field)) > 0)
        target = T::AddressPart;
    else
        target = T::Ignore;
    return true;
}

// Outlook's "Home Street" / "Business City", Thunderbird's "Home Address 2" / "Work ZipCode".
bool guessAddressPart(const QString& k, T& target, CsvMapping::Column& column)
{
    static const QRegularExpression spread(QStringLiteral(R"(^(home|business|work|other) (.+)$)"));
    const QRegularExpressionMatch m = spread.match(k);
    if (!m.hasMatch() || addressPlace(m.captured(2)) == 0)
        return false;
    target = T::AddressPart;
    column.group = m.captured(1);
    column.part = addressPlace(m.captured(2));
    column.label = column.group == QLatin1String("home") ? QString() : QStringLiteral("عنوان العمل");
    if (column.group == QLatin1String("other"))
        column.label = QStringLiteral("عنوان آخر");
    return true;
}

QStringList values(const QString& cell)
{
    QStringList out;
    for (const QString& value : cell.split(QStringLiteral(" ::: ")))
        if (!value.trimmed().isEmpty())
            out << value.trimmed();
    return out;
}

// Google marks the primary value's label with "* ".
QString plainLabel(QString label)
{
    label = label.trimmed();
    if (label.startsWith(QLatin1String("* ")))
        label.remove(0, 2);
    return label;
}

// A more value's label: the usual words as this program keeps them ("Work" is "work").
QString moreLabel(const QString& label)
{
    QString lower = label.toLower();
    for (const char* word : {"home", "work", "other", "mobile", "fax", "birthday", "anniversary"})
        if (lower == QLatin1String(word))
            return lower;
    return label;
}

// A date as address books write it in a CSV cell (1980-07-13, 19800713, --07-13, Outlook's
// 7/13/1980), as yyyy-mm-dd or --mm-dd with its calendar; our own layout marks a Hijri date
// with "هـ" after it. False for a cell that is no date (Outlook's "0/0/00" among them).
bool parseDate(const QString& cell, QString& date, QString& calendar)
{
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})-?(\d{2})-?(\d{2})(?:T.*)?$)"));
    static const QRegularExpression yearless(QStringLiteral(R"(^--(\d{2})-?(\d{2})$)"));
    static const QRegularExpression us(QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{4})$)"));
    QString text = cell.trimmed();
    calendar = QString::fromLatin1(ContactValue::kGregorian);
    const QString hijriMark = QStringLiteral(" هـ");
    const bool hijri = text.endsWith(hijriMark);
    if (hijri) {
        text.chop(hijriMark.size());
        calendar = QString::fromLatin1(ContactValue::kHijri);
    }
    int year = 0, month = 0, day = 0;
    if (const auto m = iso.match(text); m.hasMatch()) {
        year = m.captured(1).toInt(), month = m.captured(2).toInt(), day = m.captured(3).toInt();
    } else if (const auto y = yearless.match(text); y.hasMatch()) {
        month = y.captured(1).toInt(), day = y.captured(2).toInt();
        // Without a year: any day a month of its calendar can have (the 29th of February too).
        const bool valid =
            hijri ? month >= 1 && month <= 12 && day >= 1 && day <= 30 : QDate(2000, month, day).isValid();
        if (!valid)
            return false;
        date = QStringLiteral("--%1-%2").arg(month, 2, 10, QLatin1Char('0')).arg(day, 2, 10, QLatin1Char('0'));
        return true;
    } else if (const auto u = us.match(text); u.hasMatch() && !hijri) {
        year = u.captured(3).toInt(), month = u.captured(1).toInt(), day = u.captured(2).toInt();
    } else {
        return false;
    }
    const bool valid =
        hijri ? HijriCalendar::toGregorian(year, month, day).isValid() : QDate(year, month, day).isValid();
    if (!valid)
        return false;
    date = QStringLiteral("%1-%2-%3")
               .arg(year, 4, 10, QLatin1Char('0'))
               .arg(month, 2, 10, QLatin1Char('0'))
               .arg(day, 2, 10, QLatin1Char('0'));
    return true;
}

} // namespace

QStringList CsvMapping::ownHeaders()
{
    QStringList headers;
    for (const ContactField& field : ContactFields::kFields)
        headers << field.headingText();
    return headers;
}

QString CsvMapping::ownGroupHeader(ContactValue::Kind kind, int number, bool label)
{
    const int index = kind == ContactValue::Kind::Phone     ? 0
                      : kind == ContactValue::Kind::Email   ? 1
                      : kind == ContactValue::Kind::Address ? 2
                      : kind == ContactValue::Kind::Web     ? 3
                                                            : 4;
    return QStringLiteral("%1 %2 - %3")
        .arg(QString::fromUtf16(kOwnGroupKinds[index].first), QString::number(number),
             label ? QStringLiteral("النوع") : QStringLiteral("القيمة"));
}

QStringList CsvMapping::targetNames()
{
    return {QStringLiteral("(تجاهل)"),
            ContactFields::caption(&ContactFields::name),
            QStringLiteral("الاسم الأول"),
            QStringLiteral("الاسم الأوسط"),
            QStringLiteral("اسم العائلة"),
            ContactFields::caption(&ContactFields::hometel),
            ContactFields::caption(&ContactFields::jobtel),
            ContactFields::caption(&ContactFields::mobil),
            ContactFields::caption(&ContactFields::fax),
            ContactFields::caption(&ContactFields::address),
            ContactFields::caption(&ContactFields::email),
            ContactFields::caption(&ContactFields::org),
            ContactFields::caption(&ContactFields::moreinfo),
            QStringLiteral("تليفون حسب النوع"),
            QStringLiteral("تليفون آخر"),
            QStringLiteral("جزء من العنوان"),
            QStringLiteral("نوع القيمة"),
            QStringLiteral("تاريخ الميلاد"),
            QStringLiteral("الموقع"),
            QStringLiteral("مناسبة")};
}

CsvMapping CsvMapping::guess(const QStringList& headers)
{
    CsvMapping mapping;
    QSet<Target> singlesTaken; // looked up, not searched for: a file may have many columns
    for (const QString& header : headers) {
        const QString k = ownGroupInGoogleWords(key(header));
        Column column;
        column.label = header.trimmed();
        Target target = Ignore;
        if (!guessGrouped(k, target, column) && !guessAddressPart(k, target, column))
            target = singleHeaders().value(k, arabicHeaders().value(arabicKey(k), Ignore));
        // Outlook numbers the further columns of a kind: "Mobile Phone 3", "E-mail 4 Address".
        static const QRegularExpression counted(QStringLiteral(R"(^(.+?) \d+( address)?$)"));
        if (const QRegularExpressionMatch m = counted.match(k); target == Ignore && m.hasMatch())
            target = singleHeaders().value(m.captured(1) + m.captured(2), Ignore);
        if (target == Address && column.group.isEmpty())
            column.group = k;
        // A name, a name part or the notes twice: the first column wins.
        const bool single =
            target == Name || target == FirstName || target == MiddleName || target == LastName || target == MoreInfo;
        if (single && singlesTaken.contains(target))
            target = Ignore;
        else if (single)
            singlesTaken.insert(target);
        mapping.targets << target;
        mapping.columns << column;
    }
    return mapping;
}

bool CsvMapping::hasNameSource() const
{
    return targets.contains(Name) || targets.contains(FirstName) || targets.contains(LastName);
}

ContactFields CsvMapping::contact(const QStringList& row, int* movedToNotes, MoreValues* more) const
{
    ContactFields c;
    ContactSlots placed(c, more);
    MoreValues dates;
    QStringList notDates;
    QString first, middle, last;
    QHash<QString, QString> labels;
    for (int i = 0; i < targets.size() && i < row.size(); ++i)
        if (targets[i] == Label)
            labels.insert(columns.value(i).group, row[i]);
    // Addresses by group, in the order their first column stands.
    QStringList addressGroups;
    QHash<QString, QString> formatted;
    QHash<QString, QMap<int, QString>> parts;
    QHash<QString, QString> addressLabels;

    for (int i = 0; i < targets.size() && i < row.size(); ++i) {
        const QString& cell = row[i];
        const Column column = columns.value(i);
        if (cell.trimmed().isEmpty())
            continue;
        const QString groupLabel = plainLabel(labels.value(column.group));
        switch (targets[i]) {
        case Name:
            c.name = cell;
            break;
        case FirstName:
            first = cell;
            break;
        case MiddleName:
            middle = cell;
            break;
        case LastName:
            last = cell;
            break;
        case HomeTel:
        case JobTel:
        case Mobil:
        case Fax: {
            const Kind kind = targets[i] == HomeTel  ? Kind::Home
                              : targets[i] == JobTel ? Kind::Work
                              : targets[i] == Mobil  ? Kind::Mobile
                                                     : Kind::Fax;
            // Among the more values the kind is the label, not the header ("Mobile Phone 2").
            for (const QString& number : values(cell))
                placed.addPhone(number, kind, more ? QString() : column.label);
            break;
        }
        case PhoneByType: {
            const QStringList labelList = labels.value(column.group).split(QStringLiteral(" ::: "));
            const QStringList numbers = values(cell);
            for (int n = 0; n < numbers.size(); ++n) {
                const QString label = plainLabel(labelList.value(std::min<qsizetype>(n, labelList.size() - 1)));
                placed.addPhone(numbers[n], PhoneLabel::kindOf({label}), label);
            }
            break;
        }
        case OtherPhone: {
            static const QRegularExpression otherPhone(QStringLiteral(R"(^other phone(?: \d+)?$)"),
                                                       QRegularExpression::CaseInsensitiveOption);
            const QString label =
                more && otherPhone.match(column.label).hasMatch() ? QStringLiteral("other") : column.label;
            for (const QString& number : values(cell))
                placed.addPhone(number, PhoneLabel::kindOf({column.label}), label);
            break;
        }
        case Email:
            for (const QString& address : values(cell))
                placed.addEmail(address, groupLabel.isEmpty() ? QString()
                                         : more               ? moreLabel(groupLabel)
                                                : QStringLiteral("بريد الكترونى (%1)").arg(groupLabel));
            break;
        case Website:
            for (const QString& page : values(cell)) {
                if (more)
                    more->push_back({ContactValue::Kind::Web, moreLabel(groupLabel), page, QString()});
                else
                    notDates << QStringLiteral("%1: %2").arg(column.label, page);
            }
            break;
        case Birthday:
        case Event:
            for (const QString& text : values(cell)) {
                ContactValue date{ContactValue::Kind::Date, QStringLiteral("birthday"), {}, {}};
                // A group's date has its kind in the group's label; Outlook's "Anniversary" in its header.
                if (targets[i] == Event)
                    date.label = moreLabel(!column.group.isEmpty() ? groupLabel : column.label);
                if (more && parseDate(text, date.value, date.calendar))
                    dates.push_back(date);
                else if (text != QLatin1String("0/0/00"))
                    notDates << QStringLiteral("%1: %2").arg(column.label, text);
            }
            break;
        case Org:
            placed.addOrganisation(cell);
            break;
        case MoreInfo:
            if (c.moreinfo.isEmpty())
                c.moreinfo = cell;
            break;
        case Address:
        case AddressPart: {
            const QString group = column.group;
            if (!addressGroups.contains(group))
                addressGroups << group;
            if (!groupLabel.isEmpty())
                addressLabels.insert(group,
                                     more ? moreLabel(groupLabel) : QStringLiteral("العنوان (%1)").arg(groupLabel));
            else if (!column.label.isEmpty() && targets[i] == AddressPart)
                addressLabels.insert(group, more && column.group != QLatin1String("home")
                                                ? (column.group == QLatin1String("other") ? QStringLiteral("other")
                                                                                          : QStringLiteral("work"))
                                                : column.label);
            if (targets[i] == Address)
                formatted.insert(group, cell);
            else
                parts[group].insert(column.part, cell.trimmed());
            break;
        }
        case Ignore:
        case Label:
            break;
        }
    }
    // A home address, or one of no kind, has the first claim on the address field.
    std::stable_sort(addressGroups.begin(), addressGroups.end(), [&addressLabels](const QString& a, const QString& b) {
        auto isHome = [&addressLabels](const QString& group) {
            const QString label = addressLabels.value(group);
            return label.isEmpty() || label.contains(QLatin1String("home"), Qt::CaseInsensitive);
        };
        return isHome(a) && !isHome(b);
    });
    for (const QString& group : addressGroups) {
        const QStringList joined = parts.value(group).values();
        const QString whole =
            !formatted.value(group).trimmed().isEmpty() ? formatted.value(group) : joined.join(QStringLiteral(", "));
        for (const QString& address : values(whole))
            placed.addAddress(address, addressLabels.value(group));
    }
    if (c.name.isEmpty()) {
        QStringList spoken;
        for (const QString& part : {first, middle, last})
            if (!part.trimmed().isEmpty())
                spoken << part.trimmed();
        c.name = spoken.join(QLatin1Char(' '));
    }
    placed.finish();
    if (more) {
        more->insert(more->end(), dates.begin(), dates.end());
        // Numbers are placed last of all; each kind keeps the order of its columns.
        std::stable_sort(more->begin(), more->end(),
                         [](const ContactValue& a, const ContactValue& b) { return a.kind < b.kind; });
    }
    if (!notDates.isEmpty()) {
        // What cannot be kept as a value of its own is kept where the user will find it.
        const QString lines = notDates.join(QLatin1Char('\n'));
        c.moreinfo = c.moreinfo.isEmpty() ? lines : c.moreinfo + QLatin1Char('\n') + lines;
    }
    if (movedToNotes)
        *movedToNotes += placed.movedToNotes() + int(notDates.size());
    return c;
}
