#include "TrashWindow.h"

#include "DeleteQuestion.h"
#include "DirPass.h"
#include "Directory.h"
#include "DirectoryStore.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "SharedData.h"
#include "SkinButton.h"

#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QInputDialog>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace
{
const QString kLockedName = QStringLiteral("(من دليل مقفل)");
} // namespace

TrashWindow::TrashWindow(MainForm& main) : m_main(main)
{
    setWindowTitle(QStringLiteral("سلة المحذوفات"));
    setLayoutDirection(Qt::RightToLeft);
    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("trashlist"));
    list->setAccessibleName(QStringLiteral("جهات الاتصال المحذوفة"));
    list->setHeaderLabels({QStringLiteral("الاسم"), QStringLiteral("الدليل"), QStringLiteral("تاريخ الحذف")});
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->header()->setSectionResizeMode(QHeaderView::Stretch);
    cmdRestore = new SkinButton(QStringLiteral("استرجاع"), this);
    cmdRestoreAll = new SkinButton(QStringLiteral("استرجاع الكل"), this);
    cmdEmpty = new SkinButton(QStringLiteral("إفراغ السلة"), this);
    cmdClose = new SkinButton(QStringLiteral("إغلاق"), this);
    connect(cmdRestore, &QPushButton::clicked, this, &TrashWindow::restoreSelected);
    connect(cmdRestoreAll, &QPushButton::clicked, this, &TrashWindow::restoreAll);
    connect(cmdEmpty, &QPushButton::clicked, this, &TrashWindow::emptyTrash);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    for (SkinButton* button : {cmdRestore, cmdRestoreAll, cmdEmpty})
        buttons->addWidget(button);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addLayout(buttons);
    resize(560, 420);
    fill();
}

void TrashWindow::tell(const QString& text, bool failure)
{
    SetMsgBoxHook(this);
    MessageBox::show(text, MessageBox::Arabic | (failure ? MessageBox::Critical : MessageBox::Information),
                     failure ? QStringLiteral("خطأ") : QStringLiteral("سلة المحذوفات"));
    RemoveMsgBoxHook();
}

void TrashWindow::fill()
{
    list->clear();
    if (DataResult read = TrashStore(SharedData::connection()).list(m_items); !read)
        tell(QStringLiteral("تعذر قراءة سلة المحذوفات: ") + read.error, true);
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    for (const TrashStore::Trashed& item : m_items) {
        const bool locked = Directory::isLocked(item.lockPass);
        auto* row = new QTreeWidgetItem(list, {locked ? kLockedName : item.contact.name, item.dirName,
                                               arabic.toString(item.deletedAt, QLocale::ShortFormat)});
        row->setData(0, Qt::UserRole, item.id);
    }
    const bool any = !m_items.isEmpty();
    cmdRestore->setEnabled(any);
    cmdRestoreAll->setEnabled(any);
    cmdEmpty->setEnabled(any);
}

TrashWindow::Target TrashWindow::targetDirectory(const TrashStore::Trashed& item, qsizetype count)
{
    DirectoryStore directories(SharedData::connection());
    Directory own;
    if (directories.find(item.dir, own).ok && own.exists())
        return {own.code};
    // Offered first: a directory of its old name that it may go into (unlocked, or under the
    // password just typed), else that directory made again.
    QList<Directory> choices;
    bool makeAgain = false;
    Directory namesake;
    if (!directories.findByName(item.dirName, namesake).ok)
        return {};
    if (!namesake.exists())
        makeAgain = true;
    else if (!namesake.isLocked() || namesake.pass == item.lockPass)
        choices << namesake;
    QList<Directory> open;
    if (!directories.unlocked(open).ok)
        return {};
    for (const Directory& each : open)
        if (each.code != namesake.code)
            choices << each;
    QStringList names;
    if (makeAgain)
        names << QStringLiteral("%1 (دليل جديد بنفس الاسم)").arg(item.dirName);
    for (const Directory& each : choices)
        names << each.name;
    if (names.isEmpty()) {
        tell(QStringLiteral("الدليل \"%1\" لم يعد موجودا ولا يوجد دليل آخر غير مقفل , أنشئ دليلا أولا")
                 .arg(item.dirName),
             true);
        return {};
    }
    const QString what =
        count == 1 ? QStringLiteral("\"%1\"").arg(item.contact.name) : QStringLiteral("جهات الاتصال (%1)").arg(count);
    bool chosen = false;
    const QString name = QInputDialog::getItem(
        this, QStringLiteral("استرجاع"),
        QStringLiteral("الدليل \"%1\" لم يعد موجودا. إلى أى دليل تعود %2؟").arg(item.dirName, what), names, 0, false,
        &chosen);
    if (!chosen)
        return {};
    const qsizetype index = names.indexOf(name) - (makeAgain ? 1 : 0);
    if (index < 0)
        return {QString(), true};
    return {choices.value(index).code};
}

