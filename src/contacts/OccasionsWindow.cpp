#include "OccasionsWindow.h"

#include "ContactCommands.h"
#include "ContactStore.h"
#include "HijriCalendar.h"
#include "MainForm.h"
#include "MessageBox.h"
#include "MsgBoxHook.h"
#include "Preferences.h"
#include "SharedData.h"
#include "SkinButton.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

void tell(QWidget* owner, const QString& text)
{
    SetMsgBoxHook(owner);
    MessageBox::show(text, MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
    RemoveMsgBoxHook();
}

// "اليوم", "غدا", or in how many days.
QString when(const QDate& today, const QDate& day, const QLocale& digits)
{
    const qint64 days = today.daysTo(day);
    if (days == 0)
        return QStringLiteral("اليوم");
    if (days == 1)
        return QStringLiteral("غدا");
    return QStringLiteral("بعد %1 يوما").arg(digits.toString(days));
}

} // namespace

OccasionsWindow::OccasionsWindow(MainForm& main, const QDate& today) : m_main(main)
{
    setWindowTitle(QStringLiteral("المناسبات القادمة"));
    setLayoutDirection(Qt::RightToLeft);
    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("occasions"));
    list->setAccessibleName(QStringLiteral("المناسبات القادمة"));
    list->setHeaderLabels({QStringLiteral("الاسم"), QStringLiteral("المناسبة"), QStringLiteral("التاريخ"),
                           QStringLiteral("السنوات"), QStringLiteral("متى")});
    list->setRootIsDecorated(false);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    summary = new QLabel(this);
    remindAtStart = new QCheckBox(QStringLiteral("التذكير بالمناسبات عند البدء"), this);
    remindAtStart->setChecked(Preferences::remindOccasions());
    connect(remindAtStart, &QCheckBox::toggled, this, &Preferences::setRemindOccasions);
    cmdClose = new SkinButton(QStringLiteral("إغلاق"), this);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(list, &QTreeWidget::itemActivated, this, &OccasionsWindow::showChosen);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(summary);
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list);
    layout->addWidget(remindAtStart);
    layout->addLayout(buttons);
    resize(720, 420);
    fill(today);
}

void OccasionsWindow::fill(const QDate& today)
{
    list->clear();
    if (DataResult read = UpcomingOccasions::read(SharedData::connection(), today, kDays, m_entries); !read)
        tell(this, QStringLiteral("تعذر قراءة المناسبات: ") + read.error);
    QLocale digits(QLocale::Arabic, QLocale::Egypt);
    digits.setNumberOptions(QLocale::OmitGroupSeparator);
    for (const UpcomingOccasions::Entry& entry : m_entries) {
        const int years = entry.occasion.years;
        auto* row = new QTreeWidgetItem(list, {entry.name, UpcomingOccasions::caption(entry.date),
                                               HijriCalendar::bothCalendars(entry.occasion.day, digits),
                                               years > 0 ? digits.toString(years) : QString(),
                                               when(today, entry.occasion.day, digits)});
        row->setTextAlignment(3, Qt::AlignCenter);
    }
    if (!list->topLevelItemCount())
        summary->setText(QStringLiteral("لا توجد مناسبات فى الأيام الثلاثين القادمة"));
    else
        summary->setText(QStringLiteral("عدد المناسبات: %1").arg(digits.toString(list->topLevelItemCount())));
    if (list->topLevelItemCount())
        list->setCurrentItem(list->topLevelItem(0));
}

void OccasionsWindow::showChosen()
{
    const int at = list->indexOfTopLevelItem(list->currentItem());
    if (at < 0 || at >= static_cast<int>(m_entries.size()))
        return;
    ContactFields fields;
    QString dir;
    bool found = false;
    const DataResult read = ContactStore(SharedData::connection()).readByName(m_entries[at].name, fields, dir, found);
    if (!read) {
        tell(this, QStringLiteral("تعذر قراءة جهة الاتصال: ") + read.error);
        return;
    }
    if (!found) {
        tell(this, QStringLiteral("لم تعد جهة الاتصال «%1» موجودة").arg(m_entries[at].name));
        return;
    }
    ContactCommands::edit(m_main, fields.row(dir), true, this);
}
