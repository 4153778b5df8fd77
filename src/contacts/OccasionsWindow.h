#pragma once

#include "UpcomingOccasions.h"

#include <QDialog>

class MainForm;
class QCheckBox;
class QLabel;
class QTreeWidget;
class SkinButton;

// The birthdays and anniversaries of the next 30 days, nearest first, from the directories
// without a password; a double-click shows the contact.
class OccasionsWindow : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kDays = 30;

    OccasionsWindow(MainForm& main, const QDate& today = QDate::currentDate());

    QTreeWidget* list;
    QLabel* summary;
    QCheckBox* remindAtStart;
    SkinButton* cmdClose;

private:
    void fill(const QDate& today);
    void showChosen();

    MainForm& m_main;
    std::vector<UpcomingOccasions::Entry> m_entries;
};
