#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What choosing a result does: the window shows the contact of that id, or opens its search
// with the typed text. A running window does it
// itself; the service without a window starts the program for it (ContactLaunch).
struct SearchActions {
    std::function<void(const QString& id)> showContact;
    std::function<void(const QString& text)> showSearch;
};
