#pragma once

#include "MyImageList.h"
#include "UndoHistory.h"

#include <QHash>
#include <QSet>
#include <QStringList>
#include <QWidget>

#include <functional>

class DragAndDrop;
class QLabel;
class QMimeData;
class QLineEdit;
class QMenu;
class MainMenus;
class RecordListView;
class Recordset;
class SearchFieldMenu;
class SkinButton;
class UndoCommands;
class SkinFrame;
class SkinHookMenu;
class SkinStatusBar;
class SkinToolBar;
class WelcomePanel;

// Which list the list pane shows.
enum class ViewState { Directories = 0, Contacts = 1 };

// What a command changed in the book, so that the lists follow it.
enum class BookChange {
    Contacts,         // contacts of the open directory added, changed, moved or deleted
    DirectoryChanged, // a directory renamed, locked or unlocked
    DirectoriesAddedOrRemoved,
    Anything, // an undo, a redo, a restore from the trash: every list and count as the book is now
};

// The commands whose windows live in the feature folders. Each folder registers its own (see
// its install()); the toolbar, the menus, the keys and the welcome give them by name, and one
// that no feature registered does nothing.
enum class MainCommand {
    AddDirectory,
    RenameDirectory,
    DeleteDirectory,
    LockDirectory,
    AddContact,
    EditContact,
    ViewContact,
    DeleteContact,
    MoveContact,
    ImportContacts,
    ImportIntoNewDirectory,
    ExportDirectory,
    Backup,
    Restore,
    Print,
    Sync,
    About,
    SearchBook, // the search through every unlocked directory and field
};

// The main window "QAV Telephone": the directory list and, once a directory is opened, its
// contacts; the toolbar and popup menus that route every command; search; the status bar with
// the counts. Its controls are its own: the commands of the other windows read and change what
// they need through the small interface below, and a test or a driver finds a control by its
// object name (infodirlist, statbar, dir, ...).
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

    // Connects to the database and shows the directory list with both counts; false, after the
    // database message, when the file cannot be opened.
    bool StartConnect();
    // The user gave up at the password of a protected book: the program ends, nothing was wrong.
    bool leftAtBookPassword() const { return m_leftAtBookPassword; }
    // A feature adds its own command to the Tools menu.
    QAction* addToolsCommand(const QString& name, const QString& caption, std::function<void(MainForm&)> run);
    // A feature adds its own command on the selected directory to the directory menu.
    QAction* addDirectoryCommand(const QString& name, const QString& caption, std::function<void(MainForm&)> run);
    // A feature adds its own command on the selected contact to the contact menu.
    QAction* addContactCommand(const QString& name, const QString& caption, std::function<void(MainForm&)> run);
    // A submenu of the contact menu that a feature fills for the selected contact each time the
    // menu pops up (its columns as listed).
    using ContactMenuFill = std::function<void(MainForm&, QMenu*, const QStringList& columns)>;
    QMenu* addContactMenu(const QString& name, const QString& caption, ContactMenuFill fill);
    void fill_dir_list();
    void fill_list();
    void Refreshlist();
    void Opendir();
    void GoBack();
    void openSelectedDirectory();
    // Opens the directory of that code (asking its password if it has one) and chooses the
    // contact of that name in it; the window comes to the front.
    void showContactInDirectory(const QString& dirCode, const QString& name);
    void SetRightToLeft(QWidget* control);
    void applyTheme(int scheme);

    // ---- What the commands read and change --------------------------------------------------
    ViewState viewState() const { return m_viewState; }
    // The code of the directory last picked in the directory list or opened ("" before any).
    QString currentDirectory() const;
    // The name of the open directory, as its frame shows it ("" on the directory list).
    QString openDirectoryName() const;
    // Whether the directory list has a selected item: the directory commands act on nothing else.
    bool hasSelectedDirectory() const;
    // The selected directory of the directory list: its name, code and pass ("" if none).
    QString selectedDirectoryName() const;
    QString selectedDirectoryCode() const;
    QString selectedDirectoryPass() const;
    // The selected contact's columns as listed (name ... dir); empty when none is selected, or
    // no directory is open.
    QStringList selectedContact() const;
    // Every contact chosen in the list (Ctrl- and Shift-click choose several), each as its
    // columns; the selected one alone when only one is chosen.
    QList<QStringList> chosenContacts() const;
    // Whether a directory's contacts are out of reach now: it is locked and not the one open
    // (or the book cannot tell). Nothing names, shows or sends them then.
    bool directoryClosed(const QString& code) const;
    bool listPaneShown() const;
    void showListPane();
    // The one way a command tells the window that it wrote to the book. A command that wrote one
    // contact with one statement names its row, so the list takes in that row alone.
    void refreshAfterWrite(BookChange change);
    // Another program (the stock shell, a second copy, a sync from the command line) committed
    // since the window last looked: the lists and counts are read again, the selection kept
    // where it still exists. Looked at whenever the window becomes active.
    void takeInOutsideChanges();
    // Directories (by code) kept in step with an address book show it in the list.
    void setLinkedDirectories(const QSet<QString>& codes);
    QString searchField() const;
    // What this session changed and can take back; the commands record what they did.
    UndoHistory& undoHistory() { return m_undo; }
    bool soundOn() const { return m_soundOn; }

    // ---- Commands, as the toolbar, the menus and the keys give them -------------------------
    void searchCommand();
    void Searchindir();
    void Searchindata();
    void closeListPane();
    void viewmdorClick();
    void viewdelistClick();
    void CmdADD_Click();
    void CmdEdit_Click();
    void cmdDelete_Click();
    void viewContact();
    void toolbarButtonPressed(int position);
    void toolbarArrowPressed(int position, const QPoint& point);

    // A feature says what one of the window's commands does.
    void setCommand(MainCommand command, std::function<void(MainForm&)> run);
    // And how the password of a locked directory being opened is asked.
    void setPasswordPrompt(std::function<void(MainForm&, const QString& pass)> ask);

    // ---- Files and contacts from outside the window, and dragged out of it ------------------
    // Files handed to the window (opened with the program, dropped on it, sent by a second
    // start) go into directory code, or where the user says for each when code is "". They wait
    // while another window waits for an answer.
    using FileImport = std::function<void(MainForm&, const QStringList& paths, const QString& code)>;
    void setFileImport(FileImport run) { m_fileImport = std::move(run); }
    void importFiles(const QStringList& paths, const QString& code = QString());
    // Contacts of the open directory dropped on another directory of the list.
    using ContactDrop = std::function<void(MainForm&, const QStringList& names, const QString& code)>;
    void setContactDrop(ContactDrop run) { m_contactDrop = std::move(run); }
    void dropContacts(const QStringList& names, const QString& code);
    // What contacts dragged out of the list carry for other programs.
    using ContactDrag = std::function<QMimeData*(MainForm&, const QList<QStringList>& contacts)>;
    void setContactDrag(ContactDrag make) { m_contactDrag = std::move(make); }
    QMimeData* contactDragData(const QList<QStringList>& contacts);
    // Another start of the program asked for this window.
    void showYourself();

    // Shows a popup menu; tests replace it to see which menu would have popped up.
    std::function<void(QMenu*, const QPoint&)> popup;

