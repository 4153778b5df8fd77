#include "MainForm.h"

#include "AppLook.h"
#include "DataLocation.h"
#include "MainMenus.h"
#include "MessageBox.h"
#include "RecordListView.h"
#include "SettingsStore.h"
#include "SharedData.h"
#include "SkinButton.h"
#include "SkinFrame.h"
#include "SkinHookMenu.h"
#include "SkinStatusBar.h"
#include "SkinToolBar.h"
#include "SoundPlayer.h"
#include "StatusTexts.h"
#include "ToolbarCommand.h"
#include "Units.h"
#include "FileChooser.h"
#include "FocusColour.h"

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
#include <QProcess>
#include <QScreen>
#include <QVBoxLayout>


namespace {

const QString kApplication = QStringLiteral("Mirz");

// Layout measures of the main window, in twips.
constexpr int kPictureMargin = 160;
constexpr int kPictureTop = 120;
constexpr int kPictureHeightCut = 140;
constexpr int kSearchFrameOffset = 388;
constexpr int kListTop = 370;
constexpr int kListHeightCut = 350;
constexpr int kFirstColumnCut = 280;
constexpr int kTopBarHeight = 975;

struct SearchFieldItem {
    const char* item;
    const char* field;
};
// The search-field menu, in table order: menu item and the column it searches.
constexpr SearchFieldItem kSearchFields[] = {
    {"sname", "name"},      {"sorg", "org"}, {"saddress", "address"}, {"shome", "hometel"},  {"sjob", "jobtel"},
    {"smobil", "mobil"},    {"sfax", "fax"}, {"semail", "email"},     {"sinfo", "moreinfo"},
};

} // namespace

