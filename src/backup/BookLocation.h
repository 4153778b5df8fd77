#pragma once

class SkinLabel;

// Says in the backup and restore windows where the telephone book lives: beside the program, or
// for an installed program in the user's data folder.
class BookLocation
{
public:
    // Writes the place into a line of the window; a long path is shortened in its middle and
    // shown whole as the line's tooltip.
    static void describe(SkinLabel* line);
};
