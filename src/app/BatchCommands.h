#pragma once

#include "CommandLine.h"

struct PasswordFile;

// Import, export, linking, syncing and the mail programs' query without a window, for scripts: the summary on standard
// output and exit status 0, or a one-line reason on standard error and status 1. Never a message box.
class BatchCommands
{
public:
    static int run(const CommandLine::Request& request);

private:
    static int importFile(const CommandLine::Request& request, const PasswordFile& passwordFile);
    static int exportDirectory(const CommandLine::Request& request, const PasswordFile& passwordFile);
    static int linkDirectory(const CommandLine::Request& request, const PasswordFile& passwordFile);
    static int syncBook(const CommandLine::Request& request, const PasswordFile& passwordFile);
    static int queryAddresses(const CommandLine::Request& request);
};
