#include "support/FileUtility.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "support/ScratchFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <sys/stat.h>

namespace leafcraft {

namespace {

// Random names tried before giving up; collisions are rare, so this only ends a loop on a
// folder that cannot be written at all.
constexpr int kTmpAttempts = 64;

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

void collectFolders(const QString& dirPath, const QString& listedPath, QStringList& out)
{
    QDir dir(dirPath);
    const QFileInfoList entries = dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                                    QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (entry.isSymLink())
            continue;
        const QString listed = listedPath + QLatin1Char('/') + entry.fileName();
        out.append(listed);
        collectFolders(entry.filePath(), listed, out);
    }
}

} // namespace

QString FileUtility::makePrivateTempFolder(const QString& name)
{
    // No shared parent folder: another user's folder of the same name cannot block us, and
    // nobody else can enter ours.
    const QString root = withoutTrailingSlash(Platform::current().paths().tempRoot());
    QString candidate;
    for (int attempt = 0; attempt < kTmpAttempts; ++attempt) {
        candidate = root + QLatin1Char('/') + name + QLatin1Char('-') + Platform::current().random().randomName(8);
        // mkdir fails when the name is taken (by anyone, even by a link): try another one.
        if (::mkdir(QFile::encodeName(candidate).constData(), 0700) == 0) {
            scratch::add(candidate);
            return candidate;
        }
        if (errno != EEXIST)
            break;
    }
    return candidate;
}

QStringList FileUtility::subfolders(const QString& folder)
{
    QStringList out;
    if (folder.isEmpty())
        return out;
    const QString base = withoutTrailingSlash(folder);
    if (QFileInfo(base).isDir())
        collectFolders(base, base == QLatin1String("/") ? QString() : base, out);
    return out;
}

} // namespace leafcraft
