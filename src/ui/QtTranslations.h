#pragma once

class QCoreApplication;

// Qt's own Arabic texts, for what Qt draws for the program: the file chooser, the print
// preview, standard buttons and the menus of text fields.
class QtTranslations
{
public:
    // False when the Arabic translations are not installed; Qt's windows then stay English.
    static bool install(QCoreApplication& app);
};
