#pragma once

#include <QString>

#include <functional>

class QWidget;

// What a message box is asked to show. The flags are numbers other code may store: buttons in
// the low bits (0 OK, 1 OK/Cancel, 2 Abort/Retry/Ignore, 3 Yes/No/Cancel, 4 Yes/No,
// 5 Retry/Cancel), the icon (0x10 stop, 0x20 question, 0x30 exclamation, 0x40 information),
// the default button (0x100 second, 0x200 third), 0x80000 right-aligned text and 0x100000
// right-to-left reading.
struct MessageBoxRequest {
    QString text;
    QString title;
    int flags = 0;
    bool arabicCaptions = false; // the box was wrapped by SetMsgBoxHook
};

// Every message box of the program goes through here, so a test can answer in advance and read
// back what the user would have seen.
class MessageBox
{
public:
    enum Answer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };
    enum Flag {
        OkOnly = 0,
        OkCancel = 1,
        AbortRetryIgnore = 2,
        YesNoCancel = 3,
        YesNo = 4,
        RetryCancel = 5,
        Critical = 0x10,
        Question = 0x20,
        Exclamation = 0x30,
        Information = 0x40,
        DefaultButton2 = 0x100,
        DefaultButton3 = 0x200,
        RightAligned = 0x80000,
        RtlReading = 0x100000,
        Arabic = RightAligned | RtlReading // an Arabic text: right-aligned, read right to left
    };

    // Shows the box and returns the button pressed.
    static int show(const QString& text, int flags, const QString& title);

    using Presenter = std::function<int(const MessageBoxRequest&)>;
    // Replaces the presenter (tests); an empty function restores the real Qt box.
    static void setPresenter(Presenter presenter);

    // The Arabic caption of a standard button (1 OK ... 7 No), as wrapped boxes show them.
    static QString arabicCaption(int answer);

    // Wrapping: the next box shown gets Arabic button captions; showing it ends the wrap.
    static void armArabicCaptions(bool armed);
    static bool arabicCaptionsArmed();

    // The real box, built from a request (used by the production presenter; tests inspect it).
    static int presentWithQt(const MessageBoxRequest& request);
};
