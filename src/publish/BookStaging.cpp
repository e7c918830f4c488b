#include "publish/BookStaging.h"

#include "platform/Log.h"
#include "support/Error.h"
#include "support/ScratchFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace leafcraft {

namespace {

const char kManifestHeader[] = "# leafcraft book manifest 1";
const char kJournalName[] = ".leafcraft-swap";
const char kStagingPrefix[] = ".leafcraft-staging-";
const char kLockName[] = ".leafcraft-lock";

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

// What lies at `path`, without following a final symbolic link.
enum class Entry { Missing, Folder, File, Link, Other };

Entry entryAt(const QString& path) {
    struct stat st {};
    if (::lstat(encoded(path).constData(), &st) != 0)
        return Entry::Missing;
    if (S_ISLNK(st.st_mode))
        return Entry::Link;
    if (S_ISDIR(st.st_mode))
        return Entry::Folder;
    return S_ISREG(st.st_mode) ? Entry::File : Entry::Other;
}

// A manifest line names a file inside the book: relative, no "." or ".." component.
bool isInsidePath(const QString& path) {
    if (path.isEmpty() || path.startsWith(QLatin1Char('/')))
        return false;
    const QStringList parts = path.split(QLatin1Char('/'));
    return std::none_of(parts.begin(), parts.end(), [](const QString& p) {
        return p.isEmpty() || p == QLatin1String(".") || p == QLatin1String("..");
    });
}

QStringList readList(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.readLine().trimmed() != kManifestHeader)
        return {};
    QStringList out;
    while (!f.atEnd()) {
        QByteArray line = f.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        const QString entry = QString::fromUtf8(line);
        if (isInsidePath(entry))
            out << entry;
    }
    return out;
}

bool writeList(const QString& path, const QStringList& entries) {
    QByteArray bytes(kManifestHeader);
    bytes += '\n';
    for (const QString& e : entries)
        bytes += e.toUtf8() + '\n';
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit();
}

// The problem with the components of `relative` below `root` that are already there: a
// symbolic link or a file where a folder must be. Empty when the path may be used.
QString pathProblem(const QString& root, const QString& relative) {
    const QStringList parts = relative.split(QLatin1Char('/'));
    QString path = root;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        switch (entryAt(path)) {
        case Entry::Missing:
            return QString();
        case Entry::Folder:
            continue;
        case Entry::Link:
            return QStringLiteral("%1 is a symbolic link").arg(QStringList(parts.mid(0, i + 1)).join('/'));
        default:
            return QStringLiteral("%1 is not a folder").arg(QStringList(parts.mid(0, i + 1)).join('/'));
        }
    }
    return QString();
}

void removeTree(const QString& folder) {
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(folder.toStdU16String()), ec);
}

} // namespace

BookStaging::BookStaging(QString root, QString manifestPath)
    : m_root(QDir::cleanPath(std::move(root))), m_manifestPath(std::move(manifestPath)) {}

BookStaging::~BookStaging() {
    if (!m_committed)
        removeStaging();
    if (m_lockFd >= 0) {
        ::unlink(encoded(m_root + QLatin1Char('/') + QLatin1String(kLockName)).constData());
        scratch::forget(m_root + QLatin1Char('/') + QLatin1String(kLockName));
        ::close(m_lockFd);
    }
}

void BookStaging::removeStaging() {
    if (m_staging.isEmpty())
        return;
    removeTree(m_staging);
    scratch::forget(m_staging);
    m_staging.clear();
}

QStringList BookStaging::readManifest(const QString& root, const QString& manifestPath) {
    return readList(root + QLatin1Char('/') + manifestPath);
}

QStringList BookStaging::listFiles(const QString& folder) {
    QStringList out;
    std::error_code ec;
    const std::filesystem::path base(folder.toStdU16String());
    for (auto it = std::filesystem::recursive_directory_iterator(base, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_regular_file(ec) && !it->is_symlink(ec))
            out << QString::fromStdU16String(it->path().lexically_relative(base).u16string());
    }
    out.sort();
    return out;
}

