#pragma once

#include "ContactValue.h"

#include <QDate>

#include <optional>

// When a contact's date (a birthday, an anniversary) next comes round, counted in the calendar it
// was kept in: a Hijri birthday comes round by the Hijri year, not on its Gregorian day.
struct Occasion {
    QDate day{};    // the Gregorian day it falls on
    int years = -1; // the years it marks; -1 when the date has no year

    // The first day from today on that the date comes round; nothing for a date not understood.
    static std::optional<Occasion> next(const ContactValue& date, const QDate& today);
};
