#include "MainForm.h"

#include "AppLook.h"
#include "BookFiles.h"
#include "BookPasswordDialog.h"
#include "ContactFields.h"
#include "DataLocation.h"
#include "Directory.h"
#include "DirectoryStore.h"
#include "DragAndDrop.h"
#include "FileChooser.h"
#include "FocusColour.h"
#include "MainMenus.h"
#include "MessageBox.h"
#include "PassedOver.h"
#include "Preferences.h"
#include "RecordListModel.h"
#include "RecordListView.h"
#include "SearchFieldMenu.h"
#include "SecretMemory.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinFrame.h"
#include "SkinHookMenu.h"
#include "SkinStatusBar.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "StatusTexts.h"
#include "ToolbarCommand.h"
#include "UndoCommands.h"
#include "Units.h"
#include "WelcomePanel.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{

// Layout measures of the main window, in twips.
constexpr int kPictureMargin = 160;
constexpr int kPictureTop = 120;
constexpr int kPictureHeightCut = 140;
constexpr int kSearchFrameOffset = 388;
constexpr int kListTop = 370;
constexpr int kListHeightCut = 350;
constexpr int kFirstColumnCut = 280;
constexpr int kTopBarHeight = 975;
constexpr QSize kSmallestWindow(800, 600);
// How often files handed over look again whether the window that waited for an answer closed.
constexpr int kWaitForAnswerMs = 300;

} // namespace

MainForm::MainForm() : m_menuSkin(new SkinHookMenu(this)), m_menus(new MainMenus(this))
{
    setWindowTitle(QStringLiteral("QAV Telephone"));
    setAccessibleName(QStringLiteral("دليل الهاتف الشخصى"));
    setLayoutDirection(Qt::RightToLeft);
    // The size a small screen gets (12000 x 9000 twips): every caption whole, the toolbar in two
    // rows if it must, the publisher's panels side by side.
    setMinimumSize(kSmallestWindow);
    popup = [](QMenu* menu, const QPoint& point) { menu->popup(point); };

    m_smallIcons = MyImageList(
        {QStringLiteral(":/icons/add.svg"), QStringLiteral(":/icons/edit.svg"), QStringLiteral(":/icons/delete.svg"),
         QStringLiteral(":/icons/view.svg"), QStringLiteral(":/icons/themes.svg"), QStringLiteral(":/icons/tools.svg"),
         QString(), QString(), QString(), QStringLiteral(":/icons/office.svg"), QStringLiteral(":/icons/search.svg"),
         QString(), QString(), QString(), QString(), QStringLiteral(":/icons/print.svg"), QString(),
         QStringLiteral(":/icons/back.svg"), QStringLiteral(":/icons/undo.svg")});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_toolbar = new SkinToolBar(this);
    m_toolbar->setAccessibleName(QStringLiteral("شريط الأدوات"));
    m_toolbar->setImageList(&m_smallIcons);
    buildToolbar();
    layout->addWidget(m_toolbar);

    // Top bar with the search frame.
    m_topBar = new QWidget(this);
    m_topBar->setFixedHeight(Units::px(kTopBarHeight));
    m_searchFrame = new SkinFrame(QStringLiteral("بحث"), m_topBar);
    m_searchBox = new QLineEdit(m_searchFrame);
    m_searchBox->setAccessibleName(QStringLiteral("بحث"));
    FocusColour::install(m_searchBox);
    m_searchButton = new SkinButton(QStringLiteral("بحث"), m_searchFrame);
    m_searchButton->setIcon(AppLook::icon(QStringLiteral("search")));
    m_searchFrame->resize(Units::px(5400), Units::px(kTopBarHeight) - 6);
    m_searchBox->setGeometry(m_searchFrame->width() - 8 - Units::px(3600), SkinFrame::kCaptionHeight + 4,
                             Units::px(3600), m_searchFrame->height() - SkinFrame::kCaptionHeight - 10);
    m_searchButton->setGeometry(8, SkinFrame::kCaptionHeight + 3, Units::px(1400),
                                m_searchFrame->height() - SkinFrame::kCaptionHeight - 8);
    m_topBar->installEventFilter(this);
    layout->addWidget(m_topBar);

    // The list pane, with the picture that shows when it is closed behind it.
    m_body = new QWidget(this);
    m_body->installEventFilter(this);
    m_closedPanePicture = new QLabel(m_body);
    m_closedPanePicture->setAlignment(Qt::AlignCenter);
    m_closedPanePicture->setPixmap(AppLook::icon(QStringLiteral("app")).pixmap(128, 128));
    m_closedPanePicture->setToolTip(QStringLiteral("انقر نقرا مزدوجا لعرض قائمة الدليل"));
    m_closedPanePicture->setAccessibleName(QStringLiteral("انقر نقرا مزدوجا لعرض قائمة الدليل"));
    m_closedPanePicture->setFrameShape(QFrame::StyledPanel);
    m_closedPanePicture->installEventFilter(this);
    m_listPane = new QWidget(m_body);
    m_listPane->setAutoFillBackground(true);
    m_listPane->installEventFilter(this);
    m_listFrame = new SkinFrame(QString(), m_listPane);
    m_listFrame->setCloseButton(true);
    buildLists();
    layout->addWidget(m_body, 1);

    buildStatusBars();
    layout->addWidget(m_countsBar);
    layout->addWidget(m_publisherBar);

    // Never visible: the code of the directory last selected or opened, and the command buttons.
    m_currentDirectory = new QLineEdit(this);
    m_currentDirectory->hide();
    m_addButton = new SkinButton(QStringLiteral("إضافة"), this);
    m_editButton = new SkinButton(QStringLiteral("تعديل"), this);
    m_deleteButton = new SkinButton(QStringLiteral("حذف"), this);
    for (SkinButton* hidden : {m_addButton, m_editButton, m_deleteButton})
        hidden->hide();
    connect(m_addButton, &QPushButton::clicked, this, &MainForm::CmdADD_Click);
    connect(m_editButton, &QPushButton::clicked, this, &MainForm::CmdEdit_Click);
    connect(m_deleteButton, &QPushButton::clicked, this, &MainForm::cmdDelete_Click);

    for (QMenu* menu : m_menus->topLevelMenus())
        m_menuSkin->addMenu(menu);
    connectMenus();
    addKeys();
    // A locked directory's contacts are the open directory's only: undo steps touching another stay hidden.
    m_undo.setClosedCheck([this](const QString& code) { return directoryClosed(code); });
    m_undoCommands =
        new UndoCommands(*this, m_undo, *m_menus, m_toolbar->button(toolbarPosition(ToolbarCommand::Undo)));

    // Object names for code and tests, the names the program's documents use for the controls.
    const std::pair<QObject*, const char*> objectNames[] = {
        {m_toolbar, "SkinToolBar1"},       {m_topBar, "Picture1"},
        {m_searchFrame, "Frame1"},         {m_searchBox, "txtSearch"},
        {m_searchButton, "cmdsearch"},     {m_body, "body"},
        {m_closedPanePicture, "Picture0"}, {m_listPane, "Picture2"},
        {m_listFrame, "dirframe"},         {m_directoryList, "infodirlist"},
        {m_contactList, "infolist"},       {m_blankList, "delist"},
        {m_countsBar, "statbar"},          {m_publisherBar, "StatusBar"},
        {m_currentDirectory, "dir"},       {m_addButton, "CmdADD"},
        {m_editButton, "CmdEdit"},         {m_deleteButton, "cmdDelete"},
        {m_menuSkin, "SkinHookMenu1"},     {m_menus, "menus"},
    };
    for (const auto& [control, name] : objectNames)
        control->setObjectName(QLatin1String(name));

    connect(m_toolbar, &SkinToolBar::buttonPressed, this, &MainForm::toolbarButtonPressed);
    connect(m_toolbar, &SkinToolBar::arrowPressed, this, &MainForm::toolbarArrowPressed);
    connect(m_searchButton, &QPushButton::clicked, this, &MainForm::searchCommand);
    connect(m_searchBox, &QLineEdit::returnPressed, this, &MainForm::searchCommand);
    connect(m_listFrame, &SkinFrame::closeRequested, this, &MainForm::closeListPane);

    // A damaged or tampered file is never shown as if it were fine: the user hears it once. The
    // damage is often met while a list paints its rows, so the message waits for the paint to
    // end; the list shows the unreadable rows empty meanwhile.
    DataConnection::setDamageHandler([told = std::make_shared<bool>(false)](const QString&) {
        if (*told)
            return;
        *told = true;
        QMetaObject::invokeMethod(
            qApp,
            [] {
                MessageBox::show(QStringLiteral("قاعدة البيانات تالفة أو تم العبث بها , لا يمكن قراءة بعض البيانات . "
                                                "برجاء عمل استرجاع لقاعدة البيانات من نسخة احتياطية"),
                                 MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
            },
            Qt::QueuedConnection);
    });
}

MainForm::~MainForm() = default;

void MainForm::buildToolbar()
{
    using Kind = SkinToolBar::Kind;
    m_toolbar->addButton(QStringLiteral("عودة"), Kind::Plain, 17);
    m_toolbar->addSeparator(4);
    m_toolbar->addButton(QStringLiteral("إضافة"), Kind::Plain, 0);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("تعديل"), Kind::Plain, 1);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("حذف"), Kind::Plain, 2);
    m_toolbar->addSeparator(10);
    m_toolbar->addButton(QStringLiteral("خيارات البحث"), Kind::DropDown, 10);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("عرض"), Kind::DropDown, 3);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("أدوات "), Kind::DropDown, 5);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("سمات"), Kind::DropDown, 4);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("طباعة"), Kind::Plain, 15);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("حول البرنامج"), Kind::Plain, -1);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("نشاط المكتب"), Kind::Plain, 9);
    // Beyond the eleven standing buttons, at the far end: the undo, named after what it takes back.
    m_toolbar->addSeparator(10);
    m_toolbar->addButton(QStringLiteral("تراجع"), Kind::Plain, 18);
    m_toolbar->addSeparator();
    m_toolbar->addButton(QStringLiteral("بحث شامل"), Kind::Plain, 10);
}

