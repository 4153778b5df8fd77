#include "ContactLaunch.h"

#include <QProcess>

QStringList ContactLaunch::contactArguments(const QString& id)
{
    return {QStringLiteral("--show-contact"), id};
}

QStringList ContactLaunch::searchArguments(const QString& text)
{
    // Joined to the option, so a text that starts with a dash is never read as an option.
    return {QStringLiteral("--search-book=") + text};
}

SearchActions ContactLaunch::startingProgram(const QString& program)
{
    // Detached: the window lives on after the service ends.
    return {[program](const QString& id) { QProcess::startDetached(program, contactArguments(id)); },
            [program](const QString& text) { QProcess::startDetached(program, searchArguments(text)); }};
}
