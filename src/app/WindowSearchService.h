#pragma once

#include "CommandLine.h"

class ContactFinder;
class MainForm;

// While the window runs, its own process answers the desktop's search (the service without a
// window then ends), from the book it has open and only while it is not locked; a result
// chosen opens in this window. A desktop without a session bus only misses the search.
class WindowSearchService
{
public:
    // Serves from form's process and opens what the command line asked for (a contact chosen
    // in the desktop's search, or its text).
    static void start(MainForm& form, const CommandLine::Request& request);

    // The contact's view window, while the contact is in an unlocked directory.
    static void showContact(MainForm& form, ContactFinder& finder, const QString& id);
    // The whole-book search with text typed in it.
    static void showSearch(MainForm& form, const QString& text);
};
