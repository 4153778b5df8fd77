#pragma once

#include "ContactValue.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QListWidgetItem;

// A contact's more values as the view window shows them, read only: one line each with its
// caption, and the photo. A double-click calls a number, writes to an address, opens a web page.
class MoreValuesView : public QWidget
{
    Q_OBJECT
public:
    MoreValuesView(const MoreValues& values, QWidget* parent);

    QListWidget* list;
    QLabel* photo;

    // What a double-click on a line does; false for a line that does nothing.
    bool activate(int row);

private:
    MoreValues m_shown; // the values of the list's lines, in their order
};
