#include "DuplicatesWindow.h"

#include "ContactChanges.h"
#include "ContactMerge.h"
#include "ContactStore.h"
#include "ContactValueStore.h"
#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "NotDuplicateStore.h"
#include "PhoneMatch.h"
#include "Preferences.h"
#include "SharedData.h"
#include "SkinButton.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{

// Numbers and addresses read left to right inside the right-to-left window ("+20 100 …" would
// otherwise show its groups in reverse order). What a screen reader reads stays the plain text.
QString leftToRight(const QString& text)
{
    return text.isEmpty() ? text : QChar(0x202A) + text + QChar(0x202C);
}

// Why a group is thought to be one person, in the words the list shows.
QString reasonText(DuplicateFinder::Reason reason)
{
    switch (reason) {
    case DuplicateFinder::Reason::SameNumber:
        return QStringLiteral("نفس رقم التليفون");
    case DuplicateFinder::Reason::SameEmail:
        return QStringLiteral("نفس البريد الالكترونى");
    case DuplicateFinder::Reason::SameName:
        return QStringLiteral("نفس الاسم");
    case DuplicateFinder::Reason::SoundAlike:
        break;
    }
    return QStringLiteral("اسمان متشابهان فى النطق");
}

} // namespace

DuplicatesWindow::DuplicatesWindow(MainForm& main) : m_main(main)
{
    setWindowTitle(QStringLiteral("البحث عن المكررات"));
    setLayoutDirection(Qt::RightToLeft);

    auto* regionLabel = new QLabel(QStringLiteral("الأرقام بلا مفتاح دولة من:"), this);
    region = new QComboBox(this);
    region->setObjectName(QStringLiteral("region"));
    region->setAccessibleName(QStringLiteral("الدولة التى تكتب أرقامها بلا مفتاح"));
    region->addItems(PhoneMatch::regions());
    region->setCurrentText(PhoneMatch::preferredRegion());
    regionLabel->setBuddy(region);

    groups = new QListWidget(this);
    groups->setObjectName(QStringLiteral("groups"));
    groups->setAccessibleName(QStringLiteral("مجموعات المكررات"));
    members = new QTableWidget(this);
    members->setObjectName(QStringLiteral("members"));
    members->setAccessibleName(QStringLiteral("بيانات المجموعة"));
    members->setColumnCount(8);
    members->setHorizontalHeaderLabels({QStringLiteral("الاسم"), QStringLiteral("الدليل"), QStringLiteral("منزل"),
                                        QStringLiteral("عمل"), QStringLiteral("موبايل"), QStringLiteral("فاكس"),
                                        QStringLiteral("البريد"), QStringLiteral("بيانات إضافية")});
    members->setEditTriggers(QAbstractItemView::NoEditTriggers);
    members->setSelectionBehavior(QAbstractItemView::SelectRows);
    members->verticalHeader()->hide();
    auto* keptLabel = new QLabel(QStringLiteral("البيان الذى يبقى:"), this);
    kept = new QComboBox(this);
    kept->setObjectName(QStringLiteral("kept"));
    kept->setAccessibleName(QStringLiteral("البيان الذى يبقى بعد الدمج"));
    keptLabel->setBuddy(kept);
    summary = new QLabel(this);
    summary->setObjectName(QStringLiteral("summary"));

    cmdMerge = new SkinButton(QStringLiteral("دمج"), this);
    cmdMerge->setObjectName(QStringLiteral("merge"));
    cmdNotDuplicate = new SkinButton(QStringLiteral("ليس مكرراً"), this);
    cmdNotDuplicate->setObjectName(QStringLiteral("notDuplicate"));
    cmdClose = new SkinButton(QStringLiteral("إغلاق"), this);
    connect(cmdMerge, &QPushButton::clicked, this, &DuplicatesWindow::mergeGroup);
    connect(cmdNotDuplicate, &QPushButton::clicked, this, &DuplicatesWindow::markNotDuplicate);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(groups, &QListWidget::currentRowChanged, this, &DuplicatesWindow::showGroup);
    connect(region, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        Preferences::setPhoneRegion(text);
        PhoneMatch::setPreferredRegion(text);
        search();
    });

    auto* top = new QHBoxLayout;
    top->addWidget(regionLabel);
    top->addWidget(region);
    top->addStretch();
    top->addWidget(summary);
    auto* keptRow = new QHBoxLayout;
    keptRow->addWidget(keptLabel);
    keptRow->addWidget(kept, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdMerge);
    buttons->addWidget(cmdNotDuplicate);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(groups, 1);
    layout->addWidget(members, 1);
    layout->addLayout(keptRow);
    layout->addLayout(buttons);
    resize(820, 560);
    search();
}

