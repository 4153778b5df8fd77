#pragma once

#include "DataConnection.h"

#include <QString>

#include <memory>
#include <sys/types.h>

// The book as the service without a window reads it: with the program's standard key, never
// written, never made. The file at the path is looked at on every use: a book protected,
// restored or replaced since is another file, opened afresh (a protected one then not at all),
// so what the old file held is never answered from.
class ReadOnlyBook
{
public:
    explicit ReadOnlyBook(QString path) : m_path(std::move(path)) {}

    // The open book, or null when there is none to read with the standard key.
    DataConnection* current();
    // Whether the last current() opened another file than before (what was read from the old
    // one is to be dropped).
    bool changed() const { return m_changed; }

private:
    QString m_path;
    std::unique_ptr<DataConnection> m_connection;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    bool m_changed = false;
};
