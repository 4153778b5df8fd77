#include "CsvMappingDialog.h"

#include "SkinButton.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

CsvMappingDialog::CsvMappingDialog(const QStringList& headers, const QStringList& sample, const CsvMapping& guess)
{
    setWindowTitle(QStringLiteral("أعمدة الملف"));
    setLayoutDirection(Qt::RightToLeft);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("حدد الحقل الذى يملؤه كل عمود من أعمدة الملف :"), this));
    auto* area = new QScrollArea(this);
    auto* grid = new QWidget(area);
    auto* rows = new QGridLayout(grid);
    rows->addWidget(new QLabel(QStringLiteral("العمود"), grid), 0, 0);
    rows->addWidget(new QLabel(QStringLiteral("مثال"), grid), 0, 1);
    rows->addWidget(new QLabel(QStringLiteral("الحقل"), grid), 0, 2);
    for (int i = 0; i < headers.size(); ++i) {
        rows->addWidget(new QLabel(headers[i], grid), i + 1, 0);
        auto* example = new QLabel(sample.value(i).left(40), grid);
        example->setTextFormat(Qt::PlainText);
        rows->addWidget(example, i + 1, 1);
        auto* choice = new QComboBox(grid);
        choice->addItems(CsvMapping::targetNames());
        choice->setCurrentIndex(int(guess.targets.value(i, CsvMapping::Ignore)));
        choice->setAccessibleName(headers[i]);
        rows->addWidget(choice, i + 1, 2);
        choices << choice;
    }
    area->setWidget(grid);
    area->setWidgetResizable(true);
    layout->addWidget(area);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(new SkinButton(QStringLiteral("استيراد")), QDialogButtonBox::AcceptRole);
    buttons->addButton(new SkinButton(QStringLiteral("إلغاء الأمر")), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 420);
}

CsvMapping CsvMappingDialog::mapping() const
{
    CsvMapping chosen;
    for (const QComboBox* choice : choices)
        chosen.targets << CsvMapping::Target(choice->currentIndex());
    return chosen;
}
