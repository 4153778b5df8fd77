#include "WindowTestFixture.h"

#include "AppLook.h"
#include "ModalDriver.h"
#include "SoundPlayer.h"

#include <QApplication>
#include <QtTest>

void WindowTestFixture::prepareApplication()
{
    AppLook::apply(*qApp);
    SoundPlayer::setBackend({[](const QString&) {}, [] {}});
}

void WindowTestFixture::openFixture()
{
    m_db = std::make_unique<TestDatabase>();
    m_boxes = std::make_unique<ScriptedMessageBox>();
    m_chooser = std::make_unique<ScriptedFileChooser>();
}

void WindowTestFixture::closeFixture()
{
    ModalDriver::closeAll();
    const int unanswered = ModalDriver::takeUnanswered();
    m_form.reset();
    m_chooser.reset();
    m_boxes.reset();
    m_db.reset();
    QVERIFY2(unanswered == 0, "a window the test waited for never came up");
}
