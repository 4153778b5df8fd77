#include "ServerMessages.h"

#include <QNetworkReply>

// Why no answer came, in words of our own (the network layer's are English outside the window).
QString ServerMessages::reason(const DavResponse& answer)
{
    switch (QNetworkReply::NetworkError(answer.networkError)) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("رفض الجهاز الاتصال , قد يكون الخادم متوقفا");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("قطع الخادم الاتصال قبل أن يرد");
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("لم يعثر على الخادم , راجع العنوان");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("انتهت مهلة الاتصال");
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return QStringLiteral("الشبكة غير متاحة");
    default:
        return QStringLiteral("خطأ فى الشبكة (%1)").arg(answer.networkError);
    }
}

QString ServerMessages::failure(const DavResponse& answer, const QUrl& url)
{
    using Failure = DavResponse::Failure;
    switch (answer.failure) {
    case Failure::Cancelled:
        return QStringLiteral("تم الإلغاء");
    case Failure::Timeout:
        return QStringLiteral("لم يرد الخادم %1 في الوقت المحدد").arg(url.host());
    case Failure::Certificate:
        return QStringLiteral("رفض الاتصال بالخادم %1: شهادة الخادم غير موثوقة").arg(url.host());
    case Failure::Unreachable:
        return QStringLiteral("تعذر الاتصال بالخادم %1: %2").arg(url.host(), reason(answer));
    case Failure::Incomplete:
        return QStringLiteral("انقطع رد الخادم %1 قبل أن يكتمل").arg(url.host());
    case Failure::TooLarge:
        return QStringLiteral("رد الخادم %1 أكبر من 64 ميجابايت , لم يقرأ").arg(url.host());
    case Failure::Unreadable:
        return QStringLiteral("رد الخادم %1 ليس ما طلب منه , لم يستخدم").arg(url.host());
    case Failure::Redirected:
    case Failure::OtherOrigin:
        return QStringLiteral("أحال الخادم من %1 إلى %2 , لم تتابع الإحالة ولم ترسل كلمة المرور إلى عنوان آخر")
            .arg(answer.url.toDisplayString(QUrl::RemoveUserInfo),
                 answer.location.toDisplayString(QUrl::RemoveUserInfo));
    case Failure::None:
        break;
    }
    if (answer.status == 401)
        return QStringLiteral("رفض الخادم اسم المستخدم أو كلمة المرور");
    if (answer.status == 403)
        return QStringLiteral("رفض الخادم الطلب: لا يسمح لهذا المستخدم بذلك");
    if (answer.status == 404)
        return QStringLiteral("العنوان غير موجود على الخادم: %1").arg(url.toDisplayString());
    if (answer.status >= 500)
        return QStringLiteral("حدث خطأ في الخادم (%1)").arg(answer.status);
    return QStringLiteral("رفض الخادم الطلب (%1)").arg(answer.status);
}