MainForm::MainForm() : SkinHookMenu1(new SkinHookMenu(this)), menus(new MainMenus(this))
{
    setWindowTitle(QStringLiteral("QAV Telephone"));
    setAccessibleName(QStringLiteral("QAV Telephone"));
    setLayoutDirection(Qt::RightToLeft);
    popup = [](QMenu* menu, const QPoint& point) { menu->popup(point); };

    SmallIcons = MyImageList({QStringLiteral(":/icons/add.svg"), QStringLiteral(":/icons/edit.svg"),
                              QStringLiteral(":/icons/delete.svg"), QStringLiteral(":/icons/view.svg"),
                              QStringLiteral(":/icons/themes.svg"), QStringLiteral(":/icons/tools.svg"), QString(),
                              QString(), QString(), QStringLiteral(":/icons/office.svg"),
                              QStringLiteral(":/icons/search.svg"), QString(), QString(), QString(), QString(),
                              QStringLiteral(":/icons/print.svg"), QString(), QStringLiteral(":/icons/back.svg")});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    SkinToolBar1 = new SkinToolBar(this);
    SkinToolBar1->setImageList(&SmallIcons);
    buildToolbar();
    layout->addWidget(SkinToolBar1);

    // Top bar with the search frame.
    Picture1 = new QWidget(this);
    Picture1->setFixedHeight(Units::px(kTopBarHeight));
    Frame1 = new SkinFrame(QStringLiteral("بحث"), Picture1);
    txtSearch = new QLineEdit(Frame1);
    txtSearch->setAccessibleName(QStringLiteral("بحث"));
    FocusColour::install(txtSearch);
    cmdsearch = new SkinButton(QStringLiteral("بحث"), Frame1);
    cmdsearch->setIcon(AppLook::icon(QStringLiteral("search")));
    Frame1->resize(Units::px(5400), Units::px(kTopBarHeight) - 6);
    txtSearch->setGeometry(Frame1->width() - 8 - Units::px(3600), SkinFrame::kCaptionHeight + 4, Units::px(3600),
                           Frame1->height() - SkinFrame::kCaptionHeight - 10);
    cmdsearch->setGeometry(8, SkinFrame::kCaptionHeight + 3, Units::px(1400),
                           Frame1->height() - SkinFrame::kCaptionHeight - 8);
    Picture1->installEventFilter(this);
    layout->addWidget(Picture1);

    // The list pane, with the picture that shows when it is closed behind it.
    body = new QWidget(this);
    body->installEventFilter(this);
    Picture0 = new QLabel(body);
    Picture0->setAlignment(Qt::AlignCenter);
    Picture0->setPixmap(AppLook::icon(QStringLiteral("app")).pixmap(128, 128));
    Picture0->setToolTip(QStringLiteral("انقر نقرا مزدوجا لعرض قائمة الدليل"));
    Picture0->setAccessibleName(QStringLiteral("انقر نقرا مزدوجا لعرض قائمة الدليل"));
    Picture0->setFrameShape(QFrame::StyledPanel);
    Picture0->installEventFilter(this);
    Picture2 = new QWidget(body);
    Picture2->setAutoFillBackground(true);
    Picture2->installEventFilter(this);
    dirframe = new SkinFrame(QString(), Picture2);
    dirframe->setCloseButton(true);
    buildLists();
    layout->addWidget(body, 1);

    buildStatusBars();
    layout->addWidget(statbar);
    layout->addWidget(StatusBar);

    // Never visible: the code of the directory last selected or opened, and the command buttons.
    dir = new QLineEdit(this);
    dir->hide();
    CmdADD = new SkinButton(QStringLiteral("إضافة"), this);
    CmdEdit = new SkinButton(QStringLiteral("تعديل"), this);
    cmdDelete = new SkinButton(QStringLiteral("حذف"), this);
    for (SkinButton* hidden : {CmdADD, CmdEdit, cmdDelete})
        hidden->hide();
    connect(CmdADD, &QPushButton::clicked, this, &MainForm::CmdADD_Click);
    connect(CmdEdit, &QPushButton::clicked, this, &MainForm::CmdEdit_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &MainForm::cmdDelete_Click);

    for (QMenu* menu : menus->topLevelMenus())
        SkinHookMenu1->addMenu(menu);
    connectMenus();

    connect(SkinToolBar1, &SkinToolBar::buttonPressed, this, &MainForm::toolbarButtonPressed);
    connect(SkinToolBar1, &SkinToolBar::arrowPressed, this, &MainForm::toolbarArrowPressed);
    connect(cmdsearch, &QPushButton::clicked, this, &MainForm::searchCommand);
    connect(txtSearch, &QLineEdit::returnPressed, this, &MainForm::searchCommand);
    connect(dirframe, &SkinFrame::closeRequested, this, &MainForm::closeListPane);

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
    SkinToolBar1->addButton(QStringLiteral("عودة"), Kind::Plain, 17);
    SkinToolBar1->addSeparator(4);
    SkinToolBar1->addButton(QStringLiteral("إضافة"), Kind::Plain, 0);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("تعديل"), Kind::Plain, 1);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("حذف"), Kind::Plain, 2);
    SkinToolBar1->addSeparator(10);
    SkinToolBar1->addButton(QStringLiteral("خيارات البحث"), Kind::DropDown, 10);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("عرض"), Kind::DropDown, 3);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("أدوات "), Kind::DropDown, 5);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("سمات"), Kind::DropDown, 4);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("طباعة"), Kind::Plain, 15);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("حول البرنامج"), Kind::Plain, -1);
    SkinToolBar1->addSeparator();
    SkinToolBar1->addButton(QStringLiteral("نشاط المكتب"), Kind::Plain, 9);
}

