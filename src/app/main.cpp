#include "AppLook.h"
#include "CommandLine.h"
#include "CommandWiring.h"
#include "MainForm.h"
#include "QtTranslations.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Help, the version and a wrong command line need no window, no display and no database.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const std::optional<int> status = CommandLine::handle(arguments))
        return *status;

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QAV"));
    QApplication::setApplicationName(QStringLiteral("QAV Telephone"));
    QApplication::setDesktopFileName(QStringLiteral("org.qav.telephone"));
    QtTranslations::install(app);
    AppLook::apply(app);

    MainForm form;
    CommandWiring::install(form);
    // Without a readable database the program ends here, before the window is ever shown.
    if (!form.Form_Load())
        return 1;
    form.show();
    return app.exec();
}
