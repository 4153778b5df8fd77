#include "MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace
{

MessageBox::Presenter& presenter()
{
    static MessageBox::Presenter instance;
    return instance;
}

bool& armed()
{
    static bool value = false;
    return value;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    int answer;
};

std::vector<ButtonSpec> buttonsFor(int flags)
{
    switch (flags & 0x7) {
    case MessageBox::OkCancel:
        return {{QMessageBox::Ok, MessageBox::OK}, {QMessageBox::Cancel, MessageBox::Cancel}};
    case MessageBox::AbortRetryIgnore:
        return {{QMessageBox::Abort, MessageBox::Abort},
                {QMessageBox::Retry, MessageBox::Retry},
                {QMessageBox::Ignore, MessageBox::Ignore}};
    case MessageBox::YesNoCancel:
        return {{QMessageBox::Yes, MessageBox::Yes},
                {QMessageBox::No, MessageBox::No},
                {QMessageBox::Cancel, MessageBox::Cancel}};
    case MessageBox::YesNo:
        return {{QMessageBox::Yes, MessageBox::Yes}, {QMessageBox::No, MessageBox::No}};
    case MessageBox::RetryCancel:
        return {{QMessageBox::Retry, MessageBox::Retry}, {QMessageBox::Cancel, MessageBox::Cancel}};
    default:
        return {{QMessageBox::Ok, MessageBox::OK}};
    }
}

QMessageBox::Icon iconFor(int flags)
{
    switch (flags & 0x70) {
    case MessageBox::Critical:
        return QMessageBox::Critical;
    case MessageBox::Question:
        return QMessageBox::Question;
    case MessageBox::Exclamation:
        return QMessageBox::Warning;
    case MessageBox::Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

int MessageBox::show(const QString& text, int flags, const QString& title)
{
    MessageBoxRequest request{text, title, flags, armed()};
    // Like a hook that removes itself once its box is up: only this one box is wrapped.
    armed() = false;
    if (presenter())
        return presenter()(request);
    return presentWithQt(request);
}

void MessageBox::setPresenter(Presenter p)
{
    presenter() = std::move(p);
}

QString MessageBox::arabicCaption(int answer)
{
    switch (answer) {
    case OK:
        return QStringLiteral("موافق");
    case Cancel:
        return QStringLiteral("إلغاء الأمر");
    case Abort:
        return QStringLiteral("إحباط");
    case Retry:
        return QStringLiteral("إعادة المحاولة");
    case Ignore:
        return QStringLiteral("تجاهل");
    case Yes:
        return QStringLiteral("نعم");
    case No:
        return QStringLiteral("لا");
    default:
        return QString();
    }
}

void MessageBox::armArabicCaptions(bool on)
{
    armed() = on;
}

bool MessageBox::arabicCaptionsArmed()
{
    return armed();
}

int MessageBox::presentWithQt(const MessageBoxRequest& request)
{
    QMessageBox box(iconFor(request.flags), request.title, request.text);
    box.setTextFormat(Qt::PlainText);
    if (request.flags & RtlReading)
        box.setLayoutDirection(Qt::RightToLeft);
    const std::vector<ButtonSpec> buttons = buttonsFor(request.flags);
    std::vector<std::pair<QAbstractButton*, int>> answers;
    for (const ButtonSpec& choice : buttons) {
        QAbstractButton* button = box.addButton(choice.button);
        if (request.arabicCaptions)
            button->setText(arabicCaption(choice.answer));
        answers.emplace_back(button, choice.answer);
    }
    const size_t defaultIndex = (request.flags & DefaultButton3) ? 2 : (request.flags & DefaultButton2) ? 1 : 0;
    if (defaultIndex < answers.size())
        box.setDefaultButton(qobject_cast<QPushButton*>(answers[defaultIndex].first));
    if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        // Right-aligned text reads against the right edge whatever the layout direction.
        label->setAlignment((request.flags & RightAligned) ? (Qt::AlignRight | Qt::AlignAbsolute | Qt::AlignVCenter)
                                                           : (Qt::AlignLeading | Qt::AlignVCenter));
    }
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, answer] : answers)
        if (button == clicked)
            return answer;
    // Closed with Escape or the close box: the cancel-like answer, or the only button.
    for (const auto& [button, answer] : answers)
        if (answer == Cancel || answer == No)
            return answer;
    return answers.front().second;
}
