#pragma once

#include "Recordset.h"

#include <vector>

// A write of many contacts (an import, a sync) that keeps the order of the directory shown last
// true: made before the write, it takes up that order (from memory, or as the last session kept
// it in the book); done() mends it with the rows written, and, where asked, keeps it in the book
// again, so the next opening (in this session or the next) reads no name again.
class KeptOrderWrite
{
public:
    explicit KeptOrderWrite(Recordset& contacts);
    // keepInBook: for a process that ends without showing a list (the command line).
    void done(const std::vector<qint64>& writtenRows, bool keepInBook);

private:
    Recordset& m_contacts;
    ChangeStamp m_before;
};
