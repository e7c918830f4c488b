// Shared by the fuzz targets: quiet logging, and bytes written to a private file for the
// readers that take a path.
#pragma once

#include "platform/Log.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <unistd.h>

namespace fuzz {

inline void quietOnce()
{
    static const bool done = (leafcraft::log::silenceUnconfigured(), true);
    (void)done;
}

inline QString writeInput(const uint8_t* data, size_t size, const char* suffix)
{
    const QString path = QStringLiteral("/tmp/leafcraft-fuzz-%1%2").arg(getpid()).arg(QLatin1String(suffix));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

} // namespace fuzz
