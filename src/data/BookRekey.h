#pragma once

#include "DataConnection.h"

#include <functional>

// Puts the open book under another key: the master password the user chose, or the program's
// standard key again. A copy under the new key is written beside the book, flushed, checked
// (it opens with the new key, passes the integrity check and holds as many contacts and
// directories as the book) and renamed over the book in one step, so a failure or a kill at
// any moment leaves the book whole under the old key or the new one, never half of each.
class BookRekey
{
public:
    // On success the connection is open again on the book, under the new key. On failure the
    // book is as it was and the connection open on it. beforeRename lets a test stop the work
    // just before the rename (return false).
    static DataResult run(DataConnection& connection, const QString& newKey,
                          const std::function<bool()>& beforeRename = {});

    // Left over when a kill came before the rename: a partial copy, never the book.
    static void removeLeftovers(const QString& bookPath);

    // The book the last restore replaced, kept beside it (Kib.bin.previous), once the book took a
    // master password: put under the new key too when the old key or the standard one opens it,
    // else deleted, since whoever has its key would read it. What was done, to tell the user.
    enum class Previous { None, Rekeyed, Removed, Left };
    static Previous secureThePrevious(const QString& bookPath, const QString& oldKey, const QString& newKey);
};
