#include "MainMenus.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

MainMenus::MainMenus(QWidget* owner) : QObject(owner), m_owner(owner)
{
    cm = topMenu(QStringLiteral("cm"), QStringLiteral("قائمة التحكم"));
    cmdet = add(cm, QStringLiteral("cmdet"), QStringLiteral("فتح"));
    separator(cm, QStringLiteral("sperator3"));
    cmadd = add(cm, QStringLiteral("cmadd"), QStringLiteral("إضافة"));
    cmedit = add(cm, QStringLiteral("cmedit"), QStringLiteral("تعديل"));
    cmdel = add(cm, QStringLiteral("cmdel"), QStringLiteral("حذف"));
    separator(cm, QStringLiteral("sperator"));
    movemag = add(cm, QStringLiteral("movemag"), QStringLiteral("نقل إلى"));
    separator(cm, QStringLiteral("sperator2"));
    cmv = subMenu(cm, QStringLiteral("cmv"), QStringLiteral("عرض"));
    cmvm = add(cmv, QStringLiteral("cmvm"), QStringLiteral("أفقى"), true);
    cmvd = add(cmv, QStringLiteral("cmvd"), QStringLiteral("رأسى"), true);

    dirmnu = topMenu(QStringLiteral("dirmnu"), QStringLiteral("الدليل"));
    dirmnuopen = add(dirmnu, QStringLiteral("dirmnuopen"), QStringLiteral("فتح"));
    separator(dirmnu, QStringLiteral("dirsperator"));
    dirmnuadd = add(dirmnu, QStringLiteral("dirmnuadd"), QStringLiteral("إضافة دليل جديد"));
    dirmnuren = add(dirmnu, QStringLiteral("dirmnuren"), QStringLiteral("إعادة تسمية"));
    dirmnudel = add(dirmnu, QStringLiteral("dirmnudel"), QStringLiteral("حذف"));
    separator(dirmnu, QStringLiteral("sper"));
    dirview = subMenu(dirmnu, QStringLiteral("dirview"), QStringLiteral("عرض"));
    dirvhor = add(dirview, QStringLiteral("dirvhor"), QStringLiteral("أفقى"));
    dirvver = add(dirview, QStringLiteral("dirvver"), QStringLiteral("رأسى"));

    mnusearch = topMenu(QStringLiteral("mnusearch"), QStringLiteral("بحث عن"));
    sname = add(mnusearch, QStringLiteral("sname"), QStringLiteral("الاسم"), true);
    sorg = add(mnusearch, QStringLiteral("sorg"), QStringLiteral("العمل"), true);
    saddress = add(mnusearch, QStringLiteral("saddress"), QStringLiteral("العنوان"), true);
    shome = add(mnusearch, QStringLiteral("shome"), QStringLiteral("تليفون/ منزل"), true);
    sjob = add(mnusearch, QStringLiteral("sjob"), QStringLiteral("تليفون/عمل"), true);
    smobil = add(mnusearch, QStringLiteral("smobil"), QStringLiteral("موبايل"), true);
    sfax = add(mnusearch, QStringLiteral("sfax"), QStringLiteral("فاكس"), true);
    semail = add(mnusearch, QStringLiteral("semail"), QStringLiteral("بريد الكترونى"), true);
    sinfo = add(mnusearch, QStringLiteral("sinfo"), QStringLiteral("بيانات إضافية"), true);
    sname->setChecked(true);
    separator(mnusearch, QStringLiteral("searchSoundSeparator"));
    searchBySound = add(mnusearch, QStringLiteral("searchBySound"), QStringLiteral("البحث بالنطق"), true);

    theme = topMenu(QStringLiteral("theme"), QStringLiteral("السمة"));
    themeblue = add(theme, QStringLiteral("themeblue"), QStringLiteral("أزرق"), true);
    themegreen = add(theme, QStringLiteral("themegreen"), QStringLiteral("أخضر"), true);
    themesilver = add(theme, QStringLiteral("themesilver"), QStringLiteral("فضى"), true);

    mnutools = topMenu(QStringLiteral("mnutools"), QStringLiteral("ادوات"));
    copydb = add(mnutools, QStringLiteral("copydb"), QStringLiteral("نسخ احتياطى لقاعدة البيانات"));
    resdb = add(mnutools, QStringLiteral("resdb"), QStringLiteral("استرجاع قاعدة البيانات"));
    separator(mnutools, QStringLiteral("sep1"));
    sec = add(mnutools, QStringLiteral("sec"), QStringLiteral("تأمين ..."));
    separator(mnutools, QStringLiteral("sep22"));
    sounds = subMenu(mnutools, QStringLiteral("sounds"), QStringLiteral("الأصوات"));
    SNDON = add(sounds, QStringLiteral("SNDON"), QStringLiteral("تشغيل"));
    SNDOFF = add(sounds, QStringLiteral("SNDOFF"), QStringLiteral("تعطيل"));
    separator(mnutools, QStringLiteral("seps"));
    bgchange = add(mnutools, QStringLiteral("bgchange"), QStringLiteral("تغيير صوت الخلفية"));
    separator(mnutools, QStringLiteral("sepio"));
    importcontacts = add(mnutools, QStringLiteral("importcontacts"), QStringLiteral("استيراد جهات اتصال..."));
    exportdir = add(mnutools, QStringLiteral("exportdir"), QStringLiteral("تصدير الدليل..."));
    separator(mnutools, QStringLiteral("sepsync"));
    sync = add(mnutools, QStringLiteral("sync"), QStringLiteral("مزامنة..."));
    m_lastTool = sec;
    m_lastContactItem = movemag;
    m_lastDirectoryItem = dirmnudel;

    viewall = topMenu(QStringLiteral("viewall"), QStringLiteral("عرض"));
    viewmdor = add(viewall, QStringLiteral("viewmdor"), QStringLiteral("عرض قائمة الدليل"));
    viewdelist = add(viewall, QStringLiteral("viewdelist"), QStringLiteral("عرض الكل"));
}

