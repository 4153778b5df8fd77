#pragma once

#include <QObject>
#include <QString>

class MainMenus;
class QAction;

// The search-field menu "بحث عن": which column a contact search looks in. One item is checked
// at a time; the name search also finds names that sound alike while that item is on.
class SearchFieldMenu : public QObject
{
    Q_OBJECT
public:
    SearchFieldMenu(MainMenus& menus, QObject* parent);

    // The column chosen ("" until the window has started).
    QString field() const { return m_field; }
    void setField(const QString& field) { m_field = field; }
    // The column chosen, when the contacts table has it: what a search may filter on.
    QString filterColumn() const;
    // Unchecks every field item.
    void Clearmnusearch();

private:
    void choose(QAction* item, const QString& field);

    MainMenus& m_menus;
    QString m_field;
};
