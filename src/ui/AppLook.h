#pragma once

#include <QIcon>
#include <QString>

class QApplication;

// The look every window shares: right-to-left layout, an Arabic-capable font in place of
// Arial, and the program's pictures.
class AppLook
{
public:
    static void apply(QApplication& app);
    // A picture of the program by name ("add", "folder", ...).
    static QIcon icon(const QString& name);
    // The font the windows use where the design says Arial, at a point size.
    static QFont arabicFont(qreal pointSize, bool bold = false);
};
