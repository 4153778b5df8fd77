#include "SyncSummary.h"

void SyncSummary::add(const SyncSummary& other)
{
    received += other.received;
    sent += other.sent;
    deleted += other.deleted;
    conflicts += other.conflicts;
    renamed += other.renamed;
    refused += other.refused;
    unreadable += other.unreadable;
    readOnly |= other.readOnly;
    if (error.isEmpty())
        error = other.error;
    cancelled |= other.cancelled;
}

QString SyncSummary::text() const
{
    QStringList lines;
    if (cancelled)
        lines << QStringLiteral("تم إلغاء المزامنة قبل أن تكتمل , لم يفقد شىء وستكمل المزامنة التالية العمل");
    else if (!error.isEmpty())
        lines << error << QStringLiteral("لم يفقد شىء , ستكمل المزامنة التالية العمل");
    else
        lines << QStringLiteral("تمت المزامنة");
    lines << QStringLiteral("تم استلام: %1").arg(received) << QStringLiteral("تم إرسال: %1").arg(sent)
          << QStringLiteral("تم حذف: %1").arg(deleted) << QStringLiteral("تعارضات: %1").arg(conflicts.size());
    for (const auto& [name, copy] : conflicts)
        lines << QStringLiteral("  \"%1\": أخذت نسخة الخادم مكانها وحفظت النسخة المحلية باسم \"%2\"").arg(name, copy);
    lines << QStringLiteral("أسماء تم تغييرها: %1").arg(renamed.size());
    for (const auto& [from, to] : renamed)
        lines << QStringLiteral("  \"%1\" موجود بالفعل , تم حفظه باسم \"%2\"").arg(from, to);
    if (readOnly)
        lines << QStringLiteral("دفتر العناوين للقراءة فقط: تم استلام ما فيه , ولم ترسل إليه التغييرات المحلية");
    if (!refused.isEmpty()) {
        lines << QStringLiteral("رفض الخادم: %1").arg(refused.size());
        for (const QString& why : refused)
            lines << QStringLiteral("  ") + why;
    }
    if (unreadable > 0)
        lines << QStringLiteral("بطاقات غير مفهومة على الخادم لم تستلم: %1").arg(unreadable);
    return lines.join(QLatin1Char('\n'));
}
