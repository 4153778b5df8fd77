#include "BookLocation.h"

#include "SharedData.h"
#include "SkinLabel.h"

#include <QDir>
#include <QFontMetrics>

void BookLocation::describe(SkinLabel* line)
{
    const QString path = QDir::toNativeSeparators(SharedData::databasePath());
    const QString prefix = QStringLiteral("مكان قاعدة البيانات: ");
    const int room = line->width() - line->fontMetrics().horizontalAdvance(prefix) - 8;
    // The path is Latin text inside an Arabic line: isolated, it reads left to right as a unit.
    const QString shown = line->fontMetrics().elidedText(path, Qt::ElideMiddle, room);
    line->setCaption(prefix + QChar(0x2066) + shown + QChar(0x2069));
    line->setToolTip(path);
}
