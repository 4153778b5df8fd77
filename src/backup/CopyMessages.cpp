#include "CopyMessages.h"

QString CopyMessages::reason(const QString& failure)
{
    // The book's copies word their failures in Arabic, and are said as they are; anything else
    // is no text for a user to read.
    for (const QChar c : failure)
        if (c.script() == QChar::Script_Arabic)
            return failure;
    return QStringLiteral("حدث خطأ أثناء نسخ الملف");
}
