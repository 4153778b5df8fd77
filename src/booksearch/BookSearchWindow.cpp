#include "BookSearchWindow.h"

#include "AppLook.h"
#include "BookSearchResults.h"
#include "ContactCommands.h"
#include "ContactLinks.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirectoryStore.h"
#include "FocusColour.h"
#include "IndexReading.h"
#include "KeptSearchIndex.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MoreValueTexts.h"
#include "PassedOver.h"
#include "PhoneMatch.h"
#include "Preferences.h"
#include "SharedData.h"
#include "UndoHistory.h"

#include <QAction>
#include <QCheckBox>
#include <QCollator>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QResizeEvent>
#include <QScreen>
#include <QSet>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

void BookSearchWindow::install(MainForm& form)
{
    auto open = [](MainForm& f) { showFor(f); };
    form.setCommand(MainCommand::SearchBook, open);
    form.addToolsCommand(QStringLiteral("searchbook"), QStringLiteral("البحث فى الدفتر كله..."), open);
}

BookSearchWindow* BookSearchWindow::showFor(MainForm& form)
{
    auto* window = form.findChild<BookSearchWindow*>(QStringLiteral("booksearch"), Qt::FindDirectChildrenOnly);
    if (!window)
        window = new BookSearchWindow(form);
    window->show();
    window->raise();
    window->activateWindow();
    window->searchBox->setFocus();
    window->searchBox->selectAll();
    return window;
}

void BookSearchWindow::readAhead(MainForm& form)
{
    // A book whose kept index is believed reads that back in a moment; a small one reads at once.
    DataConnection& connection = SharedData::connection();
    if (!connection.isOpen() || SharedData::keptIndexBelieved() ||
        form.findChild<BookSearchWindow*>(QStringLiteral("booksearch"), Qt::FindDirectChildrenOnly) ||
        !BookSearchIndex::spans(connection, kReadBehindFrom))
        return;
    (new BookSearchWindow(form))->startReading();
}

BookSearchWindow::BookSearchWindow(MainForm& main)
    : QWidget(&main, Qt::Window), m_main(main), m_index(PhoneMatch::numberKey(PhoneMatch::preferredRegion())),
      m_model(new BookSearchResults(this))
{
    setObjectName(QStringLiteral("booksearch"));
    setWindowTitle(QStringLiteral("البحث فى الدفتر كله"));
    setAccessibleName(windowTitle());
    setLayoutDirection(Qt::RightToLeft);
    setWindowIcon(AppLook::icon(QStringLiteral("search")));

    searchBox = new QLineEdit(this);
    searchBox->setObjectName(QStringLiteral("searchtext"));
    searchBox->setAccessibleName(QStringLiteral("ابحث عن اسم أو رقم أو بريد"));
    searchBox->setPlaceholderText(QStringLiteral("اكتب اسمًا أو رقمًا أو بريدًا أو أى كلمة..."));
    searchBox->setClearButtonEnabled(true);
    FocusColour::install(searchBox);
    QFont larger = searchBox->font();
    larger.setPointSizeF(larger.pointSizeF() * 1.25);
    searchBox->setFont(larger);

    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);

    results = new QTableView(this);
    results->setObjectName(QStringLiteral("results"));
    results->setAccessibleName(QStringLiteral("نتائج البحث"));
    results->setModel(m_model);
    results->setSelectionBehavior(QAbstractItemView::SelectRows);
    results->setSelectionMode(QAbstractItemView::SingleSelection);
    results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    results->setAlternatingRowColors(true);
    results->setWordWrap(false);
    results->setTextElideMode(Qt::ElideMiddle);
    results->verticalHeader()->hide();
    results->horizontalHeader()->setStretchLastSection(true);
    results->horizontalHeader()->setMinimumSectionSize(kNarrowestColumn);
    results->horizontalHeader()->setDefaultAlignment(Qt::AlignVCenter | Qt::AlignLeading);
    results->setContextMenuPolicy(Qt::CustomContextMenu);
    results->installEventFilter(this);
    results->viewport()->installEventFilter(this); // its width shared out among the columns
    // Until the user widens a column: the widths are then theirs. The last only fills what is left.
    connect(results->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (!m_fittingColumns && column != BookSearchResults::FoundInColumn)
            m_columnsSetByHand = true;
    });
    searchBox->installEventFilter(this);

    openAtStart = new QCheckBox(QStringLiteral("افتح هذه النافذة عند بدء البرنامج"), this);
    openAtStart->setObjectName(QStringLiteral("openatstart"));
    openAtStart->setChecked(Preferences::bookSearchAtStart());

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(searchBox);
    layout->addWidget(summary);
    layout->addWidget(results, 1);
    layout->addWidget(openAtStart);

    connect(searchBox, &QLineEdit::textChanged, this, &BookSearchWindow::search);
    connect(results, &QAbstractItemView::doubleClicked, this, &BookSearchWindow::viewChosen);
    connect(results, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        if (!results->indexAt(point).isValid())
            return;
        QMenu menu(this);
        fillContactMenu(&menu);
        menu.exec(results->viewport()->mapToGlobal(point));
    });
    connect(openAtStart, &QCheckBox::toggled, this, &Preferences::setBookSearchAtStart);
    // The window stays open beside the main one: a directory locked there (or by another
    // program) takes its contacts off this list at once, not at the next keystroke.
    connect(&main.undoHistory(), &UndoHistory::changed, this, [this] {
        if (isVisible() && listsLockedContacts())
            search();
    });

    const QRect screen = main.screen() ? main.screen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(1080, screen.width() - 40), std::min(620, screen.height() - 80));
    // Kept in the book when the program closes, for the next session's first search.
    SharedData::setSearchIndex(&m_index);
}

