#pragma once

#include <QString>

// Folds text the way an Arabic reader compares it: alef forms, alef maqsura and teh marbuta
// read as their plain letters, short vowels and tatweel vanish, Arabic-Indic digits become
// 0-9, and Latin letters lose case and accents. Searching and sorting both go through it.
class TextFold
{
public:
    static QString fold(const QString& text);
};
