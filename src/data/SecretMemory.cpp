#include "SecretMemory.h"

#include <sys/prctl.h>
#include <sys/resource.h>

#include <algorithm>

void SecretMemory::wipe(QString& text)
{
    if (!text.isDetached()) {
        text.clear();
        return;
    }
    // Through a volatile pointer, so the stores are not dropped as dead.
    volatile char16_t* characters = reinterpret_cast<char16_t*>(text.data());
    for (qsizetype i = 0; i < text.size(); ++i)
        characters[i] = 0;
    text.clear();
}

void SecretMemory::wipe(QByteArray& bytes)
{
    if (!bytes.isDetached()) {
        bytes.clear();
        return;
    }
    volatile char* characters = bytes.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        characters[i] = 0;
    bytes.clear();
}

void SecretMemory::guardProcess(bool on)
{
    static bool guarded = false;
    static bool lowered = false;
    static rlimit before{};
    if (on == guarded)
        return;
    if (on) {
        // Only the soft limit: the hard one, once lowered, could not be raised again.
        lowered = getrlimit(RLIMIT_CORE, &before) == 0;
        if (lowered) {
            rlimit none = before;
            none.rlim_cur = 0;
            lowered = setrlimit(RLIMIT_CORE, &none) == 0;
        }
        (void)prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    } else {
        if (lowered)
            (void)setrlimit(RLIMIT_CORE, &before);
        (void)prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
    }
    guarded = on;
}