void MainForm::buildLists()
{
    m_directoryList = new RecordListView(m_listPane);
    m_directoryList->setAccessibleName(QStringLiteral("الأدلة"));
    m_directoryList->addColumn(QStringLiteral("dirname"), 2800);
    m_directoryList->addColumn(QStringLiteral("dircode"), 0);
    m_directoryList->addColumn(QStringLiteral("pass"), 0);
    m_directoryList->setSmallIcon(AppLook::icon(QStringLiteral("folder")));

    m_contactList = new RecordListView(m_listPane);
    m_contactList->setAccessibleName(QStringLiteral("البيانات"));
    // The nine fields in the table's order, then the directory; only the name is wide enough to see.
    for (const ContactField& field : ContactFields::kFields)
        m_contactList->addColumn(field.headingText(), field.kind == ContactField::Kind::Name ? 5000 : 0);
    m_contactList->addColumn(QStringLiteral("الدليل"), 0);
    m_contactList->setSmallIcon(AppLook::icon(QStringLiteral("contact")));
    m_contactList->setSeveralChoosable(true);

    m_welcome = new WelcomePanel(m_directoryList);
    m_welcome->hide();
    m_welcome->installEventFilter(this);
    connect(m_welcome->addDirectory, &QPushButton::clicked, this, [this] { run(MainCommand::AddDirectory); });
    connect(m_welcome->importFile, &QPushButton::clicked, this, [this] { run(MainCommand::ImportIntoNewDirectory); });
    connect(m_welcome->linkServer, &QPushButton::clicked, this, &MainForm::linkFromWelcome);

    m_blankList = new RecordListView(m_listPane);
    m_blankList->setAccessibleName(QStringLiteral("قائمة فارغة"));

    connect(m_directoryList, &RecordListView::itemClicked, this,
            [this](int row) { m_currentDirectory->setText(m_directoryList->subItem(row, 1)); });
    connect(m_directoryList, &RecordListView::doubleClicked, this, &MainForm::openSelectedDirectory);
    connect(m_directoryList, &RecordListView::keyPressed, this, [this](int key) {
        if (key == Qt::Key_Return)
            openSelectedDirectory();
    });
    connect(m_directoryList, &RecordListView::mouseReleased, this, &MainForm::directoryListMouseUp);

    connect(m_contactList, &RecordListView::doubleClicked, this, [this] {
        if (m_contactList->count() > 0)
            viewContact();
    });
    connect(m_contactList, &RecordListView::keyPressed, this, [this](int key) {
        if (key == Qt::Key_Return && m_contactList->count() > 0)
            viewContact();
        else if (key == Qt::Key_Backspace)
            GoBack();
    });
    connect(m_contactList, &RecordListView::mouseReleased, this, &MainForm::contactListMouseUp);
    m_dragAndDrop = new DragAndDrop(*this, m_directoryList, m_contactList, m_toolbar);
}

