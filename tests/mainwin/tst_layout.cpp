// The main window keeps its panes in place at every size.
#include "AppLook.h"
#include "MainForm.h"
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
    const QRect body = form->body->rect();
    QCOMPARE(form->Picture0->geometry(),
             QRect(Units::px(160), Units::px(120), body.width() - Units::px(320), body.height() - Units::px(140)));
    QCOMPARE(form->Picture2->width(), form->StatusBar->width());
    const QRect pane = form->Picture2->rect();
    const QRect lists(0, Units::px(370), pane.width(), pane.height() - Units::px(350));
    QCOMPARE(form->infolist->geometry(), lists);
    QCOMPARE(form->infodirlist->geometry(), lists);
    QCOMPARE(form->delist->geometry(), lists);
    QCOMPARE(form->dirframe->geometry(), pane);
    QVERIFY(lists.bottom() > pane.bottom()); // reaching past the pane's bottom edge
    form->infolist->setView(RecordListView::Report);
    QCOMPARE(form->infolist->columnWidth(0), Units::px(Units::twips(lists.width()) - 280));
}

void TestLayout::shrinkingBelowTheMarginsKeepsTheLastLayout()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    auto form = MainWindowUser::start();
    form->resize(1000, 800);
    QApplication::processEvents();
    const QRect picture = form->Picture0->geometry();
    const QRect lists = form->infolist->geometry();
    // A pane lower than the list band: nothing gets a negative size.
    form->body->resize(form->body->width(), 5);
    form->Picture2->resize(form->Picture2->width(), 5);
    QApplication::processEvents();
    QCOMPARE(form->Picture0->geometry(), picture);
    QCOMPARE(form->infolist->geometry(), lists);
    QVERIFY(form->infolist->width() >= 0 && form->infolist->height() >= 0);
}

void TestLayout::mirroringTwiceChangesNothing()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    auto form = MainWindowUser::start();
    form->SetRightToLeft(form->infolist);
    form->SetRightToLeft(form->infolist);
    QCOMPARE(form->infolist->layoutDirection(), Qt::RightToLeft);
    QVERIFY(!form->infolist->isHidden());
}

void TestLayout::everyResizeAppliesTheTheme()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    auto form = MainWindowUser::start();
    SettingsStore::write(QStringLiteral("Mirz"), QStringLiteral("Theme"), QStringLiteral("Color"), QStringLiteral("Green"));
    form->resize(form->width() + 10, form->height());
    QApplication::processEvents();
    QCOMPARE(form->statbar->colorScheme(), 1);
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
