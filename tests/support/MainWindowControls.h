#pragma once

#include "MainForm.h"
#include "MainMenus.h"
#include "RecordListView.h"
#include "SkinButton.h"
#include "SkinFrame.h"
#include "SkinHookMenu.h"
#include "SkinStatusBar.h"
#include "SkinToolBar.h"

#include <QLabel>
#include <QLineEdit>

// The main window's controls as a test or a driver finds them: by the object names the window
// gives them. Nothing here reaches into the window itself.
struct MainWindowControls {
    explicit MainWindowControls(const MainForm& form)
        : SkinToolBar1(find<SkinToolBar>(form, "SkinToolBar1")), Picture1(find<QWidget>(form, "Picture1")),
          Frame1(find<SkinFrame>(form, "Frame1")), txtSearch(find<QLineEdit>(form, "txtSearch")),
          cmdsearch(find<SkinButton>(form, "cmdsearch")), body(find<QWidget>(form, "body")),
          Picture0(find<QLabel>(form, "Picture0")), Picture2(find<QWidget>(form, "Picture2")),
          dirframe(find<SkinFrame>(form, "dirframe")), infodirlist(find<RecordListView>(form, "infodirlist")),
          infolist(find<RecordListView>(form, "infolist")), delist(find<RecordListView>(form, "delist")),
          statbar(find<SkinStatusBar>(form, "statbar")), StatusBar(find<SkinStatusBar>(form, "StatusBar")),
          dir(find<QLineEdit>(form, "dir")), CmdADD(find<SkinButton>(form, "CmdADD")),
          CmdEdit(find<SkinButton>(form, "CmdEdit")), cmdDelete(find<SkinButton>(form, "cmdDelete")),
          SkinHookMenu1(find<SkinHookMenu>(form, "SkinHookMenu1")), menus(find<MainMenus>(form, "menus"))
    {
    }

    SkinToolBar* SkinToolBar1;
    QWidget* Picture1;
    SkinFrame* Frame1;
    QLineEdit* txtSearch;
    SkinButton* cmdsearch;
    QWidget* body;
    QLabel* Picture0;
    QWidget* Picture2;
    SkinFrame* dirframe;
    RecordListView* infodirlist;
    RecordListView* infolist;
    RecordListView* delist;
    SkinStatusBar* statbar;
    SkinStatusBar* StatusBar;
    QLineEdit* dir;
    SkinButton* CmdADD;
    SkinButton* CmdEdit;
    SkinButton* cmdDelete;
    SkinHookMenu* SkinHookMenu1;
    MainMenus* menus;

private:
    template <typename Control> static Control* find(const MainForm& form, const char* name)
    {
        auto* control = form.findChild<Control*>(QLatin1String(name));
        Q_ASSERT_X(control, "MainWindowControls", name);
        return control;
    }
};

inline MainWindowControls controls(const MainForm& form)
{
    return MainWindowControls(form);
}
