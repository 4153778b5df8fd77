// Creates a new, empty telephone book file keyed with the database password.
// Usage: qav_makedb <path/to/Kib.bin>. An existing file is never touched.
#include "Schema.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: qav_makedb <database file>\n");
        return 2;
    }
    const QString path = args.at(1);
    if (QFileInfo::exists(path)) {
        std::fprintf(stderr, "%s exists; left as it is\n", qPrintable(path));
        return 0;
    }
    const DataResult made = Schema::create(path);
    if (!made) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(made.error));
        return 1;
    }
    std::printf("created %s\n", qPrintable(path));
    return 0;
}
