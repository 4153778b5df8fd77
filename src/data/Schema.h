#pragma once

#include "DataConnection.h"

#include <QString>

// The layout of the telephone book file: two tables, the password that keys the file and the
// indexes the program needs to stay fast. Other tools can build a compatible file from ddl().
namespace Schema
{

inline constexpr char kFileName[] = "Kib.bin";
inline constexpr char kPassword[] = "tor$kq$wvl$8$1947";

// How many PBKDF2 rounds turn a key into the file's cipher key. The standard key keeps SQLCipher's
// default, which every tool uses unasked; a master password, which guards something, is derived
// four times as slowly, which anyone opening the file names after the key:
//   PRAGMA key = '...'; PRAGMA kdf_iter = 256000;
inline constexpr int kStandardKdfIterations = 64000;
inline constexpr int kMasterKdfIterations = 256000;
int kdfIterations(const QString& key);
// The statement that sets it for a database of a connection ("main" or an attached one), to run
// right after the key and before the first read.
QByteArray kdfStatement(const QString& key, const QByteArray& database = "main");

// The statements that create an empty database (plain SQL, no collation or extension, so the
// stock sqlcipher shell reads and writes the file).
QString ddl();

// Makes a new, empty, keyed database at path. Refuses to touch an existing file.
DataResult create(const QString& path, const QString& password = QString::fromLatin1(kPassword));

// Reads the schema through the key just given: fails on a wrong password, a damaged file,
// something that is not a database, or a database without both tables.
DataResult verify(DataConnection& connection);

// Adds the indexes that listing and counting rely on, when a file made elsewhere lacks them.
// A file that already holds duplicate directory names keeps them: that index is then skipped.
void addMissingIndexes(DataConnection& connection);

} // namespace Schema