signals:
    // A directory was deleted: what was kept for it elsewhere (a server's password) may go.
    void directoryDeleted(const QString& code);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool openBook();
    void buildToolbar();
    void buildLists();
    void buildStatusBars();
    void connectMenus();
    void addKeys();
    void layoutTopBar();
    void layoutListPane();
    void layoutBody();
    void statis();
    void showWelcomeIfEmpty();
    void sayWhenNothingFound(RecordListView* list);
    void refreshAfterAnyChange();
    void writeStatus(int panel, const QString& text);
    void writeCount(int panel, Recordset& recordset, QString (*text)(qsizetype));
    void ColorTheme();
    void Soundbgc();
    void SNDONClick();
    void bgchangeClick();
    void directoryListMouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void contactListMouseUp(Qt::MouseButton button, const QPoint& globalPos);
    void linkFromWelcome();
    void run(MainCommand command);
    void importWaitingFiles();

    ViewState m_viewState = ViewState::Directories;
    bool m_soundOn = false;
    bool m_leftAtBookPassword = false;
    quint64 m_outsideCommits = 0; // other connections' commits, as last seen

    SkinToolBar* m_toolbar;
    QWidget* m_topBar;
    SkinFrame* m_searchFrame;
    QLineEdit* m_searchBox;
    SkinButton* m_searchButton;
    QWidget* m_body;
    QLabel* m_closedPanePicture; // shows while the list pane is closed
    QWidget* m_listPane;
    SkinFrame* m_listFrame; // its caption names the open directory
    RecordListView* m_directoryList;
    RecordListView* m_contactList;
    RecordListView* m_blankList; // never filled: the pane's third list
    WelcomePanel* m_welcome;     // over the directory list while the book has no directory
    SkinStatusBar* m_countsBar;
    SkinStatusBar* m_publisherBar;
    QLineEdit* m_currentDirectory; // hidden: the code of the directory picked or opened
    SkinButton* m_addButton;       // hidden command buttons
    SkinButton* m_editButton;
    SkinButton* m_deleteButton;
    MyImageList m_smallIcons;
    SkinHookMenu* m_menuSkin;
    MainMenus* m_menus;
    SearchFieldMenu* m_searchFields = nullptr;
    UndoHistory m_undo;
    UndoCommands* m_undoCommands = nullptr;
    QList<QAction*> m_contactCommands;   // the features' own, enabled only with contacts listed
    QList<QAction*> m_directoryCommands; // and only with a directory selected
    QList<QPair<QMenu*, ContactMenuFill>> m_contactMenus;
    QHash<MainCommand, std::function<void(MainForm&)>> m_commands;
    std::function<void(MainForm&, const QString& pass)> m_askPassword;
    DragAndDrop* m_dragAndDrop = nullptr;
    FileImport m_fileImport;
    ContactDrop m_contactDrop;
    ContactDrag m_contactDrag;
    QList<QPair<QStringList, QString>> m_filesToImport; // paths and the directory, in the order handed over
    bool m_importingFiles = false;
};
