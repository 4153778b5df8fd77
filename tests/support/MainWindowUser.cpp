#include "MainWindowUser.h"
#include "MainWindowControls.h"

#include "CommandWiring.h"
#include "MainForm.h"
#include "RecordListModel.h"
#include "RecordListView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDropEvent>
#include <QtTest>

std::unique_ptr<MainForm> MainWindowUser::start(QList<QMenu*>* popups)
{
    auto form = std::make_unique<MainForm>();
    form->popup = [popups](QMenu* menu, const QPoint&) {
        if (popups)
            *popups << menu;
    };
    CommandWiring::install(*form);
    if (!form->Form_Load())
        qFatal("start-up failed");
    form->show();
    CommandWiring::started(*form);
    return form;
}

bool MainWindowUser::clickDirectory(MainForm& form, const QString& name)
{
    RecordListView* list = controls(form).infodirlist;
    for (int row = 0; row < list->count(); ++row) {
        if (list->itemText(row) != name)
            continue;
        // A click on the item, once the view has laid its items out.
        QAbstractItemView* view = list->activeView();
        view->doItemsLayout();
        QApplication::processEvents();
        const QRect r = view->visualRect(list->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, r.center());
        return list->selectedRow() == row;
    }
    return false;
}

bool MainWindowUser::dropOnDirectory(MainForm& form, const QString& name, const QMimeData& data)
{
    RecordListView* list = controls(form).infodirlist;
    for (int row = 0; row < list->count(); ++row) {
        if (list->itemText(row) != name)
            continue;
        QAbstractItemView* view = list->activeView();
        view->doItemsLayout();
        QApplication::processEvents();
        // As a drag comes in: it enters the list, moves over the item, and is let go there.
        const QPoint at = view->visualRect(list->model()->index(row, 0)).center();
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(view->viewport(), &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent over(at, actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(view->viewport(), &over);
        if (!over.isAccepted()) {
            QDragLeaveEvent leave;
            QApplication::sendEvent(view->viewport(), &leave);
            return false;
        }
        QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, {});
        QApplication::sendEvent(view->viewport(), &drop);
        return drop.isAccepted();
    }
    return false;
}
