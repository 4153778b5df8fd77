#pragma once

#include "DataConnection.h"

#include <QList>
#include <QPair>

// Pairs of contacts, by name, that the user said are two people: the search for duplicates
// never offers them together again. Kept in a table of the program's own.
class NotDuplicateStore
{
public:
    explicit NotDuplicateStore(DataConnection& connection) : m_connection(connection) {}

    DataResult remember(const QList<QPair<QString, QString>>& pairs);
    DataResult list(QList<QPair<QString, QString>>& out);

private:
    DataResult createTable();

    DataConnection& m_connection;
};