void MainForm::buildStatusBars()
{
    m_countsBar = new SkinStatusBar(this);
    m_countsBar->setAccessibleName(QStringLiteral("الإحصائيات"));
    m_countsBar->addPanel(100, QStringLiteral("إحصائيات "));
    m_countsBar->setPanelIcon(1, AppLook::icon(QStringLiteral("stats")));
    m_countsBar->addPanel(200);
    m_countsBar->addPanel(200);

    // The publisher's own lines; the program never changes them.
    m_publisherBar = new SkinStatusBar(this);
    m_publisherBar->setAccessibleName(QStringLiteral("عن البرنامج"));
    m_publisherBar->addPanel(160, QStringLiteral("QAV Telephone"));
    m_publisherBar->addPanel(335, QStringLiteral("دليل الهاتف الشخصى"));
    m_publisherBar->addPanel(300, QStringLiteral("بياناتك محفوظة ومشفرة فى ملف واحد"));
}

void MainForm::addKeys()
{
    // The keys people expect of a desktop program, beside the lists' own: each does what its
    // toolbar button does in the view shown. They stand in no menu, and a text box keeps the
    // keys it edits with (Delete, Ctrl+Z) for itself.
    auto key = [this](const char* name, const QKeySequence& sequence, std::function<void()> act) {
        auto* action = new QAction(this);
        action->setObjectName(QLatin1String(name));
        action->setShortcut(sequence);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, std::move(act));
        addAction(action);
    };
    key("keydelete", QKeySequence::Delete, [this] { toolbarButtonPressed(toolbarPosition(ToolbarCommand::Delete)); });
    key("keyadd", QKeySequence::New, [this] { toolbarButtonPressed(toolbarPosition(ToolbarCommand::Add)); });
    key("keyedit", QKeySequence(Qt::Key_F2), [this] { toolbarButtonPressed(toolbarPosition(ToolbarCommand::Edit)); });
    key("keyprint", QKeySequence::Print, [this] { toolbarButtonPressed(toolbarPosition(ToolbarCommand::Print)); });
    key("keyreload", QKeySequence(Qt::Key_F5), [this] { refreshAfterWrite(BookChange::Anything); });
    key("keysearchbook", QKeySequence::Find, [this] { run(MainCommand::SearchBook); });
}

void MainForm::connectMenus()
{
    MainMenus& m = *m_menus;
    connect(m.cmdet, &QAction::triggered, this, &MainForm::viewContact);
    connect(m.cmadd, &QAction::triggered, this, &MainForm::CmdADD_Click);
    connect(m.cmedit, &QAction::triggered, this, &MainForm::CmdEdit_Click);
    connect(m.cmdel, &QAction::triggered, this, &MainForm::cmdDelete_Click);
    connect(m.movemag, &QAction::triggered, this, [this] {
        if (m_contactList->selectedRow() >= 0)
            run(MainCommand::MoveContact);
    });
    connect(m.cmvm, &QAction::triggered, this, [this] {
        m_contactList->setView(RecordListView::List);
        m_menus->cmvm->setChecked(true);
        m_menus->cmvd->setChecked(false);
    });
    connect(m.cmvd, &QAction::triggered, this, [this] {
        m_contactList->setView(RecordListView::Report);
        m_menus->cmvd->setChecked(true);
        m_menus->cmvm->setChecked(false);
    });

    connect(m.dirmnuopen, &QAction::triggered, this, &MainForm::openSelectedDirectory);
    connect(m.dirmnuadd, &QAction::triggered, this, [this] { run(MainCommand::AddDirectory); });
    connect(m.dirmnuren, &QAction::triggered, this, [this] { run(MainCommand::RenameDirectory); });
    connect(m.dirmnudel, &QAction::triggered, this, [this] { run(MainCommand::DeleteDirectory); });
    connect(m.dirvhor, &QAction::triggered, this, [this] { m_directoryList->setView(RecordListView::List); });
    connect(m.dirvver, &QAction::triggered, this, [this] { m_directoryList->setView(RecordListView::Report); });

    m_searchFields = new SearchFieldMenu(m, this);

    connect(m.themeblue, &QAction::triggered, this, [this] { applyTheme(0); });
    connect(m.themegreen, &QAction::triggered, this, [this] { applyTheme(1); });
    connect(m.themesilver, &QAction::triggered, this, [this] { applyTheme(2); });

    connect(m.mnutools, &QMenu::aboutToShow, this, [this] {
        m_menus->sec->setEnabled(m_directoryList->count() > 0 && m_viewState == ViewState::Directories);
        // Import goes into the open directory, or the one selected in the list.
        m_menus->importcontacts->setEnabled(
            m_viewState == ViewState::Contacts ||
            (m_viewState == ViewState::Directories && !selectedDirectoryCode().isEmpty()));
        m_menus->exportdir->setEnabled(m_viewState == ViewState::Contacts);
    });
    connect(m.importcontacts, &QAction::triggered, this, [this] { run(MainCommand::ImportContacts); });
    connect(m.sync, &QAction::triggered, this, [this] { run(MainCommand::Sync); });
    connect(m.exportdir, &QAction::triggered, this, [this] { run(MainCommand::ExportDirectory); });
    connect(m.copydb, &QAction::triggered, this, [this] { run(MainCommand::Backup); });
    connect(m.resdb, &QAction::triggered, this, [this] { run(MainCommand::Restore); });
    connect(m.sec, &QAction::triggered, this, [this] {
        if (hasSelectedDirectory())
            run(MainCommand::LockDirectory);
    });
    connect(m.sounds, &QMenu::aboutToShow, this, [this] {
        m_menus->SNDON->setEnabled(!m_soundOn);
        m_menus->SNDOFF->setEnabled(m_soundOn);
    });
    connect(m.SNDON, &QAction::triggered, this, &MainForm::SNDONClick);
    connect(m.SNDOFF, &QAction::triggered, this, [this] {
        m_soundOn = false;
        Preferences::setSoundOn(false);
        SoundPlayer::stop();
    });
    connect(m.bgchange, &QAction::triggered, this, &MainForm::bgchangeClick);

    connect(m.viewall, &QMenu::aboutToShow, this, [this] {
        const bool paneShown = listPaneShown();
        m_menus->viewmdor->setEnabled(!paneShown);
        m_menus->viewdelist->setEnabled(paneShown);
    });
    connect(m.viewmdor, &QAction::triggered, this, &MainForm::viewmdorClick);
    connect(m.viewdelist, &QAction::triggered, this, &MainForm::viewdelistClick);
}

