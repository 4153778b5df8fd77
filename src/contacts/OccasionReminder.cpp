#include "OccasionReminder.h"

#include "Notifier.h"
#include "Preferences.h"
#include "SharedData.h"
#include "UpcomingOccasions.h"

#include <QLocale>

QString OccasionReminder::text(const QDate& today)
{
    std::vector<UpcomingOccasions::Entry> entries;
    if (DataResult read = UpcomingOccasions::read(SharedData::connection(), today, 2, entries); !read)
        return QStringLiteral("تعذر قراءة المناسبات: ") + read.error;
    QLocale digits(QLocale::Arabic, QLocale::Egypt);
    digits.setNumberOptions(QLocale::OmitGroupSeparator);
    QStringList lines;
    for (const UpcomingOccasions::Entry& entry : entries) {
        QString line = QStringLiteral("%1: %2 «%3»")
                           .arg(entry.occasion.day == today ? QStringLiteral("اليوم") : QStringLiteral("غدا"),
                                UpcomingOccasions::caption(entry.date), entry.name);
        if (entry.occasion.years > 0)
            line += QStringLiteral(" (%1)").arg(digits.toString(entry.occasion.years));
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

bool OccasionReminder::remind(const QDate& today)
{
    if (!Preferences::remindOccasions())
        return false;
    const QString body = text(today);
    return !body.isEmpty() && Notifier::notify(QStringLiteral("مناسبات اليوم والغد"), body);
}
