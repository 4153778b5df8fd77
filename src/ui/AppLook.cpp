#include "AppLook.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

void AppLook::apply(QApplication& app)
{
    initIconResources();
    app.setLayoutDirection(Qt::RightToLeft);
    app.setFont(arabicFont(10));
    app.setWindowIcon(icon(QStringLiteral("app")));
}

QIcon AppLook::icon(const QString& name)
{
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

QFont AppLook::arabicFont(qreal pointSize, bool bold)
{
    // Real family names: "Arial" maps to a font without Arabic letters on most systems.
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans Arabic"), QStringLiteral("Noto Naskh Arabic"),
                      QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")});
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}