BookSearchWindow::~BookSearchWindow()
{
    m_reading.reset(); // stops a read still going on, and waits for it
    if (SharedData::searchIndex() == &m_index)
        SharedData::setSearchIndex(nullptr);
}

void BookSearchWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    keepIndexCurrent();
    search(); // what the box still holds, as the book is now
}

void BookSearchWindow::fitColumns(int width)
{
    // What each column usually needs, "found in" last: on a small screen all of them narrow
    // alike, so that the directory and where the query was found never lie past the edge.
    constexpr std::array<int, 7> kWidths = {230, 130, 120, 120, 200, 110, 160};
    const int needed = std::accumulate(kWidths.begin(), kWidths.end(), 0);
    const double share = std::min(1.0, double(width) / needed);
    m_fittingColumns = true;
    for (int column = 0; column + 1 < int(kWidths.size()); ++column)
        results->setColumnWidth(column, std::max(kNarrowestColumn, int(kWidths[size_t(column)] * share)));
    m_fittingColumns = false;
}

void BookSearchWindow::keepIndexCurrent()
{
    // Any write since the index was read, this program's or another's, may have changed a
    // contact or locked a directory: it is brought up to date before anything of it is shown. The
    // first time, the index the last session kept is taken when the book is as it left it.
    // A large book never searched is read behind the window, which goes on taking typing.
    // So is one whose index another program's write made stale: the window waits for no whole
    // read of it, but right after a read behind (another program that writes all the time).
    if (m_reading)
        return;
    const bool justRead = std::exchange(m_readAgain, false);
    DataConnection& connection = SharedData::connection();
    if (m_index.loaded() && m_index.stamp() == connection.changeStamp())
        return;
    if (!m_index.loaded())
        (void)KeptSearchIndex::adopt(connection, m_index);
    const bool behind = m_readBehind && !justRead && BookSearchIndex::spans(connection, kReadBehindFrom);
    const DataResult read = m_index.bringUpToDate(connection, behind ? BookSearchIndex::FullRead::Deferred
                                                                     : BookSearchIndex::FullRead::Allowed);
    if (read && !m_index.loaded() && behind) {
        startReading();
        return;
    }
    if (!read)
        MessageBox::show(QStringLiteral("تعذرت قراءة جهات الاتصال من قاعدة البيانات: ") + read.error,
                         MessageBox::RtlReading | MessageBox::Critical, QStringLiteral("خطأ"));
}

