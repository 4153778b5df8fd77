#pragma once

#include "DataConnection.h"

#include <QStringList>
#include <QTemporaryDir>

// A keyed telephone book in a folder of its own, which also becomes the program's folder and
// the settings folder for the test: no test ever touches the user's files.
class TestDatabase
{
public:
    // Creates an empty database file (both tables) unless createFile is false.
    explicit TestDatabase(bool createFile = true);
    ~TestDatabase();

    QString folder() const { return m_dir.path(); }
    QString path() const;

    // Adds a directory and returns its code.
    QString addDirectory(const QString& name, const QString& pass = QStringLiteral("0"));
    // Adds a contact: the name, the directory code, then optionally the other values by column
    // (hometel, jobtel, mobil, fax, address, email, org, moreinfo).
    void addContact(const QString& name, const QString& dir, const QStringList& more = {});

    // A separate connection for reading back what the program wrote.
    DataConnection& reader();
    QString scalar(const QString& sql, const QStringList& values = {});

private:
    QTemporaryDir m_dir;
    DataConnection m_reader;
};
