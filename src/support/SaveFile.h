// Saving a file as a whole. Every file Leafcraft writes goes through here, so that every
// write, flush and close is checked and a failure never leaves a half-written or empty file
// where a good one was.
//
// Replacing: the bytes go to a new file beside the target, which is renamed over it once it
// is complete, so a reader sees the old file or the new one, never a part. On any failure
// the target is left as it was and the new file is removed.
//
// Creating: the target must not exist yet (nothing is overwritten, no symlink followed); on
// failure the partial file is removed. For files of a folder no reader sees yet (a book being
// staged, a page being imported into a private folder).
#pragma once

#include <QByteArray>
#include <QString>

namespace leafcraft {

struct SaveOptions {
    // Fails when something is at the path already instead of replacing it.
    bool createOnly = false;
    // Forces the data (and the rename) to the disk before returning. Worth it for the user's
    // own files (settings, a configuration container); not for the hundreds of files of a
    // book or an import, which are rebuilt after a crash.
    bool sync = false;
};

// Saves `bytes` at `path`. Returns a null string when the file is saved, else why not, in
// words a user understands ("the disk is full", "permission denied").
QString trySaveFile(const QString& path, const QByteArray& bytes, SaveOptions options = {});

// Saves a copy of the regular file `from` at `path`, the same way (the data is streamed, not
// held). A source that cannot be read gives "cannot read FROM: why".
QString tryCopyFile(const QString& from, const QString& path, SaveOptions options = {});

// Saves `bytes` at `path`; throws Error(Output) "cannot write WHAT: why" at `path` when it
// cannot.
void saveFile(const QString& path, const QByteArray& bytes, const QString& what, SaveOptions options = {});

// Why a write failed with the system error `error`, for a message: the disk being full is
// said plainly, whatever the system's wording.
QString writeProblemText(int error);

} // namespace leafcraft
