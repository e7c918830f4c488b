#include "app/LivePreview.h"

#include "platform/Log.h"
#include "platform/Platform.h"
#include "publish/FlashBookOutput.h"
#include "publish/HTMLConfigInfo.h"
#include "support/FileUtility.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace leafcraft {

void LivePreview::makeFlashPreviewFolder()
{
    QString support = Platform::current().paths().userAppSupportDir();
    if (support.isEmpty())
        support = QStringLiteral("/temp");
    iFlashPreviewFolder = QDir::cleanPath(support + QStringLiteral("/Quiresheet/preview/"));
    if (!QFileInfo::exists(iFlashPreviewFolder) && !QDir().mkpath(iFlashPreviewFolder))
        LC_WARN(QStringLiteral("flash preview folder cannot be crearted[%1]").arg(iFlashPreviewFolder));
    FileUtility::makeDiractoryTrustByFlash(iFlashPreviewFolder);
}

void LivePreview::InitPageConfig(const QString& /*basePath*/)
{
    if (iFlashPreviewFolder.isEmpty())
        makeFlashPreviewFolder();
}

QString LivePreview::applyChange(const std::shared_ptr<FlashTemplate>& flashTemplate,
                                 const std::shared_ptr<FlashPageSource>& pageSource,
                                 const std::shared_ptr<FlashPagesAnnotations>& annotations,
                                 const std::shared_ptr<FlashOutline>& outline,
                                 const std::function<bool(int done, int total)>& progress)
{
    if (iFlashPreviewFolder.isEmpty())
        makeFlashPreviewFolder();
    auto html = std::make_shared<HTMLConfigInfo>();
    FlashBookOutput writer(pageSource, flashTemplate, iFlashPreviewFolder, QStringLiteral("index.html"));
    try {
        html->setHTMLTitle(QStringLiteral("Preview"));
        writer.setHTMLConfig(html);
        writer.setFlashPagesAnnotations(annotations);
        writer.setFlashOutline(outline);
        writer.setProgressCallback(progress);
        writer.ouputTheBook();
        InitPageConfig(QStringLiteral(""));
        if (writer.failedWrites() > 0)
            throw Error(ErrorKind::Output, QStringLiteral("%1 file(s) could not be written").arg(writer.failedWrites()),
                        iFlashPreviewFolder);
        return writer.outputFileName();
    } catch (const std::exception& e) {
        const auto* error = dynamic_cast<const Error*>(&e);
        if (error && error->kind() == ErrorKind::Cancelled) {
            LC_INFO(QStringLiteral("the preview was not updated: cancelled"));
            return QString();
        }
        LC_ERROR(QStringLiteral("apply change :%1").arg(error ? error->text() : QString::fromUtf8(e.what())));
        return QString();
    }
}

void LivePreview::ReplaceXMLPath(bool absolute)
{
    const QString path = iFlashPreviewFolder + QStringLiteral("/pages.xml");
    QFile in(path);
    if (iFlashPreviewFolder.isEmpty() || !in.open(QIODevice::ReadOnly))
        return;
    QString text = QString::fromUtf8(in.readAll());
    in.close();
    const QString files = iFlashPreviewFolder + QStringLiteral("/files/");
    if (absolute)
        text.replace(QStringLiteral("bace=\"\""), QStringLiteral("bace=\"%1\"").arg(files));
    else
        text.replace(QStringLiteral("\"%1\"").arg(files), QStringLiteral("\"\""));
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0 || !out.commit())
        LC_WARN(QStringLiteral("cannot rewrite the preview's page list[%1]").arg(path));
}

void LivePreview::removePageList()
{
    if (!iFlashPreviewFolder.isEmpty())
        QFile::remove(iFlashPreviewFolder + QStringLiteral("/pages.xml"));
}

void LivePreview::removeFlashPreviewFolder()
{
    if (!iFlashPreviewFolder.isEmpty() && QFileInfo::exists(iFlashPreviewFolder))
        QDir(iFlashPreviewFolder).removeRecursively();
}

void LivePreview::placeCubeImages(const QString& previewFolder, const QString& tmplName, const QString& styleFolder)
{
    const QString extFiles = previewFolder + QLatin1String("/files/extfiles/");
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"}) {
        const QString file = QString::fromLatin1(name);
        if (tmplName == QLatin1String("Panoramic")) {
            const QString source = styleFolder + QLatin1Char('/') + file;
            if (QFileInfo::exists(source)) {
                QDir().mkpath(extFiles);
                QFile::copy(source, extFiles + file); // never replaces a picture already there
            }
        } else {
            QFile::remove(extFiles + file);
        }
    }
}

} // namespace leafcraft
