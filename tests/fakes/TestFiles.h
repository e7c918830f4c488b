// Reading and writing whole files in tests, creating folders on the way.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace leafcraft::test {

// Writes `bytes` to `path`; a file that cannot be written stops the test program.
inline QString writeFile(const QString& path, const QByteArray& bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The bytes of `path`, or `absent` when it cannot be read.
inline QByteArray readFile(const QString& path, const QByteArray& absent = QByteArray())
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : absent;
}

} // namespace leafcraft::test
