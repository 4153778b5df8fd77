#pragma once

#include "ContactFields.h"
#include "ContactValue.h"

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
    // more, when given, gets each contact's values beyond the nine fields, in the same order.
    static std::vector<ContactFields> directoryContacts(DataConnection& connection, const QString& dir,
                                                        std::vector<MoreValues>* more = nullptr);
    // more: the contacts' more values in their order (missing ones are none); CSV writes all but the photo.
    static QByteArray encode(const std::vector<ContactFields>& contacts, Format format,
                             const std::vector<MoreValues>& more = {});
};
