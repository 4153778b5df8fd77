#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

class QMenu;

// Draws the popup menus it is given in the current colour scheme, submenus included.
class SkinHookMenu : public QObject
{
    Q_OBJECT
public:
    explicit SkinHookMenu(QObject* parent = nullptr);

    void addMenu(QMenu* menu);
    void setColorScheme(int scheme);
    int colorScheme() const { return m_scheme; }

private:
    void style(QMenu* menu) const;

    std::vector<QPointer<QMenu>> m_menus;
    int m_scheme = 2;
};
