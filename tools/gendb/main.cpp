// Builds a telephone book for measurements: qav_gendb <file> <contacts> [seed] [more].
// 21 directories; the first holds half of the contacts, the rest share the other half. With
// more, each contact of the first directory also gets that many more values (a second mobile,
// an e-mail, a work address, in turn).
#include "ContactGenerator.h"
#include "ContactValueStore.h"
#include "DataConnection.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: qav_gendb <database file> <contacts> [seed] [more]\n");
        return 2;
    }
    const QString path = args.at(1);
    const qsizetype total = args.at(2).toLongLong();
    const quint32 seed = args.size() > 3 ? args.at(3).toUInt() : 1947u;
    const int more = args.size() > 4 ? args.at(4).toInt() : 0;
    if (QFile::exists(path)) {
        std::fprintf(stderr, "%s exists; choose a new file\n", qPrintable(path));
        return 1;
    }
    if (DataResult made = Schema::create(path); !made) {
        std::fprintf(stderr, "%s\n", qPrintable(made.error));
        return 1;
    }
    DataConnection db;
    if (DataResult opened = db.open(path, QString::fromLatin1(Schema::kPassword)); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error));
        return 1;
    }
    ContactGenerator generator(seed);
    constexpr int kDirectories = 21;
    (void)db.execute(QStringLiteral("BEGIN"));
    for (int d = 0; d < kDirectories; ++d)
        (void)db.execute(QStringLiteral("INSERT INTO dirg (dirname, pass) VALUES (?, '0')"),
                         {generator.directoryName(d)});
    for (qsizetype i = 0; i < total; ++i) {
        // Half of all contacts go to directory 1, the rest round the other twenty.
        const int dir = i < total / 2 ? 1 : 2 + int(i % (kDirectories - 1));
        const QStringList fields = generator.contact(i, QString::number(dir));
        DataResult added = db.execute(QStringLiteral("INSERT INTO info VALUES (?,?,?,?,?,?,?,?,?,?)"), fields);
        if (added && more > 0 && dir == 1) {
            MoreValues values;
            for (int v = 0; v < more; ++v) {
                const QString n = QString::number(i);
                values.push_back(
                    v % 3 == 0 ? ContactValue{ContactValue::Kind::Phone,
                                              QStringLiteral("mobile"),
                                              QStringLiteral("0111") + n.rightJustified(7, u'0'),
                                              {}}
                    : v % 3 == 1
                        ? ContactValue{ContactValue::Kind::Email, {}, QStringLiteral("c%1@example.org").arg(n), {}}
                        : ContactValue{ContactValue::Kind::Address,
                                       QStringLiteral("work"),
                                       ContactValue::joinParts({{}, {}, QStringLiteral("%1 شارع النيل").arg(n)}),
                                       {}});
            }
            added = ContactValueStore(db).replaceWithin(db.lastInsertRowId(), fields.constFirst(), values);
        }
        if (!added) {
            std::fprintf(stderr, "%s\n", qPrintable(added.error));
            return 1;
        }
    }
    if (DataResult done = db.execute(QStringLiteral("COMMIT")); !done) {
        std::fprintf(stderr, "%s\n", qPrintable(done.error));
        return 1;
    }
    std::printf("%lld contacts in %d directories written to %s\n", static_cast<long long>(total), kDirectories,
                qPrintable(path));
    return 0;
}