void BookSearchWindow::startReading()
{
    // Unseen, the window reads ahead of any search: the user's work goes first.
    m_reading =
        std::make_unique<IndexReading>(SharedData::connection(), m_index.numberKey(),
                                       isVisible() ? IndexReading::Pace::AsUsual : IndexReading::Pace::GivingWay);
    connect(m_reading.get(), &IndexReading::done, this, &BookSearchWindow::takeReadIndex, Qt::QueuedConnection);
}

void BookSearchWindow::takeReadIndex()
{
    const std::unique_ptr<IndexReading> reading = std::move(m_reading);
    DataConnection& connection = SharedData::connection();
    // The book was closed meanwhile (a copy of it restored, say): it is read when next searched.
    if (!connection.isOpen())
        return;
    if (reading->result()) {
        BookSearchIndex read = reading->takeIndex();
        // Another program wrote while it was read: read again behind the window, once.
        if (connection.changeStamp().others != read.stamp().others && !m_readAgain) {
            m_readAgain = true;
            startReading();
            return;
        }
        m_index = std::move(read);
    } else if (isVisible()) {
        // It failed behind the window (a damaged page, a writer that kept the book): it is read
        // here as a small book is, and a failure there is told as any read's is. A read ahead
        // that failed unseen is read behind the window again when it is shown.
        m_readBehind = false;
    }
    if (!isVisible()) {
        m_readAgain = false;
        return; // shown again, it is brought up to date then (behind it, if need be)
    }
    // What is left to bring it up to date is done here, not by another read behind at once.
    m_readAgain = true;
    keepIndexCurrent();
    search(); // what was typed meanwhile, in the book as it is now
}

// The more value of the contact called name that query finds, as the "found in" column shows it.
QString BookSearchWindow::foundMoreValue(const QString& name, const QString& query) const
{
    MoreValues values;
    PassedOver::note(ContactValueStore(SharedData::connection()).readByName(name, values), Q_FUNC_INFO);
    const qsizetype at = m_index.firstMatching(values, query);
    if (at < 0)
        return {};
    const ContactValue& value = values[size_t(at)];
    return MoreValueTexts::caption(value) + QStringLiteral(": ") + MoreValueTexts::shown(value);
}

void BookSearchWindow::search()
{
    const QString query = searchBox->text();
    if (query.trimmed().isEmpty()) {
        m_model->setContacts({});
        summary->clear();
        return;
    }
    keepIndexCurrent();
    if (m_reading) {
        m_model->setContacts({});
        summary->setText(QStringLiteral("جارٍ قراءة جهات الاتصال..."));
        return;
    }
    const BookSearchIndex::Found found = m_index.find(query, kListed);

    std::vector<qint64> rows;
    rows.reserve(found.hits.size());
    QHash<qint64, const BookSearchIndex::Hit*> hitOfRow;
    for (const BookSearchIndex::Hit& hit : found.hits) {
        rows.push_back(hit.row);
        hitOfRow.insert(hit.row, &hit);
    }
    QList<Directory> directories;
    PassedOver::note(DirectoryStore(SharedData::connection()).all(directories), Q_FUNC_INFO);
    QHash<QString, Directory> directoryOfCode;
    for (const Directory& directory : directories)
        directoryOfCode.insert(directory.code, directory);

    QList<BookSearchResults::Contact> contacts;
    PassedOver::note(ContactStore(SharedData::connection())
                         .readRows(rows,
                                   [&](qint64 row, const ContactFields& fields, const QString& dir) {
                                       const Directory directory = directoryOfCode.value(dir);
                                       // Only what the index read from an unlocked directory.
                                       if (!directory.exists() || directory.isLocked())
                                           return;
                                       const BookSearchIndex::Hit* hit = hitOfRow.value(row);
                                       contacts.append({fields.row(dir), directory.name, hit->field, hit->bySound,
                                                        hit->field == BookSearchIndex::MoreValue
                                                            ? foundMoreValue(fields.name, query)
                                                            : QString()});
                                   }),
                     Q_FUNC_INFO);
    // Exact hits first, then those that sound alike; each by name as the lists sort them.
    QCollator collator{QLocale(QLocale::Arabic)};
    std::stable_sort(contacts.begin(), contacts.end(), [&collator](const auto& a, const auto& b) {
        if (a.bySound != b.bySound)
            return !a.bySound;
        return collator.compare(a.columns.value(0), b.columns.value(0)) < 0;
    });
    m_model->setContacts(contacts);
    if (!contacts.isEmpty())
        results->setCurrentIndex(m_model->index(0, 0)); // the whole row, Enter views it

    if (found.total == 0)
        summary->setText(QStringLiteral("لا توجد نتائج"));
    else if (found.total > contacts.size())
        summary->setText(
            QStringLiteral("أول %1 من %2 نتيجة، اكتب أكثر لتضييق البحث").arg(contacts.size()).arg(found.total));
    else
        summary->setText(QStringLiteral("%1 نتيجة").arg(found.total));
}

