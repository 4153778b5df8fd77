#pragma once

#include <QIcon>
#include <QString>

class QApplication;

// The look every window shares: right-to-left layout, a sans-serif font that has Arabic letters,
// and the program's pictures.
class AppLook
{
public:
    static void apply(QApplication& app);
    // A picture of the program by name ("add", "folder", ...).
    static QIcon icon(const QString& name);
    // The windows' font, which has Arabic letters, at a point size.
    static QFont arabicFont(qreal pointSize, bool bold = false);
};
