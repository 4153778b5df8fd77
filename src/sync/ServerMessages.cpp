#include "ServerMessages.h"

QString ServerMessages::failure(const DavResponse& answer, const QUrl& url)
{
    using Failure = DavResponse::Failure;
    switch (answer.failure) {
    case Failure::Cancelled:
        return QStringLiteral("تم الإلغاء");
    case Failure::Timeout:
        return QStringLiteral("لم يرد الخادم %1 في الوقت المحدد").arg(url.host());
    case Failure::Certificate:
        return QStringLiteral("رفض الاتصال بالخادم %1: شهادة الخادم غير موثوقة (%2)").arg(url.host(), answer.error);
    case Failure::Unreachable:
        return QStringLiteral("تعذر الاتصال بالخادم %1: %2").arg(url.host(), answer.error);
    case Failure::None:
        break;
    }
    if (answer.status == 401 || answer.status == 403)
        return QStringLiteral("رفض الخادم اسم المستخدم أو كلمة المرور");
    if (answer.status == 404)
        return QStringLiteral("العنوان غير موجود على الخادم: %1").arg(url.toDisplayString());
    if (answer.status >= 500)
        return QStringLiteral("حدث خطأ في الخادم (%1)").arg(answer.status);
    return QStringLiteral("رفض الخادم الطلب (%1)").arg(answer.status);
}
