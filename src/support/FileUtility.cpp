#include "support/FileUtility.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "support/ScratchFolders.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <cerrno>
#include <optional>
#include <QSet>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace leafcraft {

namespace {

// Random names tried before giving up; collisions are rare, so this only ends a loop on a
// folder that cannot be written at all.
constexpr int kTmpAttempts = 64;

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

void collectFolders(const QString& dirPath, const QString& listedPath, QStringList& out)
{
    QDir dir(dirPath);
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                                    QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink())
            continue;
        const QString listed = listedPath + QLatin1Char('/') + entry.fileName();
        out.append(listed);
        collectFolders(entry.filePath(), listed, out);
    }
}

} // namespace

void FileUtility::removeStaleTempFolders(const QString& name)
{
    const QString root = withoutTrailingSlash(Platform::current().paths().tempRoot());
    const QStringList entries = QDir(root).entryList({name + QStringLiteral("-????????")},
                                                     QDir::Dirs | QDir::NoSymLinks | QDir::Hidden);
    for (const QString& entry : entries) {
        const QString folder = root + QLatin1Char('/') + entry;
        const QByteArray path = QFile::encodeName(folder);
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st {};
        // Ours alone, and its owner lock free: the process that made it has gone. A folder
        // still empty may be one whose maker is about to lock it.
        const bool stale = ::fstat(fd, &st) == 0 && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0 &&
                           ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                           !QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        ::close(fd);
        if (stale) {
            LC_INFO(QStringLiteral("removing the work folder of a run that ended without it: %1").arg(folder));
            std::error_code ec;
            std::filesystem::remove_all(std::filesystem::path(folder.toStdU16String()), ec);
        }
    }
}

QString FileUtility::makePrivateTempFolder(const QString& name)
{
    // No shared parent folder: another user's folder of the same name cannot block us, and
    // nobody else can enter ours.
    const QString root = withoutTrailingSlash(Platform::current().paths().tempRoot());
    {
        // Once a process and name: runs KILLed before they could remove theirs.
        static std::mutex mutex;
        static QSet<QString> cleared;
        std::lock_guard lock(mutex);
        if (!cleared.contains(name)) {
            cleared.insert(name);
            removeStaleTempFolders(name);
        }
    }
    QString candidate;
    for (int attempt = 0; attempt < kTmpAttempts; ++attempt) {
        candidate = root + QLatin1Char('/') + name + QLatin1Char('-') + Platform::current().random().randomName(8);
        // mkdir fails when the name is taken (by anyone, even by a link): try another one.
        const QByteArray path = QFile::encodeName(candidate);
        if (::mkdir(path.constData(), 0700) == 0) {
            // The owner lock: held until the folder is forgotten or the process ends.
            const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (fd >= 0)
                ::flock(fd, LOCK_EX | LOCK_NB);
            scratch::add(candidate, fd);
            return candidate;
        }
        if (errno != EEXIST)
            break;
    }
    return candidate;
}

QStringList FileUtility::subfolders(const QString& folder)
{
    QStringList out;
    if (folder.isEmpty())
        return out;
    const QString base = withoutTrailingSlash(folder);
    if (QFileInfo(base).isDir())
        collectFolders(base, base == QLatin1String("/") ? QString() : base, out);
    return out;
}

QString FileUtility::userAppSupportFolder()
{
    const QString support = Platform::current().paths().userAppSupportDir();
    if (!support.isEmpty())
        return support;
    static const QString fallback = makePrivateTempFolder(QStringLiteral("leafcraft-support"));
    return fallback;
}

} // namespace leafcraft
