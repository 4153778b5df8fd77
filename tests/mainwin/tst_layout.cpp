// The main window keeps its panes in place at every size.
#include "AppLook.h"
#include "MainForm.h"
#include "MainWindowControls.h"
#include "MainWindowUser.h"
#include "RecordListView.h"
#include "ScriptedMessageBox.h"
#include "SettingsStore.h"
#include "SkinFrame.h"
#include "SkinStatusBar.h"
#include "SoundPlayer.h"
#include "TestDatabase.h"
#include "Units.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>

class TestLayout : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void enlargingStretchesPictureAndLists();
    void shrinkingBelowTheMarginsKeepsTheLastLayout();
    void mirroringTwiceChangesNothing();
    void everyResizeAppliesTheTheme();
};

void TestLayout::initTestCase()
{
    AppLook::apply(*qApp);
    SoundPlayer::setBackend({[](const QString&) {}, [] {}});
}

void TestLayout::enlargingStretchesPictureAndLists()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    auto form = MainWindowUser::start();
    form->resize(1200, 900);
    QApplication::processEvents();
    const QRect body = controls(*form).body->rect();
    QCOMPARE(controls(*form).Picture0->geometry(),
             QRect(Units::px(160), Units::px(120), body.width() - Units::px(320), body.height() - Units::px(140)));
    QCOMPARE(controls(*form).Picture2->width(), controls(*form).StatusBar->width());
    const QRect pane = controls(*form).Picture2->rect();
    const QRect lists(0, Units::px(370), pane.width(), pane.height() - Units::px(350));
    QCOMPARE(controls(*form).infolist->geometry(), lists);
    QCOMPARE(controls(*form).infodirlist->geometry(), lists);
    QCOMPARE(controls(*form).delist->geometry(), lists);
    QCOMPARE(controls(*form).dirframe->geometry(), pane);
    QVERIFY(lists.bottom() > pane.bottom()); // reaching past the pane's bottom edge
    controls(*form).infolist->setView(RecordListView::Report);
    QCOMPARE(controls(*form).infolist->columnWidth(0), Units::px(Units::twips(lists.width()) - 280));
}

void TestLayout::shrinkingBelowTheMarginsKeepsTheLastLayout()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    auto form = MainWindowUser::start();
    form->resize(1000, 800);
    QApplication::processEvents();
    const QRect picture = controls(*form).Picture0->geometry();
    const QRect lists = controls(*form).infolist->geometry();
    // A pane lower than the list band: nothing gets a negative size.
    controls(*form).body->resize(controls(*form).body->width(), 5);
    controls(*form).Picture2->resize(controls(*form).Picture2->width(), 5);
    QApplication::processEvents();
    QCOMPARE(controls(*form).Picture0->geometry(), picture);
    QCOMPARE(controls(*form).infolist->geometry(), lists);
    QVERIFY(controls(*form).infolist->width() >= 0 && controls(*form).infolist->height() >= 0);
}

void TestLayout::mirroringTwiceChangesNothing()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    auto form = MainWindowUser::start();
    form->SetRightToLeft(controls(*form).infolist);
    form->SetRightToLeft(controls(*form).infolist);
    QCOMPARE(controls(*form).infolist->layoutDirection(), Qt::RightToLeft);
    QVERIFY(!controls(*form).infolist->isHidden());
}

void TestLayout::everyResizeAppliesTheTheme()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    auto form = MainWindowUser::start();
    SettingsStore::write(QStringLiteral("Mirz"), QStringLiteral("Theme"), QStringLiteral("Color"),
                         QStringLiteral("Green"));
    form->resize(form->width() + 10, form->height());
    QApplication::processEvents();
    QCOMPARE(controls(*form).statbar->colorScheme(), 1);
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
