#pragma once

#include <QString>

// The one way the program puts text on the clipboard. It remembers what it put there, so the
// lock takes away a copied number without touching what the user copied elsewhere since.
class ProgramClipboard
{
public:
    static void setText(const QString& text);
    // Empties the clipboard if it still holds the program's text; forgets the text either way.
    static void clearIfStillOurs();
};
