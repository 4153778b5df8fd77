#pragma once

#include "RemoteMatch.h"
#include "SearchActions.h"

#include <QObject>

class ContactFinder;

// KDE's runner: krunner hands over what is typed and shows the matches it gets back, each with
// its directory and first number beneath the name; running one opens that contact.
class KRunnerProvider : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.krunner1")
public:
    KRunnerProvider(ContactFinder& finder, SearchActions actions, QObject* parent = nullptr);
    void setActions(SearchActions actions) { m_actions = std::move(actions); }

    static constexpr char kPath[] = "/runner";
    // The types read and written on the bus, registered once before the object is put there.
    static void registerTypes();

public slots:
    RemoteActions Actions();
    RemoteMatches Match(const QString& query);
    void Run(const QString& matchId, const QString& actionId);

private:
    ContactFinder& m_finder;
    SearchActions m_actions;
};
