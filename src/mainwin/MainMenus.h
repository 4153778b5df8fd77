#pragma once

#include <QHash>
#include <QObject>

class QAction;
class QMenu;
class QWidget;

// The main window's popup menus. There is no menu bar: each top-level menu only ever pops up.
// Every item is a QAction whose object name is the item's name, so it can be found by name.
class MainMenus : public QObject
{
    Q_OBJECT
public:
    explicit MainMenus(QWidget* owner);

    QAction* item(const QString& name) const { return m_items.value(name); }
    QMenu* menu(const QString& name) const { return m_menus.value(name); }
    QList<QMenu*> topLevelMenus() const;
    // A feature's own item in the Tools menu, after the directory lock.
    QAction* addTool(const QString& name, const QString& caption);
    // A feature's own item in the directory menu, after "حذف".
    QAction* addDirectoryItem(const QString& name, const QString& caption);
    // A feature's own item in the contact menu, after "نقل إلى".
    QAction* addContactItem(const QString& name, const QString& caption);
    QMenu* addContactSubmenu(const QString& name, const QString& caption);

    // Top-level menus.
    QMenu *cm, *dirmnu, *mnusearch, *theme, *mnutools, *viewall;
    // Submenus.
    QMenu *cmv, *dirview, *sounds;
    // Items of the contact menu.
    QAction *cmdet, *cmadd, *cmedit, *cmdel, *movemag, *cmvm, *cmvd;
    // Items of the directory menu.
    QAction *dirmnuopen, *dirmnuadd, *dirmnuren, *dirmnudel, *dirvhor, *dirvver;
    // Search fields.
    QAction *sname, *sorg, *saddress, *shome, *sjob, *smobil, *sfax, *semail, *sinfo;
    // A name search also finds names that sound alike, in Arabic or Latin letters.
    QAction* searchBySound;
    // Themes.
    QAction *themeblue, *themegreen, *themesilver;
    // Tools.
    QAction *copydb, *resdb, *sec, *SNDON, *SNDOFF, *bgchange, *importcontacts, *exportdir, *sync;
    // List pane.
    QAction *viewmdor, *viewdelist;

private:
    QMenu* topMenu(const QString& name, const QString& caption);
    QMenu* subMenu(QMenu* parent, const QString& name, const QString& caption);
    QAction* add(QMenu* menu, const QString& name, const QString& caption, bool checkable = false);
    void separator(QMenu* menu, const QString& name);
    void placeAfter(QMenu* menu, QAction*& anchor, QAction* item);

    QWidget* m_owner;
    QAction* m_lastTool = nullptr;          // the features' items go after the directory lock
    QAction* m_lastContactItem = nullptr;   // and after "نقل إلى"
    QAction* m_lastDirectoryItem = nullptr; // and after the directory's "حذف"
    QHash<QString, QAction*> m_items;
    QHash<QString, QMenu*> m_menus;
};
