#include "publish/BookStaging.h"

#include "platform/Log.h"
#include "support/Error.h"
#include "support/ScratchFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
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
#include <unistd.h>

namespace leafcraft {

namespace {

const char kManifestHeader[] = "# leafcraft book manifest 1";
// The optional line after the header: what made the book (BookFingerprint).
const char kFingerprintKey[] = "fingerprint ";
const char kJournalName[] = ".leafcraft-swap";
const char kStagingPrefix[] = ".leafcraft-staging-";
const char kLockName[] = ".leafcraft-lock";
// In a staging folder beside the book until the folders are exchanged: a leftover staging
// folder that has it never held a book, one without it was exchanged out.
const char kNewTreeMarker[] = ".leafcraft-new";
// Folders with more entries of their own than this are not exchanged (each is linked across).
const int kMostCarriedEntries = 1000;

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

// The fingerprint line written after the manifest's header; nothing for no fingerprint.
QByteArray fingerprintLine(const QString& fingerprint) {
    return fingerprint.isEmpty() ? QByteArray() : kFingerprintKey + fingerprint.toLatin1() + '\n';
}

// The fingerprint in the line after the manifest's header (without its line end); empty when
// the line is not a fingerprint line but an entry.
QString fingerprintIn(const QByteArray& line) {
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{16,128}$"));
    if (!line.startsWith(kFingerprintKey))
        return QString();
    const QString value = QString::fromLatin1(line.mid(int(std::strlen(kFingerprintKey))));
    return hex.match(value).hasMatch() ? value : QString();
}

QStringList readList(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.readLine().trimmed() != kManifestHeader)
        return {};
    QStringList out;
    for (bool first = true; !f.atEnd(); first = false) {
        QByteArray line = f.readLine();
        if (line.endsWith('\n'))
            line.chop(1);
        if (first && !fingerprintIn(line).isEmpty())
            continue;
        const QString entry = QString::fromUtf8(line);
        if (isInsidePath(entry))
            out << entry;
    }
    return out;
}

bool writeList(const QString& path, const QStringList& entries, const QString& fingerprint = QString()) {
    QByteArray bytes(kManifestHeader);
    bytes += '\n';
    bytes += fingerprintLine(fingerprint);
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

namespace fs = std::filesystem;

fs::path fsPath(const QString& path) {
    return fs::path(path.toStdU16String());
}

void removeTree(const QString& folder) {
    std::error_code ec;
    if (fs::remove_all(fsPath(folder), ec) != static_cast<std::uintmax_t>(-1) && !ec)
        return;
    // A read-only folder inside (one a user had, linked across) keeps its entries: open it up.
    for (auto it = fs::recursive_directory_iterator(fsPath(folder), ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(fsPath(folder), ec);
}

QString absoluteClean(const QString& path) {
    return QDir::cleanPath(QDir::current().absoluteFilePath(path));
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

QString childPath(const QString& relative, const QString& name) {
    return relative.isEmpty() ? name : relative + QLatin1Char('/') + name;
}

// Names only Leafcraft gives at the top of a book folder, never carried across or settled.
bool isOwnTopName(const QString& relative) {
    return relative == QLatin1String(kLockName) || relative == QLatin1String(kNewTreeMarker) ||
           relative == QLatin1String(kJournalName) || relative.startsWith(QLatin1String(kStagingPrefix));
}

// Recreates inside `to` the entries of `from` the previous book did not write (`ours`):
// files as hard links, symbolic links as links with the same target, folders with their
// permissions. False when one cannot be carried or there are too many (`budget`).
bool carryOver(const QString& from, const QString& to, const QString& relative, const QSet<QString>& ours,
               int& budget) {
    std::error_code ec;
    for (auto it = fs::directory_iterator(fsPath(from), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const QString name = QString::fromStdU16String(it->path().filename().u16string());
        const QString rel = childPath(relative, name);
        if ((relative.isEmpty() && isOwnTopName(rel) && rel != QLatin1String(kLockName)) || ours.contains(rel))
            continue;
        if (--budget < 0)
            return false;
        const QString source = from + QLatin1Char('/') + name;
        const QString target = to + QLatin1Char('/') + name;
        struct stat st {};
        if (::lstat(encoded(source).constData(), &st) != 0)
            return false;
        if (S_ISDIR(st.st_mode)) {
            const bool made = ::mkdir(encoded(target).constData(), 0700) == 0;
            if (!made && entryAt(target) != Entry::Folder)
                return false;
            const int before = budget;
            if (!carryOver(source, target, rel, ours, budget))
                return false;
            // A folder that held nothing but the previous book's files goes with it.
            if (made && before == budget && !QDir(source).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                ::rmdir(encoded(target).constData());
                ++budget;
            } else if (::chmod(encoded(target).constData(), st.st_mode & 07777) != 0) {
                return false;
            }
        } else if (S_ISREG(st.st_mode)) {
            if (::link(encoded(source).constData(), encoded(target).constData()) != 0)
                return false;
        } else if (S_ISLNK(st.st_mode)) {
            const fs::path linked = fs::read_symlink(it->path(), ec);
            if (ec)
                return false;
            fs::create_symlink(linked, fsPath(target), ec);
            if (ec)
                return false;
        } else {
            return false; // devices, sockets, pipes stay where they are: swap file by file
        }
    }
    return !ec;
}

// Moves into `to` what a user put into `from` (a book folder exchanged out) while the new
// book was written: entries the old book (`ours`) did not have and that are missing from
// `to`, or newer there than the link carried across. A name the new book (`theirs`) took
// meanwhile, or one that cannot be moved, is left and makes this return false.
bool moveAcross(const QString& from, const QString& to, const QString& relative, const QSet<QString>& ours,
                const QSet<QString>& theirs) {
    bool ok = true;
    std::error_code ec;
    for (auto it = fs::directory_iterator(fsPath(from), ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const QString name = QString::fromStdU16String(it->path().filename().u16string());
        const QString rel = childPath(relative, name);
        if ((relative.isEmpty() && isOwnTopName(rel)) || ours.contains(rel))
            continue;
        const QByteArray source = encoded(from + QLatin1Char('/') + name);
        const QByteArray target = encoded(to + QLatin1Char('/') + name);
        struct stat was {}, now{};
        if (::lstat(source.constData(), &was) != 0)
            continue;
        const bool there = ::lstat(target.constData(), &now) == 0;
        if (S_ISDIR(was.st_mode)) {
            const QString inside = from + QLatin1Char('/') + name, into = to + QLatin1Char('/') + name;
            if ((there && !S_ISDIR(now.st_mode)) || (!there && ::mkdir(target.constData(), 0700) != 0)) {
                ok = false;
                continue;
            }
            ok = moveAcross(inside, into, rel, ours, theirs) && ok;
            // Made for nothing when it held only the old book's files.
            const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
            if (!there && QDir(into).isEmpty(all) && !QDir(inside).isEmpty(all))
                ::rmdir(target.constData());
            else if (!there)
                ::chmod(target.constData(), was.st_mode & 07777);
            continue;
        }
        if (there && sameFile(was, now))
            continue;
        std::error_code linkError;
        if (there && S_ISLNK(was.st_mode) && S_ISLNK(now.st_mode) &&
            fs::read_symlink(it->path(), linkError) == fs::read_symlink(fsPath(QFile::decodeName(target)), linkError))
            continue;
        if (!there) {
            ok = ::rename(source.constData(), target.constData()) == 0 && ok;
            continue;
        }
        if (theirs.contains(rel) || S_ISDIR(now.st_mode)) {
            ok = false;
            continue;
        }
        const bool newer = was.st_mtim.tv_sec > now.st_mtim.tv_sec ||
                           (was.st_mtim.tv_sec == now.st_mtim.tv_sec && was.st_mtim.tv_nsec > now.st_mtim.tv_nsec);
        if (newer) // replaced while the book was written; otherwise what is there is the newer one
            ok = ::rename(source.constData(), target.constData()) == 0 && ok;
    }
    return ok && !ec;
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
    return readList(root + QLatin1Char('/') + manifestPath);
}

QString BookStaging::readFingerprint(const QString& root, const QString& manifestPath) {
    QFile f(root + QLatin1Char('/') + manifestPath);
    if (!f.open(QIODevice::ReadOnly) || f.readLine().trimmed() != kManifestHeader)
        return QString();
    QByteArray line = f.readLine();
    if (line.endsWith('\n'))
        line.chop(1);
    return fingerprintIn(line);
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

    m_staging = makeStagingBeside();
    m_exchange = !m_staging.isEmpty();
    if (!m_exchange) {
        QByteArray pattern =
            encoded(m_root + QLatin1Char('/') + QLatin1String(kStagingPrefix) + QStringLiteral("XXXXXX"));
        if (!::mkdtemp(pattern.data()))
            throw Error(ErrorKind::Output,
                        QStringLiteral("cannot write into the output folder: %1")
                            .arg(QString::fromLocal8Bit(std::strerror(errno))),
                        m_root);
        m_staging = QFile::decodeName(pattern);
    }
    scratch::add(m_staging);
}

QString BookStaging::besideStagingPrefix() const {
    const QFileInfo info(absoluteClean(m_root));
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".leafcraft-staging-");
}

QString BookStaging::makeStagingBeside() const {
    if (m_private)
        return QString();
    const QFileInfo info(absoluteClean(m_root));
    const QByteArray name = encoded(info.fileName());
    struct stat root {}, parent{};
    if (name.isEmpty() || name.size() + 26 > NAME_MAX || ::lstat(encoded(m_root).constData(), &root) != 0 ||
        !S_ISDIR(root.st_mode) || root.st_uid != ::geteuid() ||
        ::stat(encoded(info.absolutePath()).constData(), &parent) != 0 || parent.st_dev != root.st_dev)
        return QString(); // a link, another's folder, or a mount point: swapped file by file
    // The process works inside it: exchanging would leave it (and a shell there) in the old book.
    const QString here = QDir::currentPath() + QLatin1Char('/');
    if (here.startsWith(info.canonicalFilePath() + QLatin1Char('/')))
        return QString();
    // A book of ours or nothing: a folder of other things is not moved as a whole.
    if (readManifest(m_root, m_manifestPath).isEmpty()) {
        const QStringList entries =
            QDir(m_root).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        if (entries != QStringList{QLatin1String(kLockName)})
            return QString();
    }
    QByteArray pattern = encoded(besideStagingPrefix() + QStringLiteral("XXXXXX"));
    if (!::mkdtemp(pattern.data()))
        return QString();
    const QString staging = QFile::decodeName(pattern);
    // The new folder takes the place of the old one: same permissions, same group.
    const QByteArray marker = encoded(staging + QLatin1Char('/') + QLatin1String(kNewTreeMarker));
    int fd = -1;
    if (::chmod(pattern.constData(), root.st_mode & 07777) != 0 ||
        ::chown(pattern.constData(), static_cast<uid_t>(-1), root.st_gid) != 0 ||
        (fd = ::open(marker.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)) < 0) {
        removeTree(staging);
        return QString();
    }
    ::close(fd);
    return staging;
}

void BookStaging::recoverInterrupted() {
    // A stray marker: the run that exchanged it in stopped before removing it.
    const QString marker = m_root + QLatin1Char('/') + QLatin1String(kNewTreeMarker);
    if (entryAt(marker) == Entry::File)
        ::unlink(encoded(marker).constData());
    for (const QString& name : QDir(m_root).entryList({QLatin1String(kStagingPrefix) + QLatin1Char('*')},
                                                      QDir::Dirs | QDir::Hidden | QDir::NoSymLinks))
        recoverStaging(m_root + QLatin1Char('/') + name);
    const QString prefix = besideStagingPrefix();
    const QFileInfo beside(prefix);
    for (const QString& name :
         QDir(beside.absolutePath()).entryList(QDir::Dirs | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot)) {
        if (name.startsWith(beside.fileName()) && name.size() == beside.fileName().size() + 6)
            recoverStaging(beside.absolutePath() + QLatin1Char('/') + name);
    }
}

void BookStaging::recoverStaging(const QString& staging) {
    const QString journal = staging + QLatin1Char('/') + QLatin1String(kJournalName);
    if (QFileInfo(journal).isFile()) {
        // The swap had begun: finish it, so that the folder holds the new book whole.
        const QString stagedManifest = staging + QLatin1Char('/') + m_manifestPath;
        QStringList newFiles = QFileInfo(stagedManifest).isFile() ? readList(stagedManifest)
                                                                  : readManifest(m_root, m_manifestPath);
        LC_WARN(QStringLiteral("finishing the interrupted publish in %1").arg(m_root));
        finishSwap(staging, newFiles, readList(journal));
    } else if (staging.startsWith(m_root + QLatin1Char('/')) ||
               entryAt(staging + QLatin1Char('/') + QLatin1String(kNewTreeMarker)) == Entry::File) {
        removeTree(staging); // a book never swapped in
    } else {
        settleOldTree(staging); // a folder exchanged out
    }
}

bool BookStaging::settleOldTree(const QString& oldTree) {
    const QStringList oldBook = readManifest(oldTree, m_manifestPath);
    const QStringList newBook = readManifest(m_root, m_manifestPath);
    if (!moveAcross(oldTree, m_root, QString(), QSet<QString>(oldBook.begin(), oldBook.end()),
                    QSet<QString>(newBook.begin(), newBook.end()))) {
        LC_WARN(QStringLiteral("kept %1: it holds files that could not be moved back into %2").arg(oldTree, m_root));
        return false;
    }
    removeTree(oldTree);
    return true;
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
    m_newFiles.removeAll(QLatin1String(kNewTreeMarker));
    m_newFiles.removeAll(m_manifestPath);
    m_newFiles << m_manifestPath;
    if (!writeList(m_staging + QLatin1Char('/') + m_manifestPath, m_newFiles, m_fingerprint))
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
    if (m_exchange && exchangeFolders())
        return;
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

bool BookStaging::exchangeFolders() {
    const QStringList old = readManifest(m_root, m_manifestPath);
    int budget = kMostCarriedEntries;
    if (!carryOver(m_root, m_staging, QString(), QSet<QString>(old.begin(), old.end()), budget) ||
        ::renameat2(AT_FDCWD, encoded(m_staging).constData(), AT_FDCWD, encoded(m_root).constData(),
                    RENAME_EXCHANGE) != 0) {
        LC_DEBUG(QStringLiteral("%1: swapping file by file").arg(m_root));
        return false;
    }
    // The new book is in place whole; the staging folder now holds the previous one.
    m_committed = true;
    scratch::forget(m_staging);
    const QString oldTree = m_staging;
    m_staging.clear();
    ::unlink(encoded(m_root + QLatin1Char('/') + QLatin1String(kNewTreeMarker)).constData());
    settleOldTree(oldTree);
    return true;
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
