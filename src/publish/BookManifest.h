// The record a book keeps of the files it wrote (files/leafcraft-manifest.txt in the book).
//
// The file is UTF-8 text, one item a line, each line ended by "\n":
//
//   # leafcraft book manifest 2             the version line, always the first line
//   <keyword> <value>                       header lines, any number, anywhere after it
//   file <size> <hash> <path>               one line for every file the book wrote
//
// <size> is the file's length in bytes (decimal), <hash> the XXH3-128 hash of its bytes (32
// lowercase hex digits), <path> the rest of the line, spaces and all: the file relative to the
// folder that receives the book, "/"-separated, without "." or ".." parts. The manifest does
// not list itself. A reader skips every line whose keyword it does not know, so writers may
// add header lines (for example "fingerprint <hex>" of the book's inputs) without a new
// version; "file" lines with a bad size, hash or path are skipped too.
//
// Version 1 ("# leafcraft book manifest 1") listed one path a line, the manifest included, with
// neither size nor hash: its entries carry size -1.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

namespace leafcraft {

struct ManifestEntry {
    QString path;
    qint64 size = -1; // -1: not recorded (a version 1 manifest)
    QByteArray hash;  // hex digits; empty when not recorded

    bool hasContents() const { return size >= 0 && !hash.isEmpty(); }
};

class BookManifest {
  public:
    // The version this code writes.
    static constexpr int kVersion = 2;

    // The manifest at `path`; an invalid one (version 0, no files) when the file is missing,
    // unreadable or does not start with a version line this code knows.
    static BookManifest read(const QString& path);
    // Writes the manifest atomically (a temporary file renamed over `path`), making its folder.
    bool write(const QString& path) const;

    bool isValid() const { return m_version > 0; }
    int version() const { return m_version; }
    // Whether its entries record size and hash (version 2 on).
    bool recordsContents() const { return m_version >= 2; }
    const std::vector<ManifestEntry>& files() const { return m_files; }
    QStringList paths() const;

    void addFile(ManifestEntry entry) { m_files.push_back(std::move(entry)); }
    // A header line "<keyword> <value>"; setting it again replaces the value.
    QByteArray header(const QByteArray& keyword) const;
    void setHeader(const QByteArray& keyword, const QByteArray& value);

    // The size and hash of the regular file `folder`/`relative`, read once; an entry with size
    // -1 when it cannot be read or is not a regular file (a final symbolic link is not followed).
    static ManifestEntry describe(const QString& folder, const QString& relative);
    // describe() for many files at once, on several threads, in the order given.
    static std::vector<ManifestEntry> describeAll(const QString& folder, const QStringList& relative);
    // Whether the file at `path` (a final symbolic link not followed) holds exactly what
    // `entry` records: a regular file of that size with that hash.
    static bool holdsRecorded(const QString& path, const ManifestEntry& entry);

    // A path a manifest may name: relative, no empty, "." or ".." component, no line break.
    static bool isInsidePath(const QString& path);

  private:
    int m_version = 0;
    std::vector<std::pair<QByteArray, QByteArray>> m_headers;
    std::vector<ManifestEntry> m_files;
};

} // namespace leafcraft
