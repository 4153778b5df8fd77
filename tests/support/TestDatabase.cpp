#include "TestDatabase.h"

#include "Schema.h"
#include "SettingsStore.h"
#include "SharedData.h"

#include <QtTest>

TestDatabase::TestDatabase(bool createFile)
{
    SharedData::setProgramFolder(m_dir.path());
    SettingsStore::setFolder(m_dir.path() + QStringLiteral("/settings"));
    if (createFile) {
        const DataResult made = Schema::create(path());
        if (!made)
            qFatal("cannot create test database: %s", qPrintable(made.error));
    }
}

TestDatabase::~TestDatabase()
{
    m_reader.close();
    SharedData::connection().close();
}

QString TestDatabase::path() const
{
    return m_dir.path() + QStringLiteral("/Kib.bin");
}

DataConnection& TestDatabase::reader()
{
    if (!m_reader.isOpen()) {
        const DataResult opened = m_reader.open(path(), QString::fromLatin1(Schema::kPassword));
        if (!opened)
            qFatal("cannot open test database: %s", qPrintable(opened.error));
    }
    return m_reader;
}

QString TestDatabase::addDirectory(const QString& name, const QString& pass)
{
    const DataResult added =
        reader().execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES (?, ?)"), {name, pass});
    if (!added)
        qFatal("cannot add directory: %s", qPrintable(added.error));
    return scalar(QStringLiteral("SELECT code FROM dirg WHERE dirname = ?"), {name});
}

void TestDatabase::addContact(const QString& name, const QString& dir, const QStringList& more)
{
    QStringList values{name};
    for (int i = 0; i < 8; ++i)
        values << more.value(i);
    values << dir;
    const DataResult added = reader().execute(QStringLiteral("INSERT INTO info VALUES (?,?,?,?,?,?,?,?,?,?)"), values);
    if (!added)
        qFatal("cannot add contact: %s", qPrintable(added.error));
}

QString TestDatabase::scalar(const QString& sql, const QStringList& values)
{
    QString out;
    (void)reader().scalar(sql, values, out);
    return out;
}
