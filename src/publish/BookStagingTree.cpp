#include "publish/BookStagingTree_p.h"

#include "publish/BookStaging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/time.h>
#include <unistd.h>

namespace leafcraft::detail {

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

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

fs::path fsPath(const QString& path) {
    return fs::path(path.toStdU16String());
}

void removeTree(const QString& path, dev_t dev) {
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

bool isOwnTopName(const QString& relative) {
    return relative == QLatin1String(kLockName) || relative == QLatin1String(kNewTreeMarker) ||
           relative == QLatin1String(kJournalName) || relative == QLatin1String(kSettledMarker);
}

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

QString bookFolderOf(const QString& manifestPath) {
    return manifestPath.endsWith(BookStaging::manifestName())
               ? manifestPath.left(manifestPath.size() - BookStaging::manifestName().size())
               : QString();
}

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

bool isMovedLast(const QString& path) {
    const QString name = path.section(QLatin1Char('/'), -1);
    return name == QLatin1String("config.xml") || name == QLatin1String("config.js") ||
           name.endsWith(QLatin1String(".html")) || name.endsWith(QLatin1String(".htm"));
}

} // namespace leafcraft::detail
