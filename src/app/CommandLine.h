#pragma once

#include <QStringList>

#include <optional>

// The program's command line. Asking for help or the version prints it and ends; anything it
// does not know is refused with the help text. No window and no database are needed for that.
class CommandLine
{
public:
    static constexpr int kWrongCommandLine = 2;

    // nullopt: start the window. Otherwise the program ends at once with that status.
    static std::optional<int> handle(const QStringList& arguments);

    static QString helpText();
    static QString versionText();
};
