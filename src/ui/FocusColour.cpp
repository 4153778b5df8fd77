#include "FocusColour.h"

#include "Units.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace
{

void paint(QWidget* box, quint32 bgr)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Base, Units::bgr(bgr));
    box->setPalette(p);
    // A multi-line box draws its text on its viewport, which never has the focus itself.
    if (auto* area = qobject_cast<QAbstractScrollArea*>(box)) {
        QPalette inner = area->viewport()->palette();
        inner.setColor(QPalette::Base, Units::bgr(bgr));
        area->viewport()->setPalette(inner);
    }
}

} // namespace

void FocusColour::install(QWidget* box)
{
    static FocusColour* filter = new FocusColour(qApp);
    box->installEventFilter(filter);
    paint(box, box->hasFocus() ? kFocused : kUnfocused);
}

bool FocusColour::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (auto* box = qobject_cast<QWidget*>(watched))
            paint(box, event->type() == QEvent::FocusIn ? kFocused : kUnfocused);
    }
    return QObject::eventFilter(watched, event);
}
