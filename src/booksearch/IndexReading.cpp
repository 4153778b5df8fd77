#include "IndexReading.h"

#include <QThread>

IndexReading::IndexReading(DataConnection& connection, const NumberKey& numbers, QObject* parent)
    : QObject(parent), m_index(std::make_unique<BookSearchIndex>(numbers)), m_before(connection.changeStamp())
{
    m_result = connection.openReaderBeside(m_reader);
    if (!m_result) {
        QMetaObject::invokeMethod(this, &IndexReading::done, Qt::QueuedConnection);
        return;
    }
    m_thread = QThread::create([this] {
        m_result = m_index->load(m_reader, BookSearchIndex::Reading::InPieces);
        m_reader.close();
    });
    // Queued to this object's thread: done() is emitted there once the read has ended.
    connect(m_thread, &QThread::finished, this, &IndexReading::done);
    m_thread->start(QThread::LowPriority);
}

IndexReading::~IndexReading()
{
    if (m_thread) {
        m_thread->wait();
        delete m_thread;
    }
}

BookSearchIndex IndexReading::takeIndex()
{
    m_index->standAt(m_before);
    return std::move(*m_index);
}