QList<QMenu*> MainMenus::topLevelMenus() const
{
    return {cm, dirmnu, mnusearch, theme, mnutools, viewall};
}

QMenu* MainMenus::topMenu(const QString& name, const QString& caption)
{
    auto* menu = new QMenu(caption, m_owner);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    m_menus.insert(name, menu);
    m_items.insert(name, menu->menuAction());
    return menu;
}

QMenu* MainMenus::subMenu(QMenu* parent, const QString& name, const QString& caption)
{
    QMenu* menu = parent->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    m_menus.insert(name, menu);
    m_items.insert(name, menu->menuAction());
    return menu;
}

QAction* MainMenus::add(QMenu* menu, const QString& name, const QString& caption, bool checkable)
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    m_items.insert(name, action);
    return action;
}

// Puts a feature's item after anchor and the feature items placed there before it, so that they
// keep the order they were added in; anchor then stands on the new item.
void MainMenus::placeAfter(QMenu* menu, QAction*& anchor, QAction* item)
{
    const QList<QAction*> items = menu->actions();
    const qsizetype last = items.indexOf(anchor);
    menu->insertAction(last >= 0 && last + 1 < items.size() ? items[last + 1] : nullptr, item);
    anchor = item;
    m_items.insert(item->objectName(), item);
}

QAction* MainMenus::addTool(const QString& name, const QString& caption)
{
    auto* action = new QAction(caption, mnutools);
    action->setObjectName(name);
    placeAfter(mnutools, m_lastTool, action);
    return action;
}

QAction* MainMenus::addDirectoryItem(const QString& name, const QString& caption)
{
    auto* action = new QAction(caption, dirmnu);
    action->setObjectName(name);
    placeAfter(dirmnu, m_lastDirectoryItem, action);
    return action;
}

QAction* MainMenus::addContactItem(const QString& name, const QString& caption)
{
    auto* action = new QAction(caption, cm);
    action->setObjectName(name);
    placeAfter(cm, m_lastContactItem, action);
    return action;
}

QMenu* MainMenus::addContactSubmenu(const QString& name, const QString& caption)
{
    auto* menu = new QMenu(caption, cm);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    placeAfter(cm, m_lastContactItem, menu->menuAction());
    m_menus.insert(name, menu);
    return menu;
}

void MainMenus::separator(QMenu* menu, const QString& name)
{
    QAction* line = menu->addSeparator();
    line->setObjectName(name);
    m_items.insert(name, line);
}
