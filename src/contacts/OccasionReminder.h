#pragma once

#include <QDate>
#include <QString>

// Today's and tomorrow's birthdays and anniversaries, told through the desktop's notifications
// as the program starts; a desktop without them shows nothing.
class OccasionReminder
{
public:
    // Whether the desktop took a reminder (false too when there was nothing to tell).
    static bool remind(const QDate& today = QDate::currentDate());
    // The reminder's text, one line an occasion; empty when there are none.
    static QString text(const QDate& today);
};
