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

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>
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
    void everyCaptionFitsAndEveryContactShowsAtEverySize();
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

void TestLayout::everyCaptionFitsAndEveryContactShowsAtEverySize()
{
    TestDatabase db;
    ScriptedMessageBox boxes;
    const QString family = db.addDirectory(QStringLiteral("العائلة"));
    for (int i = 1; i <= 9; ++i)
        db.addContact(QStringLiteral("جهة اتصال رقم %1").arg(i), family);
    auto form = MainWindowUser::start();
    QVERIFY(MainWindowUser::clickDirectory(*form, QStringLiteral("العائلة")));
    form->openSelectedDirectory();
    for (const QSize size : {form->minimumSize(), QSize(1024, 768), QSize(1920, 1080)}) {
        form->resize(size);
        QApplication::processEvents();
        QCOMPARE(form->size(), size);
        const QByteArray where = QByteArray::number(size.width()) + 'x' + QByteArray::number(size.height()) + ": ";
        // A toolbar button as wide as its caption asks, inside the toolbar; a label as wide as its text.
        for (QToolButton* button : controls(*form).SkinToolBar1->findChildren<QToolButton*>()) {
            if (!button->isVisible() || button->text().isEmpty())
                continue;
            QVERIFY2(button->width() >= button->sizeHint().width(), where + button->text().toUtf8());
            QVERIFY2(button->parentWidget()->rect().contains(button->geometry()), where + button->text().toUtf8());
        }
        for (QLabel* label : form->findChildren<QLabel*>()) {
            if (!label->isVisible() || label->text().isEmpty() || label->wordWrap())
                continue;
            QVERIFY2(label->contentsRect().width() >= label->fontMetrics().horizontalAdvance(label->text()),
                     where + label->text().toUtf8());
            QVERIFY2(form->rect().contains(QRect(label->mapTo(form.get(), QPoint()), label->size())),
                     where + label->text().toUtf8());
        }
        // Every contact on screen in both views, the first at the right edge.
        for (const int view : {RecordListView::List, RecordListView::Report}) {
            controls(*form).infolist->setView(view);
            QApplication::processEvents();
            QAbstractItemView* list = controls(*form).infolist->activeView();
            const QRect shown = list->viewport()->rect();
            for (int row = 0; row < 9; ++row)
                QVERIFY2(shown.contains(list->visualRect(list->model()->index(row, 0))),
                         where + QByteArray::number(row) + " in view " + QByteArray::number(view));
            const QRect first = list->visualRect(list->model()->index(0, 0));
            QVERIFY2(shown.right() - first.right() <= 2, where + QByteArray::number(shown.right() - first.right()));
        }
        controls(*form).infolist->setView(RecordListView::List);
    }
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
