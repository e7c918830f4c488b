#include "publish/CubeImages.h"

#include "support/SaveFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace leafcraft {

void placeCubeImages(const QString& bookFolder, const QString& templateName, const QString& styleFolder)
{
    const QString extFiles = bookFolder + QLatin1String("/files/extfiles/");
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}) {
        const QString file = QString::fromLatin1(name);
        if (templateName == QLatin1String("Panoramic")) {
            const QString source = styleFolder + QLatin1Char('/') + file;
            if (QFileInfo::exists(source)) {
                QDir().mkpath(extFiles);
                (void)tryCopyFile(source, extFiles + file, {.createOnly = true}); // never replaces a picture there
            }
        } else {
            QFile::remove(extFiles + file);
        }
    }
}

} // namespace leafcraft
