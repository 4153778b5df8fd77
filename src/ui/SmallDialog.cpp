#include "SmallDialog.h"

#include "SkinButton.h"
#include "SkinLabel.h"
#include "SkinTab.h"
#include "SkinTextBox.h"
#include "Units.h"

#include <QGuiApplication>
#include <QScreen>

SmallDialog::SmallDialog(const QString& caption, int widthTwips, int heightTwips, int aboveCentreTwips)
{
    setWindowTitle(caption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setLayoutDirection(Qt::RightToLeft);
    setFixedSize(Units::px(widthTwips), Units::px(heightTwips));
    SkinTab1 = new SkinTab(this);
    SkinTab1->setGeometry(4, 4, width() - 8, height() - 8);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.width() / 2 - width() / 2, area.height() / 2 - height() / 2 - Units::px(aboveCentreTwips));
    }
}

SkinLabel* SmallDialog::addLabel(const QString& caption, int left, int top, int width, int height)
{
    auto* label = new SkinLabel(caption, SkinTab1);
    label->setGeometry(Units::rect(left, top, width, height));
    return label;
}

SkinTextBox* SmallDialog::addBox(const QString& accessibleName, int left, int top, int width, int height)
{
    auto* box = new SkinTextBox(SkinTab1);
    box->setAccessibleName(accessibleName);
    box->setGeometry(Units::rect(left, top, width, height));
    return box;
}

SkinTextBox* SmallDialog::addPasswordBox(const QString& accessibleName, int left, int top, int width, int height)
{
    SkinTextBox* box = addBox(accessibleName, left, top, width, height);
    box->setPasswordChar(QLatin1Char('*'));
    box->setMaxLength(10);
    box->setBackColor(0xF3F3F3);
    return box;
}

SkinButton* SmallDialog::addButton(const QString& caption, int left, int top, int width, int height)
{
    auto* button = new SkinButton(caption, SkinTab1);
    button->setGeometry(Units::rect(left, top, width, height));
    return button;
}
