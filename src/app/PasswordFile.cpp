#include "PasswordFile.h"

#include "BoundedFileRead.h"
#include "SecretMemory.h"

#include <sys/stat.h>

PasswordFile::~PasswordFile()
{
    SecretMemory::wipe(password);
}

PasswordFile PasswordFile::read(const QString& path)
{
    PasswordFile file;
    if (path.isEmpty())
        return file;
    file.given = true;
    BoundedFileRead::Result read = BoundedFileRead::read(path, kMaxBytes);
    switch (read.outcome) {
    case BoundedFileRead::Outcome::CannotOpen:
        file.refused = QStringLiteral("لا يمكن قراءة ملف كلمة المرور %1: %2").arg(path, read.error);
        return file;
    case BoundedFileRead::Outcome::NotRegular:
        file.refused = QStringLiteral("ملف كلمة المرور %1 ليس ملفا عاديا (مجلد أو جهاز أو أنبوب) , لم يقرأ").arg(path);
        return file;
    case BoundedFileRead::Outcome::TooLarge:
        file.refused = QStringLiteral("ملف كلمة المرور %1 أكبر من 4 كيلوبايت , لم يقرأ").arg(path);
        return file;
    case BoundedFileRead::Outcome::Read:
        break;
    }
    if ((read.mode & (S_IRGRP | S_IROTH)) != 0)
        file.warning =
            QStringLiteral("تنبيه: ملف كلمة المرور %1 يقرؤه غير صاحبه , اجعله له وحده (chmod 600 %1)").arg(path);
    file.password = QString::fromUtf8(read.bytes);
    SecretMemory::wipe(read.bytes); // the password lives on in file.password alone
    while (file.password.endsWith(QLatin1Char('\n')) || file.password.endsWith(QLatin1Char('\r')))
        file.password.chop(1);
    return file;
}
