#include "publish/PublishJob.h"

#include "annotations/Outline.h"
#include "annotations/PageLinks.h"
#include "publish/CubeImages.h"
#include "support/BookSettings.h"
#include "import/PageSource.h"
#include "import/ImportPDFOperation.h"
#include "import/PdfPageConverter.h"
#include "import/PageFacts.h"
#include "import/SwfFile.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/PdfDocument.h"
#include "platform/Platform.h"
#include "publish/FilePropertyCheck.h"
#include "publish/EditedPageList.h"
#include "publish/BookWriter.h"
#include "support/SaveFile.h"
#include "publish/BookFingerprint.h"
#include "publish/HTMLConfigInfo.h"
#include "publish/PublishFlow.h"
#include "support/FileUtility.h"
#include "support/ScratchFolders.h"
#include "templates/Template.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <cmath>
#include <filesystem>

namespace leafcraft {

namespace {

PageFormat pageFormat(PublishOptions::PageFormat format)
{
    switch (format) {
    case PublishOptions::PageFormat::Swf: return PageFormat::Swf;
    case PublishOptions::PageFormat::Svg: return PageFormat::Svg;
    case PublishOptions::PageFormat::Jpg: break;
    }
    return PageFormat::Jpg;
}

} // namespace

PublishJob::PublishJob(PublishOptions options) : m_options(std::move(options)) {}

PublishJob::~PublishJob()
{
    // A folder made for a book that was never written goes again (only while it is empty).
    if (m_createdOutput && !m_written)
        QDir().rmdir(m_options.outputFolder);
    // The page source's converter owns the converted page files; release it before the
    // working folder goes.
    m_pageSource.reset();
    if (!m_workingFolder.isEmpty()) {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::path(m_workingFolder.toStdU16String()), ec);
        scratch::forget(m_workingFolder);
    }
}

int PublishJob::qualityForLevel(int level)
{
    static const int qualities[] = {100, 85, 65, 45, 25};
    return level >= 0 && level < 5 ? qualities[level] : 100;
}

void PublishJob::report(PublishProgress::Stage stage, const QString& step, int done, int total)
{
    if (m_progress)
        m_progress({stage, step, done, total});
}

QString PublishJob::run()
{
    prepare();
    import();
    return write();
}

void PublishJob::checkOutputFolder()
{
    const QString folder = m_options.outputFolder;
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        throw Error(ErrorKind::Output, QStringLiteral("the output path exists and is not a folder"), folder);
    m_createdOutput = !info.exists();
    if (!QDir().mkpath(folder))
        throw Error(ErrorKind::Output, QStringLiteral("cannot create the output folder"), folder);
    QTemporaryFile probe(folder + QStringLiteral("/.leafcraft-XXXXXX"));
    if (!probe.open())
        throw Error(ErrorKind::Output, QStringLiteral("cannot write into the output folder"), folder);
}

