#include "MoreValuesWindow.h"

#include "ContactPhoto.h"
#include "FileChooser.h"
#include "HijriCalendar.h"
#include "MessageBox.h"
#include "MoreValueTexts.h"
#include "MsgBoxHook.h"
#include "OutsideText.h"

#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{

constexpr ContactValue::Kind kListedKinds[] = {ContactValue::Kind::Phone, ContactValue::Kind::Email,
                                               ContactValue::Kind::Address, ContactValue::Kind::Web,
                                               ContactValue::Kind::Date};

// A picture file larger than this is no photo of a contact (and never read whole).
constexpr qint64 kMostPictureFile = 20 * 1024 * 1024;

void tell(QWidget* parent, const QString& text)
{
    SetMsgBoxHook(parent);
    MessageBox::show(text, MessageBox::Arabic | MessageBox::Critical, QStringLiteral("خطأ"));
    RemoveMsgBoxHook();
}

} // namespace

MoreValuesWindow::MoreValuesWindow(const MoreValues& values, QWidget* parent) : QDialog(parent), m_values(values)
{
    setWindowTitle(QStringLiteral("قيم أخرى"));
    setLayoutDirection(Qt::RightToLeft);
    resize(640, 360);

    table = new QTableWidget(0, 4, this);
    table->setObjectName(QStringLiteral("morevalues"));
    table->setAccessibleName(QStringLiteral("قيم أخرى"));
    table->setHorizontalHeaderLabels(
        {QStringLiteral("النوع"), QStringLiteral("التسمية"), QStringLiteral("القيمة"), QStringLiteral("التقويم")});
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->horizontalHeader()->setSectionResizeMode(ValueColumn, QHeaderView::Stretch);
    table->verticalHeader()->hide();
    connect(table, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != ValueColumn || size_t(item->row()) >= m_rows.size())
            return;
        ContactValue& value = m_values[size_t(m_rows[size_t(item->row())])];
        const QString typed = OutsideText::oneLine(item->text()).trimmed();
        if (value.kind == ContactValue::Kind::Address) {
            // Typed on one line, kept as the street of the address's parts.
            QStringList parts(7);
            parts[2] = typed;
            value.value = ContactValue::joinParts(parts);
        } else {
            value.value = value.kind == ContactValue::Kind::Phone || value.kind == ContactValue::Kind::Date
                              ? MoreValueTexts::asciiDigits(typed)
                              : typed;
        }
    });

    auto add = [this](const QString& name, const QString& caption) {
        auto* button = new QPushButton(caption, this);
        button->setObjectName(name);
        return button;
    };
    cmdAdd = add(QStringLiteral("add"), QStringLiteral("إضافة"));
    cmdUp = add(QStringLiteral("up"), QStringLiteral("لأعلى"));
    cmdDown = add(QStringLiteral("down"), QStringLiteral("لأسفل"));
    cmdRemove = add(QStringLiteral("remove"), QStringLiteral("حذف"));
    cmdPhoto = add(QStringLiteral("photo"), QStringLiteral("صورة..."));
    cmdNoPhoto = add(QStringLiteral("nophoto"), QStringLiteral("حذف الصورة"));
    cmdOk = add(QStringLiteral("ok"), QStringLiteral("موافق"));
    cmdCancel = add(QStringLiteral("cancel"), QStringLiteral("إلغاء"));
    photo = new QLabel(this);
    photo->setObjectName(QStringLiteral("photoview"));
    photo->setAccessibleName(QStringLiteral("الصورة"));
    photo->setFixedSize(96, 96);
    photo->setAlignment(Qt::AlignCenter);

    connect(cmdAdd, &QPushButton::clicked, this, [this] {
        m_values.push_back({ContactValue::Kind::Phone, QStringLiteral("mobile"), QString(), QString()});
        fill();
        table->setCurrentCell(table->rowCount() - 1, ValueColumn);
        table->editItem(table->item(table->rowCount() - 1, ValueColumn));
    });
    connect(cmdUp, &QPushButton::clicked, this, [this] { move(-1); });
    connect(cmdDown, &QPushButton::clicked, this, [this] { move(1); });
    connect(cmdRemove, &QPushButton::clicked, this, [this] {
        const int row = table->currentRow();
        if (row < 0 || size_t(row) >= m_rows.size())
            return;
        m_values.erase(m_values.begin() + m_rows[size_t(row)]);
        fill();
        table->setCurrentCell(std::min(row, table->rowCount() - 1), ValueColumn);
    });
    connect(cmdPhoto, &QPushButton::clicked, this, &MoreValuesWindow::choosePhoto);
    connect(cmdNoPhoto, &QPushButton::clicked, this, &MoreValuesWindow::removePhoto);
    connect(cmdOk, &QPushButton::clicked, this, &MoreValuesWindow::confirm);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* side = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(cmdAdd), static_cast<QWidget*>(cmdUp), static_cast<QWidget*>(cmdDown),
                       static_cast<QWidget*>(cmdRemove)})
        side->addWidget(w);
    side->addStretch();
    side->addWidget(photo);
    side->addWidget(cmdPhoto);
    side->addWidget(cmdNoPhoto);
    auto* top = new QHBoxLayout;
    top->addWidget(table, 1);
    top->addLayout(side);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdOk);
    bottom->addWidget(cmdCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(bottom);

    fill();
    showPhoto();
}

