#include "publish/PublishFlow.h"

#include "support/BookSettings.h"
#include "platform/Log.h"
#include "import/PageSource.h"
#include "publish/BookStaging.h"
#include "publish/FilePropertyCheck.h"
#include "publish/BookWriter.h"
#include "publish/AppBundleWriter.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/OutputMobileVersion.h"

#include <QDir>
#include <QFile>
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

void PublishFlow::checkBookName(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") || name == QLatin1String(".."))
        throw Error(ErrorKind::Usage, QStringLiteral("the book's name must be a plain file name"), name);
    // "<name>.html" and "<name>.app" must fit in one file name (255 bytes).
    if (QFile::encodeName(name).size() + 5 > 255)
        throw Error(ErrorKind::Output, QStringLiteral("the book's name is too long for a file name"), name.left(40) + QStringLiteral("..."));
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
    const QDir dir(path);
    const bool book = QFileInfo(dir.filePath(QStringLiteral("files/config.xml"))).isFile()
                      || QFileInfo(dir.filePath(BookStaging::manifestName())).isFile()
                      || AppBundleWriter::isOurBundle(path);
    return book ? OutputDirKind::PublishedBook : OutputDirKind::OtherFolder;
}

QString PublishFlow::overwriteQuestion()
{
    return QStringLiteral("Output directory already exists. Do you want to over write it?");
}

bool PublishFlow::confirmOverwrite(const QString& path, const std::function<OverwriteAnswer(const QString&)>& ask)
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
    // The writer replaces exactly the files of the previous book when it swaps the new one in.
    return true;
}

PublishFlow::PublishFlow(std::shared_ptr<PageSource> pageSource, std::shared_ptr<Template> bookTemplate,
                         std::shared_ptr<PageLinks> annotations, std::shared_ptr<Outline> outline)
    : m_pageSource(std::move(pageSource)),
      m_template(std::move(bookTemplate)),
      m_annotations(std::move(annotations)),
      m_outline(std::move(outline))
{
}

PublishFlow::~PublishFlow() = default;

BookSettings& PublishFlow::settings() const
{
    return m_settings ? *m_settings : BookSettings::shared();
}

PublishChoices PublishFlow::rememberedChoices() const
{
    const BookSettings& s = settings();
    PublishChoices c;
    c.folder = s.lastOutputFileFolder();
    c.name = s.lastOutputFileName();
    c.title = s.lastOutputFileTitle();
    c.outputType = s.outputType();
    c.createMobile = s.outputCreateMobile();
    c.mobileType = s.mobileType();
    return c;
}

void PublishFlow::rememberChoices(const PublishChoices& c)
{
    BookSettings& s = settings();
    s.setLastOutputFileFolder(c.folder);
    s.setLastOutputFileName(c.name);
    s.setLastOutputFileTitle(c.title);
    s.setOutputType(c.outputType);
    s.setOutputCreateMobile(c.createMobile);
    s.setMobileType(c.mobileType);
    s.saveSettings();
}

QString PublishFlow::replacedPath(const PublishChoices& choices)
{
    return choices.outputType == 1
               ? QDir(choices.folder).filePath(AppBundleWriter::bundleNameFor(bookFileName(choices.name)))
               : choices.folder;
}

QString PublishFlow::publish(const PublishChoices& choices, const std::function<OverwriteAnswer(const QString&)>& ask)
{
    m_warnings.clear();
    m_missingPhoneVersion.clear();
    const QString& folder = choices.folder;
    if (folder.trimmed().isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("choose the folder to publish into"));
    checkBookName(choices.name);
    if (m_template)
        checkFileProperties(*m_template);
    const QString fileName = bookFileName(choices.name);
    const QString replaced = replacedPath(choices);
    bool agreed = false;
    if (!confirmOverwrite(replaced, [&](const QString& path) {
            const OverwriteAnswer answer = ask ? ask(path) : OverwriteAnswer::Other;
            agreed = answer == OverwriteAnswer::Yes;
            return answer;
        }))
        return QString();
    rememberChoices(choices);

    auto html = std::make_shared<HTMLConfigInfo>();
    std::unique_ptr<BookWriter> writer;
    if (choices.outputType == 1)
        writer = std::make_unique<AppBundleWriter>(m_pageSource, m_template, folder, fileName);
    else
        writer = std::make_unique<BookWriter>(m_pageSource, m_template, folder, fileName);
    BookStaging staging(writer->bookRoot(), writer->manifestPath());
    staging.setReplacesBookWithoutManifest(agreed);
    staging.begin();
    writer->setStaging(&staging);
    // The phone version is staged with the book, below the same folder.
    const QString stagedFolder = staging.stagedPath(folder);
    OutputMobileVersion mobile(m_pageSource, m_template, stagedFolder, choices.mobileType);
    mobile.setSettings(&settings());
    mobile.setPublishedTitle(choices.title);
    try {
        html->setHtmlTitle(choices.title);
        writer->setHtmlConfig(html);
        writer->setPublishedTitle(choices.title);
        writer->setPageLinks(m_annotations);
        writer->setOutline(m_outline);
        writer->setSettings(&settings());
        writer->setProgressCallback(m_progress);
        if (m_writerSetup)
            m_writerSetup(*writer);
        writer->writeBook();
        m_warnings.append(writer->warnings());
        if (wantsMobile(choices)) {
            if (m_mobileSetup)
                m_mobileSetup(mobile);
            mobile.writeMobileVersion();
            m_warnings.append(mobile.warnings());
            m_missingPhoneVersion = mobile.notWrittenReason();
            if (!mobile.failedFiles().isEmpty())
                throw Error(ErrorKind::Output,
                            QStringLiteral("the book was not written: %1 phone picture(s) could not be written (%2)")
                                .arg(mobile.failedFiles().size())
                                .arg(mobile.failedFiles().mid(0, 10).join(QStringLiteral(", "))),
                            folder);
            if (m_progress && !m_progress(int(m_pageSource ? m_pageSource->pages().size() : 0),
                                          int(m_pageSource ? m_pageSource->pages().size() : 0)))
                throw Error(ErrorKind::Cancelled, QStringLiteral("the publish was cancelled"), folder);
        }
        staging.commit();
        m_warnings.append(staging.warnings());
    } catch (const Error& e) {
        if (e.kind() == ErrorKind::Cancelled)
            LC_INFO(QStringLiteral("publish cancelled:%1").arg(folder));
        else
            LC_ERROR(QStringLiteral("publish error:%1").arg(e.text()));
        throw;
    }
    LC_INFO(QStringLiteral("published:%1").arg(writer->outputFileName()));
    return writer->outputFileName();
}

} // namespace leafcraft
