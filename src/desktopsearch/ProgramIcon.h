#pragma once

// The icon the desktop shows beside the program's results, by its installed name.
struct ProgramIcon {
    static constexpr char kName[] = "org.qav.telephone";
};
