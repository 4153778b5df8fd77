#include "ScriptedFileChooser.h"

ScriptedFileChooser::ScriptedFileChooser()
{
    FileChooser::setPresenter([this](const FileChooserRequest& request) {
        m_asked << request;
        return m_answers.isEmpty() ? QString() : m_answers.takeFirst();
    });
}

ScriptedFileChooser::~ScriptedFileChooser()
{
    FileChooser::setPresenter({});
}
