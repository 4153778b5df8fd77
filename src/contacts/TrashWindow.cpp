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
#include <QHeaderView>
#include <QInputDialog>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

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

QString TrashWindow::targetDirectory(const TrashStore::Trashed& item)
{
    DirectoryStore directories(SharedData::connection());
    Directory own;
    if (directories.find(item.dir, own).ok && own.exists())
        return own.code;
    QList<Directory> open;
    if (!directories.unlocked(open).ok || open.isEmpty()) {
        tell(QStringLiteral("الدليل \"%1\" لم يعد موجودا ولا يوجد دليل آخر غير مقفل , أنشئ دليلا أولا")
                 .arg(item.dirName),
             true);
        return QString();
    }
    QStringList names;
    for (const Directory& each : open)
        names << each.name;
    bool chosen = false;
    const QString name = QInputDialog::getItem(
        this, QStringLiteral("استرجاع"),
        QStringLiteral("الدليل \"%1\" لم يعد موجودا. إلى أى دليل تعود \"%2\"؟").arg(item.dirName, item.contact.name),
        names, 0, false, &chosen);
    if (!chosen)
        return QString();
    return open.value(int(names.indexOf(name))).code;
}

bool TrashWindow::restore(const TrashStore::Trashed& item)
{
    // A contact of a locked directory goes back only with that directory's password.
    if (Directory::isLocked(item.lockPass)) {
        DirPass prompt(m_main);
        prompt.pass = item.lockPass;
        prompt.verifyOnly = true;
        if (prompt.exec() != QDialog::Accepted)
            return false;
    }
    const QString dir = targetDirectory(item);
    if (dir.isEmpty())
        return false;
    const DataResult restored = TrashStore(SharedData::connection()).restore(item.id, dir);
    if (TrashStore::isNameTaken(restored)) {
        tell(QStringLiteral("لم يتم استرجاع \"%1\": يوجد بالفعل جهة اتصال بهذا الاسم").arg(item.contact.name), true);
        return false;
    }
    if (!restored) {
        tell(QStringLiteral("عفوا .. لم يتم استرجاع البيانات , حدث خطأ فى قاعدة البيانات"), true);
        return false;
    }
    return true;
}

void TrashWindow::restoreEach(const QList<TrashStore::Trashed>& items)
{
    int restored = 0;
    for (const TrashStore::Trashed& item : items)
        if (restore(item))
            ++restored;
    if (restored > 0)
        m_main.refreshAfterWrite(m_main.viewState() == ViewState::Contacts ? BookChange::Contacts
                                                                           : BookChange::DirectoriesAddedOrRemoved);
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