void MainForm::buildLists()
{
    infodirlist = new RecordListView(Picture2);
    infodirlist->setAccessibleName(QStringLiteral("الأدلة"));
    infodirlist->addColumn(QStringLiteral("dirname"), 2800);
    infodirlist->addColumn(QStringLiteral("dircode"), 0);
    infodirlist->addColumn(QStringLiteral("pass"), 0);
    infodirlist->setSmallIcon(AppLook::icon(QStringLiteral("folder")));

    infolist = new RecordListView(Picture2);
    infolist->setAccessibleName(QStringLiteral("البيانات"));
    const char* headers[] = {"الاسم",   "ت/ منزل", "ت/عمل",          "موبايل",    "فاكس",
                             "العنوان", "البريد الالكترونى", "المؤسسة", "بيانات إضافية", "الدليل"};
    for (int i = 0; i < 10; ++i)
        infolist->addColumn(QString::fromUtf8(headers[i]), i == 0 ? 5000 : 0);
    infolist->setSmallIcon(AppLook::icon(QStringLiteral("contact")));

    delist = new RecordListView(Picture2);
    delist->setAccessibleName(QStringLiteral("delist"));

    connect(infodirlist, &RecordListView::itemClicked, this,
            [this](int row) { dir->setText(infodirlist->subItem(row, 1)); });
    connect(infodirlist, &RecordListView::doubleClicked, this, &MainForm::openSelectedDirectory);
    connect(infodirlist, &RecordListView::keyPressed, this, [this](int key) {
        if (key == 13)
            openSelectedDirectory();
    });
    connect(infodirlist, &RecordListView::mouseReleased, this, &MainForm::directoryListMouseUp);

    connect(infolist, &RecordListView::doubleClicked, this, [this] {
        if (infolist->count() > 0)
            viewContact();
    });
    connect(infolist, &RecordListView::keyPressed, this, [this](int key) {
        if (key == 13 && infolist->count() > 0)
            viewContact();
        else if (key == 8)
            GoBack();
    });
    connect(infolist, &RecordListView::mouseReleased, this, &MainForm::contactListMouseUp);
}

void MainForm::buildStatusBars()
{
    statbar = new SkinStatusBar(this);
    statbar->setAccessibleName(QStringLiteral("statbar"));
    statbar->addPanel(100, QStringLiteral("إحصائيات "));
    statbar->setPanelIcon(1, AppLook::icon(QStringLiteral("stats")));
    statbar->addPanel(200);
    statbar->addPanel(200);

    // The publisher's own lines; the program never changes them.
    StatusBar = new SkinStatusBar(this);
    StatusBar->setAccessibleName(QStringLiteral("StatusBar"));
    StatusBar->addPanel(160, QStringLiteral("QAV Telephone"));
    StatusBar->addPanel(335, QStringLiteral("دليل الهاتف الشخصى"));
    StatusBar->addPanel(300, QStringLiteral("بياناتك محفوظة ومشفرة فى ملف واحد"));
}

