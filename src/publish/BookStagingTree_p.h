// The file-tree work behind BookStaging: what lies at a path, removing and carrying folders
// across without following links or leaving the file system, and which names are the book's.
// Internal to the publish layer.
#pragma once

#include <QSet>
#include <QString>
#include <QByteArray>
#include <filesystem>
#include <sys/stat.h>
#include <sys/types.h>

namespace leafcraft::detail {

inline constexpr char kJournalName[] = ".leafcraft-swap";
inline constexpr char kStagingPrefix[] = ".leafcraft-staging-";
inline constexpr char kLockName[] = ".leafcraft-lock";
// In a staging folder beside the book until the folders are exchanged: a leftover staging
// folder that has it never held a book, one without it was exchanged out.
inline constexpr char kNewTreeMarker[] = ".leafcraft-new";
// In a folder exchanged out once what a user put there is back in the book: what is left is
// the previous book's alone, half removed perhaps.
inline constexpr char kSettledMarker[] = ".leafcraft-settled";
// Folders with more entries of their own than this are not exchanged (each is linked across).
inline constexpr int kMostCarriedEntries = 1000;


QByteArray encoded(const QString& path);

// What lies at `path`, without following a final symbolic link.
enum class Entry { Missing, Folder, File, Link, Other };

Entry entryAt(const QString& path);

// The problem with the components of `relative` below `root` (on device `dev`) that are
// already there: a symbolic link, a file where a folder must be, or a folder of another file
// system (a mount point). Empty when the path may be used.
QString pathProblem(const QString& root, const QString& relative, dev_t dev);

dev_t deviceOf(const QString& path);

// Gives `target` (a folder or link just made) the owner, group, permissions and times of the
// entry `was` it stands for, so that a folder carried across is the user's as before. Best
// effort: an owner this process may not give is left as it is.
void keepAttributes(const QByteArray& target, const struct stat& was);

namespace fs = std::filesystem;

fs::path fsPath(const QString& path);

// Removes `path` and, for a folder, everything in it, without following symbolic links or
// entering another file system (a mount point inside stays, and so does its folder).
void removeTree(const QString& path, dev_t dev = dev_t(-1));

QString absoluteClean(const QString& path);

bool sameFile(const struct stat& a, const struct stat& b);

QString childPath(const QString& relative, const QString& name);

// Names only Leafcraft gives at the top of a book folder, never carried across or settled. A
// staging folder inside is not one of them: one that is there while the folders are
// exchanged is not this run's, and goes across like any entry of the user's.
bool isOwnTopName(const QString& relative);

// Recreates inside `to` the entries of `from` the previous book did not write (`ours`):
// files as hard links, symbolic links as links with the same target, folders with their
// owner, group, permissions and times. False when one cannot be carried, lies on another file
// system (a mount point), or there are too many (`budget`).
bool carryOver(const QString& from, const QString& to, const QString& relative, const QSet<QString>& ours,
               int& budget, dev_t dev);

// Moves into `to` what a user put into `from` (a book folder exchanged out) while the new
// book was written: entries the old book (`ours`) did not have and that are missing from
// `to`, or newer there than the link carried across. A name the new book (`theirs`) took
// meanwhile, or one that cannot be moved, is left and makes this return false.
bool moveAcross(const QString& from, const QString& to, const QString& relative, const QSet<QString>& ours,
                const QSet<QString>& theirs);

// The folder of the book itself inside the folder that receives it ("" or
// "<name>.app/Contents/Resources/"), from where its manifest lies.
QString bookFolderOf(const QString& manifestPath);

// Whether a file of a manifest without sizes and hashes may be taken for the book's own: one
// under the book's files/ or mobile/, its HTML page, or anything in its application bundle.
bool inBookFolders(const QString& path, const QString& bookFolder);

// Files a reader of the book opens first: moved in last, so that a swap stopped half-way
// leaves the previous configuration and page pointing at pages that are all there.
bool isMovedLast(const QString& path);

} // namespace leafcraft::detail
