// The real message box: Arabic captions only on the one wrapped box, right-to-left reading.
#include "MessageBox.h"
#include "ModalDriver.h"
#include "MsgBoxHook.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT
private slots:
    void wrappedBoxShowsArabicCaptionsAndTheNextDoesNot();
    void okCancelBoxGetsOnlyItsTwoCaptions();
    void removingAnUnusedWrapLeavesNothingBehind();

private:
    // Shows a real box, reads its buttons and direction, and presses the button at index.
    struct Seen {
        QStringList captions;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        int answer = 0;
    };
    Seen showAndPress(const QString& text, int flags, int pressIndex);
};

TestMessageBox::Seen TestMessageBox::showAndPress(const QString& text, int flags, int pressIndex)
{
    Seen seen;
    ModalDriver::whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box);
        const QList<QAbstractButton*> buttons = box->buttons();
        for (QAbstractButton* button : buttons)
            seen.captions << button->text().remove(QLatin1Char('&'));
        seen.direction = box->layoutDirection();
        buttons.at(pressIndex)->click();
    });
    seen.answer = MessageBox::show(text, flags, QStringLiteral("انتبه"));
    return seen;
}

void TestMessageBox::wrappedBoxShowsArabicCaptionsAndTheNextDoesNot()
{
    SetMsgBoxHook(nullptr);
    const Seen wrapped = showAndPress(QStringLiteral("هل تريد؟"),
                                      int(MessageBox::Arabic | MessageBox::Exclamation | MessageBox::YesNo), 1);
    RemoveMsgBoxHook();
    QVERIFY(wrapped.captions.contains(QStringLiteral("نعم")));
    QVERIFY(wrapped.captions.contains(QStringLiteral("لا")));
    QCOMPARE(wrapped.direction, Qt::RightToLeft);
    QVERIFY(wrapped.answer == MessageBox::Yes || wrapped.answer == MessageBox::No);

    const Seen plain = showAndPress(QStringLiteral("رسالة"), int(MessageBox::RtlReading | MessageBox::Information), 0);
    QCOMPARE(plain.captions.size(), 1);
    QVERIFY(plain.captions.first() != QStringLiteral("موافق"));
    QCOMPARE(plain.answer, int(MessageBox::OK));
}

void TestMessageBox::okCancelBoxGetsOnlyItsTwoCaptions()
{
    SetMsgBoxHook(nullptr);
    const Seen seen = showAndPress(QStringLiteral("؟"), int(MessageBox::RtlReading | MessageBox::OkCancel), 0);
    RemoveMsgBoxHook();
    QCOMPARE(seen.captions.size(), 2);
    QVERIFY(seen.captions.contains(QStringLiteral("موافق")));
    QVERIFY(seen.captions.contains(QStringLiteral("إلغاء الأمر")));
}

void TestMessageBox::removingAnUnusedWrapLeavesNothingBehind()
{
    SetMsgBoxHook(nullptr);
    RemoveMsgBoxHook();
    const Seen seen = showAndPress(QStringLiteral("x"), 0, 0);
    QVERIFY(!seen.captions.contains(QStringLiteral("موافق")));
    QCOMPARE(seen.direction, Qt::LeftToRight);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
