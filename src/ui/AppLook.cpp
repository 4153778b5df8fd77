#include "AppLook.h"
#include "IconButtonStyle.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QStyleFactory>

static void initIconResources()
{
    Q_INIT_RESOURCE(icons);
}

void AppLook::apply(QApplication& app)
{
    initIconResources();
    app.setLayoutDirection(Qt::RightToLeft);
    // Buttons with pictures (message boxes, file choosers) keep their captions clear of their edges.
    if (!dynamic_cast<IconButtonStyle*>(QApplication::style()))
        QApplication::setStyle(new IconButtonStyle(QStyleFactory::create(QApplication::style()->name())));
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
