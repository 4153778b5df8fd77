#pragma once

#include <QString>

#include <functional>

class QWidget;

// What a file or folder chooser is asked for. The filter is written "description|pattern".
struct FileChooserRequest {
    enum class Kind { Folder, OpenFile, SaveFile };
    Kind kind = Kind::Folder;
    QString title{};
    QString filter{};
    QString defaultSuffix{}; // save: added to a typed name without one, before asking to replace
};

// Every file and folder chooser of the program goes through here, so a test can answer in
// advance. The answer is a full path, or empty when the user cancelled.
class FileChooser
{
public:
    static QString chooseFolder(QWidget* parent, const QString& title);
    static QString chooseOpenFile(QWidget* parent, const QString& title, const QString& filter);
    static QString chooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                                  const QString& defaultSuffix = QString());

    // Which entry of the filter the user chose in the last chooser (0 for the first).
    static int lastSelectedFilter();
    static void setLastSelectedFilter(int index);

    using Presenter = std::function<QString(const FileChooserRequest&)>;
    static void setPresenter(Presenter presenter); // empty restores Qt's own dialogs

    // "Backup Database File|ZK-Data.bak" in the form Qt's dialogs read.
    static QString qtFilter(const QString& filter);
};
