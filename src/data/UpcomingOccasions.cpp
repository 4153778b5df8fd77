#include "UpcomingOccasions.h"

#include "ContactValueStore.h"

#include <algorithm>

DataResult UpcomingOccasions::read(DataConnection& connection, const QDate& today, int days, std::vector<Entry>& out)
{
    out.clear();
    std::vector<ContactValueStore::NamedDate> dates;
    if (DataResult read = ContactValueStore(connection).readUnlockedDates(dates); !read)
        return read;
    const QDate last = today.addDays(days - 1);
    for (ContactValueStore::NamedDate& dated : dates) {
        const std::optional<Occasion> next = Occasion::next(dated.date, today);
        if (next && next->day <= last)
            out.push_back({std::move(dated.name), std::move(dated.dir), std::move(dated.date), *next});
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const Entry& a, const Entry& b) { return a.occasion.day < b.occasion.day; });
    return {};
}

QString UpcomingOccasions::caption(const ContactValue& date)
{
    if (date.label == QLatin1String("birthday"))
        return QStringLiteral("عيد ميلاد");
    if (date.label == QLatin1String("anniversary"))
        return QStringLiteral("ذكرى سنوية");
    if (date.label.trimmed().isEmpty())
        return QStringLiteral("مناسبة");
    return date.label;
}
