#include "publish/BookStaging.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "publish/BookManifest.h"
#include "publish/BookStagingTree_p.h"
#include "support/Error.h"
#include "support/ScratchFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace leafcraft {

using namespace detail;

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
    // An unfinished publish leaves no trace of the folders it made: deepest first, and only
    // while empty (rmdir refuses anything else).
    if (!m_committed)
        for (const QString& folder : std::as_const(m_madeFolders))
            if (::rmdir(encoded(folder).constData()) != 0)
                break;
}

void BookStaging::removeStaging() {
    if (m_staging.isEmpty())
        return;
    removeTree(m_staging);
    scratch::forget(m_staging);
    m_staging.clear();
}

QString BookStaging::stagedPath(const QString& path) const {
    // Both absolute: "." as root and "./index.html" have no common prefix as written.
    const QString root = absoluteClean(m_root);
    const QString clean = absoluteClean(path);
    if (clean == root)
        return m_staging;
    if (!clean.startsWith(root + QLatin1Char('/')) && root != QLatin1String("/"))
        throw Error(ErrorKind::Internal, QStringLiteral("a path outside the book was to be staged"), path);
    return m_staging + QLatin1Char('/') + clean.mid(root.size() + (root == QLatin1String("/") ? 0 : 1));
}

QStringList BookStaging::readManifest(const QString& root, const QString& manifestPath) {
    const BookManifest manifest = BookManifest::read(root + QLatin1Char('/') + manifestPath);
    QStringList out = manifest.paths();
    if (manifest.isValid() && !out.contains(manifestPath))
        out << manifestPath;
    return out;
}

QString BookStaging::readFingerprint(const QString& root, const QString& manifestPath) {
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{16,128}$"));
    const QString value =
        QString::fromLatin1(BookManifest::read(root + QLatin1Char('/') + manifestPath).header("fingerprint"));
    return hex.match(value).hasMatch() ? value : QString();
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
    for (QString missing = absoluteClean(m_root); entryAt(missing) == Entry::Missing;) {
        m_madeFolders << missing;
        const QString parent = QFileInfo(missing).absolutePath();
        if (parent == missing)
            break;
        missing = parent;
    }
    if (!QDir().mkpath(m_root))
        throw Error(ErrorKind::Output, QStringLiteral("cannot create the output folder"), m_root);
    m_rootDevice = deviceOf(m_root);

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

    readRecord();
    recoverInterrupted();

    if (!m_private && canExchange())
        m_staging = makeStaging(besideStagingPrefix());
    m_exchange = !m_staging.isEmpty();
    if (!m_exchange)
        m_staging = makeStaging(absoluteClean(m_root) + QLatin1Char('/') + QLatin1String(kStagingPrefix));
    if (m_staging.isEmpty())
        throw Error(ErrorKind::Output,
                    QStringLiteral("cannot write into the output folder: %1")
                        .arg(QString::fromLocal8Bit(std::strerror(errno))),
                    m_root);
    scratch::add(m_staging);
    if (m_exchange) {
        const QByteArray marker = encoded(m_staging + QLatin1Char('/') + QLatin1String(kNewTreeMarker));
        const int fd = ::open(marker.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            throw Error(ErrorKind::Output, QStringLiteral("cannot write into the output folder"), m_staging);
        ::close(fd);
    }
}

// The lock file records the staging folders of the run that holds it, each written there
// before the folder is made ("staging <absolute path>" lines), and the hash of a swap's
// journal before the swap begins ("journal <hash> <absolute path of the staging folder>").
// Only a lock file of this user's that nobody else may write is believed.
void BookStaging::readRecord() {
    m_recorded.clear();
    m_journals.clear();
    struct stat st {};
    if (::fstat(m_lockFd, &st) != 0 || st.st_uid != ::geteuid() || (st.st_mode & 022) != 0 || st.st_size > 65536)
        return;
    QByteArray bytes(qsizetype(st.st_size), '\0');
    if (::pread(m_lockFd, bytes.data(), size_t(bytes.size()), 0) != bytes.size())
        return;
    for (const QByteArray& line : bytes.split('\n')) {
        if (line.startsWith("staging /"))
            m_recorded << QFile::decodeName(line.mid(8));
        else if (line.startsWith("journal ") && line.indexOf(' ', 8) == 40)
            m_journals.insert(QFile::decodeName(line.mid(41)), line.mid(8, 32));
    }
}

bool BookStaging::writeRecord() const {
    QByteArray bytes;
    for (const QString& path : m_recorded) {
        bytes += "staging " + encoded(path) + '\n';
        if (m_journals.contains(path))
            bytes += "journal " + m_journals.value(path) + ' ' + encoded(path) + '\n';
    }
    return ::ftruncate(m_lockFd, 0) == 0 &&
           (bytes.isEmpty() || ::pwrite(m_lockFd, bytes.constData(), size_t(bytes.size()), 0) == bytes.size());
}

QString BookStaging::makeStaging(const QString& prefix) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString path = prefix + Platform::current().random().randomName(6);
        m_recorded << path;
        if (!writeRecord())
            return QString();
        if (::mkdir(encoded(path).constData(), 0700) == 0)
            return path;
        m_recorded.removeLast();
        if (errno != EEXIST)
            break;
    }
    writeRecord();
    return QString();
}

