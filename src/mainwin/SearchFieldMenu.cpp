#include "SearchFieldMenu.h"

#include "ContactFields.h"
#include "MainMenus.h"
#include "Preferences.h"

#include <QAction>

namespace
{
struct SearchFieldItem {
    const char* item;
    QString ContactFields::*field;
};
// The menu's items in the menu's own order (the name, then the texts, then the numbers), each with
// the field it searches.
constexpr SearchFieldItem kSearchFields[] = {
    {"sname", &ContactFields::name},    {"sorg", &ContactFields::org},     {"saddress", &ContactFields::address},
    {"shome", &ContactFields::hometel}, {"sjob", &ContactFields::jobtel},  {"smobil", &ContactFields::mobil},
    {"sfax", &ContactFields::fax},      {"semail", &ContactFields::email}, {"sinfo", &ContactFields::moreinfo},
};
} // namespace

SearchFieldMenu::SearchFieldMenu(MainMenus& menus, QObject* parent) : QObject(parent), m_menus(menus)
{
    for (const SearchFieldItem& entry : kSearchFields) {
        QAction* item = menus.item(QString::fromLatin1(entry.item));
        const QString field = ContactFields::field(entry.field).columnName();
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
        if (m_field == ContactFields::field(entry.field).columnName())
            return m_field;
    return QString();
}
