#pragma once

class MainForm;

// Moves what an earlier import wrote into the notes of the chosen contacts ("موبايل: …",
// "بريد الكترونى: …") to each contact's more values, after one question, in one transaction,
// undone as one step. Nothing else in the notes is touched.
class NoteValuesMove
{
public:
    static void install(MainForm& form);
    static void move(MainForm& form);
};