QString BookStaging::besideStagingPrefix() const {
    const QFileInfo info(absoluteClean(m_root));
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".leafcraft-staging-");
}

bool BookStaging::canExchange() const {
    const QFileInfo info(absoluteClean(m_root));
    const QByteArray name = encoded(info.fileName());
    struct stat root {}, parent{};
    if (name.isEmpty() || name.size() + 26 > NAME_MAX || ::lstat(encoded(m_root).constData(), &root) != 0 ||
        !S_ISDIR(root.st_mode) || root.st_uid != ::geteuid() ||
        ::stat(encoded(info.absolutePath()).constData(), &parent) != 0 || parent.st_dev != root.st_dev)
        return false; // a link, another's folder, or a mount point: swapped file by file
    // The process works inside it: exchanging would leave it (and a shell there) in the old book.
    const QString here = QDir::currentPath() + QLatin1Char('/');
    if (here.startsWith(info.canonicalFilePath() + QLatin1Char('/')))
        return false;
    // A book of ours or nothing: a folder of other things is not moved as a whole.
    if (!BookManifest::read(m_root + QLatin1Char('/') + m_manifestPath).isValid()) {
        const QStringList entries =
            QDir(m_root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (entries != QStringList{QLatin1String(kLockName)})
            return false;
    }
    return true;
}

bool BookStaging::isOwnLeftover(const QString& staging) const {
    struct stat st {};
    return m_recorded.contains(staging) && ::lstat(encoded(staging).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 022) == 0;
}

void BookStaging::recoverInterrupted() {
    // A stray marker: the run that exchanged it in stopped before removing it.
    const QString marker = m_root + QLatin1Char('/') + QLatin1String(kNewTreeMarker);
    if (entryAt(marker) == Entry::File)
        ::unlink(encoded(marker).constData());
    QStringList found;
    for (const QString& name : QDir(m_root).entryList({QLatin1String(kStagingPrefix) + QLatin1Char('*')},
                                                      QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
        found << absoluteClean(m_root + QLatin1Char('/') + name);
    const QString prefix = besideStagingPrefix();
    const QFileInfo beside(prefix);
    for (const QString& name :
         QDir(beside.absolutePath()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        if (name.startsWith(beside.fileName()) && name.size() == beside.fileName().size() + 6)
            found << beside.absolutePath() + QLatin1Char('/') + name;
    }
    QStringList kept;
    for (const QString& staging : found) {
        if (!isOwnLeftover(staging)) {
            // Not made by a run of this user's that recorded it: someone else's, left alone.
            const QString text = QStringLiteral("left %1 alone: it looks like an unfinished publish, but not one "
                                                "of yours (remove it if you know what it is)")
                                     .arg(staging);
            LC_WARN(text);
            m_warnings.add(m_root, text);
        } else if (!recoverStaging(staging)) {
            kept << staging;
        }
    }
    m_recorded = kept;
    writeRecord();
}

bool BookStaging::recoverStaging(const QString& staging) {
    const QString journal = staging + QLatin1Char('/') + QLatin1String(kJournalName);
    if (entryAt(journal) == Entry::File) {
        if (BookManifest::describe(staging, QLatin1String(kJournalName)).hash != m_journals.value(staging)) {
            m_warnings.add(m_root, QStringLiteral("left %1 alone: its journal is not the one its run recorded").arg(staging));
            return false;
        }
        // The swap had begun: finish it, so that the folder holds the new book whole. Only
        // files still exactly as the journal recorded them are replaced or removed.
        const QString stagedManifest = staging + QLatin1Char('/') + m_manifestPath;
        const QStringList newFiles = entryAt(stagedManifest) == Entry::File
                                         ? readManifest(staging, m_manifestPath)
                                         : readManifest(m_root, m_manifestPath);
        const BookManifest old = BookManifest::read(journal);
        LC_WARN(QStringLiteral("finishing the interrupted publish in %1").arg(m_root));
        try {
            finishSwap(staging, newFiles, old.paths(), ownedFiles(m_root, old));
        } catch (const Error& e) {
            m_warnings.add(m_root, e.message());
            return false;
        }
        return true;
    }
    if (staging.startsWith(absoluteClean(m_root) + QLatin1Char('/')) ||
        entryAt(staging + QLatin1Char('/') + QLatin1String(kNewTreeMarker)) == Entry::File ||
        entryAt(staging + QLatin1Char('/') + QLatin1String(kSettledMarker)) == Entry::File) {
        removeTree(staging); // a book never swapped in, or one already settled
        return true;
    }
    // A folder exchanged out.
    return settleOldTree(staging, ownedFiles(staging, BookManifest::read(staging + QLatin1Char('/') + m_manifestPath)));
}

bool BookStaging::settleOldTree(const QString& oldTree, const QSet<QString>& oldBook) {
    const QStringList newBook = readManifest(m_root, m_manifestPath);
    if (!moveAcross(oldTree, m_root, QString(), oldBook, QSet<QString>(newBook.begin(), newBook.end()))) {
        const QString text = QStringLiteral("kept %1: it holds files that could not be moved back into %2").arg(oldTree, m_root);
        LC_WARN(text);
        m_warnings.add(m_root, text);
        return false;
    }
    const int fd = ::open(encoded(oldTree + QLatin1Char('/') + QLatin1String(kSettledMarker)).constData(),
                          O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::close(fd);
    // The marker goes last, so that a stop half-way leaves it with what is left.
    std::error_code ec;
    const dev_t dev = deviceOf(oldTree);
    for (auto it = fs::directory_iterator(fsPath(oldTree), ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (it->path().filename() != kSettledMarker)
            removeTree(QString::fromStdU16String(it->path().u16string()), dev);
    removeTree(oldTree);
    return true;
}

QSet<QString> BookStaging::ownedFiles(const QString& tree, const BookManifest& manifest) const {
    QSet<QString> out;
    if (!manifest.isValid())
        return out;
    const dev_t dev = deviceOf(tree);
    const QString bookFolder = bookFolderOf(m_manifestPath);
    auto isRegularInside = [&](const QString& file) {
        struct stat st {};
        return pathProblem(tree, file, dev).isEmpty() &&
               ::lstat(encoded(tree + QLatin1Char('/') + file).constData(), &st) == 0 && S_ISREG(st.st_mode) &&
               st.st_dev == dev;
    };
    for (const ManifestEntry& entry : manifest.files()) {
        if (!isRegularInside(entry.path))
            continue;
        const bool ours = m_private || (entry.hasContents()
                                            ? BookManifest::holdsRecorded(tree + QLatin1Char('/') + entry.path, entry)
                                            : inBookFolders(entry.path, bookFolder));
        if (ours)
            out.insert(entry.path);
    }
    if (isRegularInside(m_manifestPath))
        out.insert(m_manifestPath); // the manifest read is ours too
    return out;
}

QStringList BookStaging::conflicts() const {
    const BookManifest old = BookManifest::read(m_root + QLatin1Char('/') + m_manifestPath);
    const QSet<QString> ours = m_oursKnown ? m_ours : ownedFiles(m_root, old);
    QStringList problems;
    for (const QString& file : m_newFiles.isEmpty() ? listFiles(m_staging) : m_newFiles) {
        if (file == QLatin1String(kNewTreeMarker))
            continue;
        QString problem = pathProblem(m_root, file, m_rootDevice);
        if (problem.isEmpty()) {
            const Entry e = entryAt(m_root + QLatin1Char('/') + file);
            if (e == Entry::Link)
                problem = QStringLiteral("%1 is a symbolic link").arg(file);
            else if (e == Entry::Folder || e == Entry::Other)
                problem = QStringLiteral("%1 is not a file").arg(file);
            else if (e == Entry::File && !m_private && !ours.contains(file) &&
                     !(!old.isValid() && m_replacesUnrecorded))
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
    m_newFiles.removeAll(QLatin1String(kNewTreeMarker));
    m_newFiles.removeAll(m_manifestPath);
    // What every file holds, for the next publish to know it is still the book's.
    BookManifest manifest;
    for (const auto& [keyword, value] : m_headers)
        manifest.setHeader(keyword, value);
    for (ManifestEntry& entry : BookManifest::describeAll(m_staging, m_newFiles)) {
        if (!entry.hasContents())
            throw Error(ErrorKind::Output, QStringLiteral("cannot read back a file of the book"),
                        m_staging + QLatin1Char('/') + entry.path);
        manifest.addFile(std::move(entry));
    }
    m_newFiles << m_manifestPath;
    if (!manifest.write(m_staging + QLatin1Char('/') + m_manifestPath))
        throw Error(ErrorKind::Output, QStringLiteral("cannot write the book's file list"), m_root);

    const BookManifest old = BookManifest::read(m_root + QLatin1Char('/') + m_manifestPath);
    if (old.isValid() && !old.recordsContents() && !m_private)
        m_warnings.add(m_root, QStringLiteral("the previous book was written by an earlier version of Leafcraft, "
                                              "whose file list records no contents: only its files under files/ and "
                                              "mobile/, its HTML page and its application are replaced"));
    m_ours = ownedFiles(m_root, old);
    m_oursKnown = true;
    const QStringList problems = conflicts();
    if (!problems.isEmpty())
        throw Error(
            ErrorKind::Output,
            QStringLiteral("nothing was written: the folder holds files Leafcraft did not write (or that changed "
                           "since) where the book needs to write (move them away or choose another folder): %1")
                .arg(problems.join(QStringLiteral(", "))),
            m_root);
    const QSet<QString> needed(m_newFiles.begin(), m_newFiles.end());
    QStringList kept;
    for (const ManifestEntry& entry : old.files()) {
        if (!m_ours.contains(entry.path) && !needed.contains(entry.path) &&
            entryAt(m_root + QLatin1Char('/') + entry.path) != Entry::Missing)
            kept << entry.path;
    }
    for (const QString& file : kept.mid(0, 10))
        m_warnings.add(m_root + QLatin1Char('/') + file,
                       QStringLiteral("kept: the previous book listed it, but it is not what that book wrote"));
    if (kept.size() > 10)
        m_warnings.add(m_root, QStringLiteral("kept %1 more such files").arg(kept.size() - 10));

    scratch::SwapGuard guard;
    if (m_exchange && exchangeFolders())
        return;
    // The journal: what may be replaced or removed, as it is now, so that a run finishing
    // this swap touches nothing that changed meanwhile.
    BookManifest journal;
    for (const QString& file : m_ours) {
        const auto recorded = std::find_if(old.files().begin(), old.files().end(),
                                           [&](const ManifestEntry& e) { return e.path == file; });
        journal.addFile(recorded != old.files().end() && recorded->hasContents()
                            ? *recorded
                            : BookManifest::describe(m_root, file));
    }
    if (!journal.write(m_staging + QLatin1Char('/') + QLatin1String(kJournalName)))
        throw Error(ErrorKind::Output, QStringLiteral("cannot write into the output folder"), m_root);
    m_journals.insert(m_staging, BookManifest::describe(m_staging, QLatin1String(kJournalName)).hash);
    if (!writeRecord())
        throw Error(ErrorKind::Output, QStringLiteral("cannot write into the output folder"), m_root);
    // From here on the staging folder is the journal of a swap: a failure leaves it for the
    // next publish into this folder to finish.
    m_committed = true;
    scratch::forget(m_staging);
    const QString staging = m_staging;
    m_staging.clear();
    finishSwap(staging, m_newFiles, journal.paths(), m_ours + needed);
}

bool BookStaging::exchangeFolders() {
    int budget = kMostCarriedEntries;
    struct stat root {};
    const QByteArray staging = encoded(m_staging);
    // The new folder takes the place of the old one: same permissions, same group; it stays
    // private until the moment of the exchange.
    if (!carryOver(m_root, m_staging, QString(), m_ours, budget, m_rootDevice) ||
        ::lstat(encoded(m_root).constData(), &root) != 0 ||
        ::chown(staging.constData(), static_cast<uid_t>(-1), root.st_gid) != 0 ||
        ::chmod(staging.constData(), root.st_mode & 07777) != 0 ||
        ::renameat2(AT_FDCWD, staging.constData(), AT_FDCWD, encoded(m_root).constData(), RENAME_EXCHANGE) != 0) {
        ::chmod(staging.constData(), 0700);
        LC_DEBUG(QStringLiteral("%1: swapping file by file").arg(m_root));
        return false;
    }
    // The new book is in place whole; the staging folder now holds the previous one.
    ::chmod(staging.constData(), 0700);
    m_committed = true;
    scratch::forget(m_staging);
    const QString oldTree = m_staging;
    m_staging.clear();
    ::unlink(encoded(m_root + QLatin1Char('/') + QLatin1String(kNewTreeMarker)).constData());
    if (settleOldTree(oldTree, m_ours))
        m_recorded.removeAll(oldTree);
    writeRecord();
    return true;
}

void BookStaging::finishSwap(const QString& staging, const QStringList& newFiles, const QStringList& oldFiles,
                             const QSet<QString>& replaceable) {
    // Pages first, then the configuration and HTML pages, the manifest last: a reader (or a
    // stop) in between meets the previous configuration with every page it names.
    QStringList order;
    QStringList last;
    for (const QString& file : newFiles) {
        if (file == m_manifestPath)
            continue;
        (isMovedLast(file) ? last : order) << file;
    }
    order << last;
    if (newFiles.contains(m_manifestPath))
        order << m_manifestPath;
    QStringList failed;
    QSet<QString> folders; // checked and made once each
    const dev_t dev = deviceOf(m_root);
    for (const QString& file : order) {
        const QByteArray from = encoded(staging + QLatin1Char('/') + file);
        const QByteArray to = encoded(m_root + QLatin1Char('/') + file);
        struct stat st {};
        if (::lstat(from.constData(), &st) != 0)
            continue; // moved before an interruption
        const QString folder = QFileInfo(m_root + QLatin1Char('/') + file).path();
        if (!folders.contains(folder)) {
            if (!pathProblem(m_root, file, dev).isEmpty() || !QDir().mkpath(folder)) {
                failed << file;
                continue;
            }
            folders.insert(folder);
        }
        // Never over a file that is not the previous book's as recorded.
        if (::lstat(to.constData(), &st) == 0 && !replaceable.contains(file)) {
            failed << file;
            continue;
        }
        if (::rename(from.constData(), to.constData()) != 0 && errno != ENOENT)
            failed << file;
    }
    // What only the previous book had goes, and so do the folders that leaves empty.
    const QSet<QString> keep(newFiles.begin(), newFiles.end());
    for (const QString& file : oldFiles) {
        if (keep.contains(file) || !replaceable.contains(file) || !pathProblem(m_root, file, dev).isEmpty())
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
