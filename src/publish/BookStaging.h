// Writing a book beside the previous one and swapping it in at the end.
//
// A book is written into a fresh private staging folder on the same file system as the folder
// that receives it, and everything in the staging folder is the new book. At the end the
// staging folder's file list, with each file's size and hash, becomes the book's manifest
// (BookManifest), and commit() puts the new book in place of the previous one, whose files go.
// A file the previous book listed is its own only while it is still a regular file of this
// file system, reached without symbolic links, holding exactly what the manifest recorded;
// anything else (a file the user changed, or a name a hand-edited manifest lists) is never
// removed or replaced: where a name the new book needs is taken by such a file, or reached
// through a symbolic link or another file system, the publish is refused before anything
// changes; where the new book does not need it, it stays and a warning says so.
//
// Two ways to swap. Where the folder holds a book of ours or nothing, the staging folder sits
// beside it ("<parent>/.<name>.leafcraft-staging-XXXXXX"): the folder's other entries are
// hard-linked into it and the two folders are exchanged in one rename, so that a reader (or
// a KILL) only ever meets the old book whole or the new one whole; anything a user added to
// the folder meanwhile is moved across after the exchange. Elsewhere (a private or foreign
// folder, another owner, no room beside it, a file system without exchanges) the staging
// folder sits inside ("<root>/.leafcraft-staging-XXXXXX") and the files move one by one
// under a journal.
//
// A publish lock (flock on "<root>/.leafcraft-lock") keeps two publishes out of one folder;
// whoever holds it clears what an interrupted run left: it finishes a journaled swap that had
// begun, moves over what a user added to a folder exchanged out, and deletes any other
// staging folder. Only staging folders a run of this user recorded in the lock file before
// making them, owned by this user and writable by nobody else, are touched; others (someone
// else's, planted beside the book) are left alone with a warning. Staging folders are
// registered as scratch folders, so a CLI stopped by TERM or INT removes them.
#pragma once

#include "support/Error.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace leafcraft {

class BookManifest;

class BookStaging {
  public:
    // `root`: the folder that receives the book (created when missing). `manifestPath`: where
    // the manifest lives in the book, relative to root.
    BookStaging(QString root, QString manifestPath);
    // Removes the staging folder unless the book was committed; never throws.
    ~BookStaging();
    BookStaging(const BookStaging&) = delete;
    BookStaging& operator=(const BookStaging&) = delete;

    // The files of every book carry their manifest here, relative to the book folder.
    static QString manifestName() { return QStringLiteral("files/leafcraft-manifest.txt"); }

    // A private folder (the live preview's): every file in it is taken to be ours, so names
    // are replaced without asking.
    void setFolderIsPrivate(bool isPrivate) { m_private = isPrivate; }
    // The user agreed to replace a book written before books carried a manifest: without a
    // manifest, the names the new book needs count as the previous book's (nothing else does).
    void setReplacesBookWithoutManifest(bool replaces) { m_replacesUnrecorded = replaces; }

    // Takes the publish lock, clears what an interrupted publish left and creates the staging
    // folder. Throws Error(Output) when the folder cannot be created or written.
    void begin();
    // The folder to write the new book into: it mirrors root.
    const QString& stagingFolder() const { return m_staging; }
    // Where `path` (root or a path below it, relative to the working folder or absolute) is
    // written in the staging folder.
    QString stagedPath(const QString& path) const;
    const QString& root() const { return m_root; }

    // A header line of the manifest commit() writes ("<keyword> <value>"; see BookManifest).
    void setManifestHeader(const QByteArray& keyword, const QByteArray& value) {
        m_headers.emplace_back(keyword, value);
    }

    // The files whose names the new book needs but that are not the previous book's as it
    // wrote them, and names reached through a symbolic link or another file system; empty
    // when the new book may be moved in.
    QStringList conflicts() const;
    // What made the new book (BookFingerprint), recorded in its manifest; empty for none.
    void setFingerprint(const QString& fingerprint) {
        if (!fingerprint.isEmpty())
            setManifestHeader("fingerprint", fingerprint.toLatin1());
    }
    // Writes the manifest, checks conflicts() (Error(Output) naming them, nothing changed),
    // then swaps the new book in and removes what only the previous book had.
    void commit();

    // The paths the manifest at `root`/`manifestPath` lists, itself last, or empty when there
    // is no valid manifest. Paths that leave the folder are dropped.
    static QStringList readManifest(const QString& root, const QString& manifestPath);
    // The fingerprint the manifest at `root`/`manifestPath` records; empty when it has none.
    static QString readFingerprint(const QString& root, const QString& manifestPath);
    // The regular files below `folder`, relative to it, sorted.
    static QStringList listFiles(const QString& folder);

    // Whether the book is swapped in by exchanging whole folders (see above); known after begin().
    bool exchangesFolders() const { return m_exchange; }

    // What begin() and commit() found worth saying: files kept, folders left alone.
    const Warnings& warnings() const { return m_warnings; }

  private:
    void recoverInterrupted();
    // False when the staging folder had to be kept.
    bool recoverStaging(const QString& staging);
    // Moves `newFiles` from `staging` into root and removes `oldFiles`; only names in
    // `replaceable` are replaced or removed.
    void finishSwap(const QString& staging, const QStringList& newFiles, const QStringList& oldFiles,
                    const QSet<QString>& replaceable);
    void removeStaging();
    // Whether the book may be swapped in by exchanging folders (see above).
    bool canExchange() const;
    // A fresh private folder `prefix`XXXXXX, recorded in the lock file before it is made.
    QString makeStaging(const QString& prefix);
    QString besideStagingPrefix() const;
    void readRecord();
    bool writeRecord() const;
    bool isOwnLeftover(const QString& staging) const;
    // The files of `manifest` that are still the book's below `tree` (see above).
    QSet<QString> ownedFiles(const QString& tree, const BookManifest& manifest) const;
    bool exchangeFolders();
    // Moves into root what a user put into the folder that was exchanged out (now `oldTree`)
    // and removes the rest of it; keeps it (returns false) when something could not be moved.
    bool settleOldTree(const QString& oldTree, const QSet<QString>& oldBook);

    QString m_root;
    QString m_manifestPath;
    QString m_staging;
    QStringList m_newFiles;
    QSet<QString> m_ours; // the previous book's files, as commit() found them
    bool m_oursKnown = false;
    QStringList m_recorded;            // staging folders named in the lock file
    QHash<QString, QByteArray> m_journals; // and the hashes of their journals
    std::vector<std::pair<QByteArray, QByteArray>> m_headers;
    Warnings m_warnings;
    dev_t m_rootDevice = dev_t(-1);
    QStringList m_madeFolders; // the folders begin() made for the book, deepest first
    int m_lockFd = -1;
    bool m_private = false;
    bool m_replacesUnrecorded = false;
    bool m_committed = false;
    bool m_exchange = false;
};

} // namespace leafcraft
