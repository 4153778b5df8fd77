#include "StoredRow.h"

#include <sqlite3.h>

bool StoredRow::fits(sqlite3_stmt* row, int from, int to, qint64 most)
{
    for (int column = from; column < to; ++column) {
        // A number is short whatever it is; text and blobs are measured as they are stored.
        const int type = sqlite3_column_type(row, column);
        if ((type == SQLITE_TEXT || type == SQLITE_BLOB) && sqlite3_column_bytes(row, column) > most)
            return false;
    }
    return true;
}
