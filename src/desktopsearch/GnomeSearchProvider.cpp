#include "GnomeSearchProvider.h"

#include "ContactFinder.h"
#include "ProgramIcon.h"

GnomeSearchProvider::GnomeSearchProvider(ContactFinder& finder, SearchActions actions, QObject* parent)
    : QObject(parent), m_finder(finder), m_actions(std::move(actions))
{
}

QStringList GnomeSearchProvider::GetInitialResultSet(const QStringList& terms)
{
    return m_finder.find(terms);
}

QStringList GnomeSearchProvider::GetSubsearchResultSet(const QStringList& previousResults, const QStringList& terms)
{
    // Searched afresh: the first answer was cut at a few results, a longer text may find others.
    Q_UNUSED(previousResults)
    return m_finder.find(terms);
}

QList<QVariantMap> GnomeSearchProvider::GetResultMetas(const QStringList& identifiers)
{
    QList<QVariantMap> out;
    for (const ContactFinder::Meta& meta : m_finder.metas(identifiers))
        out.append({{QStringLiteral("id"), meta.id},
                    {QStringLiteral("name"), meta.name},
                    {QStringLiteral("description"), meta.description},
                    {QStringLiteral("gicon"), QString::fromLatin1(ProgramIcon::kName)}});
    return out;
}

void GnomeSearchProvider::ActivateResult(const QString& identifier, const QStringList& terms, uint timestamp)
{
    Q_UNUSED(terms)
    Q_UNUSED(timestamp)
    // Only a contact this provider would show: an id of a locked directory opens nothing.
    if (m_actions.showContact && !m_finder.metas({identifier}).isEmpty())
        m_actions.showContact(identifier);
}

void GnomeSearchProvider::LaunchSearch(const QStringList& terms, uint timestamp)
{
    Q_UNUSED(timestamp)
    if (m_actions.showSearch)
        m_actions.showSearch(terms.join(QLatin1Char(' ')).trimmed());
}
