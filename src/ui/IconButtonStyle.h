#pragma once

#include <QProxyStyle>

// Lays out the caption of a push button that has an icon when the window reads right to left.
// The platform styles put the caption against the button's far edge there (the right
// alignment they ask for turns into a left one), so "نعم" and "حسنًا" touch the border of every
// message box and file chooser. Here the icon and the caption stand together in the middle,
// the icon on the right, as they do left to right, with room to spare on either side.
class IconButtonStyle : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    // A little more room around a picture and a caption, so that neither meets the frame.
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget = nullptr) const override;
};
