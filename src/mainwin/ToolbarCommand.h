#pragma once

// The main toolbar's commands, each by its position on the toolbar, where buttons and the
// separators between them are counted alike from 1. This is the one place those numbers live.
enum class ToolbarCommand {
    Back = 1,
    Add = 3,
    Edit = 5,
    Delete = 7,
    SearchOptions = 9,
    View = 11,
    Tools = 13,
    Themes = 15,
    Print = 17,
    About = 19,
    Office = 21,
    Undo = 23,
    SearchBook = 25,
};

constexpr int toolbarPosition(ToolbarCommand command)
{
    return static_cast<int>(command);
}