// ---- Start-up ----------------------------------------------------------------------------

bool MainForm::Form_Load()
{
    Testscreen();
    SetRightToLeft(m_contactList);
    SetRightToLeft(m_directoryList);
    SetRightToLeft(m_blankList);
    ColorTheme();
    if (!StartConnect())
        return false;
    m_searchFields->setField(QStringLiteral("name"));
    m_soundOn = Preferences::soundOn();
    Soundbgc();
    return true;
}

void MainForm::Testscreen()
{
    QScreen* current = screen() ? screen() : QGuiApplication::primaryScreen();
    const QSize size = current ? current->geometry().size() : QSize(1024, 768);
    Testscreen(size);
    centreOnScreen(size);
}

void MainForm::Testscreen(const QSize& screenPixels)
{
    // Screens up to 800 pixels wide (800 included) count as small.
    if (screenPixels.width() <= 800) {
        // Fill the screen first, for desktops whose window manager does not maximise.
        if (QScreen* current = screen())
            setGeometry(current->availableGeometry());
        setWindowState(Qt::WindowMaximized);
    } else {
        setWindowState(Qt::WindowNoState);
        resize(Units::px(13000), Units::px(10000));
    }
}

void MainForm::centreOnScreen(const QSize& screenPixels)
{
    if (windowState() & Qt::WindowMaximized)
        return;
    move(screenPixels.width() / 2 - width() / 2, screenPixels.height() / 2 - height() / 2 - Units::px(160));
}

void MainForm::SetRightToLeft(QWidget* control)
{
    // Mirroring twice changes nothing; the control is shown again afterwards.
    control->hide();
    control->setLayoutDirection(Qt::RightToLeft);
    control->show();
}

// A book that does not open with the key in hand is protected by a master password (or
// damaged): its password is asked before anything of it is read. Giving up ends the program and
// leaves the file untouched.
bool MainForm::openBook()
{
    DataResult opened = OpenDatabase();
    if (opened || !opened.notADatabase || !BookFiles::mayBeEncryptedBook(SharedData::databasePath()))
        return opened.ok;
    std::optional<QString> key =
        BookPasswordDialog::ask(QStringLiteral("هذا الدفتر محمى بكلمة مرور. اكتب كلمة المرور لفتحه."),
                                QStringLiteral("خروج"), [](const QString& password) {
                                    SharedData::setBookKey(password);
                                    return OpenDatabase().ok;
                                });
    if (!key) {
        m_leftAtBookPassword = true;
        return false;
    }
    SecretMemory::wipe(*key); // the book holds its own copy
    return true;
}

void MainForm::setCommand(MainCommand command, std::function<void(MainForm&)> run)
{
    m_commands[command] = std::move(run);
}

void MainForm::setPasswordPrompt(std::function<void(MainForm&, const QString& pass)> ask)
{
    m_askPassword = std::move(ask);
}

void MainForm::importFiles(const QStringList& paths, const QString& code)
{
    if (paths.isEmpty())
        return;
    m_filesToImport.append({paths, code});
    QTimer::singleShot(0, this, &MainForm::importWaitingFiles);
}

void MainForm::importWaitingFiles()
{
    // One import at a time, and none over another window that waits for an answer: they come
    // back once it closed.
    if (m_importingFiles || QApplication::activeModalWidget() != nullptr) {
        if (!m_filesToImport.isEmpty())
            QTimer::singleShot(kWaitForAnswerMs, this, &MainForm::importWaitingFiles);
        return;
    }
    m_importingFiles = true;
    while (!m_filesToImport.isEmpty()) {
        const auto [paths, code] = m_filesToImport.takeFirst();
        if (m_fileImport)
            m_fileImport(*this, paths, code);
    }
    m_importingFiles = false;
}

void MainForm::dropContacts(const QStringList& names, const QString& code)
{
    if (m_contactDrop && !names.isEmpty() && !code.isEmpty())
        m_contactDrop(*this, names, code);
}

QMimeData* MainForm::contactDragData(const QList<QStringList>& contacts)
{
    QMimeData* mime = m_contactDrag ? m_contactDrag(*this, contacts) : new QMimeData;
    if (mime == nullptr)
        return nullptr;
    QStringList names;
    for (const QStringList& columns : contacts)
        names << columns.value(0);
    DragAndDrop::addContacts(mime, currentDirectory(), names);
    return mime;
}

void MainForm::showYourself()
{
    if (isMinimized())
        showNormal();
    show();
    raise();
    activateWindow();
}

void MainForm::run(MainCommand command)
{
    if (const std::function<void(MainForm&)> registered = m_commands.value(command))
        registered(*this);
}

QAction* MainForm::addToolsCommand(const QString& name, const QString& caption, std::function<void(MainForm&)> run)
{
    QAction* action = m_menus->addTool(name, caption);
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] { run(*this); });
    return action;
}

QAction* MainForm::addDirectoryCommand(const QString& name, const QString& caption, std::function<void(MainForm&)> run)
{
    QAction* action = m_menus->addDirectoryItem(name, caption);
    m_directoryCommands << action;
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] { run(*this); });
    return action;
}

QAction* MainForm::addContactCommand(const QString& name, const QString& caption, std::function<void(MainForm&)> run)
{
    QAction* action = m_menus->addContactItem(name, caption);
    m_contactCommands << action;
    connect(action, &QAction::triggered, this, [this, run = std::move(run)] { run(*this); });
    return action;
}

