#include "SearchFieldMenu.h"

#include "MainMenus.h"
#include "Preferences.h"

#include <QAction>

namespace
{
struct SearchFieldItem {
    const char* item;
    const char* field;
};
// The menu's items in table order, each with the column it searches.
constexpr SearchFieldItem kSearchFields[] = {
    {"sname", "name"},   {"sorg", "org"}, {"saddress", "address"}, {"shome", "hometel"},  {"sjob", "jobtel"},
    {"smobil", "mobil"}, {"sfax", "fax"}, {"semail", "email"},     {"sinfo", "moreinfo"},
};
} // namespace

SearchFieldMenu::SearchFieldMenu(MainMenus& menus, QObject* parent) : QObject(parent), m_menus(menus)
{
    for (const SearchFieldItem& entry : kSearchFields) {
        QAction* item = menus.item(QString::fromLatin1(entry.item));
        const QString field = QString::fromLatin1(entry.field);
        connect(item, &QAction::triggered, this, [this, item, field] { choose(item, field); });
    }
    menus.searchBySound->setChecked(Preferences::searchBySound());
    connect(menus.searchBySound, &QAction::toggled, this, [](bool on) { Preferences::setSearchBySound(on); });
}

void SearchFieldMenu::choose(QAction* item, const QString& field)
{
    Clearmnusearch();
    item->setChecked(true);
    m_field = field;
}

void SearchFieldMenu::Clearmnusearch()
{
    for (const SearchFieldItem& entry : kSearchFields)
        m_menus.item(QString::fromLatin1(entry.item))->setChecked(false);
}

QString SearchFieldMenu::filterColumn() const
{
    for (const SearchFieldItem& entry : kSearchFields)
        if (m_field == QLatin1String(entry.field))
            return m_field;
    return QString();
}
