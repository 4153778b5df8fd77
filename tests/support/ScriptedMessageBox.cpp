#include "ScriptedMessageBox.h"

ScriptedMessageBox::ScriptedMessageBox()
{
    MessageBox::setPresenter([this](const MessageBoxRequest& request) {
        m_shown << request;
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        switch (request.flags & 0x7) {
        case MessageBox::AbortRetryIgnore:
            return int(MessageBox::Abort);
        case MessageBox::YesNoCancel:
        case MessageBox::YesNo:
            return int(MessageBox::Yes);
        case MessageBox::RetryCancel:
            return int(MessageBox::Retry);
        default:
            return int(MessageBox::OK);
        }
    });
}

ScriptedMessageBox::~ScriptedMessageBox()
{
    MessageBox::setPresenter({});
}
