// Writing a book beside the previous one and swapping it in at the end.
//
// A book is written into a fresh private staging folder on the same file system as the folder
// that receives it, and everything in the staging folder is the new book. At the end the
// staging folder's file list becomes the book's manifest, and commit() puts the new book in
// place of the previous one, whose files (those its manifest lists) go. Files the book did
// not write are never removed or replaced: where a name the new book needs is taken by such a
// file, or reached through a symbolic link, the publish is refused before anything changes.
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
// staging folder. Staging folders are registered as scratch folders, so a CLI stopped by
// TERM or INT removes them.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace leafcraft {

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

    // The files whose names the new book needs but that the previous book did not write, and
    // names reached through a symbolic link; empty when the new book may be moved in.
    QStringList conflicts() const;
    // What made the new book (BookFingerprint), recorded in its manifest; empty for none.
    void setFingerprint(const QString& fingerprint) { m_fingerprint = fingerprint; }
    // Writes the manifest, checks conflicts() (Error(Output) naming them, nothing changed),
    // then swaps the new book in and removes what only the previous book had.
    void commit();

    // The manifest at `root`/`manifestPath`: relative paths, or empty when there is no valid
    // manifest. Paths that leave the folder are dropped.
    static QStringList readManifest(const QString& root, const QString& manifestPath);
    // The fingerprint the manifest at `root`/`manifestPath` records; empty when it has none.
    static QString readFingerprint(const QString& root, const QString& manifestPath);
    // The regular files below `folder`, relative to it, sorted.
    static QStringList listFiles(const QString& folder);

    // Whether the book is swapped in by exchanging whole folders (see above); known after begin().
    bool exchangesFolders() const { return m_exchange; }

  private:
    void recoverInterrupted();
    void recoverStaging(const QString& staging);
    void finishSwap(const QString& staging, const QStringList& newFiles, const QStringList& oldFiles);
    void removeStaging();
    // The staging folder beside root, or empty where folders cannot be exchanged.
    QString makeStagingBeside() const;
    QString besideStagingPrefix() const;
    bool exchangeFolders();
    // Moves into root what a user put into the folder that was exchanged out (now `oldTree`)
    // and removes the rest of it; keeps it (returns false) when something could not be moved.
    bool settleOldTree(const QString& oldTree);

    QString m_root;
    QString m_manifestPath;
    QString m_staging;
    QStringList m_newFiles;
    QString m_fingerprint;
    int m_lockFd = -1;
    bool m_private = false;
    bool m_replacesUnrecorded = false;
    bool m_committed = false;
    bool m_exchange = false;
};

} // namespace leafcraft