void MainForm::connectMenus()
{
    MainMenus& m = *menus;
    connect(m.cmdet, &QAction::triggered, this, &MainForm::viewContact);
    connect(m.cmadd, &QAction::triggered, this, &MainForm::CmdADD_Click);
    connect(m.cmedit, &QAction::triggered, this, &MainForm::CmdEdit_Click);
    connect(m.cmdel, &QAction::triggered, this, &MainForm::cmdDelete_Click);
    connect(m.movemag, &QAction::triggered, this, [this] {
        if (infolist->selectedRow() >= 0 && commands.moveContact)
            commands.moveContact(*this);
    });
    connect(m.cmvm, &QAction::triggered, this, [this] {
        infolist->setView(RecordListView::List);
        menus->cmvm->setChecked(true);
        menus->cmvd->setChecked(false);
    });
    connect(m.cmvd, &QAction::triggered, this, [this] {
        infolist->setView(RecordListView::Report);
        menus->cmvd->setChecked(true);
        menus->cmvm->setChecked(false);
    });

    connect(m.dirmnuopen, &QAction::triggered, this, &MainForm::openSelectedDirectory);
    connect(m.dirmnuadd, &QAction::triggered, this, [this] {
        if (commands.addDirectory)
            commands.addDirectory(*this);
    });
    connect(m.dirmnuren, &QAction::triggered, this, [this] {
        if (commands.renameDirectory)
            commands.renameDirectory(*this);
    });
    connect(m.dirmnudel, &QAction::triggered, this, [this] {
        if (commands.deleteDirectory)
            commands.deleteDirectory(*this);
    });
    connect(m.dirvhor, &QAction::triggered, this, [this] { infodirlist->setView(RecordListView::List); });
    connect(m.dirvver, &QAction::triggered, this, [this] { infodirlist->setView(RecordListView::Report); });

    for (const SearchFieldItem& entry : kSearchFields) {
        QAction* item = m.item(QString::fromLatin1(entry.item));
        const QString field = QString::fromLatin1(entry.field);
        connect(item, &QAction::triggered, this, [this, item, field] { chooseSearchField(item, field); });
    }

    connect(m.themeblue, &QAction::triggered, this, [this] { applyTheme(0); });
    connect(m.themegreen, &QAction::triggered, this, [this] { applyTheme(1); });
    connect(m.themesilver, &QAction::triggered, this, [this] { applyTheme(2); });

    connect(m.mnutools, &QMenu::aboutToShow, this, [this] {
        menus->sec->setEnabled(infodirlist->count() > 0 && ViewState == 0);
        // Import goes into the open directory, or the one selected in the list.
        menus->importcontacts->setEnabled(ViewState == 1 || (ViewState == 0 && infodirlist->count() > 0 &&
                                                              !selectedDirectoryCode().isEmpty()));
        menus->exportdir->setEnabled(ViewState == 1);
    });
    connect(m.importcontacts, &QAction::triggered, this, [this] {
        if (commands.importContacts)
            commands.importContacts(*this);
    });
    connect(m.exportdir, &QAction::triggered, this, [this] {
        if (commands.exportDirectory)
            commands.exportDirectory(*this);
    });
    connect(m.copydb, &QAction::triggered, this, [this] {
        if (commands.backup)
            commands.backup(*this);
    });
    connect(m.resdb, &QAction::triggered, this, [this] {
        if (commands.restore)
            commands.restore(*this);
    });
    connect(m.sec, &QAction::triggered, this, [this] {
        if (hasSelectedDirectory() && commands.lockDirectory)
            commands.lockDirectory(*this);
    });
    connect(m.sounds, &QMenu::aboutToShow, this, [this] {
        menus->SNDON->setEnabled(!soundOn);
        menus->SNDOFF->setEnabled(soundOn);
    });
    connect(m.SNDON, &QAction::triggered, this, &MainForm::SNDONClick);
    connect(m.SNDOFF, &QAction::triggered, this, [this] {
        soundOn = false;
        SettingsStore::write(kApplication, QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("0"));
        SoundPlayer::stop();
    });
    connect(m.bgchange, &QAction::triggered, this, &MainForm::bgchangeClick);

    connect(m.viewall, &QMenu::aboutToShow, this, [this] {
        const bool paneShown = !Picture2->isHidden();
        menus->viewmdor->setEnabled(!paneShown);
        menus->viewdelist->setEnabled(paneShown);
    });
    connect(m.viewmdor, &QAction::triggered, this, &MainForm::viewmdorClick);
    connect(m.viewdelist, &QAction::triggered, this, &MainForm::viewdelistClick);
}

// ---- Start-up ----------------------------------------------------------------------------

