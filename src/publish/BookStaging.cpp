#include "publish/BookStaging.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "publish/BookManifest.h"
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
#include <sys/time.h>
#include <unistd.h>

namespace leafcraft {

namespace {

const char kJournalName[] = ".leafcraft-swap";
const char kStagingPrefix[] = ".leafcraft-staging-";
const char kLockName[] = ".leafcraft-lock";
// In a staging folder beside the book until the folders are exchanged: a leftover staging
// folder that has it never held a book, one without it was exchanged out.
const char kNewTreeMarker[] = ".leafcraft-new";
// In a folder exchanged out once what a user put there is back in the book: what is left is
// the previous book's alone, half removed perhaps.
const char kSettledMarker[] = ".leafcraft-settled";
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

// The problem with the components of `relative` below `root` (on device `dev`) that are
// already there: a symbolic link, a file where a folder must be, or a folder of another file
// system (a mount point). Empty when the path may be used.
QString pathProblem(const QString& root, const QString& relative, dev_t dev) {
    const QStringList parts = relative.split(QLatin1Char('/'));
    QString path = root;
    for (qsizetype i = 0; i + 1 < parts.size(); ++i) {
        path += QLatin1Char('/') + parts[i];
        struct stat st {};
        const QString shown = QStringList(parts.mid(0, i + 1)).join('/');
        if (::lstat(encoded(path).constData(), &st) != 0)
            return QString();
        if (S_ISLNK(st.st_mode))
            return QStringLiteral("%1 is a symbolic link").arg(shown);
        if (!S_ISDIR(st.st_mode))
            return QStringLiteral("%1 is not a folder").arg(shown);
        if (st.st_dev != dev)
            return QStringLiteral("%1 is on another file system").arg(shown);
    }
    return QString();
}

dev_t deviceOf(const QString& path) {
    struct stat st {};
    return ::lstat(encoded(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
}

// Gives `target` (a folder or link just made) the owner, group, permissions and times of the
// entry `was` it stands for, so that a folder carried across is the user's as before. Best
// effort: an owner this process may not give is left as it is.
void keepAttributes(const QByteArray& target, const struct stat& was) {
    struct stat now {};
    if (::lstat(target.constData(), &now) != 0)
        return;
    if (now.st_uid != was.st_uid || now.st_gid != was.st_gid)
        (void)::lchown(target.constData(), was.st_uid, was.st_gid);
    if (!S_ISLNK(was.st_mode))
        ::chmod(target.constData(), was.st_mode & 07777);
    const struct timespec times[2] = {was.st_atim, was.st_mtim};
    ::utimensat(AT_FDCWD, target.constData(), times, AT_SYMLINK_NOFOLLOW);
}

namespace fs = std::filesystem;

fs::path fsPath(const QString& path) {
    return fs::path(path.toStdU16String());
}

// Removes `path` and, for a folder, everything in it, without following symbolic links or
// entering another file system (a mount point inside stays, and so does its folder).
void removeTree(const QString& path, dev_t dev = dev_t(-1)) {
    const QByteArray name = encoded(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return;
    if (!S_ISDIR(st.st_mode)) {
        ::unlink(name.constData());
        return;
    }
    if (dev != dev_t(-1) && st.st_dev != dev)
        return;
    // A read-only folder inside (one a user had, linked across) keeps its entries: open it up.
    if ((st.st_mode & 0700) != 0700)
        ::chmod(name.constData(), (st.st_mode & 07777) | 0700);
    std::error_code ec;
    for (auto it = fs::directory_iterator(fsPath(path), ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        removeTree(QString::fromStdU16String(it->path().u16string()), st.st_dev);
    ::rmdir(name.constData());
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

// Names only Leafcraft gives at the top of a book folder, never carried across or settled. A
// staging folder inside is not one of them: one that is there while the folders are
// exchanged is not this run's, and goes across like any entry of the user's.
bool isOwnTopName(const QString& relative) {
    return relative == QLatin1String(kLockName) || relative == QLatin1String(kNewTreeMarker) ||
           relative == QLatin1String(kJournalName) || relative == QLatin1String(kSettledMarker);
}

// Recreates inside `to` the entries of `from` the previous book did not write (`ours`):
// files as hard links, symbolic links as links with the same target, folders with their
// owner, group, permissions and times. False when one cannot be carried, lies on another file
// system (a mount point), or there are too many (`budget`).
bool carryOver(const QString& from, const QString& to, const QString& relative, const QSet<QString>& ours,
               int& budget, dev_t dev) {
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
        if (st.st_dev != dev)
            return false;
        if (S_ISDIR(st.st_mode)) {
            const bool made = ::mkdir(encoded(target).constData(), 0700) == 0;
            if (!made && entryAt(target) != Entry::Folder)
                return false;
            const int before = budget;
            if (!carryOver(source, target, rel, ours, budget, dev))
                return false;
            // A folder that held nothing but the previous book's files goes with it.
            if (made && before == budget && !QDir(source).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                ::rmdir(encoded(target).constData());
                ++budget;
            } else if (made) {
                keepAttributes(encoded(target), st);
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
            keepAttributes(encoded(target), st);
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
                keepAttributes(target, was);
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

// The folder of the book itself inside the folder that receives it ("" or
// "<name>.app/Contents/Resources/"), from where its manifest lies.
QString bookFolderOf(const QString& manifestPath) {
    return manifestPath.endsWith(BookStaging::manifestName())
               ? manifestPath.left(manifestPath.size() - BookStaging::manifestName().size())
               : QString();
}

// Whether a file of a manifest without sizes and hashes may be taken for the book's own: one
// under the book's files/ or mobile/, its HTML page, or anything in its application bundle.
bool inBookFolders(const QString& path, const QString& bookFolder) {
    const QString bundle = bookFolder.section(QLatin1Char('/'), 0, 0);
    if (bundle.endsWith(QLatin1String(".app")) && path.startsWith(bundle + QLatin1Char('/')))
        return true;
    if (!path.startsWith(bookFolder))
        return false;
    const QString inBook = path.mid(bookFolder.size());
    return inBook.startsWith(QLatin1String("files/")) || inBook.startsWith(QLatin1String("mobile/")) ||
           (!inBook.contains(QLatin1Char('/')) &&
            (inBook.endsWith(QLatin1String(".html")) || inBook.endsWith(QLatin1String(".htm"))));
}

// Files a reader of the book opens first: moved in last, so that a swap stopped half-way
// leaves the previous configuration and page pointing at pages that are all there.
bool isMovedLast(const QString& path) {
    const QString name = path.section(QLatin1Char('/'), -1);
    return name == QLatin1String("config.xml") || name == QLatin1String("config.js") ||
           name.endsWith(QLatin1String(".html")) || name.endsWith(QLatin1String(".htm"));
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
