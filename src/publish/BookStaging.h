// Writing a book beside the previous one and swapping it in at the end.
//
// A book is written into a fresh private staging folder inside the folder that receives it
// (so on the same file system), and everything in the staging folder is the new book. At the
// end the staging folder's file list becomes the book's manifest, and commit() moves the new
// files into place and removes exactly the files the previous book's manifest lists that the
// new one does not have. Files the book did not write are never removed or replaced: where a
// name the new book needs is taken by such a file, or reached through a symbolic link, the
// publish is refused before anything in the folder changes.
//
// A publish lock (flock on "<root>/.leafcraft-lock") keeps two publishes out of one folder;
// whoever holds it clears staging folders an interrupted run left, finishing a swap that had
// begun (its journal says so) and deleting any other. Staging folders are registered as
// scratch folders, so a CLI stopped by TERM or INT removes them.
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
    const QString& root() const { return m_root; }

    // The files whose names the new book needs but that the previous book did not write, and
    // names reached through a symbolic link; empty when the new book may be moved in.
    QStringList conflicts() const;
    // Writes the manifest, checks conflicts() (Error(Output) naming them, nothing changed),
    // then swaps the new book in and removes what only the previous book had.
    void commit();

    // The manifest at `root`/`manifestPath`: relative paths, or empty when there is no valid
    // manifest. Paths that leave the folder are dropped.
    static QStringList readManifest(const QString& root, const QString& manifestPath);
    // The regular files below `folder`, relative to it, sorted.
    static QStringList listFiles(const QString& folder);

  private:
    void recoverInterrupted();
    void finishSwap(const QString& staging, const QStringList& newFiles, const QStringList& oldFiles);
    void removeStaging();

    QString m_root;
    QString m_manifestPath;
    QString m_staging;
    QStringList m_newFiles;
    int m_lockFd = -1;
    bool m_private = false;
    bool m_replacesUnrecorded = false;
    bool m_committed = false;
};

} // namespace leafcraft
