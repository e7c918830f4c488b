#include "publish/PublishFlow.h"

#include "app/AppSettings.h"
#include "platform/Log.h"
#include "publish/FlashBookOutput.h"
#include "publish/FlashBookOutputApp.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/OutputMobileVersion.h"

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

PublishFlow::PublishFlow(std::shared_ptr<FlashPageSource> pageSource, std::shared_ptr<FlashTemplate> flashTemplate,
                         std::shared_ptr<FlashPagesAnnotations> annotations, std::shared_ptr<FlashOutline> outline)
    : m_pageSource(std::move(pageSource)),
      m_template(std::move(flashTemplate)),
      m_annotations(std::move(annotations)),
      m_outline(std::move(outline))
{
}

PublishFlow::~PublishFlow() = default;

AppSettings& PublishFlow::settings() const
{
    return m_settings ? *m_settings : AppSettings::shareInstance();
}

PublishChoices PublishFlow::rememberedChoices() const
{
    const AppSettings& s = settings();
    PublishChoices c;
    c.folder = s.lastOutputFileFolder();
    c.name = s.lastOutputFileName();
    c.title = s.lastOutputFileTitle();
    c.outputType = s.outputType();
    c.createMobile = s.OutputCreateMobile();
    c.mobileType = s.MobileType();
    return c;
}

void PublishFlow::rememberChoices(const PublishChoices& c)
{
    AppSettings& s = settings();
    s.setLastOutputFileFolder(c.folder);
    s.setLastOutputFileName(c.name);
    s.setLastOutputFileTitle(c.title);
    s.setOutputType(c.outputType);
    s.setOutputCreateMobile(c.createMobile);
    s.setMobileType(c.mobileType);
    s.saveSettings();
}

QString PublishFlow::publish(const PublishChoices& choices, const std::function<OverwriteAnswer(const QString&)>& ask)
{
    m_warnings.clear();
    const QString& folder = choices.folder;
    if (folder.trimmed().isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("choose the folder to publish into"));
    if (choices.name.isEmpty() || choices.name.contains(QLatin1Char('/')) || choices.name == QLatin1String(".")
        || choices.name == QLatin1String(".."))
        throw Error(ErrorKind::Usage, QStringLiteral("the book's name must be a plain file name"), choices.name);
    if (!CheckOutputDir(folder, ask))
        return QString();
    rememberChoices(choices);

    const QString fileName = bookFileName(choices.name);
    auto html = std::make_shared<HTMLConfigInfo>();
    std::unique_ptr<FlashBookOutput> writer;
    if (choices.outputType == 1) {
        writer = std::make_unique<FlashBookOutputApp>(m_pageSource, m_template, folder, fileName);
    } else {
        if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
            throw Error(ErrorKind::Output, QStringLiteral("cannot create the output folder"), folder);
        writer = std::make_unique<FlashBookOutput>(m_pageSource, m_template, folder, fileName);
    }
    OutputMobileVersion mobile(m_pageSource, m_template, folder, choices.mobileType);
    mobile.setAppSettings(&settings());
    try {
        html->setHTMLTitle(choices.title);
        writer->setHTMLConfig(html);
        writer->setPublishedTitle(choices.title);
        writer->setFlashPagesAnnotations(m_annotations);
        writer->setFlashOutline(m_outline);
        writer->setAppSettings(&settings());
        if (m_writerSetup)
            m_writerSetup(*writer);
        writer->ouputTheBook();
        m_warnings.append(writer->warnings());
        if (wantsMobile(choices)) {
            if (m_mobileSetup)
                m_mobileSetup(mobile);
            mobile.PublishMobileConfig();
            m_warnings.append(mobile.warnings());
        }
    } catch (const Error& e) {
        LC_ERROR(QStringLiteral("publish error:%1").arg(e.text()));
        throw;
    }
    if (writer->failedWrites() > 0)
        throw Error(ErrorKind::Output,
                    QStringLiteral("%1 file(s) of the book could not be written").arg(writer->failedWrites()), folder);
    return writer->outputFileName();
}

} // namespace leafcraft
