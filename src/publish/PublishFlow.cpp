#include "publish/PublishFlow.h"

#include "platform/Log.h"

#include <QDir>
#include <QFileInfo>

namespace leafcraft {

namespace {

// The absolute path with links resolved as far as the path exists, "." and ".." removed.
QString resolved(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool isInside(const QString& inner, const QString& outer)
{
    return inner == outer || inner.startsWith(outer.endsWith(QLatin1Char('/')) ? outer : outer + QLatin1Char('/'));
}

} // namespace

bool PublishFlow::isProtectedFolder(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QString target = resolved(path);
    if (QDir(target).isRoot())
        return true;
    const QString home = resolved(QDir::homePath());
    const QString desktop = resolved(QDir(QDir::homePath()).filePath(QStringLiteral("Desktop")));
    return target == desktop || isInside(home, target);
}

PublishFlow::OutputDirKind PublishFlow::classifyOutputDir(const QString& path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || (!info.exists() && !info.isSymLink()))
        return OutputDirKind::Missing;
    if (!info.isDir())
        return OutputDirKind::NotAFolder;
    if (isProtectedFolder(path))
        return OutputDirKind::ProtectedFolder;
    if (info.isSymLink())
        return OutputDirKind::OtherFolder; // removing through a link would hit what it points to
    const QFileInfo config(QDir(path).filePath(QStringLiteral("files/config.xml")));
    return config.isFile() ? OutputDirKind::PublishedBook : OutputDirKind::OtherFolder;
}

QString PublishFlow::overwriteQuestion()
{
    return QStringLiteral("Output directory already exists. Do you want to over write it?");
}

bool PublishFlow::CheckOutputDir(const QString& path, const std::function<OverwriteAnswer(const QString&)>& ask)
{
    if (classifyOutputDir(path) != OutputDirKind::PublishedBook)
        return true;
    switch (ask ? ask(path) : OverwriteAnswer::Other) {
    case OverwriteAnswer::No:
        return false;
    case OverwriteAnswer::Other:
        return true;
    case OverwriteAnswer::Yes:
        break;
    }
    LC_INFO(QStringLiteral("removing the earlier book in %1").arg(path));
    if (!QDir(path).removeRecursively())
        throw Error(ErrorKind::Output, QStringLiteral("the earlier book could not be removed completely"), path);
    return true;
}

} // namespace leafcraft
