#include "MsgBoxHook.h"

#include "MessageBox.h"

void SetMsgBoxHook(QWidget*)
{
    MessageBox::armArabicCaptions(true);
}

void RemoveMsgBoxHook()
{
    MessageBox::armArabicCaptions(false);
}
