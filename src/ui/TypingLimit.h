#pragma once

#include <QString>

class QLineEdit;

// A text box's length limit that holds for what the user types, pastes or drops, never for what
// the program loads: a stored value longer than the limit is shown and saved whole, and can only
// shrink until it fits the limit again.
class TypingLimit
{
public:
    static void install(QLineEdit* box, int limit);
    // Shows a stored value whole, however long it is.
    static void load(QLineEdit* box, const QString& value);
    static int limitOf(const QLineEdit* box);
};
