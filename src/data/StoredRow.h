#pragma once

#include <QtGlobal>

struct sqlite3_stmt;

// Rows the program reads back from its own tables come from a file that anyone with the published
// key can write, or from a restored backup: each is checked before it is used, and one that is
// not as this program writes it is left out.
class StoredRow
{
public:
    // Far beyond anything typed or imported into one field, far below what would hurt to hold.
    static constexpr qint64 kMostFieldBytes = 16 * 1024 * 1024;

    // Columns [from, to) of the row each hold at most most bytes (read without converting them).
    static bool fits(sqlite3_stmt* row, int from, int to, qint64 most = kMostFieldBytes);
};
