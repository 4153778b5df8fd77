#pragma once

#include <QString>

#include <string>

// Folds text the way an Arabic reader compares it: alef forms, alef maqsura and teh marbuta
// read as their plain letters, short vowels and tatweel vanish, Arabic-Indic digits become
// 0-9, and Latin letters lose case and accents. Searching and sorting both go through it.
class TextFold
{
public:
    static QString fold(const QString& text);

    // The same fold on UTF-8 bytes for text of ASCII and Arabic letters only; returns false,
    // leaving out unspecified, for anything else (the caller then uses fold()).
    static bool foldUtf8(const unsigned char* text, int size, std::string& out);
    // UTF-8 in, folded UTF-8 out: the byte fold where it can, else fold(). Searches in the
    // database and over names in memory both fold through here, so they find the same rows.
    static void foldAnyUtf8(const char* text, int size, std::string& out);
};