bool MainForm::Form_Load()
{
    Testscreen();
    SetRightToLeft(infolist);
    SetRightToLeft(infodirlist);
    SetRightToLeft(delist);
    ColorTheme();
    if (!StartConnect())
        return false;
    SearchField = QStringLiteral("name");
    // Sound is on unless the stored value says 0; a value that is no number leaves it off.
    bool isNumber = false;
    const int value =
        SettingsStore::read(kApplication, QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("1"))
            .trimmed()
            .toInt(&isNumber);
    soundOn = isNumber && value == 1;
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

bool MainForm::StartConnect()
{
    if (DataResult opened = OpenDatabase(); !opened) {
        MessageBox::show(QStringLiteral("خطأ فى قاعدة البيانات , برجاء إعادة تثبيت البرنامج أو عمل استرجاع لقاعدة "
                                        "البيانات"),
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
        return false;
    }
    CloseContactRecordset();
    CloseDirectoryRecordset();
    (void)SharedData::directories().open(QStringLiteral("select * from dirg order by dirname "));
    fill_dir_list();
    infolist->hide();
    delist->hide();
    infodirlist->show();
    CloseContactRecordset();
    (void)SharedData::contacts().open(QStringLiteral("select * from info order by name "));
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
    writeCount(3, SharedData::contacts(), StatusTexts::totalContacts);
    return true;
}

void MainForm::writeStatus(int panel, const QString& text) { statbar->setPanelText(panel, text); }

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
    infodirlist->clear();
    // The items are new: no directory is picked until the user clicks one or moves to it.
    dir->clear();
    if (directories.recordCount() <= 0)
        return;
    infodirlist->fill(directories.snapshot(), directories.position());
}

bool MainForm::hasSelectedDirectory() const
{
    return infodirlist->count() > 0 && infodirlist->selectedRow() >= 0;
}

QString MainForm::selectedDirectoryName() const
{
    const int row = infodirlist->selectedRow();
    return row < 0 ? QString() : infodirlist->itemText(row);
}

QString MainForm::selectedDirectoryCode() const
{
    const int row = infodirlist->selectedRow();
    return row < 0 ? QString() : infodirlist->subItem(row, 1);
}

QString MainForm::selectedDirectoryPass() const
{
    const int row = infodirlist->selectedRow();
    return row < 0 ? QString() : infodirlist->subItem(row, 2);
}

void MainForm::openSelectedDirectory()
{
    if (!hasSelectedDirectory())
        return;
    const QString pass = selectedDirectoryPass();
    if (pass == QLatin1String("0")) {
        Opendir();
        infolist->activeView()->setFocus();
    } else if (commands.askDirectoryPassword) {
        commands.askDirectoryPassword(*this, pass);
    }
}

void MainForm::Opendir()
{
    if (infodirlist->selectedRow() < 0)
        return;
    dir->setText(selectedDirectoryCode());
    dirframe->setCaption(selectedDirectoryName());
    infodirlist->hide();
    ViewState = 1;
    infolist->setBackgroundPicture(QPixmap());
    infolist->show();
    CloseContactRecordset();
    (void)SharedData::contacts().open(QStringLiteral("select * from info where dir= ? order by name"), dir->text());
    (void)SharedData::contacts().setFilter(RecordFilter());
    fill_list();
    statis();
}

void MainForm::GoBack()
{
    if (ViewState != 1)
        return;
    infolist->hide();
    infodirlist->show();
    // The list keeps the items it showed before, even if a search had narrowed it.
    (void)SharedData::directories().setFilter(RecordFilter());
    infodirlist->activeView()->setFocus();
    ViewState = 0;
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
    writeStatus(3, QString());
    dirframe->setCaption(QString());
}

void MainForm::directoryListMouseUp(Qt::MouseButton button, const QPoint& globalPos)
{
    const bool usable = infodirlist->count() > 0 && !dir->text().isEmpty();
    for (QAction* item : {menus->dirmnuopen, menus->dirmnuren, menus->dirmnudel, menus->dirview->menuAction()})
        item->setEnabled(usable);
    menus->dirmnuadd->setEnabled(true);
    if (button == Qt::RightButton)
        popup(menus->dirmnu, globalPos);
}

// ---- Contact list ------------------------------------------------------------------------

void MainForm::fill_list()
{
    Recordset& contacts = SharedData::contacts();
    infolist->clear();
    if (contacts.recordCount() <= 0)
        return;
    infolist->fill(contacts.snapshot(), contacts.position());
}

void MainForm::Refreshlist()
{
    (void)SharedData::contacts().setFilter(RecordFilter());
    statis();
    infolist->setBackgroundPicture(QPixmap());
    fill_list();
}

void MainForm::contactListMouseUp(Qt::MouseButton button, const QPoint& globalPos)
{
    if (button != Qt::RightButton)
        return;
    const bool hasItems = infolist->count() > 0;
    for (QAction* item : {menus->cmdet, menus->cmedit, menus->cmdel, menus->movemag, menus->cmv->menuAction()})
        item->setEnabled(hasItems);
    menus->cmadd->setEnabled(true);
    popup(menus->cm, globalPos);
}

void MainForm::viewContact()
{
    if (commands.showEditor)
        commands.showEditor(*this, QStringLiteral("view"));
}

void MainForm::CmdADD_Click()
{
    if (commands.showEditor)
        commands.showEditor(*this, QStringLiteral("Add"));
}

void MainForm::CmdEdit_Click()
{
    if (infolist->count() == 0)
        return;
    if (commands.showEditor)
        commands.showEditor(*this, QStringLiteral("edit"));
}

void MainForm::cmdDelete_Click()
{
    if (infolist->count() == 0)
        return;
    if (commands.deleteContact)
        commands.deleteContact(*this);
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
        if (ViewState == 1)
            CmdADD_Click();
        else if (ViewState == 0 && commands.addDirectory)
            commands.addDirectory(*this);
        break;
    case ToolbarCommand::Edit:
        if (ViewState == 1)
            CmdEdit_Click();
        else if (ViewState == 0 && commands.renameDirectory)
            commands.renameDirectory(*this);
        break;
    case ToolbarCommand::Delete:
        if (ViewState == 1)
            cmdDelete_Click();
        else if (ViewState == 0 && commands.deleteDirectory)
            commands.deleteDirectory(*this);
        break;
    case ToolbarCommand::SearchOptions:
    case ToolbarCommand::View:
    case ToolbarCommand::Tools:
    case ToolbarCommand::Themes:
        toolbarArrowPressed(position, mouse);
        break;
    case ToolbarCommand::Print:
        if (ViewState == 1 && commands.print)
            commands.print(*this);
        break;
    case ToolbarCommand::About:
        if (commands.about)
            commands.about(*this);
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
        popup(menus->mnusearch, point);
        break;
    case ToolbarCommand::View:
        popup(menus->viewall, point);
        break;
    case ToolbarCommand::Tools:
        popup(menus->mnutools, point);
        break;
    case ToolbarCommand::Themes:
        popup(menus->theme, point);
        break;
    default:
        break;
    }
}

