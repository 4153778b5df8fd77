#include "IndexReading.h"

#include <QThread>

#include <sys/resource.h>

IndexReading::IndexReading(DataConnection& connection, const NumberKey& numbers, Pace pace, QObject* parent)
    : QObject(parent), m_index(std::make_unique<BookSearchIndex>(numbers)), m_before(connection.changeStamp())
{
    // Its key is derived on the reading thread, not on the window's.
    m_thread = QThread::create([this, pace, open = connection.readerOpener()] {
        // Gentler, not idle: a read that never got the processor would hold the book's read lock
        // between two rows for as long, and keep a save waiting past its patience. The thread
        // that reads the second half beside it takes the same pace.
        if (pace == Pace::GivingWay)
            (void)setpriority(PRIO_PROCESS, 0, kGentleNice);
        DataConnection reader;
        m_result = open(reader, DataConnection::Wait::AsUsual);
        if (!m_result)
            return;
        // A writer holds the book for as long as it writes (an import, a sync): the read waits
        // for it between two pieces, unless it is stopped.
        reader.waitForWritersUnless(m_stop);
        m_result = m_index->load(reader, BookSearchIndex::Reading::InPieces, &m_stop);
    });
    // Queued to this object's thread: done() is emitted there once the read has ended.
    connect(m_thread, &QThread::finished, this, &IndexReading::done);
    m_thread->start();
}

IndexReading::~IndexReading()
{
    m_stop = true;
    m_thread->wait();
    delete m_thread;
}

BookSearchIndex IndexReading::takeIndex()
{
    m_index->standAt(m_before);
    return std::move(*m_index);
}
