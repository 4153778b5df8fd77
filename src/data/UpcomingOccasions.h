#pragma once

#include "DataConnection.h"
#include "Occasion.h"

// The birthdays and anniversaries of the coming days, from the directories without a password,
// nearest first.
class UpcomingOccasions
{
public:
    struct Entry {
        QString name{}, dir{};
        ContactValue date{};
        Occasion occasion{};
    };

    // From today through today + days - 1 (days 1: today's alone).
    static DataResult read(DataConnection& connection, const QDate& today, int days, std::vector<Entry>& out);
    // What the occasion is, in words: the kept label, or the word for a birthday or anniversary.
    static QString caption(const ContactValue& date);
};
