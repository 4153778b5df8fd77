#include "ContactGenerator.h"

namespace
{

const QStringList& arabicFirst()
{
    static const QStringList names =
        QString::fromUtf8("أحمد محمد محمود إبراهيم علي عمر خالد يوسف حسن حسين مصطفى طارق سامي عادل كريم ياسر وليد هشام "
                          "فاطمة عائشة مريم نور سارة هدى إيمان آمال أسماء ليلى سلمى رانيا منى دينا ريم هالة")
            .split(QLatin1Char(' '));
    return names;
}

const QStringList& arabicLast()
{
    static const QStringList names =
        QString::fromUtf8("عبد الله,السيد,الشريف,المصري,العلي,حسن,إبراهيم,الخطيب,النجار,الحداد,سليمان,عثمان,البنا,"
                          "الشامي,القاضي,منصور,فهمي,رشدي,الجمال,عبد الرحمن,زكي,عيسى,موسى,الأنصاري")
            .split(QLatin1Char(','));
    return names;
}

const QStringList& latinFirst()
{
    static const QStringList names =
        QStringLiteral("James Mary John Patricia Robert Jennifer Michael Linda William Elizabeth David Barbara Richard "
                       "Susan Joseph Jessica Thomas Sarah Charles Karen Omar Layla Zain Nadia André Zoë")
            .split(QLatin1Char(' '));
    return names;
}

const QStringList& latinLast()
{
    static const QStringList names =
        QStringLiteral("Smith Johnson Williams Brown Jones Garcia Miller Davis Rodriguez Martinez Hernandez Lopez "
                       "Gonzalez Wilson Anderson Thomas Taylor Moore Jackson Martin Lee Haddad Khoury Nassar")
            .split(QLatin1Char(' '));
    return names;
}

const QStringList& streets()
{
    static const QStringList names =
        QString::fromUtf8("شارع التحرير,شارع الجمهورية,شارع النيل,ميدان رمسيس,شارع الهرم,Baker Street,Main Street,"
                          "شارع فيصل,طريق الكورنيش,Rue de la Paix,شارع الملك فيصل")
            .split(QLatin1Char(','));
    return names;
}

const QStringList& organisations()
{
    static const QStringList names =
        QString::fromUtf8("وزارة التربية والتعليم,مدرسة النصر,مستشفى السلام,شركة النيل للتجارة,بنك مصر,جامعة القاهرة,"
                          "Acme Corp,Globex,Initech,مكتب المحاماة,الشركة العربية للمقاولات,")
            .split(QLatin1Char(','));
    return names;
}

const QStringList& noteWords()
{
    static const QStringList words =
        QString::fromUtf8(
            "يفضل الاتصال مساء بعد الساعة السادسة صديق قديم من أيام الدراسة زميل في العمل جار في العمارة "
            "call after five prefers email met at conference أرسل التهنئة في الأعياد رقم المكتب يتغير كل عام")
            .split(QLatin1Char(' '));
    return words;
}

} // namespace

ContactGenerator::ContactGenerator(quint32 seed) : m_random(seed) {}

QString ContactGenerator::pick(const QStringList& list)
{
    return list.at(int(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(m_random)));
}

QString ContactGenerator::digits(int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += QChar(u'0' + std::uniform_int_distribution<int>(0, 9)(m_random));
    return text;
}

QStringList ContactGenerator::contact(qsizetype index, const QString& dir)
{
    const bool arabic = std::uniform_int_distribution<int>(0, 3)(m_random) != 0;
    const QString name =
        arabic ? pick(arabicFirst()) + QLatin1Char(' ') + pick(arabicFirst()) + QLatin1Char(' ') + pick(arabicLast())
               : pick(latinFirst()) + QLatin1Char(' ') + pick(latinLast());
    // The running number keeps names unique, as the table requires.
    const QString uniqueName = name + QLatin1Char(' ') + QString::number(index);
    QString note;
    while (note.size() < 100)
        note += pick(noteWords()) + QLatin1Char(' ');
    const QString email = arabic ? QStringLiteral("user%1@example.com").arg(index)
                                 : name.section(QLatin1Char(' '), 0, 0).toLower() + QString::number(index) +
                                       QStringLiteral("@example.org");
    return {uniqueName,
            QStringLiteral("02") + digits(8),
            QStringLiteral("02") + digits(8),
            QStringLiteral("01") + digits(9),
            std::uniform_int_distribution<int>(0, 4)(m_random) == 0 ? QStringLiteral("02") + digits(8) : QString(),
            QString::number(std::uniform_int_distribution<int>(1, 200)(m_random)) + QLatin1Char(' ') + pick(streets()),
            email,
            pick(organisations()),
            note.trimmed(),
            dir};
}

QString ContactGenerator::directoryName(int index)
{
    static const QStringList names =
        QString::fromUtf8("العائلة,الأصدقاء,العمل,الأطباء,المدرسة,الجامعة,الجيران,النادي,الموردون,العملاء,البنوك,"
                          "الحكومة,المطاعم,الصيانة,السفر,الفنادق,المحامون,الصحافة,الرياضة,المسجد,متفرقات")
            .split(QLatin1Char(','));
    return index < names.size() ? names.at(index) : QStringLiteral("دليل %1").arg(index + 1);
}
