#include "publish/AtomicWrite_p.h"

#include <QFile>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace leafcraft::detail {

namespace {

bool writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        left -= n;
    }
    return true;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& bytes)
{
    static std::atomic<unsigned> counter{0};
    const QByteArray target = QFile::encodeName(path);
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".new-" + QByteArray::number(qint64(::getpid())) + '-' + QByteArray::number(counter.fetch_add(1));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    if (::close(fd) == 0 && written && std::rename(temp.constData(), target.constData()) == 0)
        return true;
    ::unlink(temp.constData());
    return false;
}

bool writeNewFile(const QString& path, const QByteArray& bytes)
{
    const QByteArray target = QFile::encodeName(path);
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    if (::close(fd) == 0 && written)
        return true;
    ::unlink(target.constData());
    return false;
}

} // namespace leafcraft::detail
