#pragma once

#include "ContactFields.h"

#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <vector>

class DataConnection;

// What an import did: how many contacts were added, which were left out and why.
struct ImportSummary {
    int added = 0;
    QList<QPair<QString, QString>> skipped; // name, reason
    bool cancelled = false;
    QString error;
};

// Adds contacts to one directory in a single transaction: all of them or, when cancelled or
// failed, none. A name that exists already (anywhere, or earlier in the same file) is never
// overwritten; it is left out and reported.
class ContactImporter
{
public:
    // progress(done, total) is called now and then; returning false cancels the whole import.
    static ImportSummary run(DataConnection& connection, const std::vector<ContactFields>& contacts,
                             const QString& dir, const std::function<bool(int, int)>& progress = {});
};

// Writes the contacts of one directory, in name order, as vCard (4.0 or 3.0) or CSV.
class ContactExporter
{
public:
    enum class Format { VCard4, VCard3, Csv };
    static std::vector<ContactFields> directoryContacts(DataConnection& connection, const QString& dir);
    static QByteArray encode(const std::vector<ContactFields>& contacts, Format format);
};
