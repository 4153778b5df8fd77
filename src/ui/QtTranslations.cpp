#include "QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool QtTranslations::install(QCoreApplication& app)
{
    auto* translator = new QTranslator(&app);
    // qt_ar loads qtbase_ar and the other modules' Arabic files it names.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qt_ar"), folder) && !translator->load(QStringLiteral("qtbase_ar"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