void DuplicatesWindow::tell(const QString& text, bool failure)
{
    SetMsgBoxHook(this);
    MessageBox::show(text, MessageBox::Arabic | (failure ? MessageBox::Critical : MessageBox::Information),
                     failure ? QStringLiteral("خطأ") : QStringLiteral("البحث عن المكررات"));
    RemoveMsgBoxHook();
}

// The contacts of every directory without a password, and of the open one.
bool DuplicatesWindow::readBook()
{
    m_contacts.clear();
    m_more.clear();
    m_directoryOf.clear();
    m_directoryNames.clear();
    DataConnection& connection = SharedData::connection();
    QList<Directory> directories;
    DataResult read = DirectoryStore(connection).unlocked(directories);
    const QString open = m_main.viewState() == ViewState::Contacts ? m_main.currentDirectory() : QString();
    if (read && !open.isEmpty()) {
        Directory openDirectory;
        read = DirectoryStore(connection).find(open, openDirectory);
        if (read && openDirectory.exists() && openDirectory.isLocked())
            directories << openDirectory;
    }
    ContactStore contacts(connection);
    ContactValueStore values(connection);
    for (const Directory& directory : std::as_const(directories)) {
        if (!read)
            break;
        const int index = int(m_directoryNames.size());
        m_directoryNames << directory.name;
        QHash<QString, MoreValues> more;
        read = values.readDirectory(directory.code, more);
        if (!read)
            break;
        read = contacts.readNamesAndNumbers(directory.code, [&](qint64, const ContactFields& contact) {
            m_contacts.push_back(contact);
            m_more.push_back(more.take(contact.name));
            m_directoryOf.push_back(index);
        });
    }
    if (!read)
        tell(QStringLiteral("تعذر قراءة البيانات: ") + read.error, true);
    return read.ok;
}

bool DuplicatesWindow::readWhole(int member, ContactFields& contact, MoreValues* more)
{
    QString dir;
    bool found = false;
    const DataResult read =
        ContactStore(SharedData::connection()).readByName(m_contacts[size_t(member)].name, contact, dir, found);
    if (!read || !found)
        return false;
    return !more || ContactValueStore(SharedData::connection()).readByName(contact.name, *more).ok;
}

void DuplicatesWindow::search()
{
    groups->clear();
    members->setRowCount(0);
    kept->clear();
    m_groups.clear();
    if (!readBook())
        return;
    QList<QPair<QString, QString>> notPairs;
    if (DataResult read = NotDuplicateStore(SharedData::connection()).list(notPairs); !read)
        tell(QStringLiteral("تعذر قراءة ما قيل إنه ليس مكرراً: ") + read.error, true);
    QSet<QString> notKeys;
    for (const auto& [a, b] : std::as_const(notPairs))
        notKeys.insert(DuplicateFinder::pairKey(a, b));
    DuplicateFinder finder(region->currentText());
    finder.setNotDuplicates(notKeys);
    m_groups = finder.find(m_contacts, m_more);
    for (const DuplicateFinder::Group& group : m_groups) {
        QStringList names;
        for (const int member : group.members)
            names << m_contacts[size_t(member)].name;
        // The number or address they share is in the table below, where it reads left to right.
        groups->addItem(reasonText(group.reason) + QStringLiteral(": ") + names.join(QStringLiteral(" ، ")));
    }
    summary->setText(m_groups.empty() ? QStringLiteral("لا توجد بيانات مكررة")
                                      : QStringLiteral("عدد المجموعات: %1").arg(m_groups.size()));
    const bool any = !m_groups.empty();
    cmdMerge->setEnabled(any);
    cmdNotDuplicate->setEnabled(any);
    if (any)
        groups->setCurrentRow(0);
}

