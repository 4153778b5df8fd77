#pragma once

#include <QString>

#include <functional>

// Plays one wave file at a time, without waiting, and stops it. Tests replace the back end to
// hear what would have played.
class SoundPlayer
{
public:
    static void play(const QString& path);
    static void stop();

    struct Backend {
        std::function<void(const QString&)> play;
        std::function<void()> stop;
    };
    static void setBackend(Backend backend); // an empty backend restores the real one
};