void PublishJob::prepare()
{
    report(PublishProgress::Stage::Checking);
    const PublishOptions& o = m_options;
    if (o.inputPdf.isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("no input PDF given"));
    if (o.outputFolder.isEmpty())
        throw Error(ErrorKind::Usage, QStringLiteral("no output folder given"));
    PublishFlow::checkBookName(o.name);
    if (o.qualityLevel < 0 || o.qualityLevel > 4)
        throw Error(ErrorKind::Usage, QStringLiteral("the quality level must be 0 to 4"));
    if (o.jobs < 0)
        throw Error(ErrorKind::Usage, QStringLiteral("the number of jobs cannot be negative"));

    // The PDF: readable, not damaged, not encrypted, and the range names some of its pages.
    {
        std::unique_ptr<pdf::Document> doc = pdf::openDocument(o.inputPdf);
        m_pageCount = doc->pageCount();
        m_neededPages = PageSource::parsePageRange(o.pageRange, m_pageCount);
        // The book's first page as displayed (a rotated page shows its crop box turned).
        double w = 0, h = 0;
        doc->displaySize(m_neededPages.front() - 1, &w, &h);
        m_pageWidth = int(w);
        m_pageHeight = int(h);
    }

    // The template, its style, the settings file and the single values.
    if (o.templateName.isEmpty() || o.templateName.contains(QLatin1Char('/'))
        || !QFileInfo(Template::templateMetaPathForName(o.templateName)).isFile())
        throw Error(ErrorKind::BadInput, QStringLiteral("unknown template"), o.templateName);
    m_template = std::make_shared<Template>();
    if (o.styleName.isEmpty()) {
        if (!m_template->loadTemplate(o.templateName))
            throw Error(ErrorKind::BadInput, QStringLiteral("the template cannot be loaded"), o.templateName);
    } else {
        const QString style = Template::stylePathFor(o.templateName, o.styleName);
        if (o.styleName.contains(QLatin1Char('/')) || !QFileInfo(style + QStringLiteral("/tmplSetting.txt")).isFile())
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("unknown style of template \"%1\"").arg(o.templateName), o.styleName);
        if (!m_template->changeTemplateTo(o.templateName, style))
            throw Error(ErrorKind::BadInput, QStringLiteral("the template cannot be loaded"), o.templateName);
    }
    if (!o.settingsFile.isEmpty() && !m_template->importPropertiesSettingsFrom(o.settingsFile)) {
        const auto& why = m_template->warnings().list();
        throw Error(ErrorKind::BadInput,
                    why.empty() ? QStringLiteral("the settings file cannot be read") : why.back().message,
                    o.settingsFile);
    }
    if (!o.settingsFile.isEmpty()) {
        const std::vector<SettingsFileProblem> refused = settingsFileProblems(*m_template, o.settingsFile, o.allowedFiles);
        if (!refused.empty()) {
            const OutsideFile& f = refused.front().file;
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("the file %1 it names for property \"%2\" cannot go into a book: %3%4")
                            .arg(f.path, f.key, f.reason,
                                 refused.front().outsideOnly ? QStringLiteral(" (allow it with --allow-file PATH)")
                                                             : QString()),
                        o.settingsFile);
        }
    }
    for (const auto& [key, value] : o.propertyValues)
        if (!m_template->setPropertyValue(key, value))
            throw Error(ErrorKind::Usage,
                        QStringLiteral("template \"%1\" has no property with this key").arg(o.templateName), key);
    for (const Warning& w : m_template->warnings().list())
        m_warnings.add(w.where, w.message);
    checkFileProperties(*m_template);

    if (!o.pageList.isEmpty()) {
        m_pageList = std::make_unique<EditedPageList>(EditedPageList::load(o.pageList));
        if (m_pageList->pageCount() != int(m_neededPages.size()))
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("the page list has %1 pages, the imported range %2")
                            .arg(m_pageList->pageCount())
                            .arg(m_neededPages.size()),
                        o.pageList);
    }

    checkOutputFolder();

    // Settings of our own: a fresh store, never the user's remembered choices.
    m_settings = std::make_unique<BookSettings>();
    m_settings->setImportType(PdfPageConverter::importType(pageFormat(o.format)));
    m_workingFolder = FileUtility::makePrivateTempFolder(QStringLiteral("LeafcraftPublish"));
    if (!QFileInfo(m_workingFolder).isDir())
        throw Error(ErrorKind::Output, QStringLiteral("cannot create a working folder"), m_workingFolder);
    // The working folder stands in for the preview folder, where a Panoramic book's cube
    // pictures come from: those of the chosen style, else of the template's default style.
    const QString cubeStyle = o.styleName.isEmpty() ? m_template->defaultStyleName() : o.styleName;
    placeCubeImages(m_workingFolder, m_template->templateName(),
                                 Template::stylePathFor(o.templateName, cubeStyle));
    m_prepared = true;
}

