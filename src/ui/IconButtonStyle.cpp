#include "IconButtonStyle.h"

#include <QPainter>
#include <QStyleOptionButton>

namespace
{
constexpr int kSpacing = 4;   // between the picture and the caption
constexpr int kBreathing = 6; // beyond the style's own margin, on either side
} // namespace

QSize IconButtonStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                                        const QWidget* widget) const
{
    QSize size = QProxyStyle::sizeFromContents(type, option, contents, widget);
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (type == CT_PushButton && button && !button->icon.isNull() && !button->text.isEmpty())
        size.rwidth() += 2 * kBreathing;
    return size;
}

void IconButtonStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                  const QWidget* widget) const
{
    const auto* button = qstyleoption_cast<const QStyleOptionButton*>(option);
    if (element != CE_PushButtonLabel || !button || button->direction != Qt::RightToLeft || button->icon.isNull() ||
        button->text.isEmpty() || (button->features & QStyleOptionButton::HasMenu)) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QRect area = button->rect;
    const int textFlags = Qt::AlignVCenter | Qt::TextShowMnemonic |
                          (proxy()->styleHint(SH_UnderlineShortcut, button, widget) ? 0 : Qt::TextHideMnemonic);
    const int textWidth = button->fontMetrics.boundingRect(area, textFlags, button->text).width();
    const int iconWidth = button->iconSize.width();
    // Centred as one group; a caption wider than the room left keeps its start next to the icon.
    const int groupWidth = std::min(area.width(), iconWidth + kSpacing + textWidth);
    const int groupRight = area.right() - (area.width() - groupWidth) / 2;
    const QRect iconRect(groupRight - iconWidth + 1, area.y() + (area.height() - button->iconSize.height()) / 2,
                         iconWidth, button->iconSize.height());
    const QRect textRect(area.left(), area.y(), iconRect.left() - kSpacing - area.left(), area.height());

    // The icon as the style draws it (its disabled and pressed looks), alone in its own place.
    QStyleOptionButton iconOnly(*button);
    iconOnly.text.clear();
    iconOnly.rect = iconRect;
    QProxyStyle::drawControl(element, &iconOnly, painter, widget);
    proxy()->drawItemText(painter, textRect, int(Qt::AlignRight | Qt::AlignAbsolute) | textFlags, button->palette,
                          button->state & State_Enabled, button->text, QPalette::ButtonText);
}
