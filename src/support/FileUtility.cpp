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

// Decodes a trust file. nullopt when the bytes are not text in a supported encoding.
std::optional<QString> decodeTrustFile(const QByteArray& bytes)
{
    auto decodeWith = [](QStringDecoder::Encoding encoding, QByteArrayView view) -> std::optional<QString> {
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(view);
        if (decoder.hasError())
            return std::nullopt;
        return text;
    };
    const QByteArrayView view(bytes);
    if (view.startsWith("\xFF\xFE"))
        return decodeWith(QStringDecoder::Utf16LE, view.sliced(2));
    if (view.startsWith("\xFE\xFF"))
        return decodeWith(QStringDecoder::Utf16BE, view.sliced(2));
    if (view.startsWith("\xEF\xBB\xBF"))
        return decodeWith(QStringDecoder::Utf8, view.sliced(3));
    if (!view.contains('\0'))
        return decodeWith(QStringDecoder::Utf8, view);
    // UTF-16 without a mark: paths are mostly ASCII, so the zero bytes tell the order.
    if (view.size() % 2 != 0)
        return std::nullopt;
    qsizetype zeroAtOdd = 0, zeroAtEven = 0;
    for (qsizetype i = 0; i < view.size(); ++i) {
        if (view[i] == '\0')
            ++(i % 2 ? zeroAtOdd : zeroAtEven);
    }
    return decodeWith(zeroAtOdd >= zeroAtEven ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE, view);
}

QByteArray encodeTrustFile(const QString& text)
{
    QByteArray out("\xFF\xFE", 2);
    out.reserve(2 + text.size() * 2);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        out.append(char(u & 0xFF));
        out.append(char(u >> 8));
    }
    return out;
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

void FileUtility::trustFolderForFlashPlayer(const QString& folder)
{
    QString support = withoutTrailingSlash(Platform::current().paths().localAppSupportDir());
    if (support.isEmpty())
        support = QStringLiteral("/usr/local/share");
    QDir().mkpath(support + QLatin1String("/Macromedia/FlashPlayerTrust"));
    const QString trustFile = support + QLatin1String("/Macromedia/FlashPlayerTrust/PT.cfg");
    LC_DEBUG(QStringLiteral("trust folder is:%1").arg(trustFile));

    QString content;
    QFile existing(trustFile);
    if (existing.exists()) {
        if (!existing.open(QIODevice::ReadOnly)) {
            LC_DEBUG(QStringLiteral("trust file cannot be read: %1").arg(trustFile));
            return;
        }
        const std::optional<QString> old = decodeTrustFile(existing.readAll());
        existing.close();
        if (!old) {
            LC_DEBUG(QStringLiteral("trust file is not text, left unchanged: %1").arg(trustFile));
            return;
        }
        if (old->split(QLatin1Char('\n')).contains(folder))
            return;
        content = *old + QLatin1Char('\n') + folder;
    } else {
        content = folder;
    }

    const QString problem = trySaveFile(trustFile, encodeTrustFile(content), {.sync = true});
    if (!problem.isNull())
        LC_WARN(QStringLiteral("cannot write the trust file %1: %2").arg(trustFile, problem));
}

} // namespace leafcraft