// ---- Search ------------------------------------------------------------------------------

void MainForm::chooseSearchField(QAction* item, const QString& field)
{
    Clearmnusearch();
    item->setChecked(true);
    SearchField = field;
}

void MainForm::Clearmnusearch()
{
    for (const SearchFieldItem& entry : kSearchFields)
        menus->item(QString::fromLatin1(entry.item))->setChecked(false);
}

void MainForm::searchCommand()
{
    if (txtSearch->text().isEmpty() || Picture2->isHidden())
        return;
    if (ViewState == 0)
        Searchindir();
    else if (ViewState == 1)
        Searchindata();
}

void MainForm::Searchindir()
{
    (void)SharedData::directories().setFilter(
        RecordFilter::contains(QStringLiteral("dirname"), txtSearch->text().trimmed()));
    fill_dir_list();
    writeStatus(3, StatusTexts::searchResults(infodirlist->count()));
}

QString MainForm::searchFilterColumn() const
{
    for (const SearchFieldItem& entry : kSearchFields)
        if (SearchField == QLatin1String(entry.field))
            return SearchField;
    return QString();
}

void MainForm::Searchindata()
{
    if (txtSearch->text().isEmpty() || dir->text().isEmpty() || ViewState != 1)
        return;
    const QString column = searchFilterColumn();
    if (!column.isEmpty()) {
        CloseContactRecordset();
        Recordset& contacts = SharedData::contacts();
        (void)contacts.open(QStringLiteral("select * from info where dir= ? order by name"), dir->text());
        (void)contacts.setFilter(RecordFilter::contains(column, txtSearch->text().trimmed()));
        fill_list();
    }
    infolist->setBackgroundPicture(AppLook::icon(QStringLiteral("search")).pixmap(64, 64));
    writeStatus(3, StatusTexts::searchResults(infolist->count()));
}

// ---- The list pane -----------------------------------------------------------------------

void MainForm::closeListPane()
{
    delist->hide();
    infolist->hide();
    infodirlist->show();
    Picture2->hide();
    ViewState = 0;
    writeStatus(2, QString());
    writeStatus(3, QString());
}

void MainForm::viewmdorClick()
{
    Picture2->show();
    (void)SharedData::directories().setFilter(RecordFilter());
    fill_dir_list();
    writeCount(2, SharedData::directories(), StatusTexts::directoryCount);
}

