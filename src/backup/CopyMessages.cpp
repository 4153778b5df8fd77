#include "CopyMessages.h"

QString CopyMessages::reason(const QString& systemError)
{
    // A reason the program gave in its own words (a refused target) is said as it is.
    for (const QChar c : systemError)
        if (c.script() == QChar::Script_Arabic)
            return systemError;
    const QString e = systemError.toLower();
    if (e.contains(QLatin1String("permission")) || e.contains(QLatin1String("read-only")) ||
        e.contains(QLatin1String("access")))
        return QStringLiteral("لا يمكن الكتابة فى هذا المكان: المجلد للقراءة فقط أو ليس لك صلاحية عليه");
    if (e.contains(QLatin1String("no space")) || e.contains(QLatin1String("disk full")) ||
        e.contains(QLatin1String("quota")))
        return QStringLiteral("لا توجد مساحة كافية على القرص");
    if (e.contains(QLatin1String("not a folder")) || e.contains(QLatin1String("no such")))
        return QStringLiteral("المكان المحدد غير موجود");
    if (e.contains(QLatin1String("encrypted")) || e.contains(QLatin1String("not a database")) ||
        e.contains(QLatin1String("tables")) || e.contains(QLatin1String("malformed")))
        return QStringLiteral("الملف ليس نسخة احتياطية صالحة لقاعدة البيانات أو أنه تالف");
    return QStringLiteral("حدث خطأ أثناء نسخ الملف");
}
