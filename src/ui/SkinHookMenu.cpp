#include "SkinHookMenu.h"

#include "ColorScheme.h"

#include <QMenu>

SkinHookMenu::SkinHookMenu(QObject* parent) : QObject(parent) {}

void SkinHookMenu::addMenu(QMenu* menu)
{
    m_menus.emplace_back(menu);
    style(menu);
}

void SkinHookMenu::setColorScheme(int scheme)
{
    if (!ColorScheme::isValid(scheme))
        return;
    m_scheme = scheme;
    for (const QPointer<QMenu>& menu : m_menus)
        if (menu)
            style(menu);
}

void SkinHookMenu::style(QMenu* menu) const
{
    // A style sheet on the top menu reaches its submenus too.
    menu->setStyleSheet(ColorScheme::forNumber(m_scheme).menuStyleSheet());
}
