#include "support/SaveFile.h"

#include "support/Error.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace leafcraft {

namespace {

// Writes all of `bytes` to `fd`; returns 0 or the system error. A write that makes no progress
// without an error (which the system does not promise never happens) counts as a full disk.
int writeAll(int fd, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            return ENOSPC;
        data += n;
        left -= n;
    }
    return 0;
}

// Writes the content into an open file and returns 0 or the system error.
using Content = std::function<int(int fd)>;

// Copies everything `source` holds to `fd`; returns 0 or the system error.
int copyAll(int source, int fd)
{
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(source, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : 0;
        if (const int error = writeAll(fd, QByteArray::fromRawData(buffer, qsizetype(n))))
            return error;
    }
}

// Writes, syncs when asked, and closes `fd`, which is closed whatever happens; returns 0 or
// the first system error. Close is checked too: on network and some local file systems it is
// where a full disk shows.
int finishFile(int fd, const Content& content, bool sync)
{
    int error = content(fd);
    if (error == 0 && sync && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0 && errno != EINTR)
        error = errno;
    return error;
}

void syncFolderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

QString createNew(const QByteArray& target, const Content& bytes, bool sync)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return writeProblemText(errno);
    const int error = finishFile(fd, bytes, sync);
    if (error == 0)
        return QString();
    ::unlink(target.constData());
    return writeProblemText(error);
}

QString replace(const QByteArray& target, const Content& bytes, bool sync)
{
    static std::atomic<unsigned> counter{0};
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".new-" + QByteArray::number(qint64(::getpid())) + '-'
            + QByteArray::number(counter.fetch_add(1));
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0 && errno != EEXIST)
            return writeProblemText(errno);
    }
    if (fd < 0)
        return writeProblemText(EEXIST);
    // A file being replaced keeps its permissions (a private 0600 file stays private) and,
    // when we may give it, its owner.
    struct stat old {};
    if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd, old.st_mode & 07777);
        if (::geteuid() == 0)
            (void)::fchown(fd, old.st_uid, old.st_gid);
    }
    int error = finishFile(fd, bytes, sync);
    if (error == 0 && std::rename(temp.constData(), target.constData()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.constData());
        return writeProblemText(error);
    }
    if (sync)
        syncFolderOf(target);
    return QString();
}

QString saveContent(const QString& path, const Content& content, SaveOptions options)
{
    if (path.isEmpty())
        return writeProblemText(ENOENT);
    const QByteArray target = QFile::encodeName(path);
    return options.createOnly ? createNew(target, content, options.sync) : replace(target, content, options.sync);
}

} // namespace

QString writeProblemText(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("the disk is full");
    case EROFS: return QStringLiteral("the disk is read-only");
    case EACCES:
    case EPERM: return QStringLiteral("permission denied");
    case EEXIST: return QStringLiteral("something is there already");
    case ENOENT: return QStringLiteral("the folder does not exist");
    case EISDIR: return QStringLiteral("a folder is there");
    default: return QString::fromLocal8Bit(std::strerror(error));
    }
}

QString trySaveFile(const QString& path, const QByteArray& bytes, SaveOptions options)
{
    return saveContent(path, [&bytes](int fd) { return writeAll(fd, bytes); }, options);
}

QString tryCopyFile(const QString& from, const QString& path, SaveOptions options)
{
    const int source = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    QString problem;
    if (source < 0 || ::fstat(source, &st) != 0)
        problem = QStringLiteral("cannot read %1: %2").arg(from, QString::fromLocal8Bit(std::strerror(errno)));
    else if (!S_ISREG(st.st_mode))
        problem = QStringLiteral("cannot read %1: not a regular file").arg(from);
    else
        problem = saveContent(path, [source](int fd) { return copyAll(source, fd); }, options);
    if (source >= 0)
        ::close(source);
    return problem;
}

void saveFile(const QString& path, const QByteArray& bytes, const QString& what, SaveOptions options)
{
    const QString problem = trySaveFile(path, bytes, options);
    if (!problem.isNull())
        throw Error(ErrorKind::Output, QStringLiteral("cannot write %1: %2").arg(what, problem), path);
}

} // namespace leafcraft
