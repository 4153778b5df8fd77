#pragma once

#include "SmallDialog.h"

#include <functional>
#include <optional>

class MainForm;

// The restore window ("update"): puts a chosen ZK-Data.bak in place of the database, after
// checking that it really is a readable telephone book, and reconnects the main window.
class UpdateWindow : public SmallDialog
{
    Q_OBJECT
public:
    explicit UpdateWindow(MainForm& main);

    SkinTextBox* txtFileName;
    SkinButton* command3; // browse
    SkinButton* command4; // restore

    // Tests stop the work between copy and rename through this (return false).
    std::function<bool()> beforeRename;

    void browse();
    void restore();

private:
    void fail(const QString& reason);
    bool reconnect();
    // The key the chosen backup opens with; none when the user gave up at its password.
    std::optional<QString> backupKey(const QString& source);
    void endWithoutDatabase();
    MainForm& m_main;
};