void PublishJob::import()
{
    if (!m_prepared)
        prepare();
    const PublishOptions& o = m_options;

    ImportPDFOperation operation(o.inputPdf, o.pageRange, 144, qualityForLevel(o.qualityLevel));
    operation.setImportLinks(o.links);
    operation.setImportBookmarks(o.bookmarks);
    operation.setZoomPictures(o.zoomPictures);
    operation.setAllowText(o.allowText);
    const PageFormat format = pageFormat(o.format);
    PdfPageSource::Backend backend;
    backend.openDocument = [](const QString& path) { return pdf::openDocument(path); };
    backend.createConverter = [format](const QString& path, std::shared_ptr<pdf::Document> document, int quality)
        -> std::unique_ptr<PdfPageSource::Converter> {
        // The job keeps its own page size: the shared settings are never measured into.
        return PdfPageSource::createPageConverter(path, std::move(document), quality, format, false);
    };
    operation.setBackend(std::move(backend));
    // More threads than processors only cost memory.
    const int processors = std::max(1, QThread::idealThreadCount());
    operation.setWorkerCount(o.jobs > 0 ? std::min(o.jobs, processors) : processors);
    operation.setKeepGoing(o.keepGoing);
    {
        ScopedObserver progress(NotificationCenter::defaultCenter(), "ImportProgressInfoMSG", nullptr,
                                [this, &operation](const Notification& n) {
                                    // A stop asked for by a signal ends the import at the next page.
                                    if (scratch::stopRequested())
                                        operation.cancel();
                                    report(PublishProgress::Stage::Importing, n.userInfo.value("type").toString(),
                                           n.userInfo.value("pageIndex").toInt(), n.userInfo.value("totalPage").toInt());
                                });
        report(PublishProgress::Stage::Importing, QString(), 0, int(m_neededPages.size()));
        operation.main();
    }
    if (scratch::stopRequested())
        throw Error(ErrorKind::Cancelled, QStringLiteral("the publish was stopped"), o.outputFolder);
    m_pageSource = operation.pageSource();
    if (!m_pageSource || m_pageSource->pages().empty()) {
        const QString why = operation.errorMessage();
        throw Error(ErrorKind::BadInput,
                    why.isEmpty() ? QStringLiteral("the pages could not be converted")
                                  : QStringLiteral("the pages could not be converted: %1").arg(why),
                    o.inputPdf);
    }
    m_annotations = operation.pageLinks();
    m_outline = operation.outline();
    m_warnings.append(operation.warnings());
    m_leftOutPages = operation.failedPages();
    for (const auto& page : m_pageSource->pages()) {
        const PageFacts* facts = page->facts().get();
        if (!facts || facts->pictureInsteadOfVector.isEmpty())
            continue;
        // Counted by reason, the reason's figure in brackets left out.
        const QString reason = facts->pictureInsteadOfVector.section(QStringLiteral(" ("), 0, 0);
        auto same = std::find_if(m_pictureFallbacks.begin(), m_pictureFallbacks.end(),
                                 [&reason](const QPair<QString, int>& r) { return r.first == reason; });
        if (same == m_pictureFallbacks.end())
            m_pictureFallbacks.append({reason, 1});
        else
            ++same->second;
    }

    // What the application does when an import ends: the first page's size into the
    // template, and the size of the page files in pixels into the settings: for JPG pages
    // twice the first page's size, for SWF pages the frame of the first page's movie (what
    // the size tool reports).
    m_settings->setPageWidth(m_pageWidth * 2);
    m_settings->setPageHeight(m_pageHeight * 2);
    if (o.format == PublishOptions::PageFormat::Swf) {
        try {
            const SwfFile::Header h = SwfFile::readHeader(m_pageSource->pages().front()->pageFilePath());
            m_settings->setPageWidth(h.widthPixels());
            m_settings->setPageHeight(h.heightPixels());
        } catch (const Error& e) {
            m_warnings.add(e.where(), QStringLiteral("page size not measured: %1").arg(e.message()));
        }
    }
    m_template->setPropertyValue(QStringLiteral("pageWidth"), QString::number(m_pageWidth));
    m_template->setPropertyValue(QStringLiteral("pageHeight"), QString::number(m_pageHeight));

    if (auto* pdfSource = dynamic_cast<PdfPageSource*>(m_pageSource.get());
        pdfSource && (pdfSource->textWithheld() || o.allowText)) {
        const bool forbidden = pdfSource->pdfDocument() && !pdfSource->pdfDocument()->allowsTextCopy();
        if (pdfSource->textWithheld())
            m_warnings.add(o.inputPdf, QStringLiteral("the PDF's permissions forbid copying its text, so the book has no "
                                                      "search text and no page text for screen readers "
                                                      "(--allow-text publishes it anyway)"));
        else if (forbidden)
            m_warnings.add(o.inputPdf, QStringLiteral("the PDF's permissions forbid copying its text; it is published "
                                                      "because --allow-text was given"));
    }
    m_imported = true;
}

