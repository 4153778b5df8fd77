#include "BoundedFileRead.h"

#include "FailureText.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// Closes the descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

QString systemError()
{
    return FailureText::ofSystem(errno);
}

} // namespace

BoundedFileRead::Result BoundedFileRead::read(const QString& path, qint64 limit)
{
    Result result;
    // Without blocking: opening a pipe nobody writes to would otherwise wait for ever.
    const Descriptor file{::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0) {
        result.error = systemError();
        return result;
    }
    struct stat opened {
    };
    if (::fstat(file.fd, &opened) != 0) {
        result.error = systemError();
        return result;
    }
    result.mode = opened.st_mode & 07777;
    if (!S_ISREG(opened.st_mode)) {
        result.outcome = Outcome::NotRegular;
        return result;
    }
    if (opened.st_size > limit) {
        result.outcome = Outcome::TooLarge;
        return result;
    }
    // One byte past the limit tells a file that grew since fstat from one that fits exactly.
    QByteArray bytes(qsizetype(opened.st_size) + 1, '\0');
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > limit)
                break;
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, qsizetype(limit) + 1));
        }
        const ssize_t got = ::read(file.fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            result.error = systemError();
            return result;
        }
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > limit) {
        result.outcome = Outcome::TooLarge;
        return result;
    }
    bytes.truncate(filled);
    result.bytes = std::move(bytes);
    result.outcome = Outcome::Read;
    return result;
}
