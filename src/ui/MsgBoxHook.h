#pragma once

class QWidget;

// Wrap one message box so that its buttons carry Arabic captions: call SetMsgBoxHook just before
// the box and RemoveMsgBoxHook just after it. Showing the box ends the wrap by itself; removing
// it afterwards matters only when no box was shown.
void SetMsgBoxHook(QWidget* owner);
void RemoveMsgBoxHook();
