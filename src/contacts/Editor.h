#pragma once

#include "ContactValue.h"
#include "LimitedTextEdit.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class MainForm;
class QLineEdit;
class QKeyEvent;
class QPoint;
class QWidget;
class SkinButton;
class SkinTab;

// The contact editor: one box per column of a contact, used to add, edit and view. The caller
// prepares it (mode, key, field texts, caption, save button, read-only state) and shows it;
// Save writes the contact, refreshes the main window's contact list and closes.
class Editor : public QDialog
{
    Q_OBJECT
public:
    explicit Editor(MainForm& main);

    enum class Mode { Add, Edit };
    Mode mode = Mode::Add;
    QString key; // edit: the name as it stood when the window opened

    QLineEdit* tname;
    QLineEdit* org;
    QLineEdit* address;
    QLineEdit* hometel;
    QLineEdit* jobtel;
    QLineEdit* mobil;
    QLineEdit* fax;
    QLineEdit* email;
    LimitedTextEdit* moreinfo;
    QLineEdit* dir; // hidden: the code of the contact's directory
    SkinButton* CmdSave;
    SkinButton* cmdCancel;
    SkinButton* cmdMore; // the values beyond the nine fields, in a window of their own
    SkinTab* SkinTab1;

    static constexpr int kMoreInfoLimit = 3000;

    // Shows a stored contact whole, whatever the typing limits: name, hometel, jobtel, mobil, fax,
    // address, email, org, moreinfo, dir, in the order of the columns. The name becomes the key.
    void loadContact(const QStringList& columns);

    // The nine visible fields, in the order the View command makes them read-only.
    std::vector<QWidget*> visibleFields() const;
    void setFieldsReadOnly(bool readOnly);
    // The view window: the more values shown under the fields, the window grown to hold them.
    void showMoreValues();

    // The values beyond the nine fields: read with the contact, written with its save.
    MoreValues more;
    bool moreChanged = false;
    MoreValues moreBefore; // as read, for the undo
    void editMoreValues();

    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* addLine(const QString& name, const QString& label, int maxLength, QRect twips, int labelLeft);
    SkinButton* addLabelButton(const QString& caption, QWidget* field, QRect twips);
    QWidget* nextAfter(QWidget* field) const;
    bool isTelephone(QObject* field) const;
    bool telephoneKey(QLineEdit* box, QKeyEvent* pressed);
    void telephoneMenu(QLineEdit* box, const QPoint& globalPos);
    static void pasteDigits(QLineEdit* box);

    MainForm& m_main;
};