void DuplicatesWindow::showGroup(int index)
{
    members->setRowCount(0);
    kept->clear();
    if (index < 0 || index >= int(m_groups.size()))
        return;
    const DuplicateFinder::Group& group = m_groups[size_t(index)];
    members->setRowCount(int(group.members.size()));
    for (int row = 0; row < int(group.members.size()); ++row) {
        const int member = group.members[size_t(row)];
        ContactFields c = m_contacts[size_t(member)];
        readWhole(member, c); // gone meanwhile: shown as found, and the merge will say so
        const QStringList cells = {c.name,    m_directoryNames.value(m_directoryOf[size_t(member)]),
                                   c.hometel, c.jobtel,
                                   c.mobil,   c.fax,
                                   c.email,   c.moreinfo};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item =
                new QTableWidgetItem(column >= 2 && column <= 6 ? leftToRight(cells.at(column)) : cells.at(column));
            item->setData(Qt::AccessibleTextRole, cells.at(column));
            members->setItem(row, column, item);
        }
        kept->addItem(c.name);
    }
    members->resizeColumnsToContents();
}

void DuplicatesWindow::mergeGroup()
{
    const int index = groups->currentRow();
    if (index < 0 || index >= int(m_groups.size()) || kept->currentIndex() < 0)
        return;
    const DuplicateFinder::Group& group = m_groups[size_t(index)];
    // Every field, as the book holds it now; the merge checks again, in its transaction, that
    // none changed before it writes.
    ContactMerge::Whole keptContact;
    std::vector<ContactMerge::Whole> others;
    std::vector<ContactFields> othersFields;
    bool whole = readWhole(group.members[size_t(kept->currentIndex())], keptContact.fields, &keptContact.more);
    for (const int member : group.members) {
        ContactMerge::Whole other;
        if (member == group.members[size_t(kept->currentIndex())])
            continue;
        whole = whole && readWhole(member, other.fields, &other.more);
        others.push_back(other);
        othersFields.push_back(other.fields);
    }
    if (!whole) {
        tell(QStringLiteral("تعذر الدمج ولم يتغير شىء: حذف برنامج آخر بعض هذه البيانات، ابحث مرة أخرى."), true);
        search();
        return;
    }
    const ContactMerge::Whole merged = ContactMerge::merged(keptContact, others, region->currentText());
    std::vector<qint64> trashIds;
    const DataResult written =
        ContactMerge::apply(SharedData::connection(), keptContact, merged, othersFields, &trashIds);
    if (ContactMerge::changedMeanwhile(written)) {
        tell(QStringLiteral("تعذر الدمج ولم يتغير شىء: غير برنامج آخر بعض هذه البيانات، ابحث مرة أخرى."), true);
        search();
        return;
    }
    if (!written) {
        tell(QStringLiteral("تعذر الدمج ولم يتغير شىء: ") + written.error +
                 QStringLiteral("\nربما غير برنامج آخر هذه البيانات، ابحث مرة أخرى."),
             true);
        search();
        return;
    }
    m_main.undoHistory().record(ContactChanges::merged(keptContact, merged, othersFields, trashIds));
    // The merged contacts may lie in any directory, the open one or not: every list and count.
    m_main.refreshAfterWrite(BookChange::Anything);
    tell(QStringLiteral("تم الدمج فى «%1»، وذهب %2 إلى سلة المحذوفات.").arg(keptContact.fields.name).arg(others.size()),
         false);
    search();
}

void DuplicatesWindow::markNotDuplicate()
{
    const int index = groups->currentRow();
    if (index < 0 || index >= int(m_groups.size()))
        return;
    const DuplicateFinder::Group& group = m_groups[size_t(index)];
    QList<QPair<QString, QString>> pairs;
    for (size_t x = 0; x < group.members.size(); ++x)
        for (size_t y = x + 1; y < group.members.size(); ++y)
            pairs.append({m_contacts[size_t(group.members[x])].name, m_contacts[size_t(group.members[y])].name});
    if (DataResult remembered = NotDuplicateStore(SharedData::connection()).remember(pairs); !remembered) {
        tell(QStringLiteral("تعذر الحفظ: ") + remembered.error, true);
        return;
    }
    search();
}
