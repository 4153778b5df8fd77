#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class MainForm;
class QMimeData;
class QWidget;
class RecordListView;

// Files and contacts dragged onto, out of and within the main window. It knows what was dropped
// and where; what a drop does is the window's features' business (see MainForm's hooks).
class DragAndDrop : public QObject
{
    Q_OBJECT
public:
    // Contacts dragged in this very window, as a drop inside it reads them.
    static constexpr char kContactsFormat[] = "application/x-qavtelephone-contacts";

    DragAndDrop(MainForm& form, RecordListView* directories, RecordListView* contacts, QWidget* toolbar);

    // The local files a drop carries, as absolute paths ("" for anything else).
    static QStringList localFiles(const QMimeData* data);
    // Marks data as these contacts of directory dir, dragged in this process.
    static void addContacts(QMimeData* data, const QString& dir, const QStringList& names);
    // The names and their directory when data holds contacts dragged in this process.
    static bool draggedContacts(const QMimeData* data, QString& dir, QStringList& names);

    // How long contacts held over the toolbar wait before the directory list comes back.
    static constexpr int kSpringBackMs = 700;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool directoryDropAllowed(const QMimeData* data, int row) const;
    void droppedOnDirectory(const QMimeData* data, int row);

    MainForm& m_form;
    RecordListView* m_directories;
    QWidget* m_toolbar;
    QTimer m_springBack;
};