QStringList BookSearchWindow::chosenColumns() const
{
    const QModelIndex current = results->currentIndex();
    if (!current.isValid() || current.row() >= m_model->rowCount())
        return {};
    const QStringList& columns = m_model->contact(current.row()).columns;
    // Looked at again as it is acted on: its directory may have been locked since it was listed.
    Directory directory;
    if (!DirectoryStore(SharedData::connection()).find(columns.value(9), directory) || !directory.exists() ||
        directory.isLocked())
        return {};
    return columns;
}

bool BookSearchWindow::listsLockedContacts() const
{
    if (m_model->rowCount() == 0)
        return false;
    QList<Directory> unlocked;
    if (!DirectoryStore(SharedData::connection()).unlocked(unlocked))
        return true;
    QSet<QString> codes;
    for (const Directory& directory : std::as_const(unlocked))
        codes.insert(directory.code);
    for (int row = 0; row < m_model->rowCount(); ++row)
        if (!codes.contains(m_model->contact(row).columns.value(9)))
            return true;
    return false;
}

void BookSearchWindow::viewChosen()
{
    const QStringList columns = chosenColumns();
    if (!columns.isEmpty())
        ContactCommands::edit(m_main, columns, true, this);
    else if (listsLockedContacts())
        search();
}

void BookSearchWindow::fillContactMenu(QMenu* menu)
{
    const QStringList columns = chosenColumns();
    if (columns.isEmpty()) {
        if (listsLockedContacts())
            search();
        return;
    }
    auto add = [menu](const char* name, const QString& caption, auto act) {
        QAction* action = menu->addAction(caption, act);
        action->setObjectName(QLatin1String(name));
    };
    add("view", QStringLiteral("عرض"), [this] { viewChosen(); });
    QMenu* calls = menu->addMenu(QStringLiteral("اتصال"));
    ContactLinks::fillCalls(calls, columns, this);
    QMenu* mails = menu->addMenu(QStringLiteral("إرسال بريد"));
    ContactLinks::fillMail(mails, columns, this);
    QMenu* copies = menu->addMenu(QStringLiteral("نسخ الرقم"));
    ContactLinks::fillCopies(copies, columns);
    for (QMenu* sub : {calls, mails, copies})
        sub->menuAction()->setEnabled(!sub->isEmpty());
    add("shareqr", QStringLiteral("مشاركة برمز QR"),
        [this, columns] { ContactCommands::shareByQrCode(this, columns); });
    menu->addSeparator();
    add("edit", QStringLiteral("تعديل"), [this, columns] {
        ContactCommands::edit(m_main, columns, false, this);
        search(); // what the edit changed shows at once
    });
    add("opendirectory", QStringLiteral("فتح الدليل"),
        [this, columns] { m_main.showContactInDirectory(columns.value(9), columns.value(0)); });
}

bool BookSearchWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == results->viewport() && event->type() == QEvent::Resize && !m_columnsSetByHand)
        fitColumns(static_cast<QResizeEvent*>(event)->size().width());
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    if (watched == searchBox && (key == Qt::Key_Down || key == Qt::Key_PageDown) && m_model->rowCount() > 0) {
        results->setFocus();
        return true;
    }
    if (enter && (watched == searchBox || watched == results)) {
        viewChosen();
        return true;
    }
    if (key == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
