#pragma once

#include <QColor>
#include <QRect>

// Window measures are given in twips (1440 to the inch, 15 to a pixel at 96 dpi) and colours as
// blue-green-red integers; these turn them into Qt's pixels and colours in one place.
class Units
{
public:
    static constexpr int kTwipsPerPixel = 15;

    static int px(int twips) { return twips / kTwipsPerPixel; }
    static int twips(int pixels) { return pixels * kTwipsPerPixel; }
    static QRect rect(int left, int top, int width, int height)
    {
        return QRect(px(left), px(top), px(width), px(height));
    }
    static QColor bgr(quint32 value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }
};
