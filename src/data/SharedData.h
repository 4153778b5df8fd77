#pragma once

#include "DataConnection.h"
#include "Recordset.h"

// The program-wide connection and the two shared recordsets. They exist from first use until
// the process ends; start-up and restore open them, every window reads and writes through them.
class SharedData
{
public:
    static DataConnection& connection();
    static Recordset& contacts();    // the ContactRecordset
    static Recordset& directories(); // the DirectoryRecordset

    // The folder that holds Kib.bin: the program's own folder unless a test chose another.
    static QString programFolder();
    static void setProgramFolder(const QString& folder);
    static QString databasePath();
};

// Opens the DataConnection on Kib.bin in the program's folder with the database password.
DataResult OpenDatabase();
// Close the matching recordset when it is open; otherwise nothing.
void CloseContactRecordset();
void CloseDirectoryRecordset();
