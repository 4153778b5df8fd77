#pragma once

#include "ContactFields.h"
#include "DuplicateFinder.h"

#include <QDialog>

#include <vector>

class MainForm;
class QComboBox;
class QLabel;
class QListWidget;
class QTableWidget;
class SkinButton;

// "البحث عن المكررات": groups of contacts that are likely one person, the strongest reasons
// first. "دمج" keeps the contact the user picks with every value of the others (they go to the
// trash); "ليس مكرراً" remembers that the group is not one person. Directories with a password
// take part only while open.
class DuplicatesWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DuplicatesWindow(MainForm& main);

    QComboBox* region;
    QListWidget* groups;
    QTableWidget* members;
    QComboBox* kept;
    SkinButton* cmdMerge;
    SkinButton* cmdNotDuplicate;
    SkinButton* cmdClose;
    QLabel* summary;

    // Reads the book and lists the groups again.
    void search();

private:
    void showGroup(int index);
    void mergeGroup();
    void markNotDuplicate();
    void tell(const QString& text, bool failure);
    bool readBook();
    // A member of a group with every field (and its more values when asked), as the book holds it
    // now; false when it is gone.
    bool readWhole(int member, ContactFields& contact, MoreValues* more = nullptr);

    MainForm& m_main;
    // Names, numbers and e-mails only (what the search compares), and each one's directory.
    std::vector<ContactFields> m_contacts;
    std::vector<MoreValues> m_more; // each contact's other numbers and e-mails
    std::vector<int> m_directoryOf;
    QStringList m_directoryNames;
    std::vector<DuplicateFinder::Group> m_groups;
};
