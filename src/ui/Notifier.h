#pragma once

#include <QString>

// Tells the user something that happened out of sight (a timed sync that failed) through the
// desktop's notifications. A desktop without them shows nothing: notify says so, and the caller
// tells it its own way.
class Notifier
{
public:
    // Whether the desktop took the notification.
    static bool notify(const QString& summary, const QString& body);

    // How long the desktop may take to answer before it counts as having no notifications.
    static constexpr int kAnswerMs = 3000;
};
