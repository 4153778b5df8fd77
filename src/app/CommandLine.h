#pragma once

#include <QString>
#include <QStringList>

// The program's command line. Help and the version are printed at once; import, export, link, sync, query and
// the desktop's search service run without a window; bare file names open the window and import them there;
// anything the program does not know is refused with the help text. None of it needs a display.
class CommandLine
{
public:
    static constexpr int kWrongCommandLine = 2;

    struct Request {
        enum class Action { Window, Done, Import, Export, Link, Sync, Query, SearchProvider } action = Action::Window;
        int status = 0;                 // Done: the exit status
        QString file{};                 // the file imported from or exported to
        QString directory{};            // the directory imported into or exported
        QString format{};               // export: vcard4, vcard3, csv, google-csv or outlook-csv; query: mutt or tsv
        QString query{};                // query: the text looked for in names and e-mail addresses
        QString passwordFile{};         // a locked directory's password (the server's for --sync), in a file
        QString bookPasswordFile{};     // a protected book's master password, in a file
        QString url{};                  // link: the address book's URL
        QString user{};                 // link: the user name on the server
        bool allowInsecureHttp = false; // link, sync: plain http to another machine is allowed
        QString showContact{};          // window: the contact (its id) the desktop's search chose
        QString searchBook{};           // window: the text the desktop's search passes on
        QStringList files{};            // window: files to import once it shows, as absolute paths
    };

    // Parses the arguments (the program's name first). Help, the version and a wrong command
    // line are printed here and come back as Done.
    static Request handle(const QStringList& arguments);

    static QString helpText();
    static QString versionText();
    static QStringList exportFormats();
};