void MoreValuesWindow::fill()
{
    const QSignalBlocker quiet(table);
    m_rows.clear();
    for (qsizetype i = 0; i < qsizetype(m_values.size()); ++i)
        if (m_values[size_t(i)].kind != ContactValue::Kind::Photo)
            m_rows.push_back(i);
    table->setRowCount(int(m_rows.size()));
    for (int row = 0; row < int(m_rows.size()); ++row)
        fillRow(row);
    const bool any = !m_rows.empty();
    cmdUp->setEnabled(any);
    cmdDown->setEnabled(any);
    cmdRemove->setEnabled(any);
}

void MoreValuesWindow::fillRow(int row)
{
    const ContactValue& value = m_values[size_t(m_rows[size_t(row)])];

    auto* kind = new QComboBox;
    for (ContactValue::Kind k : kListedKinds)
        kind->addItem(MoreValueTexts::kindCaption(k), int(k));
    kind->setCurrentIndex(kind->findData(int(value.kind)));
    connect(kind, &QComboBox::activated, this, [this, row](int index) { kindChosen(row, index); });
    table->setCellWidget(row, KindColumn, kind);

    // The usual words shown in Arabic; anything else typed is the user's own label.
    auto* label = new QComboBox;
    label->setEditable(true);
    for (const QString& usual : MoreValueTexts::usualLabels(value.kind))
        label->addItem(MoreValueTexts::labelCaption(value.kind, usual), usual);
    const int known = label->findData(value.label);
    if (known >= 0)
        label->setCurrentIndex(known);
    else
        label->setEditText(value.label);
    connect(label, &QComboBox::currentTextChanged, this, [this, row, label](const QString& text) {
        ContactValue& v = m_values[size_t(m_rows[size_t(row)])];
        const int usual = label->findText(text);
        v.label = usual >= 0 ? label->itemData(usual).toString() : OutsideText::oneLine(text).simplified();
    });
    table->setCellWidget(row, LabelColumn, label);

    // An address is edited as the line it shows; a date as its stored digits.
    const QString text = value.kind == ContactValue::Kind::Address ? value.oneLine() : value.value;
    auto* item = new QTableWidgetItem(text);
    if (value.kind == ContactValue::Kind::Date)
        item->setToolTip(MoreValueTexts::bothCalendars(value));
    if (value.kind == ContactValue::Kind::Phone || value.kind == ContactValue::Kind::Email ||
        value.kind == ContactValue::Kind::Web || value.kind == ContactValue::Kind::Date)
        item->setTextAlignment(Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignVCenter);
    table->setItem(row, ValueColumn, item);

    if (value.kind == ContactValue::Kind::Date) {
        auto* calendar = new QComboBox;
        calendar->addItem(QStringLiteral("ميلادي"), QString::fromLatin1(ContactValue::kGregorian));
        calendar->addItem(QStringLiteral("هجري"), QString::fromLatin1(ContactValue::kHijri));
        calendar->setCurrentIndex(value.calendar == QLatin1String(ContactValue::kHijri) ? 1 : 0);
        connect(calendar, &QComboBox::activated, this, [this, row, calendar](int index) {
            m_values[size_t(m_rows[size_t(row)])].calendar = calendar->itemData(index).toString();
        });
        table->setCellWidget(row, CalendarColumn, calendar);
    } else {
        auto* none = new QTableWidgetItem;
        none->setFlags(Qt::NoItemFlags);
        table->setItem(row, CalendarColumn, none);
    }
}

