#pragma once

#include "BookSearchIndex.h"
#include "DataConnection.h"

#include <QObject>

#include <atomic>
#include <memory>

class QThread;

// Reads the whole-book search index of a large book on a thread of its own, through a connection
// of its own: the search window takes typing, and the main window goes on, while a million
// contacts are read. done() comes on the thread that began the read.
class IndexReading : public QObject
{
    Q_OBJECT
public:
    // How the read shares the processor: as the window that waits for it, or giving way to other
    // work (a read ahead of any search, which the user's work goes before).
    enum class Pace { AsUsual, GivingWay };
    // The nice value of a read that gives way: the window's thread gets some nine tenths of a
    // processor they share (on Linux the value is the thread's, and threads it starts inherit it).
    static constexpr int kGentleNice = 10;
    // Begins reading the book open on connection.
    IndexReading(DataConnection& connection, const NumberKey& numbers, Pace pace = Pace::AsUsual,
                 QObject* parent = nullptr);
    // Stops the read between two of its pieces, and waits for it.
    ~IndexReading() override;
    IndexReading(const IndexReading&) = delete;
    IndexReading& operator=(const IndexReading&) = delete;

    // Once done: why the index could not be read, if it could not.
    DataResult result() const { return m_result; }
    // Once done: the index read, standing at connection's stamp from before the read began, so
    // that bringing it up to date on connection reads again whatever was written meanwhile.
    BookSearchIndex takeIndex();

signals:
    void done();

private:
    std::unique_ptr<BookSearchIndex> m_index;
    ChangeStamp m_before;
    DataResult m_result;
    std::atomic<bool> m_stop = false;
    QThread* m_thread = nullptr;
};