QMenu* MainForm::addContactMenu(const QString& name, const QString& caption, ContactMenuFill fill)
{
    QMenu* menu = m_menus->addContactSubmenu(name, caption);
    m_contactMenus.append({menu, std::move(fill)});
    return menu;
}

bool MainForm::StartConnect()
{
    if (!openBook()) {
        if (m_leftAtBookPassword)
            return false;
        MessageBox::show(QStringLiteral("خطأ فى قاعدة البيانات , برجاء إعادة تثبيت البرنامج أو عمل استرجاع لقاعدة "
                                        "البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
        return false;
    }
    CloseContactRecordset();
    CloseDirectoryRecordset();
    PassedOver::note(SharedData::directories().openDirectories(), Q_FUNC_INFO);
    fill_dir_list();
    m_contactList->hide();
    m_blankList->hide();
    m_directoryList->show();
    CloseContactRecordset();
    PassedOver::note(SharedData::contacts().openAllContacts(), Q_FUNC_INFO);
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
    writeCount(3, SharedData::contacts(), StatusTexts::totalContacts);
    // After a restore too the directory list is what shows: a directory that was open may
    // belong to another file.
    m_viewState = ViewState::Directories;
    m_listFrame->setCaption(QString());
    m_undo.refresh();
    return true;
}

void MainForm::writeStatus(int panel, const QString& text)
{
    m_countsBar->setPanelText(panel, text);
}

void MainForm::writeCount(int panel, Recordset& recordset, QString (*text)(qsizetype))
{
    // A recordset that could not be opened or read counts nothing: the panel says 0 rather than
    // keep a figure that belonged to another list.
    writeStatus(panel, text(std::max<qsizetype>(0, recordset.recordCount())));
}

void MainForm::statis()
{
    writeCount(2, SharedData::contacts(), StatusTexts::currentDirectory);
    writeStatus(3, QString());
}

// ---- Directory list ----------------------------------------------------------------------

void MainForm::fill_dir_list()
{
    Recordset& directories = SharedData::directories();
    m_directoryList->clear();
    // The directory last picked stays picked (dir is never cleared): the popup's commands act on
    // the list's selection, which a refill puts on the first item.
    showWelcomeIfEmpty();
    if (directories.recordCount() <= 0)
        return;
    m_directoryList->fill(directories.snapshot(), directories.position());
}

void MainForm::showWelcomeIfEmpty()
{
    // Only a book without any directory is welcomed: a search that finds no directory leaves an
    // empty list, not the word that the book is empty.
    Recordset& directories = SharedData::directories();
    bool any = directories.recordCount() > 0;
    if (!any && !directories.filter().isEmpty())
        PassedOver::note(DirectoryStore(SharedData::connection()).any(any), Q_FUNC_INFO);
    m_welcome->setVisible(!any);
}

QString MainForm::currentDirectory() const
{
    return m_currentDirectory->text();
}

QString MainForm::openDirectoryName() const
{
    return m_listFrame->caption();
}

QStringList MainForm::selectedContact() const
{
    // The hidden list keeps the contacts of the directory closed last: they are nobody's to act on.
    if (m_viewState != ViewState::Contacts)
        return {};
    const int row = m_contactList->count() > 0 ? m_contactList->selectedRow() : -1;
    QStringList columns;
    if (row >= 0)
        for (int column = 0; column < m_contactList->columnCount(); ++column)
            columns << m_contactList->subItem(row, column);
    return columns;
}

bool MainForm::directoryClosed(const QString& code) const
{
    if (m_viewState == ViewState::Contacts && m_currentDirectory->text() == code)
        return false;
    Directory directory;
    // A book that cannot be read shows nothing.
    if (!DirectoryStore(SharedData::connection()).find(code, directory))
        return true;
    return directory.isLocked();
}

QList<QStringList> MainForm::chosenContacts() const
{
    QList<QStringList> chosen;
    if (m_viewState != ViewState::Contacts || m_contactList->count() == 0)
        return chosen;
    for (const int row : m_contactList->selectedRows()) {
        QStringList columns;
        for (int column = 0; column < m_contactList->columnCount(); ++column)
            columns << m_contactList->subItem(row, column);
        chosen << columns;
    }
    if (chosen.isEmpty() && !selectedContact().isEmpty())
        chosen << selectedContact();
    return chosen;
}

bool MainForm::listPaneShown() const
{
    return !m_listPane->isHidden();
}

void MainForm::showListPane()
{
    m_listPane->show();
}

void MainForm::refreshAfterWrite(BookChange change)
{
    m_undo.refresh(); // a lock may have changed
    switch (change) {
    case BookChange::Contacts:
        // The recordset learns from the connection which rows this program wrote, and takes
        // those in alone. Refreshlist reads the recordset again without its filter (a search's filter would only
        // cost a pass over the directory first) and fills the list once, with the counts.
        Refreshlist();
        break;
    case BookChange::DirectoryChanged:
        PassedOver::note(SharedData::directories().requery(), Q_FUNC_INFO);
        fill_dir_list();
        break;
    case BookChange::DirectoriesAddedOrRemoved: {
        // Without a search's filter: setting the filter reads the changed set once.
        Recordset& directories = SharedData::directories();
        PassedOver::note(directories.setFilter(RecordFilter()), Q_FUNC_INFO);
        fill_dir_list();
        writeCount(2, directories, StatusTexts::directoryCount);
        break;
    }
    case BookChange::Anything:
        refreshAfterAnyChange();
        break;
    }
}

void MainForm::refreshAfterAnyChange()
{
    // Any directory may have been made, renamed or removed: the directory list is read again
    // whole, without a filter another window left on it (the move window hides the open
    // directory), so it shows every directory, as going back would count them.
    Recordset& directories = SharedData::directories();
    PassedOver::note(directories.setFilter(RecordFilter()), Q_FUNC_INFO);
    fill_dir_list();
    if (m_viewState == ViewState::Contacts) {
        Directory open;
        PassedOver::note(DirectoryStore(SharedData::connection()).find(m_currentDirectory->text(), open), Q_FUNC_INFO);
        if (open.exists()) {
            m_listFrame->setCaption(open.name);
            refreshAfterWrite(BookChange::Contacts);
            return;
        }
        // The open directory is gone: there is nothing left to show of it.
        GoBack();
        return;
    }
    writeCount(2, directories, StatusTexts::directoryCount);
    // The book's total is written only while the contact recordset holds every contact; after a
    // directory was opened the panel stays empty, as going back leaves it.
    Recordset& contacts = SharedData::contacts();
    if (contacts.source() == RecordQuery::allContacts().text()) {
        PassedOver::note(contacts.requery(), Q_FUNC_INFO);
        writeCount(3, contacts, StatusTexts::totalContacts);
    } else {
        writeStatus(3, QString());
    }
}

void MainForm::setLinkedDirectories(const QSet<QString>& codes)
{
    m_directoryList->model()->setMarkedRows(1, codes, AppLook::icon(QStringLiteral("linkedfolder")),
                                            QStringLiteral("مربوط بدفتر عناوين على خادم"));
}

bool MainForm::hasSelectedDirectory() const
{
    return m_directoryList->count() > 0 && m_directoryList->selectedRow() >= 0;
}

QString MainForm::selectedDirectoryName() const
{
    const int row = m_directoryList->selectedRow();
    return row < 0 ? QString() : m_directoryList->itemText(row);
}

QString MainForm::selectedDirectoryCode() const
{
    const int row = m_directoryList->selectedRow();
    return row < 0 ? QString() : m_directoryList->subItem(row, 1);
}

QString MainForm::selectedDirectoryPass() const
{
    const int row = m_directoryList->selectedRow();
    return row < 0 ? QString() : m_directoryList->subItem(row, 2);
}

// A link needs a directory to keep in step: the user names one, then the sync window opens on it.
void MainForm::linkFromWelcome()
{
    run(MainCommand::AddDirectory);
    if (m_directoryList->count() == 0)
        return;
    m_directoryList->selectRow(0);
    m_currentDirectory->setText(selectedDirectoryCode());
    run(MainCommand::Sync);
}

void MainForm::openSelectedDirectory()
{
    if (!hasSelectedDirectory())
        return;
    const QString pass = selectedDirectoryPass();
    if (!Directory::isLocked(pass)) {
        Opendir();
        m_contactList->activeView()->setFocus();
    } else if (m_askPassword) {
        m_askPassword(*this, pass);
    }
}

void MainForm::showContactInDirectory(const QString& dirCode, const QString& name)
{
    if (!listPaneShown())
        viewmdorClick();
    GoBack();
    // Every directory listed, so the one asked for is there to choose.
    PassedOver::note(SharedData::directories().setFilter(RecordFilter()), Q_FUNC_INFO);
    fill_dir_list();
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
    for (int row = 0; row < m_directoryList->count(); ++row)
        if (m_directoryList->subItem(row, 1) == dirCode) {
            m_directoryList->selectRow(row);
            m_currentDirectory->setText(dirCode);
            openSelectedDirectory();
            break;
        }
    if (m_viewState == ViewState::Contacts && m_currentDirectory->text() == dirCode)
        for (int row = 0; row < m_contactList->count(); ++row)
            if (m_contactList->itemText(row) == name) {
                m_contactList->selectRow(row);
                break;
            }
    raise();
    activateWindow();
}

void MainForm::Opendir()
{
    if (m_directoryList->selectedRow() < 0)
        return;
    m_currentDirectory->setText(selectedDirectoryCode());
    m_listFrame->setCaption(selectedDirectoryName());
    m_directoryList->hide();
    m_viewState = ViewState::Contacts;
    m_contactList->setBackgroundPicture(QPixmap());
    m_contactList->show();
    CloseContactRecordset();
    PassedOver::note(SharedData::contacts().openContacts(m_currentDirectory->text()), Q_FUNC_INFO);
    PassedOver::note(SharedData::contacts().setFilter(RecordFilter()), Q_FUNC_INFO);
    fill_list();
    statis();
    m_undo.refresh();
}

void MainForm::GoBack()
{
    if (m_viewState != ViewState::Contacts)
        return;
    m_contactList->hide();
    m_directoryList->show();
    // The list keeps the items it showed before, even if a search had narrowed it.
    PassedOver::note(SharedData::directories().setFilter(RecordFilter()), Q_FUNC_INFO);
    m_directoryList->activeView()->setFocus();
    m_viewState = ViewState::Directories;
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
    writeStatus(3, QString());
    m_listFrame->setCaption(QString());
    m_undo.refresh();
}

void MainForm::directoryListMouseUp(Qt::MouseButton button, const QPoint& globalPos)
{
    const bool usable = m_directoryList->count() > 0 && !m_currentDirectory->text().isEmpty();
    for (QAction* item : {m_menus->dirmnuopen, m_menus->dirmnuren, m_menus->dirmnudel, m_menus->dirview->menuAction()})
        item->setEnabled(usable);
    for (QAction* item : m_directoryCommands)
        item->setEnabled(usable);
    m_menus->dirmnuadd->setEnabled(true);
    if (button == Qt::RightButton)
        popup(m_menus->dirmnu, globalPos);
}

// ---- Contact list ------------------------------------------------------------------------

void MainForm::fill_list()
{
    Recordset& contacts = SharedData::contacts();
    if (contacts.recordCount() <= 0) {
        m_contactList->clear();
        return;
    }
    m_contactList->fill(contacts.snapshot(), contacts.position());
}

void MainForm::Refreshlist()
{
    // The list is filled anew: it lets go of the rows it shows first, so that the order they share
    // takes in this program's writes where it stands instead of as a copy.
    m_contactList->clear();
    PassedOver::note(SharedData::contacts().setFilter(RecordFilter()), Q_FUNC_INFO);
    statis();
    m_contactList->setBackgroundPicture(QPixmap());
    fill_list();
}

void MainForm::contactListMouseUp(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton)
        return;
    const bool hasItems = m_contactList->count() > 0;
    for (QAction* item :
         {m_menus->cmdet, m_menus->cmedit, m_menus->cmdel, m_menus->movemag, m_menus->cmv->menuAction()})
        item->setEnabled(hasItems);
    for (QAction* item : m_contactCommands)
        item->setEnabled(hasItems);
    const QStringList selected = selectedContact();
    for (const auto& [menu, fill] : m_contactMenus) {
        menu->clear();
        fill(*this, menu, selected);
        menu->menuAction()->setEnabled(!menu->isEmpty());
    }
    m_menus->cmadd->setEnabled(true);
    popup(m_menus->cm, globalPos);
}

void MainForm::viewContact()
{
    run(MainCommand::ViewContact);
}

void MainForm::CmdADD_Click()
{
    run(MainCommand::AddContact);
}

void MainForm::CmdEdit_Click()
{
    if (m_contactList->count() == 0)
        return;
    run(MainCommand::EditContact);
}

void MainForm::cmdDelete_Click()
{
    if (m_contactList->count() == 0)
        return;
    run(MainCommand::DeleteContact);
}

// ---- Toolbar -----------------------------------------------------------------------------

void MainForm::toolbarButtonPressed(int position)
{
    const QPoint mouse = QCursor::pos();
    switch (static_cast<ToolbarCommand>(position)) {
    case ToolbarCommand::Back:
        GoBack();
        break;
    case ToolbarCommand::Add:
        if (m_viewState == ViewState::Contacts)
            CmdADD_Click();
        else if (m_viewState == ViewState::Directories)
            run(MainCommand::AddDirectory);
        break;
    case ToolbarCommand::Edit:
        if (m_viewState == ViewState::Contacts)
            CmdEdit_Click();
        else if (m_viewState == ViewState::Directories)
            run(MainCommand::RenameDirectory);
        break;
    case ToolbarCommand::Delete:
        if (m_viewState == ViewState::Contacts)
            cmdDelete_Click();
        else if (m_viewState == ViewState::Directories)
            run(MainCommand::DeleteDirectory);
        break;
    case ToolbarCommand::SearchOptions:
    case ToolbarCommand::View:
    case ToolbarCommand::Tools:
    case ToolbarCommand::Themes:
        toolbarArrowPressed(position, mouse);
        break;
    case ToolbarCommand::Print:
        if (m_viewState == ViewState::Contacts)
            run(MainCommand::Print);
        break;
    case ToolbarCommand::About:
        run(MainCommand::About);
        break;
    case ToolbarCommand::Undo:
        m_undoCommands->undoAction()->trigger();
        break;
    case ToolbarCommand::SearchBook:
        run(MainCommand::SearchBook);
        break;
    case ToolbarCommand::Office: {
        // The office program is started and left alone; a missing file does nothing.
        const QString program = QDir::toNativeSeparators(SharedData::programFolder() + QStringLiteral("/help.exe"));
        if (QFileInfo(program).isFile())
            QProcess::startDetached(program, {}, SharedData::programFolder());
        break;
    }
    default: // a separator, or no position at all
        break;
    }
}

void MainForm::toolbarArrowPressed(int position, const QPoint& point)
{
    switch (static_cast<ToolbarCommand>(position)) {
    case ToolbarCommand::SearchOptions:
        popup(m_menus->mnusearch, point);
        break;
    case ToolbarCommand::View:
        popup(m_menus->viewall, point);
        break;
    case ToolbarCommand::Tools:
        popup(m_menus->mnutools, point);
        break;
    case ToolbarCommand::Themes:
        popup(m_menus->theme, point);
        break;
    default:
        break;
    }
}

// ---- Search ------------------------------------------------------------------------------

QString MainForm::searchField() const
{
    return m_searchFields->field();
}

void MainForm::searchCommand()
{
    if (m_searchBox->text().isEmpty() || !listPaneShown())
        return;
    if (m_viewState == ViewState::Directories)
        Searchindir();
    else if (m_viewState == ViewState::Contacts)
        Searchindata();
}

void MainForm::Searchindir()
{
    PassedOver::note(SharedData::directories().setFilter(
                         RecordFilter::contains(QStringLiteral("dirname"), m_searchBox->text().trimmed())),
                     Q_FUNC_INFO);
    fill_dir_list();
    sayWhenNothingFound(m_directoryList);
    writeStatus(3, StatusTexts::searchResults(m_directoryList->count()));
}

void MainForm::sayWhenNothingFound(RecordListView* list)
{
    list->setEmptyText(list->count() == 0 ? StatusTexts::noResults() : QString());
}

void MainForm::Searchindata()
{
    if (m_searchBox->text().isEmpty() || m_currentDirectory->text().isEmpty() || m_viewState != ViewState::Contacts)
        return;
    const QString column = m_searchFields->filterColumn();
    if (!column.isEmpty()) {
        CloseContactRecordset();
        Recordset& contacts = SharedData::contacts();
        PassedOver::note(contacts.openContacts(m_currentDirectory->text()), Q_FUNC_INFO);
        const Recordset::Sound sound =
            Preferences::searchBySound() ? Recordset::Sound::AlsoFind : Recordset::Sound::Ignored;
        PassedOver::note(contacts.setFilter(RecordFilter::contains(column, m_searchBox->text().trimmed()), sound),
                         Q_FUNC_INFO);
        fill_list();
    }
    m_contactList->setBackgroundPicture(AppLook::icon(QStringLiteral("search")).pixmap(64, 64));
    sayWhenNothingFound(m_contactList);
    const std::shared_ptr<const RowSet> hits = m_contactList->count() > 0 ? SharedData::contacts().snapshot() : nullptr;
    const qsizetype bySound = hits ? hits->size() - hits->soundHitsFrom() : 0;
    writeStatus(3, bySound > 0 ? StatusTexts::searchResults(m_contactList->count() - bySound, bySound)
                               : StatusTexts::searchResults(m_contactList->count()));
}

// ---- The list pane -----------------------------------------------------------------------

void MainForm::closeListPane()
{
    m_blankList->hide();
    m_contactList->hide();
    m_directoryList->show();
    m_listPane->hide();
    m_viewState = ViewState::Directories;
    writeStatus(2, QString());
    writeStatus(3, QString());
    m_undo.refresh();
}

void MainForm::viewmdorClick()
{
    m_listPane->show();
    PassedOver::note(SharedData::directories().setFilter(RecordFilter()), Q_FUNC_INFO);
    fill_dir_list();
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
}

void MainForm::viewdelistClick()
{
    if (!listPaneShown())
        return;
    if (m_viewState == ViewState::Directories) {
        PassedOver::note(SharedData::directories().setFilter(RecordFilter()), Q_FUNC_INFO);
        fill_dir_list();
        writeCount(2, SharedData::directories(), StatusTexts::directoryCountWide);
        writeStatus(3, QString());
    } else if (m_viewState == ViewState::Contacts) {
        PassedOver::note(SharedData::contacts().setFilter(RecordFilter()), Q_FUNC_INFO);
        fill_list();
        writeCount(2, SharedData::contacts(), StatusTexts::currentDirectory);
        writeStatus(3, QString());
        m_contactList->setBackgroundPicture(QPixmap());
    }
}

// ---- Themes and sound --------------------------------------------------------------------

void MainForm::ColorTheme()
{
    const QString stored = Preferences::theme();
    if (stored == QLatin1String("Blue"))
        applyTheme(0);
    else if (stored == QLatin1String("Green"))
        applyTheme(1);
    else if (stored == QLatin1String("Silver"))
        applyTheme(2);
}

void MainForm::applyTheme(int scheme)
{
    static const char* names[] = {"Blue", "Green", "Silver"};
    if (scheme < 0 || scheme > 2)
        return;
    m_toolbar->setColorScheme(scheme);
    m_publisherBar->setColorScheme(scheme);
    m_menuSkin->setColorScheme(scheme);
    m_countsBar->setColorScheme(scheme);
    Preferences::setTheme(QString::fromLatin1(names[scheme]));
    m_menus->themeblue->setChecked(scheme == 0);
    m_menus->themegreen->setChecked(scheme == 1);
    m_menus->themesilver->setChecked(scheme == 2);
}

void MainForm::SNDONClick()
{
    m_soundOn = true;
    Preferences::setSoundOn(true);
    Soundbgc();
}

void MainForm::bgchangeClick()
{
    const QString chosen =
        FileChooser::chooseOpenFile(this, QStringLiteral("تغيير صوت الخلفية"), QStringLiteral("WAV SOUNDS|*.wav"));
    if (chosen.isEmpty())
        return;
    SoundPlayer::stop();
    Preferences::setSoundFile(QDir::toNativeSeparators(chosen));
    SNDONClick();
}

void MainForm::Soundbgc()
{
    if (!m_soundOn)
        return;
    const QString fallback =
        QDir::toNativeSeparators(DataLocation::shippedFile(SharedData::programFolder(), QStringLiteral("bg.wav")));
    SoundPlayer::play(Preferences::soundFile(fallback));
}

// ---- Layout and lifecycle ----------------------------------------------------------------

void MainForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ColorTheme();
    layoutBody();
}

