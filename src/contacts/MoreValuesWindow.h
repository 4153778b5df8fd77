#pragma once

#include "ContactValue.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

// The values of a contact beyond its nine fields, edited apart from the editor's fixed layout:
// add, change kind and label, move up and down, remove, and the photo. OK hands them back to the
// editor, which writes them with the contact; Cancel leaves them as they were.
class MoreValuesWindow : public QDialog
{
    Q_OBJECT
public:
    MoreValuesWindow(const MoreValues& values, QWidget* parent);

    MoreValues values() const { return m_values; }

    QTableWidget* table;
    QPushButton* cmdAdd;
    QPushButton* cmdUp;
    QPushButton* cmdDown;
    QPushButton* cmdRemove;
    QPushButton* cmdPhoto;
    QPushButton* cmdNoPhoto;
    QPushButton* cmdOk;
    QPushButton* cmdCancel;
    QLabel* photo;

    // The columns of the table.
    enum Column { KindColumn, LabelColumn, ValueColumn, CalendarColumn };

private:
    void fill();
    void fillRow(int row);
    void kindChosen(int row, int index);
    void move(int by);
    void choosePhoto();
    void removePhoto();
    void showPhoto();
    void confirm();
    // The rows of the table, the photo left out (it has its own place).
    std::vector<qsizetype> m_rows;
    MoreValues m_values;
};
