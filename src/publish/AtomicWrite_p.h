// Replacing a file of a book as a whole: readers see the old file or the new one, never a
// part; the old file stays until the new one is complete.
#pragma once

#include <QByteArray>
#include <QString>

namespace leafcraft::detail {

// Writes `bytes` to a new file beside `path` and renames it over `path` (mode 0644 less the
// umask). The file is not forced to the disk: the rename keeps readers from half-written
// content, which is what a book needs, without waiting for the disk on every file. Returns
// false, leaving `path` as it was and no temporary file behind, when it cannot.
bool writeFileAtomically(const QString& path, const QByteArray& bytes);

// Writes `bytes` into a new file `path` (failing when something is there already), for the
// files of a book being staged, which no reader sees before the book is complete. Returns
// false, leaving no partial file behind, when it cannot.
bool writeNewFile(const QString& path, const QByteArray& bytes);

} // namespace leafcraft::detail