void BookStaging::begin() {
    const Entry rootEntry = entryAt(m_root);
    if (rootEntry != Entry::Missing && !QFileInfo(m_root).isDir())
        throw Error(ErrorKind::Output, QStringLiteral("the output path exists and is not a folder"), m_root);
    if (!QDir().mkpath(m_root))
        throw Error(ErrorKind::Output, QStringLiteral("cannot create the output folder"), m_root);

    // The lock file: a fresh one is removed again at the end; one that was there is left.
    const QByteArray lockPath = encoded(m_root + QLatin1Char('/') + QLatin1String(kLockName));
    for (int attempt = 0; attempt < 100 && m_lockFd < 0; ++attempt) {
        int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0)
            throw Error(ErrorKind::Output,
                        QStringLiteral("cannot write into the output folder: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))),
                        m_root);
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        // The holder before us may have removed the file: lock the one that is there now.
        struct stat held {
        }, now{};
        if (::fstat(fd, &held) == 0 && ::lstat(lockPath.constData(), &now) == 0 &&
            held.st_ino == now.st_ino && held.st_dev == now.st_dev)
            m_lockFd = fd;
        else
            ::close(fd);
    }
    if (m_lockFd < 0)
        throw Error(ErrorKind::Output, QStringLiteral("cannot lock the output folder"), m_root);
    scratch::add(QFile::decodeName(lockPath));

    recoverInterrupted();

    QByteArray pattern =
        encoded(m_root + QLatin1Char('/') + QLatin1String(kStagingPrefix) + QStringLiteral("XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        throw Error(ErrorKind::Output,
                    QStringLiteral("cannot write into the output folder: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))),
                    m_root);
    m_staging = QFile::decodeName(pattern);
    scratch::add(m_staging);
}

void BookStaging::recoverInterrupted() {
    const QStringList leftovers = QDir(m_root).entryList({QLatin1String(kStagingPrefix) + QLatin1Char('*')},
                                                         QDir::Dirs | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : leftovers) {
        const QString staging = m_root + QLatin1Char('/') + name;
        const QString journal = staging + QLatin1Char('/') + QLatin1String(kJournalName);
        if (QFileInfo(journal).isFile()) {
            // The swap had begun: finish it, so that the folder holds the new book whole.
            const QString stagedManifest = staging + QLatin1Char('/') + m_manifestPath;
            QStringList newFiles = QFileInfo(stagedManifest).isFile() ? readList(stagedManifest)
                                                                      : readManifest(m_root, m_manifestPath);
            LC_WARN(QStringLiteral("finishing the interrupted publish in %1").arg(m_root));
            finishSwap(staging, newFiles, readList(journal));
        } else {
            removeTree(staging);
        }
    }
}

QStringList BookStaging::conflicts() const {
    const QStringList old = readManifest(m_root, m_manifestPath);
    QSet<QString> ours(old.begin(), old.end());
    if (!old.isEmpty())
        ours.insert(m_manifestPath); // a valid manifest is ours too
    QStringList problems;
    for (const QString& file : m_newFiles.isEmpty() ? listFiles(m_staging) : m_newFiles) {
        QString problem = pathProblem(m_root, file);
        if (problem.isEmpty()) {
            const Entry e = entryAt(m_root + QLatin1Char('/') + file);
            if (e == Entry::Link)
                problem = QStringLiteral("%1 is a symbolic link").arg(file);
            else if (e == Entry::Folder || e == Entry::Other)
                problem = QStringLiteral("%1 is not a file").arg(file);
            else if (e == Entry::File && !m_private && !ours.contains(file) &&
                     !(old.isEmpty() && m_replacesUnrecorded))
                problem = file;
        }
        if (!problem.isEmpty() && !problems.contains(problem))
            problems << problem;
    }
    return problems;
}

void BookStaging::commit() {
    if (m_staging.isEmpty())
        throw Error(ErrorKind::Internal, QStringLiteral("the book was not staged"), m_root);
    m_newFiles = listFiles(m_staging);
    m_newFiles.removeAll(m_manifestPath);
    m_newFiles << m_manifestPath;
    if (!writeList(m_staging + QLatin1Char('/') + m_manifestPath, m_newFiles))
        throw Error(ErrorKind::Output, QStringLiteral("cannot write the book's file list"), m_root);
    const QStringList problems = conflicts();
    if (!problems.isEmpty())
        throw Error(
            ErrorKind::Output,
            QStringLiteral("nothing was written: the folder holds files Leafcraft did not write where the "
                           "book needs to write (move them away or choose another folder): %1")
                .arg(problems.join(QStringLiteral(", "))),
            m_root);
    scratch::SwapGuard guard;
    if (!writeList(m_staging + QLatin1Char('/') + QLatin1String(kJournalName),
                   readManifest(m_root, m_manifestPath)))
        throw Error(ErrorKind::Output, QStringLiteral("cannot write into the output folder"), m_root);
    // From here on the staging folder is the journal of a swap: a failure leaves it for the
    // next publish into this folder to finish.
    m_committed = true;
    scratch::forget(m_staging);
    const QString staging = m_staging;
    m_staging.clear();
    finishSwap(staging, m_newFiles, readManifest(m_root, m_manifestPath));
}

void BookStaging::finishSwap(const QString& staging, const QStringList& newFiles,
                             const QStringList& oldFiles) {
    // New files first, the manifest last: it names the new book only once the book is whole.
    QStringList order = newFiles;
    if (order.removeAll(m_manifestPath) > 0)
        order << m_manifestPath;
    QStringList failed;
    QSet<QString> folders; // checked and made once each
    for (const QString& file : order) {
        const QString from = staging + QLatin1Char('/') + file;
        const QString to = m_root + QLatin1Char('/') + file;
        const QString folder = QFileInfo(to).path();
        if (!folders.contains(folder)) {
            if (!pathProblem(m_root, file).isEmpty() || !QDir().mkpath(folder)) {
                failed << file;
                continue;
            }
            folders.insert(folder);
        }
        // A file no longer staged was moved before an interruption.
        if (::rename(encoded(from).constData(), encoded(to).constData()) != 0 && errno != ENOENT)
            failed << file;
    }
    // What only the previous book had goes, and so do the folders that leaves empty.
    const QSet<QString> keep(newFiles.begin(), newFiles.end());
    for (const QString& file : oldFiles) {
        if (keep.contains(file) || !pathProblem(m_root, file).isEmpty())
            continue;
        const QString path = m_root + QLatin1Char('/') + file;
        if (entryAt(path) != Entry::File)
            continue;
        ::unlink(encoded(path).constData());
        QString folder = QFileInfo(path).path();
        while (folder.size() > m_root.size() && ::rmdir(encoded(folder).constData()) == 0)
            folder = QFileInfo(folder).path();
    }
    if (failed.isEmpty())
        removeTree(staging);
    else
        throw Error(ErrorKind::Output,
                    QStringLiteral("%1 file(s) of the book could not be moved into place: %2")
                        .arg(failed.size())
                        .arg(failed.mid(0, 10).join(QStringLiteral(", "))),
                    m_root);
}

} // namespace leafcraft