void MainForm::viewdelistClick()
{
    if (Picture2->isHidden())
        return;
    if (ViewState == 0) {
        (void)SharedData::directories().setFilter(RecordFilter());
        fill_dir_list();
        writeCount(2, SharedData::directories(), StatusTexts::directoryCountWide);
        writeStatus(3, QString());
    } else if (ViewState == 1) {
        (void)SharedData::contacts().setFilter(RecordFilter());
        fill_list();
        writeCount(2, SharedData::contacts(), StatusTexts::currentDirectory);
        writeStatus(3, QString());
        infolist->setBackgroundPicture(QPixmap());
    }
}

// ---- Themes and sound --------------------------------------------------------------------

void MainForm::ColorTheme()
{
    const QString stored =
        SettingsStore::read(kApplication, QStringLiteral("theme"), QStringLiteral("Color"), QStringLiteral("Silver"));
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
    SkinToolBar1->setColorScheme(scheme);
    StatusBar->setColorScheme(scheme);
    SkinHookMenu1->setColorScheme(scheme);
    statbar->setColorScheme(scheme);
    SettingsStore::write(kApplication, QStringLiteral("Theme"), QStringLiteral("Color"),
                         QString::fromLatin1(names[scheme]));
    menus->themeblue->setChecked(scheme == 0);
    menus->themegreen->setChecked(scheme == 1);
    menus->themesilver->setChecked(scheme == 2);
}

void MainForm::SNDONClick()
{
    soundOn = true;
    SettingsStore::write(kApplication, QStringLiteral("Sound"), QStringLiteral("Value"), QStringLiteral("1"));
    Soundbgc();
}

void MainForm::bgchangeClick()
{
    const QString chosen =
        FileChooser::chooseOpenFile(this, QStringLiteral("تغيير صوت الخلفية"), QStringLiteral("WAV SOUNDS|*.wav"));
    if (chosen.isEmpty())
        return;
    SoundPlayer::stop();
    SettingsStore::write(kApplication, QStringLiteral("Sound"), QStringLiteral("Path"),
                         QDir::toNativeSeparators(chosen));
    SNDONClick();
}

void MainForm::Soundbgc()
{
    if (!soundOn)
        return;
    const QString fallback =
        QDir::toNativeSeparators(DataLocation::shippedFile(SharedData::programFolder(), QStringLiteral("bg.wav")));
    QString path = SettingsStore::read(kApplication, QStringLiteral("Sound"), QStringLiteral("Path"), fallback);
    if (path.isEmpty())
        path = fallback;
    SoundPlayer::play(path);
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
    const QRect inner = body->rect();
    const QRect picture(inner.left() + Units::px(kPictureMargin), inner.top() + Units::px(kPictureTop),
                        inner.width() - Units::px(2 * kPictureMargin), inner.height() - Units::px(kPictureHeightCut));
    // A window smaller than the margins keeps the last valid layout.
    if (picture.width() > 0 && picture.height() > 0)
        Picture0->setGeometry(picture);
    Picture2->setGeometry(0, 0, StatusBar->width() > 0 ? StatusBar->width() : inner.width(), inner.height());
}

void MainForm::layoutPicture1()
{
    // The search frame keeps its size and sits at the far (left) end of the top bar, half the
    // frame offset in from the edge.
    Frame1->move(Units::px(kSearchFrameOffset) / 2, 3);
}

void MainForm::layoutPicture2()
{
    const QRect inner = Picture2->rect();
    const QRect lists(inner.left(), inner.top() + Units::px(kListTop), inner.width(),
                      inner.height() - Units::px(kListHeightCut));
    if (lists.width() > 0 && lists.height() > 0) {
        infolist->setGeometry(lists);
        infolist->setColumnWidthTwips(0, Units::twips(lists.width()) - kFirstColumnCut);
        delist->setGeometry(lists);
        infodirlist->setGeometry(lists);
    }
    if (inner.width() > 0 && inner.height() > 0)
        dirframe->setGeometry(inner);
}

bool MainForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == body)
            layoutBody();
        else if (watched == Picture2)
            layoutPicture2();
        else if (watched == Picture1)
            layoutPicture1();
    } else if (event->type() == QEvent::MouseButtonDblClick && watched == Picture0) {
        viewmdorClick();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainForm::closeEvent(QCloseEvent* event)
{
    SoundPlayer::stop();
    event->accept();
    QCoreApplication::quit();
}
