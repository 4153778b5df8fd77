#pragma once

// Large blocks (a directory's names and ids, a field's texts) are taken from the system and given
// back to it when freed. By default the C library keeps a freed large block in its heap for
// reuse, so memory held for a moment (mending an order after another program's write) would stay
// the program's for the rest of the session and add to whatever it holds next.
class HeapTuning
{
public:
    // Once, before the book is opened.
    static void apply();
};
