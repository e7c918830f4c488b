#include "publish/AppBundleWriter.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <utility>

namespace leafcraft {

namespace {

QString resourcesFolderFor(const QString& folder, const QString& name)
{
    return QDir::cleanPath(QDir(folder).filePath(AppBundleWriter::bundleNameFor(name)) +
                           QStringLiteral("/Contents/Resources/"));
}

// `path` without its last `count` components.
QString withoutLastComponents(QString path, int count)
{
    for (int i = 0; i < count; ++i) {
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        path = slash > 0 ? path.left(slash) : (slash == 0 ? QStringLiteral("/") : QString(""));
    }
    return path;
}

// Copies the folder `from` into `to` (created), files with their permissions, so that the
// launcher stays executable. Returns the paths that could not be copied.
QStringList copyTree(const QString& from, const QString& to)
{
    QStringList failed;
    if (!QFileInfo(from).isDir())
        return {from};
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QFileInfo info = it.fileInfo();
        const QString target = to + source.mid(from.size());
        if (info.isDir() && !info.isSymLink()) {
            if (!QDir().mkpath(target))
                failed << target;
        } else if (!tryCopyFile(source, target, {.createOnly = true}).isNull()
                   || !QFile::setPermissions(target, info.permissions())) {
            failed << target;
        }
    }
    return failed;
}

} // namespace

AppBundleWriter::AppBundleWriter(std::shared_ptr<PageSource> pageSource,
                                       std::shared_ptr<Template> bookTemplate, const QString& saveToFolder,
                                       const QString& toName)
    : BookWriter(std::move(pageSource), std::move(bookTemplate), resourcesFolderFor(saveToFolder, toName),
                      bundleNameFor(toName))
{
}

AppBundleWriter::~AppBundleWriter() = default;

QString AppBundleWriter::bundleNameFor(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString base = dot > 0 ? name.left(dot) : name;
    return base + QStringLiteral(".app");
}

bool AppBundleWriter::isOurBundle(const QString& bundlePath)
{
    const QFileInfo bundle(bundlePath);
    if (!bundle.isDir() || bundle.isSymLink())
        return false;
    QFile plist(bundlePath + QStringLiteral("/Contents/Info.plist"));
    if (!plist.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(plist.read(1 << 20));
    const qsizetype key = text.indexOf(QLatin1String("<key>CFBundleIdentifier</key>"));
    if (key < 0)
        return false;
    const qsizetype open = text.indexOf(QLatin1String("<string>"), key);
    const qsizetype close = text.indexOf(QLatin1String("</string>"), open);
    return open >= 0 && close > open && text.mid(open + 8, close - open - 8).trimmed() == bundleIdentifier();
}

void AppBundleWriter::nameBundle(const QString& plistPath, const QString& bundleName)
{
    // The skeleton's bundle is called "Book"; the copy takes the book's name (the bundle's
    // file name) and, for display, the book's title.
    QFile plist(plistPath);
    if (!plist.open(QIODevice::ReadOnly))
        return;
    QString text = QString::fromUtf8(plist.readAll());
    plist.close();
    const QString title = publishedTitle().trimmed().isEmpty() ? bundleName : publishedTitle().trimmed();
    for (const auto& [key, value] : {std::pair{QStringLiteral("CFBundleName"), bundleName},
                                     std::pair{QStringLiteral("CFBundleDisplayName"), title}}) {
        const QRegularExpression entry(QStringLiteral("(<key>%1</key>\\s*<string>)[^<]*(</string>)").arg(key));
        text.replace(entry, QStringLiteral("\\1") + value.toHtmlEscaped().replace(QLatin1Char('\\'), QStringLiteral("\\\\")) + QStringLiteral("\\2"));
    }
    const QString problem = trySaveFile(plistPath, text.toUtf8());
    if (!problem.isNull())
        warn(plistPath, QStringLiteral("the application's name could not be written (%1)").arg(problem), false);
}

QString AppBundleWriter::outputHtmlFileName() const
{
    return QDir(saveToFolder()).filePath(QStringLiteral("index.html"));
}

QString AppBundleWriter::outputFileName() const
{
    return withoutLastComponents(saveToFolder(), 2);
}

QString AppBundleWriter::bookRoot() const
{
    return withoutLastComponents(QDir::cleanPath(saveToFolder()), 3);
}

void AppBundleWriter::writeBook()
{
    const QString bundle = outputFileName();
    writeStaged([this, bundle] {
        const QString skeleton =
            Platform::current().resources().appFilesDir() + QStringLiteral("/TmplData/mac.app/Contents");
        const QStringList failed = copyTree(skeleton, stagedPath(bundle) + QStringLiteral("/Contents"));
        if (!failed.isEmpty()) {
            LC_ERROR(QStringLiteral("ouput the book,copy failed:%1").arg(failed.join(QStringLiteral(", "))));
            warn(skeleton, QStringLiteral("the application skeleton could not be copied"), true);
        }
        nameBundle(stagedPath(bundle) + QStringLiteral("/Contents/Info.plist"), QFileInfo(bundle).completeBaseName());
        writeStagedBook();
    });
}

} // namespace leafcraft
