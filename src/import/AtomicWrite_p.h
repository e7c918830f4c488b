// Writing a file as a whole: the bytes go to a temporary file beside the target, which is
// then renamed over it, so readers see the old file or the complete new one, never half of
// one. Unlike QSaveFile it does not force the data to disk: page files are scratch work
// that is rebuilt after a crash, and syncing every page would dominate an import's time.
#pragma once

#include "support/Error.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace leafcraft::detail {

// Throws Error(Output) when the file cannot be written.
inline void writeAtomically(const QString& path, const QByteArray& bytes)
{
    static std::atomic<unsigned> counter{0};
    const QString temp = QStringLiteral("%1.%2-%3.part").arg(path).arg(::getpid()).arg(counter++);
    QFile file(temp);
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    QString why = file.errorString();
    file.close();
    ok = ok && file.error() == QFileDevice::NoError;
    if (ok && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
        ok = false;
        why = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!ok) {
        QFile::remove(temp);
        throw Error(ErrorKind::Output, QStringLiteral("the file cannot be written (%1)").arg(why), path);
    }
}

} // namespace leafcraft::detail
