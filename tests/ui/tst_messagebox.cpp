// The real message box: Arabic captions only on the one wrapped box, right-to-left reading,
// captions clear of their buttons' edges.
#include "AppLook.h"
#include "IconButtonStyle.h"
#include "MessageBox.h"
#include "ModalDriver.h"
#include "MsgBoxHook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <QtTest>

class TestMessageBox : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void wrappedBoxShowsArabicCaptionsAndTheNextDoesNot();
    void okCancelBoxGetsOnlyItsTwoCaptions();
    void removingAnUnusedWrapLeavesNothingBehind();
    void captionsBesideIconsStayClearOfTheEdges();

private:
    // Shows a real box, reads its buttons and direction, and presses the button at index.
    struct Seen {
        QStringList captions;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        int answer = 0;
    };
    Seen showAndPress(const QString& text, int flags, int pressIndex);
};

// Desktops that give dialog buttons pictures (the style's hint) put one beside every caption;
// the off-screen platform gives none by itself.
class PicturedButtons : public IconButtonStyle
{
public:
    using IconButtonStyle::IconButtonStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override
    {
        return hint == SH_DialogButtonBox_ButtonsHaveIcons ? 1
                                                           : IconButtonStyle::styleHint(hint, option, widget, returned);
    }
    QIcon standardIcon(StandardPixmap picture, const QStyleOption* option, const QWidget* widget) const override
    {
        const bool dialogButton = picture >= SP_DialogOkButton && picture <= SP_DialogNoButton;
        return IconButtonStyle::standardIcon(dialogButton ? SP_DialogApplyButton : picture, option, widget);
    }
};

void TestMessageBox::initTestCase()
{
    AppLook::apply(*qApp);
    QVERIFY(dynamic_cast<IconButtonStyle*>(QApplication::style()));
    // The unwrapped box below reads in the platform's own direction.
    QApplication::setLayoutDirection(Qt::LeftToRight);
}

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

namespace
{

// How far the caption's or icon's ink stays from the button's left and right frame, in pixels:
// a column has ink where it differs clearly from the colour most of its row has.
std::pair<int, int> inkMargins(const QImage& image)
{
    int left = image.width(), right = image.width();
    for (int y = image.height() / 4; y < image.height() * 3 / 4; ++y) {
        QHash<QRgb, int> counts;
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y)];
        const QRgb background = std::max_element(counts.begin(), counts.end()).key();
        const auto ink = [&](int x) {
            const QRgb c = image.pixel(x, y);
            return std::abs(qGray(c) - qGray(background)) > 60;
        };
        // The frame is the first and last two columns.
        for (int x = 2; x < image.width() - 2; ++x)
            if (ink(x)) {
                left = std::min(left, x - 2);
                break;
            }
        for (int x = image.width() - 3; x >= 2; --x)
            if (ink(x)) {
                right = std::min(right, image.width() - 3 - x);
                break;
            }
    }
    return {left, right};
}

} // namespace

void TestMessageBox::captionsBesideIconsStayClearOfTheEdges()
{
    QApplication::setStyle(new PicturedButtons(QStyleFactory::create(QStringLiteral("Fusion"))));
    // As the program runs: the whole application right to left.
    QApplication::setLayoutDirection(Qt::RightToLeft);
    for (const int buttons : {int(MessageBox::YesNo), int(MessageBox::OkOnly), int(MessageBox::YesNoCancel)}) {
        ModalDriver::whenModal([](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            for (QAbstractButton* button : box->buttons()) {
                QVERIFY(!button->icon().isNull());
                const auto [left, right] = inkMargins(button->grab().toImage());
                QVERIFY2(left >= 6 && right >= 6,
                         qPrintable(QStringLiteral("%1: %2 / %3 px").arg(button->text()).arg(left).arg(right)));
            }
            box->buttons().first()->click();
        });
        SetMsgBoxHook(nullptr);
        MessageBox::show(QStringLiteral("هل تريد حذف هذا البيان؟"), MessageBox::Arabic | MessageBox::Question | buttons,
                         QStringLiteral("انتبه"));
        RemoveMsgBoxHook();
    }
    QApplication::setLayoutDirection(Qt::LeftToRight);
}

QTEST_MAIN(TestMessageBox)
#include "tst_messagebox.moc"
