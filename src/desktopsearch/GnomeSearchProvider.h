#pragma once

#include "SearchActions.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

class ContactFinder;

// GNOME Shell's search provider: the Shell asks for the contacts that hold what is typed in
// its overview, then for their names and descriptions, and says which one was chosen.
class GnomeSearchProvider : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.gnome.Shell.SearchProvider2")
public:
    GnomeSearchProvider(ContactFinder& finder, SearchActions actions, QObject* parent = nullptr);
    void setActions(SearchActions actions) { m_actions = std::move(actions); }

    static constexpr char kPath[] = "/org/qav/telephone/SearchProvider";

public slots:
    QStringList GetInitialResultSet(const QStringList& terms);
    QStringList GetSubsearchResultSet(const QStringList& previousResults, const QStringList& terms);
    QList<QVariantMap> GetResultMetas(const QStringList& identifiers);
    void ActivateResult(const QString& identifier, const QStringList& terms, uint timestamp);
    void LaunchSearch(const QStringList& terms, uint timestamp);

private:
    ContactFinder& m_finder;
    SearchActions m_actions;
};
