#pragma once

#include <QColor>

class QPainter;
class QRect;

// The three colour schemes of the themed controls: 0 blue, 1 green, 2 silver. Each gives the
// colours the toolbar, the status bars and the menus paint with.
struct ColorScheme {
    enum Number { Blue = 0, Green = 1, Silver = 2 };

    QColor barTop; // gradient of toolbar and status bars
    QColor barBottom;
    QColor border;
    QColor text;
    QColor hover; // button under the mouse, highlighted menu item
    QColor hoverText;
    QColor menuBack;
    QColor menuStripe; // the band behind check marks and icons

    static ColorScheme forNumber(int number);
    static bool isValid(int number) { return number >= Blue && number <= Silver; }
    // A style sheet for popup menus in this scheme.
    QString menuStyleSheet() const;
    // The bar background the toolbar and the status bars share: the gradient over rect, and the
    // border line along its top or bottom edge.
    enum class Edge { Top, Bottom };
    void paintBar(QPainter& painter, const QRect& rect, Edge edge) const;
};
