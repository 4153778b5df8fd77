#pragma once

#include <QByteArray>
#include <QString>

// What the process does with a secret it holds: the master password and server passwords are
// overwritten before their memory is given back, and while a master password is held no core
// dump is written (it would carry the password and every contact to disk, readable later).
class SecretMemory
{
public:
    // Overwrites text's characters where they lie when text is their only holder (a copy that
    // shares them keeps them: the caller wipes each holder), then empties it.
    static void wipe(QString& text);
    static void wipe(QByteArray& bytes);

    // On: no core dump of this process and no attaching by others of the same user (the kernel's
    // "dumpable" flag); off: as the process started. A crash then leaves no dump to debug from.
    static void guardProcess(bool on);
};
