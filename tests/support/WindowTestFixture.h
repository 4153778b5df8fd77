#pragma once

#include "MainForm.h"
#include "ScriptedFileChooser.h"
#include "ScriptedMessageBox.h"
#include "TestDatabase.h"

#include <memory>

// What the window tests share. For the whole run: the program's look and a silent sound player.
// For each test: a database of its own, message boxes and file choosers answered by script, and
// the main window once the test starts it. A test class derives from it and calls the three
// steps from its initTestCase, init and cleanup slots.
class WindowTestFixture
{
protected:
    static void prepareApplication();
    void openFixture();
    void closeFixture();

    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<ScriptedMessageBox> m_boxes;
    std::unique_ptr<ScriptedFileChooser> m_chooser;
    std::unique_ptr<MainForm> m_form;
};
