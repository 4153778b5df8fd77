#include "KRunnerProvider.h"

#include "ContactFinder.h"
#include "ProgramIcon.h"

#include <QDBusMetaType>
#include <QRegularExpression>

namespace
{
constexpr int kPossibleMatch = 30;
}

KRunnerProvider::KRunnerProvider(ContactFinder& finder, SearchActions actions, QObject* parent)
    : QObject(parent), m_finder(finder), m_actions(std::move(actions))
{
}

void KRunnerProvider::registerTypes()
{
    qDBusRegisterMetaType<RemoteMatch>();
    qDBusRegisterMetaType<RemoteMatches>();
    qDBusRegisterMetaType<RemoteAction>();
    qDBusRegisterMetaType<RemoteActions>();
}

RemoteActions KRunnerProvider::Actions()
{
    // Running a match is viewing the contact; nothing else is offered.
    return {};
}

RemoteMatches KRunnerProvider::Match(const QString& query)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    const QStringList ids = m_finder.find(query.split(blanks, Qt::SkipEmptyParts));
    const QList<ContactFinder::Meta> metas = m_finder.metas(ids);
    RemoteMatches out;
    for (qsizetype i = 0; i < metas.size(); ++i) {
        RemoteMatch match;
        match.id = metas.at(i).id;
        match.text = metas.at(i).name;
        match.iconName = QString::fromLatin1(ProgramIcon::kName);
        match.type = kPossibleMatch;
        // In the order found: the exact hits before the names that only sound alike.
        match.relevance = 1.0 - 0.01 * double(i);
        match.properties.insert(QStringLiteral("subtext"), metas.at(i).description);
        out.append(match);
    }
    return out;
}

void KRunnerProvider::Run(const QString& matchId, const QString& actionId)
{
    Q_UNUSED(actionId)
    if (m_actions.showContact && !m_finder.metas({matchId}).isEmpty())
        m_actions.showContact(matchId);
}
