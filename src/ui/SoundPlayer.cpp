#include "SoundPlayer.h"

#include <QSoundEffect>
#include <QUrl>

namespace
{

SoundPlayer::Backend& backend()
{
    static SoundPlayer::Backend instance;
    return instance;
}

QSoundEffect*& effect()
{
    static QSoundEffect* instance = nullptr;
    return instance;
}

} // namespace

void SoundPlayer::play(const QString& path)
{
    if (backend().play) {
        backend().play(path);
        return;
    }
    if (!effect())
        effect() = new QSoundEffect();
    effect()->stop();
    effect()->setSource(QUrl::fromLocalFile(path));
    effect()->setLoopCount(1);
    effect()->play();
}

void SoundPlayer::stop()
{
    if (backend().stop) {
        backend().stop();
        return;
    }
    if (effect())
        effect()->stop();
}

void SoundPlayer::setBackend(Backend b)
{
    backend() = std::move(b);
}
