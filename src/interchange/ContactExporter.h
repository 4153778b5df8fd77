#pragma once

#include "ContactFields.h"

#include <QByteArray>
#include <QString>

#include <vector>

class DataConnection;

// Writes the contacts of one directory, in name order, as vCard (4.0 or 3.0) or CSV.
class ContactExporter
{
public:
    // Csv is this program's own layout; GoogleCsv and OutlookCsv use those programs' headers.
    enum class Format { VCard4, VCard3, Csv, GoogleCsv, OutlookCsv };
    static std::vector<ContactFields> directoryContacts(DataConnection& connection, const QString& dir);
    static QByteArray encode(const std::vector<ContactFields>& contacts, Format format);
};
