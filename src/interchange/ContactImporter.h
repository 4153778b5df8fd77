#pragma once

#include "ContactFields.h"
#include "ContactFileReader.h"

#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <vector>

class DataConnection;

// What an import did: how many contacts were added, which were left out and why.
struct ImportSummary {
    int added = 0;
    int movedToNotes = 0;                   // values that found no field of their own
    int incomplete = 0;                     // cards cut off at the end of the file
    QList<QPair<QString, QString>> skipped; // name, reason
    bool cancelled = false;
    QString error;
    QString directory;                     // the code of the directory the contacts went into
    QString directoryName;                 // and its name, which the text names
    std::vector<ContactFields> written{};  // the contacts added, as stored
    std::vector<MoreValues> writtenMore{}; // and their more values, when the file had any
    // Added, though likely one person with a contact already there; -1 when the book was too
    // large to look through at once.
    int likelyDuplicates = 0;

    // What the user reads after an import, in Arabic.
    QString text() const;
};

// Adds contacts to one directory in a single transaction: all of them or, when cancelled or
// failed, none. A name that exists already (anywhere, or earlier in the same file) is never
// overwritten; it is left out and reported.
class ContactImporter
{
public:
    // progress(done, total) is called now and then; returning false cancels the whole import.
    static ImportSummary run(DataConnection& connection, const std::vector<ContactFields>& contacts, const QString& dir,
                             const std::function<bool(int, int)>& progress = {});
    // The same for what a file held; the summary also tells what the file's reading found.
    static ImportSummary run(DataConnection& connection, const ContactFileContents& contents, const QString& dir,
                             const std::function<bool(int, int)>& progress = {});
    // Into a directory made in the same transaction: a failed import leaves no empty directory behind.
    static ImportSummary intoNewDirectory(DataConnection& connection, const ContactFileContents& contents,
                                          const QString& name, const std::function<bool(int, int)>& progress = {});

private:
    static ImportSummary inTransaction(DataConnection& connection, const std::vector<ContactFields>& contacts,
                                       const std::vector<MoreValues>& more, const QString& dir,
                                       const QString& newDirectory, const std::function<bool(int, int)>& progress);
    static bool insertAll(DataConnection& connection, const std::vector<ContactFields>& contacts,
                          const std::vector<MoreValues>& more, const QString& dir,
                          const std::function<bool(int, int)>& progress, ImportSummary& summary);
};