QString PublishJob::write()
{
    if (!m_imported)
        import();
    report(PublishProgress::Stage::Writing);
    const PublishOptions& o = m_options;
    auto html = std::make_shared<HTMLConfigInfo>();
    html->setHtmlTitle(o.title.isEmpty() ? QFileInfo(o.inputPdf).completeBaseName() : o.title);

    BookWriter writer(m_pageSource, m_template, o.outputFolder, o.name + QStringLiteral(".html"));
    writer.setHtmlConfig(html);
    writer.setPublishedTitle(html->htmlTitle());
    writer.setPageLinks(m_annotations);
    writer.setOutline(m_outline);
    setUpWriter(writer);
    writer.setReplacesBookWithoutManifest(o.replaceOldBook);
    writer.writeBook();
    for (const Warning& w : writer.warnings().list())
        m_warnings.add(w.where, w.message);
    if (writer.failedWrites() > 0)
        throw Error(ErrorKind::Output,
                    QStringLiteral("%1 file(s) of the book could not be written").arg(writer.failedWrites()),
                    o.outputFolder);
    m_written = true;
    report(PublishProgress::Stage::Done);
    return QFileInfo(writer.outputFileName()).absoluteFilePath();
}

QString PublishJob::fingerprint(const QStringList& writerChoices) const
{
    if (!m_prepared)
        throw Error(ErrorKind::Internal, QStringLiteral("a fingerprint before the job was prepared"));
    const PublishOptions& o = m_options;
    const auto yesNo = [](bool b) { return b ? QStringLiteral("yes") : QStringLiteral("no"); };
    BookFingerprint print;
    print.addText(QStringLiteral("version"), QStringLiteral(LEAFCRAFT_VERSION));
    print.addFile(QStringLiteral("pdf"), o.inputPdf);
    print.addText(QStringLiteral("name"), o.name);
    print.addText(QStringLiteral("title"), o.title.isEmpty() ? QFileInfo(o.inputPdf).completeBaseName() : o.title);
    print.addText(QStringLiteral("pages"), o.pageRange);
    print.addText(QStringLiteral("quality"), QString::number(o.qualityLevel));
    print.addText(QStringLiteral("format"), o.format == PublishOptions::PageFormat::Jpg ? QStringLiteral("jpg")
                                                                                       : QStringLiteral("swf"));
    print.addText(QStringLiteral("zoom pictures"), yesNo(o.zoomPictures));
    print.addText(QStringLiteral("allow text"), yesNo(o.allowText));
    print.addText(QStringLiteral("links"), yesNo(o.links));
    print.addText(QStringLiteral("bookmarks"), yesNo(o.bookmarks));
    print.addText(QStringLiteral("keep going"), yesNo(o.keepGoing));
    print.addText(QStringLiteral("template"), o.templateName);
    print.addText(QStringLiteral("style"), o.styleName);
    if (!o.settingsFile.isEmpty())
        print.addFile(QStringLiteral("settings"), o.settingsFile);
    for (const auto& [key, value] : o.propertyValues)
        print.addText(QStringLiteral("set ") + key, value);
    if (m_pageList) {
        print.addFile(QStringLiteral("page list"), o.pageList);
        for (const QString& file : m_pageList->files())
            print.addFile(file, m_pageList->filesFolder() + QLatin1Char('/') + file);
    }
    // The templates, styles and players the book is made of.
    print.addTree(QStringLiteral("program files"), Platform::current().resources().appFilesDir());
    for (const OutsideFile& f : outsideFiles(*m_template))
        print.addFile(QStringLiteral("property ") + f.key, f.path);
    for (const QString& choice : writerChoices)
        print.addText(QStringLiteral("writer"), choice);
    return print.hex();
}

void PublishJob::setUpWriter(BookWriter& writer)
{
    writer.setPreviewFolder(m_workingFolder);
    writer.setFingerprint(m_fingerprint);
    writer.setSettings(m_settings.get());
    if (!m_pageList)
        return;
    // The working folder's page list is the book's: the new import's pages with the edited
    // list's items.
    xml::Document pages = writer.pageListDocument(QStringLiteral(""));
    m_pageList->applyTo(pages);
    const QString path = m_workingFolder + QStringLiteral("/pages.xml");
    saveFile(path, pages.rootBytes(xml::Output::Pretty), QStringLiteral("the working page list"));
    writer.setEditorFiles(m_pageList->filesFolder(), m_pageList->files());
}

} // namespace leafcraft
