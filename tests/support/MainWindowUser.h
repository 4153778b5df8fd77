#pragma once

#include <QList>
#include <QString>

#include <memory>

class MainForm;
class QMenu;
class QMimeData;

// What the window tests do as the user: start the program's main window on the test database
// (menus are recorded instead of popping up) and click an item of a list.
class MainWindowUser
{
public:
    // Builds, wires, loads and shows the main window; popups collects every menu it pops up.
    static std::unique_ptr<MainForm> start(QList<QMenu*>* popups = nullptr);
    // Clicks the directory of that name in the directory list; fails the test if it is absent.
    static bool clickDirectory(MainForm& form, const QString& name);
    // Drags data over the directory of that name and lets go: true when the list took it there.
    static bool dropOnDirectory(MainForm& form, const QString& name, const QMimeData& data);
};
