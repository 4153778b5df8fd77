#include "AppLook.h"
#include "BatchCommands.h"
#include "CommandLine.h"
#include "CommandWiring.h"
#include "HeapTuning.h"
#include "MainForm.h"
#include "PhoneMatch.h"
#include "Preferences.h"
#include "QtTranslations.h"
#include "RunningCopy.h"
#include "SharedData.h"
#include "StandaloneSearch.h"
#include "WindowSearchService.h"

#include <QApplication>
#include <QLoggingCategory>

int main(int argc, char** argv)
{
    HeapTuning::apply();
    // Help, the version, a wrong command line, import and export need no window and no display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine::Request request = CommandLine::handle(arguments);
    if (request.action == CommandLine::Request::Action::Done)
        return request.status;
    if (request.action != CommandLine::Request::Action::Window) {
        // Standard error carries the one-line reason and nothing else, unless logging is asked for.
        if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
            QLoggingCategory::setFilterRules(QStringLiteral("qav.*=false"));
        QCoreApplication batch(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("QAV"));
        QCoreApplication::setApplicationName(QStringLiteral("QAV Telephone"));
        PhoneMatch::setPreferredRegion(Preferences::phoneRegion());
        if (request.action == CommandLine::Request::Action::SearchProvider)
            return StandaloneSearch::run(SharedData::databasePath(), QCoreApplication::applicationFilePath());
        return BatchCommands::run(request);
    }

    {
        // A copy of the program already open on this book takes the files and comes forward
        // instead; handing them over needs no display.
        QCoreApplication handing(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("QAV"));
        QCoreApplication::setApplicationName(QStringLiteral("QAV Telephone"));
        if (RunningCopy(SharedData::databasePath()).handOver(request.files))
            return 0;
    }

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QAV"));
    QApplication::setApplicationName(QStringLiteral("QAV Telephone"));
    QApplication::setDesktopFileName(QStringLiteral("org.qav.telephone"));
    QtTranslations::install(app);
    AppLook::apply(app);
    PhoneMatch::setPreferredRegion(Preferences::phoneRegion());

    MainForm form;
    CommandWiring::install(form);
    // Without a readable database the program ends here, before the window is ever shown.
    if (!form.Form_Load())
        return form.leftAtBookPassword() ? 0 : 1;
    form.show();
    CommandWiring::started(form);
    WindowSearchService::start(form, request);
    RunningCopy running(SharedData::databasePath());
    QObject::connect(&running, &RunningCopy::showRequested, &form, &MainForm::showYourself);
    QObject::connect(&running, &RunningCopy::filesReceived, &form,
                     [&form](const QStringList& files) { form.importFiles(files); });
    running.listen();
    form.importFiles(request.files);
    return app.exec();
}
