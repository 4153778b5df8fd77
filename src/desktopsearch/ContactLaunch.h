#pragma once

#include "SearchActions.h"

#include <QStringList>

// How the service without a window shows a result: it starts the program, which opens the
// contact's view window, or its whole-book search with the text typed. One place to change
// when a running window is asked instead.
class ContactLaunch
{
public:
    // The program's arguments for each.
    static QStringList contactArguments(const QString& id);
    static QStringList searchArguments(const QString& text);
    // Actions that start program (detached) with those arguments.
    static SearchActions startingProgram(const QString& program);
};
