#pragma once

#include <QString>

// qavtelephone --search-provider: the desktop starts it when its search box first asks (the
// bus starts it by name), without a window. It reads the book with the program's standard key
// only: a protected book, a missing or unreadable one answers nothing. It ends when the window
// takes over the name, or after a while without questions.
class StandaloneSearch
{
public:
    // Serves until then; 0 when done, 1 with a one-line reason on standard error.
    static int run(const QString& bookPath, const QString& program);

    static constexpr int kIdleMinutes = 5;
};
