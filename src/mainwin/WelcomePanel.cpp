#include "WelcomePanel.h"

#include "SkinButton.h"

#include <QLabel>
#include <QVBoxLayout>

namespace
{
SkinButton* action(const QString& caption, const char* name, QWidget* parent)
{
    auto* button = new SkinButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(caption);
    button->setMinimumHeight(36);
    button->setMinimumWidth(320);
    return button;
}
} // namespace

WelcomePanel::WelcomePanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("welcome"));
    setAccessibleName(QStringLiteral("دفتر فارغ: ابدأ من هنا"));
    setLayoutDirection(Qt::RightToLeft);
    setAutoFillBackground(true);
    heading = new QLabel(QStringLiteral("دفتر الهاتف فارغ. ابدأ بواحدة من هذه:"), this);
    heading->setAlignment(Qt::AlignCenter);
    QFont bigger = heading->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.3);
    bigger.setBold(true);
    heading->setFont(bigger);
    addDirectory = action(QStringLiteral("إنشاء دليل جديد"), "welcomeadd", this);
    importFile = action(QStringLiteral("استيراد جهات اتصال من ملف..."), "welcomeimport", this);
    linkServer = action(QStringLiteral("ربط بدفتر عناوين على خادم..."), "welcomelink", this);

    auto* layout = new QVBoxLayout(this);
    layout->addStretch(2);
    layout->addWidget(heading);
    layout->addSpacing(16);
    for (SkinButton* button : {addDirectory, importFile, linkServer})
        layout->addWidget(button, 0, Qt::AlignHCenter);
    layout->addStretch(3);
}
