#pragma once

#include "MyImageList.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class MainMenus;
class RecordListView;
class Recordset;
class SkinButton;
class SkinFrame;
class SkinHookMenu;
class SkinStatusBar;
class SkinToolBar;

// The main window "QAV Telephone": the directory list and, once a directory is opened, its
// contacts; the toolbar and popup menus that route every command; search; the status bar with
// the counts. It owns the program-wide state the dialogs read and write (ViewState, the hidden
// box dir, the dirframe caption, the status panels) and offers them its refresh routines.
class MainForm : public QWidget
{
    Q_OBJECT
public:
    MainForm();
    ~MainForm() override;

    // The start-up sequence. Returns false when the database could not be opened: the message
    // has been shown and the program must end without showing the window.
    bool Form_Load();

    // Window size and state from the screen width: maximised up to 800 pixels, otherwise
    // 13000 x 10000 twips.
    void Testscreen();
    void Testscreen(const QSize& screenPixels);
    void centreOnScreen(const QSize& screenPixels);

    bool StartConnect();
    void statis();
    void fill_dir_list();
    void fill_list();
    void Refreshlist();
    void Opendir();
    void GoBack();
    void openSelectedDirectory();
    void SetRightToLeft(QWidget* control);
    void ColorTheme();
    void applyTheme(int scheme);
    void Soundbgc();
    void SNDONClick();
    void bgchangeClick();

    // Status panels 2 and 3: a text, or a count text built from a recordset's record count.
    void writeStatus(int panel, const QString& text);
    void writeCount(int panel, Recordset& recordset, QString (*text)(qsizetype));

    // Search.
    void searchCommand();
    void Searchindir();
    void Searchindata();
    void Clearmnusearch();

    // The list pane.
    void closeListPane();
    void viewmdorClick();
    void viewdelistClick();

    // Toolbar routing.
    void toolbarButtonPressed(int position);
    void toolbarArrowPressed(int position, const QPoint& point);

    // Contact commands and the View command.
    void CmdADD_Click();
    void CmdEdit_Click();
    void cmdDelete_Click();
    void viewContact();

    // Whether the directory list has a selected item: the directory commands act on nothing else.
    bool hasSelectedDirectory() const;
    // The selected directory of the directory list: its name, code and pass ("" if none).
    QString selectedDirectoryName() const;
    QString selectedDirectoryCode() const;
    QString selectedDirectoryPass() const;

    // Where another window hooks in: commands whose windows live in other parts of the program.
    struct Commands {
        std::function<void(MainForm&)> addDirectory, renameDirectory, deleteDirectory, lockDirectory;
        std::function<void(MainForm&, const QString& pass)> askDirectoryPassword;
        std::function<void(MainForm&, const QString& mode)> showEditor; // "Add", "edit", "view"
        std::function<void(MainForm&)> deleteContact, moveContact, backup, restore, print, about;
        std::function<void(MainForm&)> importContacts, exportDirectory;
    };
    Commands commands;

    // Window state shared with the dialogs.
    int ViewState = 0;
    QString SearchField;
    bool soundOn = false;

    // Controls.
    SkinToolBar* SkinToolBar1;
    QWidget* Picture1;
    SkinFrame* Frame1;
    QLineEdit* txtSearch;
    SkinButton* cmdsearch;
    QWidget* body;
    QLabel* Picture0;
    QWidget* Picture2;
    SkinFrame* dirframe;
    RecordListView* infodirlist;
    RecordListView* infolist;
    RecordListView* delist;
    SkinStatusBar* statbar;
    SkinStatusBar* StatusBar;
    QLineEdit* dir;
    SkinButton* CmdADD;
    SkinButton* CmdEdit;
    SkinButton* cmdDelete;
    MyImageList SmallIcons;
    SkinHookMenu* SkinHookMenu1;
    MainMenus* menus;

    // Shows a popup menu; tests replace it to see which menu would have popped up.
    std::function<void(QMenu*, const QPoint&)> popup;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildLists();
    void buildStatusBars();
    void connectMenus();
    void layoutPicture1();
    void layoutPicture2();
    void layoutBody();
    void directoryListMouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void contactListMouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void chooseSearchField(QAction* item, const QString& field);
    QString searchFilterColumn() const;
};
