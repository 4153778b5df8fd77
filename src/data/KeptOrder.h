#pragma once

#include "DataConnection.h"
#include "NameOrder.h"

#include <QString>

#include <memory>

// The name order of the directory last shown, kept in the book when the program closes so that
// the next session opens it without reading and sorting every name again.
//
// It is only believed while the file is exactly as this program left it (BookFingerprint). Any
// writer, this program included, makes the kept order stale; it is then ignored and built again
// as usual, with the stale one as a head start.
class KeptOrder
{
public:
    struct Loaded {
        std::shared_ptr<NameOrder::Ordered> rows;
        ChangeStamp stamp; // where the file stood when the rows were true; none for a head start
    };

    // Keeps rows as the order of source when the file still stands at stamp. False when anyone
    // changed the file since, or it cannot be written; the file then holds no order to believe.
    static bool save(DataConnection& connection, const QString& source, const NameOrder::Ordered& rows,
                     ChangeStamp stamp);
    // The kept order of source, when the file is as the program left it.
    static Loaded load(DataConnection& connection, const QString& source);
    // The kept order of source even when the file changed since (another program wrote, or
    // this one without keeping it): not to be believed, only a head start for ordering the rows
    // as they are now, where most are as they were. Its stamp is never current.
    static Loaded loadHeadStart(DataConnection& connection, const QString& source);

    // One kept row as save() wrote it: count ids and count names. False, out untouched, for a row
    // that is not exactly that; its sizes are checked before any room is made for it.
    static bool fromRow(qint64 count, QByteArrayView ids, QByteArrayView names, NameOrder::Ordered& out);

    // Makes the kept order a head start only (loadHeadStart() finds it, load() does not), for a keeper
    // that keeps something else where the file no longer stands as it was left. Inside the
    // caller's write transaction.
    static bool demote(DataConnection& connection);

private:
    static bool standsAsKept(DataConnection& connection, const QString& source);
};
