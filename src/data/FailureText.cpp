#include "FailureText.h"

#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>

QString FailureText::ofDatabase(int code)
{
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("الدفتر مشغول الآن، حاول بعد قليل");
    case SQLITE_CANTOPEN:
        return QStringLiteral("تعذر فتح الملف أو الكتابة بجانبه: قد يكون غير موجود أو بلا صلاحية عليه");
    case SQLITE_NOTADB:
        return QStringLiteral("تعذرت قراءة الملف: ليس دفتر هاتف، أو تالف، أو كلمة سره غير هذه");
    case SQLITE_CORRUPT:
        return QStringLiteral("الملف تالف");
    case SQLITE_FULL:
        return ofSystem(ENOSPC);
    case SQLITE_READONLY:
        return QStringLiteral("الملف للقراءة فقط ولا يمكن الكتابة فيه");
    case SQLITE_IOERR:
        return ofSystem(EIO);
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ofSystem(EACCES);
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
        return ofOpening(file.fileName());
    case QFileDevice::ReadError:
        return QStringLiteral("تعذرت القراءة من الملف");
    case QFileDevice::WriteError:
    case QFileDevice::ResizeError:
        return QStringLiteral("تعذرت الكتابة فى الملف، قد يكون القرص ممتلئًا");
    case QFileDevice::PermissionsError:
        return ofSystem(EACCES);
    default:
        return QStringLiteral("تعذر الوصول إلى الملف");
    }
}

QString FailureText::ofOpening(const QString& path)
{
    // Every failure to open is one error to the file: where it stands tells the user why.
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return QStringLiteral("المكان المحدد غير موجود");
    if (!file.exists() && !folder.isWritable())
        return QStringLiteral("لا يمكن الكتابة فى هذا المكان: المجلد للقراءة فقط أو ليس لك صلاحية عليه");
    if (file.exists() && !file.isReadable())
        return QStringLiteral("لا توجد صلاحية لقراءة الملف");
    return QStringLiteral("تعذر فتح الملف");
}
