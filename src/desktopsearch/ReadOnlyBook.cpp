#include "ReadOnlyBook.h"

#include "Schema.h"

#include <QFile>

#include <sys/stat.h>

DataConnection* ReadOnlyBook::current()
{
    m_changed = false;
    struct stat now = {};
    const bool isFile = ::stat(QFile::encodeName(m_path).constData(), &now) == 0 && S_ISREG(now.st_mode);
    // A restore or a new key may put another file in its place; one rewritten in place under
    // another key fails to read on the old connection, and is answered from no more.
    const bool same = isFile && now.st_dev == m_device && now.st_ino == m_inode;
    if (same && m_connection)
        return m_connection.get();
    if (same && !m_connection)
        return nullptr; // the same file that did not open before
    m_changed = true;
    m_connection.reset();
    m_device = isFile ? now.st_dev : 0;
    m_inode = isFile ? now.st_ino : 0;
    if (!isFile)
        return nullptr;
    auto connection = std::make_unique<DataConnection>();
    if (!connection->open(m_path, QString::fromLatin1(Schema::kPassword), DataConnection::Access::ReadOnly))
        return nullptr;
    m_connection = std::move(connection);
    return m_connection.get();
}
