#pragma once

#include <QString>

// Where the telephone book and the program's shipped files live. A "Kib.bin" beside the program
// always wins (portable use). An installed copy of the program (its folder cannot be written,
// or it stands in a bin/ folder beside share/qavtelephone) keeps the book in the user's data
// folder instead. Nothing is ever moved between the two.
class DataLocation
{
public:
    static constexpr char kShareFolder[] = "share/qavtelephone";

    // The folder whose Kib.bin the program opens.
    static QString bookFolder(const QString& programFolder, const QString& userDataFolder);
    // Whether the book belongs in the user's data folder, where it is created on first start.
    static bool usesUserFolder(const QString& programFolder);

    // A file shipped with the program (the default sound): beside the program, or in the
    // installed share folder; the path beside the program when neither holds it.
    static QString shippedFile(const QString& programFolder, const QString& name);
};