void MainForm::layoutBody()
{
    const QRect inner = m_body->rect();
    const QRect picture(inner.left() + Units::px(kPictureMargin), inner.top() + Units::px(kPictureTop),
                        inner.width() - Units::px(2 * kPictureMargin), inner.height() - Units::px(kPictureHeightCut));
    // A window smaller than the margins keeps the last valid layout.
    if (picture.width() > 0 && picture.height() > 0)
        m_closedPanePicture->setGeometry(picture);
    m_listPane->setGeometry(0, 0, m_publisherBar->width() > 0 ? m_publisherBar->width() : inner.width(),
                            inner.height());
}

void MainForm::layoutTopBar()
{
    // The search frame keeps its size and sits at the far (left) end of the top bar, half the
    // frame offset in from the edge.
    m_searchFrame->move(Units::px(kSearchFrameOffset) / 2, 3);
}

void MainForm::layoutListPane()
{
    const QRect inner = m_listPane->rect();
    const QRect lists(inner.left(), inner.top() + Units::px(kListTop), inner.width(),
                      inner.height() - Units::px(kListHeightCut));
    if (lists.width() > 0 && lists.height() > 0) {
        m_contactList->setGeometry(lists);
        m_contactList->setColumnWidthTwips(0, Units::twips(lists.width()) - kFirstColumnCut);
        m_blankList->setGeometry(lists);
        m_directoryList->setGeometry(lists);
        m_welcome->setGeometry(0, 0, lists.width(), lists.height());
    }
    if (inner.width() > 0 && inner.height() > 0)
        m_listFrame->setGeometry(inner);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == m_body)
            layoutBody();
        else if (watched == m_listPane)
            layoutListPane();
        else if (watched == m_topBar)
            layoutTopBar();
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == m_closedPanePicture) {
        viewmdorClick();
        return true;
    } else if (event->type() == QEvent::MouseButtonRelease && watched == m_welcome) {
        // The welcome covers the empty directory list; its popup is still the list's own.
        auto* release = static_cast<QMouseEvent*>(event);
        directoryListMouseUp(release->button(), release->globalPosition().toPoint());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainForm::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        takeInOutsideChanges();
}

