#include "AppLook.h"
#include "CommandWiring.h"
#include "MainForm.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("QAV Telephone"));
    AppLook::apply(app);

    MainForm form;
    CommandWiring::install(form);
    // Without a readable database the program ends here, before the window is ever shown.
    if (!form.Form_Load())
        return 1;
    form.show();
    return app.exec();
}
