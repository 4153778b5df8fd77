#include "ColorScheme.h"

#include <QLinearGradient>
#include <QPainter>

#include <QString>

ColorScheme ColorScheme::forNumber(int number)
{
    // Fixed, light palettes with dark text: readable whatever the desktop palette is.
    switch (number) {
    case Blue:
        return {QColor(0xE3, 0xEF, 0xFF), QColor(0xA9, 0xC8, 0xF0), QColor(0x6F, 0x95, 0xC9), QColor(0x10, 0x2A, 0x4C),
                QColor(0xFF, 0xD9, 0x8C), QColor(0x10, 0x2A, 0x4C), QColor(0xF6, 0xFA, 0xFF), QColor(0xD5, 0xE5, 0xFA)};
    case Green:
        return {QColor(0xEE, 0xF7, 0xE4), QColor(0xB9, 0xD8, 0x9A), QColor(0x79, 0xA3, 0x55), QColor(0x1E, 0x3A, 0x10),
                QColor(0xFF, 0xDF, 0x99), QColor(0x1E, 0x3A, 0x10), QColor(0xF8, 0xFC, 0xF4), QColor(0xDD, 0xEC, 0xCD)};
    default:
        return {QColor(0xF7, 0xF7, 0xF9), QColor(0xC9, 0xCC, 0xD3), QColor(0x8E, 0x93, 0x9D), QColor(0x22, 0x25, 0x2B),
                QColor(0xFF, 0xE3, 0xA6), QColor(0x22, 0x25, 0x2B), QColor(0xFB, 0xFB, 0xFC), QColor(0xE4, 0xE6, 0xEA)};
    }
}

QString ColorScheme::menuStyleSheet() const
{
    return QStringLiteral("QMenu { background: %1; color: %2; border: 1px solid %3; padding: 2px; }"
                          "QMenu::item { padding: 4px 24px 4px 24px; }"
                          "QMenu::item:selected { background: %4; color: %5; }"
                          "QMenu::item:disabled { color: #9a9a9a; }"
                          "QMenu::separator { height: 1px; background: %3; margin: 3px 6px; }")
        .arg(menuBack.name(), text.name(), border.name(), hover.name(), hoverText.name());
}

void ColorScheme::paintBar(QPainter& painter, const QRect& rect, Edge edge) const
{
    QLinearGradient gradient(0, rect.top(), 0, rect.bottom() + 1);
    gradient.setColorAt(0, barTop);
    gradient.setColorAt(1, barBottom);
    painter.fillRect(rect, gradient);
    painter.setPen(border);
    const int y = edge == Edge::Top ? rect.top() : rect.bottom();
    painter.drawLine(rect.left(), y, rect.right() + 1, y);
}
