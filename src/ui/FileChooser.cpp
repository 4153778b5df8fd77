#include "FileChooser.h"

#include <QFileDialog>

namespace
{

FileChooser::Presenter& presenter()
{
    static FileChooser::Presenter instance;
    return instance;
}

int& selectedFilter()
{
    static int index = 0;
    return index;
}

QString present(QWidget* parent, const FileChooserRequest& request)
{
    selectedFilter() = 0;
    if (presenter())
        return presenter()(request);
    if (request.kind == FileChooserRequest::Kind::Folder)
        return QFileDialog::getExistingDirectory(parent, request.title, QString(), QFileDialog::ShowDirsOnly);
    if (request.kind == FileChooserRequest::Kind::SaveFile) {
        const QStringList filters = FileChooser::qtFilter(request.filter).split(QStringLiteral(";;"));
        QFileDialog dialog(parent, request.title);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilters(filters);
        // The suffix goes on before the dialog checks for a file to replace, so the question
        // names the file that will really be written.
        dialog.setDefaultSuffix(request.defaultSuffix);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        selectedFilter() = std::max(0, int(filters.indexOf(dialog.selectedNameFilter())));
        return dialog.selectedFiles().constFirst();
    }
    return QFileDialog::getOpenFileName(parent, request.title, QString(), FileChooser::qtFilter(request.filter));
}

} // namespace

QString FileChooser::chooseFolder(QWidget* parent, const QString& title)
{
    return present(parent, {FileChooserRequest::Kind::Folder, title, QString()});
}

QString FileChooser::chooseOpenFile(QWidget* parent, const QString& title, const QString& filter)
{
    return present(parent, {FileChooserRequest::Kind::OpenFile, title, filter});
}

QString FileChooser::chooseSaveFile(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix)
{
    return present(parent, {FileChooserRequest::Kind::SaveFile, title, filter, defaultSuffix});
}

int FileChooser::lastSelectedFilter()
{
    return selectedFilter();
}

void FileChooser::setLastSelectedFilter(int index)
{
    selectedFilter() = index;
}

void FileChooser::setPresenter(Presenter p)
{
    presenter() = std::move(p);
}

QString FileChooser::qtFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        entries << QStringLiteral("%1 (%2)").arg(parts.at(i),
                                                 QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return entries.join(QStringLiteral(";;"));
}
