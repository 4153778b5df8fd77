#include "SyncSummary.h"

#include "CardMerge.h"
#include "OutsideText.h"
#include "ServerMessages.h"

QString SyncSummary::error() const
{
    switch (stop) {
    case Stop::None:
        return QString();
    case Stop::Server:
        return ServerMessages::failure(answer, book);
    case Stop::Locked:
        return QStringLiteral("الدليل مقفل برمز حماية , لا يزامن دليل مقفل");
    case Stop::Storage:
        return QStringLiteral("تعذر حفظ ما جاء من الخادم في قاعدة البيانات: %1").arg(detail);
    case Stop::EndlessListing:
        return QStringLiteral("لم تنته قائمة التغييرات التى أرسلها الخادم %1").arg(book.host());
    case Stop::TooMuch:
        return QStringLiteral("أرسل الخادم %1 في هذه المزامنة أكثر من %2 ميجابايت من البطاقات , لم يستخدم منها شيء")
            .arg(book.host())
            .arg(detail);
    case Stop::PlainHttp:
        return QStringLiteral("العنوان %1 غير مشفر (http) ولم توافق على ذلك على هذا الجهاز: لم يزامن الدليل ولم ترسل "
                              "كلمة المرور. اربطه من جديد من نافذة المزامنة إن كنت تثق بالشبكة")
            .arg(book.toDisplayString(QUrl::RemoveUserInfo));
    case Stop::NoPassword:
        return QStringLiteral("لا توجد كلمة مرور للمستخدم \"%1\" على الخادم %2").arg(detail, book.host());
    }
    return QString();
}

void SyncSummary::stopAt(const DavResponse& stopping, const QUrl& at)
{
    if (stopping.failure == DavResponse::Failure::Cancelled) {
        cancelled = true;
        return;
    }
    stop = Stop::Server;
    answer = stopping;
    answer.body.clear();
    answer.listing.reset();
    book = at;
}

void SyncSummary::add(const SyncSummary& other)
{
    received += other.received;
    added.insert(added.end(), other.added.begin(), other.added.end());
    sent += other.sent;
    deleted += other.deleted;
    conflicts += other.conflicts;
    renamed += other.renamed;
    refused += other.refused;
    unreadable += other.unreadable;
    valuesLeft += other.valuesLeft;
    readOnly |= other.readOnly;
    if (stop == Stop::None && other.stop != Stop::None) {
        stop = other.stop;
        answer = other.answer;
        book = other.book;
        detail = other.detail;
    }
    cancelled |= other.cancelled;
}

QString SyncSummary::text() const
{
    QStringList lines;
    if (cancelled)
        lines << QStringLiteral("تم إلغاء المزامنة قبل أن تكتمل , لم يفقد شىء وستكمل المزامنة التالية العمل");
    else if (stop != Stop::None)
        lines << error() << QStringLiteral("لم يفقد شىء , ستكمل المزامنة التالية العمل");
    else
        lines << QStringLiteral("تمت المزامنة");
    // The names come from servers, or from rows kept before such text was cleaned: one line each, as shown.
    lines << QStringLiteral("تم استلام: %1").arg(received) << QStringLiteral("تم إرسال: %1").arg(sent)
          << QStringLiteral("تم حذف: %1").arg(deleted) << QStringLiteral("تعارضات: %1").arg(conflicts.size());
    for (const auto& [name, copy] : conflicts)
        lines << QStringLiteral("  \"%1\": أخذت نسخة الخادم مكانها وحفظت النسخة المحلية باسم \"%2\"")
                     .arg(OutsideText::oneLine(name), OutsideText::oneLine(copy));
    lines << QStringLiteral("أسماء تم تغييرها: %1").arg(renamed.size());
    for (const auto& [from, to] : renamed)
        lines << QStringLiteral("  \"%1\" موجود بالفعل , تم حفظه باسم \"%2\"")
                     .arg(OutsideText::oneLine(from), OutsideText::oneLine(to));
    if (readOnly)
        lines << QStringLiteral("دفتر العناوين للقراءة فقط: تم استلام ما فيه , ولم ترسل إليه التغييرات المحلية");
    if (!refused.isEmpty()) {
        lines << QStringLiteral("رفض الخادم: %1").arg(refused.size());
        for (const Refusal& refusal : refused)
            lines << QStringLiteral("  \"%1\": %2")
                         .arg(OutsideText::oneLine(refusal.name),
                              ServerMessages::failure(refusal.answer, refusal.answer.url));
    }
    if (unreadable > 0)
        lines << QStringLiteral("بطاقات غير مفهومة على الخادم لم تستلم: %1").arg(unreadable);
    if (valuesLeft > 0)
        lines << QStringLiteral(
                     "قيم أخرى بقيت فى البطاقات على الخادم ولم تضف هنا (أكثر من %1 لجهة واحدة أو قيمة طويلة جدا): %2")
                     .arg(CardMerge::kMostValues)
                     .arg(valuesLeft);
    if (likelyDuplicates > 0)
        lines << QStringLiteral("%1 ربما مكررة (لها فى الدفتر ما يشبهها؛ انظر «البحث عن المكررات» فى الأدوات)")
                     .arg(likelyDuplicates);
    return lines.join(QLatin1Char('\n'));
}
