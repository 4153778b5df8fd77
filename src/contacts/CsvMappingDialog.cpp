#include "CsvMappingDialog.h"

#include "CsvTable.h"
#include "SkinButton.h"
#include "TextDecoding.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

namespace
{
constexpr int kPreviewRows = 5;
} // namespace

CsvMappingDialog::CsvMappingDialog(const QByteArray& bytes) : m_bytes(bytes)
{
    setWindowTitle(QStringLiteral("أعمدة الملف"));
    setLayoutDirection(Qt::RightToLeft);
    auto* layout = new QVBoxLayout(this);

    auto* encodingRow = new QHBoxLayout;
    encodingRow->addWidget(new QLabel(QStringLiteral("ترميز الملف :"), this));
    encoding = new QComboBox(this);
    encoding->setAccessibleName(QStringLiteral("ترميز الملف"));
    encoding->addItems(TextDecoding::encodings());
    encoding->setCurrentText(QString::fromLatin1(TextDecoding::detectEncoding(bytes)));
    encodingRow->addWidget(encoding, 1);
    layout->addLayout(encodingRow);

    preview = new QTableWidget(this);
    preview->setAccessibleName(QStringLiteral("معاينة"));
    preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    preview->verticalHeader()->hide();
    preview->setMaximumHeight(170);
    layout->addWidget(preview);

    layout->addWidget(new QLabel(QStringLiteral("حدد الحقل الذى يملؤه كل عمود من أعمدة الملف :"), this));
    auto* area = new QScrollArea(this);
    m_grid = new QWidget(area);
    m_gridLayout = new QGridLayout(m_grid);
    area->setWidget(m_grid);
    area->setWidgetResizable(true);
    layout->addWidget(area, 1);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(new SkinButton(QStringLiteral("استيراد")), QDialogButtonBox::AcceptRole);
    buttons->addButton(new SkinButton(QStringLiteral("إلغاء الأمر")), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(encoding, &QComboBox::currentTextChanged, this, &CsvMappingDialog::readFile);
    readFile();
    resize(640, 560);
}

void CsvMappingDialog::readFile()
{
    m_rows = CsvTable::read(m_bytes, nullptr, encoding->currentText().toLatin1());
    const QStringList headers = m_rows.value(0);
    m_guess = CsvMapping::guess(headers);

    preview->clear();
    preview->setColumnCount(int(headers.size()));
    preview->setHorizontalHeaderLabels(headers);
    const int shown = int(std::min<qsizetype>(kPreviewRows, std::max<qsizetype>(0, m_rows.size() - 1)));
    preview->setRowCount(shown);
    for (int r = 0; r < shown; ++r)
        for (int c = 0; c < headers.size(); ++c)
            preview->setItem(r, c, new QTableWidgetItem(m_rows[r + 1].value(c).left(60)));

    qDeleteAll(m_grid->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    choices.clear();
    m_gridLayout->addWidget(new QLabel(QStringLiteral("العمود"), m_grid), 0, 0);
    m_gridLayout->addWidget(new QLabel(QStringLiteral("مثال"), m_grid), 0, 1);
    m_gridLayout->addWidget(new QLabel(QStringLiteral("الحقل"), m_grid), 0, 2);
    const QStringList sample = m_rows.value(1);
    for (int i = 0; i < headers.size(); ++i) {
        m_gridLayout->addWidget(new QLabel(headers[i], m_grid), i + 1, 0);
        auto* example = new QLabel(sample.value(i).left(40), m_grid);
        example->setTextFormat(Qt::PlainText);
        m_gridLayout->addWidget(example, i + 1, 1);
        auto* choice = new QComboBox(m_grid);
        choice->addItems(CsvMapping::targetNames());
        choice->setCurrentIndex(int(m_guess.targets.value(i, CsvMapping::Ignore)));
        choice->setAccessibleName(headers[i]);
        m_gridLayout->addWidget(choice, i + 1, 2);
        choices << choice;
    }
}

CsvMapping CsvMappingDialog::mapping() const
{
    // The groups and labels the guess found stay with their columns, whatever field is chosen.
    CsvMapping chosen = m_guess;
    chosen.targets.clear();
    for (const QComboBox* choice : choices)
        chosen.targets << CsvMapping::Target(choice->currentIndex());
    return chosen;
}