void MainForm::takeInOutsideChanges()
{
    const quint64 outside = SharedData::connection().changeStamp().others;
    const bool first = m_outsideCommits == 0;
    if (outside == m_outsideCommits)
        return;
    m_outsideCommits = outside;
    if (first)
        return;
    m_undo.refresh(); // another program may have locked a directory
    auto reselect = [](RecordListView* list, const QString& name) {
        for (int row = 0; row < list->count(); ++row)
            if (list->itemText(row) == name) {
                list->selectRow(row);
                return;
            }
    };
    const int directoryRow = m_directoryList->selectedRow();
    const QString directory = directoryRow < 0 ? QString() : m_directoryList->itemText(directoryRow);
    PassedOver::note(SharedData::directories().requery(), Q_FUNC_INFO);
    fill_dir_list();
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
    if (!directory.isEmpty())
        reselect(m_directoryList, directory);
    if (m_viewState == ViewState::Contacts) {
        const int contactRow = m_contactList->selectedRow();
        const QString contact = contactRow < 0 ? QString() : m_contactList->itemText(contactRow);
        PassedOver::note(SharedData::contacts().requery(), Q_FUNC_INFO);
        fill_list();
        statis();
        if (!contact.isEmpty())
            reselect(m_contactList, contact);
    }
}

void MainForm::closeEvent(QCloseEvent* event)
{
    SoundPlayer::stop();
    // The next session opens the directory last shown without sorting it again, and searches
    // the whole book without reading it first.
    SharedData::keepForNextSession();
    event->accept();
    QCoreApplication::quit();
}
