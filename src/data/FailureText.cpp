#include "FailureText.h"

#include <sqlite3.h>

#include <cerrno>

QString FailureText::ofDatabase(int code)
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("الدفتر مشغول ببرنامج آخر يكتب فيه، حاول بعد قليل");
    case SQLITE_CANTOPEN:
        return QStringLiteral("تعذر فتح الملف: غير موجود أو لا يمكن الوصول إليه");
    case SQLITE_NOTADB:
        return QStringLiteral("الملف ليس دفتر هاتف أو كلمة سره غير هذه");
    case SQLITE_CORRUPT:
        return QStringLiteral("الملف تالف");
    case SQLITE_FULL:
        return QStringLiteral("لا توجد مساحة كافية على القرص");
    case SQLITE_READONLY:
        return QStringLiteral("الملف للقراءة فقط ولا يمكن الكتابة فيه");
    case SQLITE_IOERR:
        return QStringLiteral("تعذرت القراءة من القرص أو الكتابة عليه");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("لا توجد صلاحية للوصول إلى الملف");
    case SQLITE_NOMEM:
        return QStringLiteral("لا توجد ذاكرة كافية");
    case SQLITE_TOOBIG:
        return QStringLiteral("البيان أكبر مما يحفظه الدفتر");
    case SQLITE_INTERRUPT:
        return QStringLiteral("توقفت العملية قبل أن تتم");
    default:
        return QStringLiteral("خطأ فى الدفتر (رقم %1)").arg(code);
    }
}

QString FailureText::ofSystem(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("الملف أو المجلد غير موجود");
    case EACCES:
    case EPERM:
        return QStringLiteral("لا توجد صلاحية للوصول إلى الملف");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("لا توجد مساحة كافية على القرص");
    case EROFS:
        return QStringLiteral("القرص للقراءة فقط");
    case EEXIST:
        return QStringLiteral("يوجد ملف بهذا الاسم");
    case EISDIR:
        return QStringLiteral("هذا مجلد وليس ملفًا");
    case ELOOP:
        return QStringLiteral("المسار يمر برابط رمزى");
    case ENAMETOOLONG:
        return QStringLiteral("اسم الملف أطول من المسموح");
    case EIO:
        return QStringLiteral("تعذرت القراءة من القرص أو الكتابة عليه");
    default:
        return QStringLiteral("خطأ من النظام (رقم %1)").arg(error);
    }
}

QString FailureText::ofFile(const QFileDevice& file)
{
    switch (file.error()) {
    case QFileDevice::OpenError:
        return QStringLiteral("تعذر فتح الملف");
    case QFileDevice::ReadError:
        return QStringLiteral("تعذرت القراءة من الملف");
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        return QStringLiteral("تعذرت الكتابة فى الملف، قد يكون القرص ممتلئًا");
    case QFileDevice::PermissionsError:
        return QStringLiteral("لا توجد صلاحية للوصول إلى الملف");
    default:
        return QStringLiteral("تعذر الوصول إلى الملف");
    }
}
