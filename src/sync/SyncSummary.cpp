#include "SyncSummary.h"

void SyncSummary::add(const SyncSummary& other)
{
    received += other.received;
    sent += other.sent;
    deleted += other.deleted;
    conflicts += other.conflicts;
    renamed += other.renamed;
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
    return lines.join(QLatin1Char('\n'));
}
