#pragma once

#include <QObject>

class MainForm;
class MainMenus;
class QAction;
class QToolButton;
class UndoHistory;
struct DataResult;

// "تراجع" and "إعادة": Ctrl+Z and Ctrl+Shift+Z anywhere in the window, at the top of the contact
// and directory menus, and the toolbar's undo button, each named after what it would take back
// or make again. A step that fails says why; the lists follow whatever a step did.
class UndoCommands : public QObject
{
    Q_OBJECT
public:
    UndoCommands(MainForm& form, UndoHistory& history, MainMenus& menus, QToolButton* toolbarButton);

    QAction* undoAction() const { return m_undo; }

private:
    void takeStep(const DataResult& step);

    MainForm& m_form;
    QAction* m_undo;
    QAction* m_redo;
};