int TrashWindow::restoreGroup(const QList<TrashStore::Trashed>& group, QStringList& taken)
{
    const TrashStore::Trashed& first = group.first();
    // Contacts of a locked directory go back only with that directory's password.
    if (Directory::isLocked(first.lockPass)) {
        DirPass prompt(m_main);
        prompt.pass = first.lockPass;
        prompt.verifyOnly = true;
        if (prompt.exec() != QDialog::Accepted)
            return 0;
    }
    const Target target = targetDirectory(first, group.size());
    if (target.code.isEmpty() && !target.makeAgain)
        return 0;
    TrashStore trash(SharedData::connection());
    QHash<qint64, QString> names;
    for (const TrashStore::Trashed& item : group)
        names.insert(item.id, item.contact.name);
    if (target.makeAgain) {
        QList<qint64> ids = names.keys();
        std::sort(ids.begin(), ids.end());
        QList<qint64> passedOver;
        QString code;
        const DataResult restored =
            trash.restoreIntoNewDirectory(ids, first.dirName, first.lockPass, code, &passedOver);
        for (qint64 id : passedOver)
            taken << names.value(id);
        if (TrashStore::isNameTaken(restored)) {
            if (passedOver.isEmpty()) // the directory's own name is taken now
                tell(QStringLiteral("لم يتم استرجاع الدليل \"%1\": يوجد بالفعل دليل بهذا الاسم").arg(first.dirName),
                     true);
            return 0;
        }
        if (!restored) {
            tell(QStringLiteral("عفوا .. لم يتم استرجاع البيانات , حدث خطأ فى قاعدة البيانات"), true);
            return 0;
        }
        return int(ids.size() - passedOver.size());
    }
    int back = 0;
    for (const TrashStore::Trashed& item : group) {
        const DataResult restored = trash.restore(item.id, target.code);
        if (TrashStore::isNameTaken(restored)) {
            taken << item.contact.name;
        } else if (!restored) {
            tell(QStringLiteral("عفوا .. لم يتم استرجاع البيانات , حدث خطأ فى قاعدة البيانات"), true);
            break;
        } else {
            ++back;
        }
    }
    return back;
}

void TrashWindow::restoreEach(const QList<TrashStore::Trashed>& items)
{
    // By the directory they were deleted from, and the password it had then, in the order shown.
    QList<QList<TrashStore::Trashed>> groups;
    for (const TrashStore::Trashed& item : items) {
        auto same = std::find_if(groups.begin(), groups.end(), [&item](const QList<TrashStore::Trashed>& group) {
            return group.first().dir == item.dir && group.first().lockPass == item.lockPass;
        });
        if (same == groups.end())
            groups.append({item});
        else
            same->append(item);
    }
    int restored = 0;
    QStringList taken;
    for (const QList<TrashStore::Trashed>& group : groups)
        restored += restoreGroup(group, taken);
    if (taken.size() == 1)
        tell(QStringLiteral("لم يتم استرجاع \"%1\": يوجد بالفعل جهة اتصال بهذا الاسم").arg(taken.first()), true);
    else if (!taken.isEmpty())
        tell(QStringLiteral("لم يتم استرجاع %1 من جهات الاتصال: توجد بالفعل جهات اتصال بأسمائها (%2)")
                 .arg(taken.size())
                 .arg(taken.join(QStringLiteral("، "))),
             true);
    if (restored > 0)
        m_main.refreshAfterWrite(BookChange::Anything);
    fill();
}

void TrashWindow::restoreSelected()
{
    QList<TrashStore::Trashed> chosen;
    for (QTreeWidgetItem* row : list->selectedItems())
        for (const TrashStore::Trashed& item : m_items)
            if (item.id == row->data(0, Qt::UserRole).toLongLong())
                chosen << item;
    restoreEach(chosen);
}

void TrashWindow::restoreAll()
{
    restoreEach(m_items);
}

void TrashWindow::emptyTrash()
{
    if (!DeleteQuestion::confirmed(this, QStringLiteral("هل تريد بالتأكيد حذف %1 من جهات الاتصال نهائيا؟ لا يمكن "
                                                        "استرجاعها بعد ذلك")
                                             .arg(m_items.size())))
        return;
    if (DataResult emptied = TrashStore(SharedData::connection()).empty(); !emptied)
        tell(QStringLiteral("عفوا .. لم يتم إفراغ السلة , حدث خطأ فى قاعدة البيانات"), true);
    fill();
}
