#pragma once

#include "ContactFinder.h"
#include "SearchActions.h"

#include <QDBusConnection>
#include <QObject>

// The contacts offered to the desktop's search boxes: GNOME Shell's search provider and KDE's
// runner, both answering from one ContactFinder, under the program's name on the session bus.
class SearchService : public QObject
{
    Q_OBJECT
public:
    static constexpr char kBusName[] = "org.qav.telephone";

    SearchService(ContactFinder::Book book, const SearchActions& actions, QObject* parent = nullptr);

    // Puts both interfaces on the bus; false when they could not be put there.
    bool addTo(QDBusConnection bus);
    // Takes the program's name on the bus. A running window takes it from the service without
    // one (which then ends), never the other way round: mayBeReplaced says which this is.
    bool takeName(QDBusConnection bus, bool mayBeReplaced);
    ContactFinder& finder() { return m_finder; }
    // What choosing a result does from now on.
    void setActions(const SearchActions& actions);

signals:
    // The name went to another process (a window that started): this one no longer answers.
    void nameLost();

private slots:
    void onNameLost(const QString& name);

private:
    ContactFinder m_finder;
};
