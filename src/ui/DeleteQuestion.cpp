#include "DeleteQuestion.h"

#include "MessageBox.h"
#include "MsgBoxHook.h"

bool DeleteQuestion::confirmed(QWidget* owner, const QString& question)
{
    SetMsgBoxHook(owner);
    const int answer = MessageBox::show(question, MessageBox::Arabic | MessageBox::Exclamation | MessageBox::YesNo,
                                        QStringLiteral("تأكيد حذف"));
    RemoveMsgBoxHook();
    return answer == MessageBox::Yes;
}
