#pragma once

#include "DataConnection.h"

class BookSearchIndex;
#include "Recordset.h"

// The program-wide connection and the two shared recordsets. They exist from first use until
// the process ends; start-up and restore open them, every window reads and writes through them.
class SharedData
{
public:
    static DataConnection& connection();
    static Recordset& contacts();    // the ContactRecordset
    static Recordset& directories(); // the DirectoryRecordset

    // The program's own folder, unless a test chose another.
    static QString programFolder();
    static void setProgramFolder(const QString& folder);
    // The folder that holds Kib.bin: beside the program, or for an installed program the user's
    // data folder (a test's chosen folder always holds it).
    static QString bookFolder();
    static QString databasePath();

    // The key the book opens with: the program's standard key, or the master password the user
    // gave for a protected book. Held for the session only, never written anywhere.
    static QString bookKey();
    static void setBookKey(const QString& key);
    static bool bookProtected();

    // For a process that writes without showing a list (the command line): takes up the order the
    // last session kept, before the first write, so that contacts().keepOrder() keeps it again,
    // mended with this process's writes, and the next session reads no name again.
    static void takeUpKeptOrder();

    // The whole-book search index of the session, while there is one (the search window's).
    static void setSearchIndex(BookSearchIndex* index);
    static const BookSearchIndex* searchIndex();
    // Whether the session opened the book with a search index the last one kept, still believed.
    static bool keptIndexBelieved();
    // At the end of a session: keeps the search index, mended with what the session wrote since
    // its last search, and the order last shown in the book for the next one, and drops a kept
    // index the file no longer vouches for.
    static void keepForNextSession();
};

// Opens the DataConnection on Kib.bin with the book's key. An installed program's book
// is created empty in the user's data folder the first time.
DataResult OpenDatabase();
// Close the matching recordset when it is open; otherwise nothing.
void CloseContactRecordset();
void CloseDirectoryRecordset();