void MoreValuesWindow::kindChosen(int row, int index)
{
    auto* kind = qobject_cast<QComboBox*>(table->cellWidget(row, KindColumn));
    ContactValue& value = m_values[size_t(m_rows[size_t(row)])];
    const auto chosen = ContactValue::Kind(kind->itemData(index).toInt());
    if (chosen == value.kind)
        return;
    // The typed line stays; an address's parts become that line.
    const QString line = value.kind == ContactValue::Kind::Address ? value.oneLine() : value.value;
    value.kind = chosen;
    value.label = MoreValueTexts::usualLabels(chosen).value(0);
    value.calendar = chosen == ContactValue::Kind::Date ? QString::fromLatin1(ContactValue::kGregorian) : QString();
    if (chosen == ContactValue::Kind::Address) {
        QStringList parts(7);
        parts[2] = line;
        value.value = ContactValue::joinParts(parts);
    } else {
        value.value = line;
    }
    fill();
    table->setCurrentCell(row, ValueColumn);
}

void MoreValuesWindow::move(int by)
{
    const int row = table->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= int(m_rows.size()))
        return;
    std::swap(m_values[size_t(m_rows[size_t(row)])], m_values[size_t(m_rows[size_t(to)])]);
    fill();
    table->setCurrentCell(to, ValueColumn);
}

void MoreValuesWindow::choosePhoto()
{
    const QString path = FileChooser::chooseOpenFile(this, QStringLiteral("اختر صورة"),
                                                     QStringLiteral("الصور|*.jpg;*.jpeg;*.png;*.bmp;*.gif"));
    if (path.isEmpty())
        return;
    // Only a regular file of a sensible size is read: never a device or a pipe.
    QFile file(path);
    const QFileInfo info(path);
    QString kept;
    if (info.isFile() && info.size() <= kMostPictureFile && file.open(QIODevice::ReadOnly))
        kept = ContactPhoto::fromBytes(file.read(kMostPictureFile + 1));
    if (kept.isEmpty()) {
        tell(this, QStringLiteral("تعذر قراءة الصورة: الملف ليس صورة أو أكبر من اللازم"));
        return;
    }
    removePhoto();
    m_values.push_back({ContactValue::Kind::Photo, QString(), kept, QString()});
    showPhoto();
}

void MoreValuesWindow::removePhoto()
{
    std::erase_if(m_values, [](const ContactValue& v) { return v.kind == ContactValue::Kind::Photo; });
    showPhoto();
}

void MoreValuesWindow::showPhoto()
{
    QPixmap picture;
    for (const ContactValue& v : m_values)
        if (v.kind == ContactValue::Kind::Photo)
            picture.loadFromData(ContactPhoto::bytesOf(v.value));
    photo->setPixmap(picture.isNull() ? QPixmap()
                                      : picture.scaled(photo->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    photo->setText(picture.isNull() ? QStringLiteral("لا صورة") : QString());
    cmdNoPhoto->setEnabled(!picture.isNull());
}

void MoreValuesWindow::confirm()
{
    // A value still being typed counts, as on any OK.
    cmdOk->setFocus();
    // Empty rows are dropped; a date must be a day of its calendar.
    std::erase_if(m_values, [](const ContactValue& v) { return v.value.trimmed().isEmpty(); });
    for (const ContactValue& v : m_values) {
        if (v.kind != ContactValue::Kind::Date)
            continue;
        static const QRegularExpression noYear(QStringLiteral("^--\\d{2}-\\d{2}$"));
        static const QRegularExpression full(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        const bool monthDay = noYear.match(v.value).hasMatch();
        // A day without a year: any day a month of either calendar can have.
        const bool valid = monthDay ? v.value.mid(2, 2).toInt() >= 1 && v.value.mid(2, 2).toInt() <= 12 &&
                                          v.value.mid(5, 2).toInt() >= 1 && v.value.mid(5, 2).toInt() <= 31
                                    : full.match(v.value).hasMatch() && MoreValueTexts::gregorianOf(v).isValid();
        if (!valid) {
            fill();
            tell(this, QStringLiteral("التاريخ «%1» غير صحيح، اكتبه هكذا: ٢٠١٤-٠٧-١٢").arg(v.value));
            return;
        }
    }
    accept();
}
