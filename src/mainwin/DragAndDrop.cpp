#include "DragAndDrop.h"

#include "MainForm.h"
#include "RecordListView.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

DragAndDrop::DragAndDrop(MainForm& form, RecordListView* directories, RecordListView* contacts, QWidget* toolbar)
    : QObject(&form), m_form(form), m_directories(directories), m_toolbar(toolbar)
{
    form.setAcceptDrops(true);
    form.installEventFilter(this);
    toolbar->setAcceptDrops(true);
    toolbar->installEventFilter(this);
    // Contacts held over the toolbar bring the directory list back, so that they can be dropped on one.
    m_springBack.setSingleShot(true);
    m_springBack.setInterval(kSpringBackMs);
    connect(&m_springBack, &QTimer::timeout, &form, &MainForm::GoBack);

    directories->setDropTarget([this](const QMimeData* data, int row) { return directoryDropAllowed(data, row); },
                               [this](const QMimeData* data, int row) { droppedOnDirectory(data, row); });
    contacts->setDragSource([this, contacts](const QList<int>& rows) -> QMimeData* {
        QList<QStringList> chosen;
        for (int row : rows) {
            QStringList columns;
            for (int column = 0; column < contacts->columnCount(); ++column)
                columns << contacts->subItem(row, column);
            chosen << columns;
        }
        return m_form.contactDragData(chosen);
    });
}

QStringList DragAndDrop::localFiles(const QMimeData* data)
{
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            files << QFileInfo(url.toLocalFile()).absoluteFilePath();
    return files;
}

void DragAndDrop::addContacts(QMimeData* data, const QString& dir, const QStringList& names)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << QCoreApplication::applicationPid() << dir << names;
    data->setData(QString::fromLatin1(kContactsFormat), bytes);
}

bool DragAndDrop::draggedContacts(const QMimeData* data, QString& dir, QStringList& names)
{
    if (data == nullptr || !data->hasFormat(QString::fromLatin1(kContactsFormat)))
        return false;
    // Another program may offer the same format: only this process's own drags count.
    QDataStream in(data->data(QString::fromLatin1(kContactsFormat)));
    qint64 pid = 0;
    in >> pid >> dir >> names;
    return in.status() == QDataStream::Ok && pid == QCoreApplication::applicationPid() && !names.isEmpty();
}

bool DragAndDrop::directoryDropAllowed(const QMimeData* data, int row) const
{
    QString from;
    QStringList names;
    if (draggedContacts(data, from, names))
        return row >= 0 && m_directories->subItem(row, 1) != from;
    return !localFiles(data).isEmpty();
}

void DragAndDrop::droppedOnDirectory(const QMimeData* data, int row)
{
    const QString code = row >= 0 ? m_directories->subItem(row, 1) : QString();
    QString from;
    QStringList names;
    // The drag is over once the drop returns: the questions that follow come after it.
    if (draggedContacts(data, from, names))
        QMetaObject::invokeMethod(
            &m_form, [this, names, code] { m_form.dropContacts(names, code); }, Qt::QueuedConnection);
    else
        m_form.importFiles(localFiles(data), code);
}

bool DragAndDrop::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::DragLeave && type != QEvent::Drop)
        return QObject::eventFilter(watched, event);
    if (type == QEvent::DragLeave) {
        m_springBack.stop();
        return false;
    }
    auto* drop = static_cast<QDropEvent*>(event);
    QString from;
    QStringList names;
    if (draggedContacts(drop->mimeData(), from, names)) {
        // Over the toolbar, contacts wait for the directory list; anywhere else they have no place.
        const bool waiting = watched == m_toolbar && m_form.viewState() == ViewState::Contacts;
        if (waiting && type == QEvent::DragEnter)
            m_springBack.start();
        if (type == QEvent::Drop)
            m_springBack.stop();
        if (waiting && type != QEvent::Drop)
            drop->acceptProposedAction();
        else
            drop->ignore();
        return true;
    }
    const QStringList files = localFiles(drop->mimeData());
    if (files.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (type == QEvent::Drop)
        m_form.importFiles(files);
    return true;
}
