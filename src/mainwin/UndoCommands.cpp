#include "UndoCommands.h"

#include "MainForm.h"
#include "MainMenus.h"
#include "MessageBox.h"
#include "UndoHistory.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

UndoCommands::UndoCommands(MainForm& form, UndoHistory& history, MainMenus& menus, QToolButton* toolbarButton)
    : QObject(&form), m_form(form), m_undo(new QAction(history.undoText(), &form)),
      m_redo(new QAction(history.redoText(), &form))
{
    m_undo->setObjectName(QStringLiteral("undo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo->setObjectName(QStringLiteral("redo"));
    m_redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence::Redo});
    for (QAction* action : {m_undo, m_redo}) {
        action->setShortcutContext(Qt::WindowShortcut);
        action->setEnabled(false);
        form.addAction(action);
    }
    for (QMenu* menu : {menus.cm, menus.dirmnu}) {
        QAction* first = menu->actions().value(0);
        menu->insertActions(first, {m_undo, m_redo});
        menu->insertSeparator(first);
    }
    toolbarButton->setEnabled(false);
    connect(&history, &UndoHistory::changed, this, [this, &history, toolbarButton] {
        m_undo->setText(history.undoText());
        m_undo->setEnabled(history.canUndo());
        toolbarButton->setToolTip(history.undoText());
        toolbarButton->setAccessibleDescription(history.undoText());
        toolbarButton->setEnabled(history.canUndo());
        m_redo->setText(history.redoText());
        m_redo->setEnabled(history.canRedo());
    });
    connect(m_undo, &QAction::triggered, this, [this, &history] { takeStep(history.undo()); });
    connect(m_redo, &QAction::triggered, this, [this, &history] { takeStep(history.redo()); });
}

void UndoCommands::takeStep(const DataResult& step)
{
    if (UndoHistory::isClosed(step))
        MessageBox::show(QStringLiteral("لا يمكن ذلك: هذا التعديل يخص دليلا مقفلا , افتح الدليل أولا"),
                         MessageBox::RtlReading | MessageBox::Exclamation, QStringLiteral("انتبه"));
    else if (!step)
        MessageBox::show(UndoHistory::isChangedSince(step)
                             ? QStringLiteral("لا يمكن ذلك: تغيرت البيانات بعد هذا التعديل (ربما من برنامج آخر) , "
                                              "لم يتغير شىء")
                             : QStringLiteral("عفوا .. حدث خطأ فى قاعدة البيانات , لم يتغير شىء"),
                         MessageBox::RtlReading | MessageBox::Exclamation, QStringLiteral("انتبه"));
    m_form.refreshAfterWrite(BookChange::Anything);
}
