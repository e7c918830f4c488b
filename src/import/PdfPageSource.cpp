#include "import/PdfPageSource.h"

#include "import/PdfPageConverter.h"
#include "support/ParallelWork.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/PdfDocument.h"
#include "support/Error.h"
#include "support/ScratchFolders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <mutex>
#include <thread>

namespace leafcraft {

const QString PdfPageSource::progressNotification = QStringLiteral("ImportProgressInfoMSG");

namespace {

using Converter = PdfPageSource::Converter;

// Why a page has no usable files: a made file must be there and hold something, because
// converters and external tools that fail quietly must not leave a page without its picture
// in the book. A null string when every file is there.
QString missingFile(const Converter::PageFiles& files)
{
    const std::pair<const QString*, const char*> made[] = {
        {&files.page, "page file"}, {&files.thumb, "thumbnail"}, {&files.mobile, "mobile picture"}};
    for (const auto& [path, what] : made) {
        const QFileInfo info(*path);
        if (path->isEmpty() || !info.isFile() || info.size() == 0)
            return files.problem.isEmpty() ? QStringLiteral("no %1 was made").arg(QLatin1String(what)) : files.problem;
    }
    return QString();
}

// "3, 5-9, 12" for ascending page numbers.
QString pageList(const std::vector<int>& pages)
{
    QStringList parts;
    for (std::size_t i = 0; i < pages.size();) {
        std::size_t j = i;
        while (j + 1 < pages.size() && pages[j + 1] == pages[j] + 1)
            ++j;
        parts << (i == j ? QString::number(pages[i]) : QStringLiteral("%1-%2").arg(pages[i]).arg(pages[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

PdfPageSource::PdfPageSource(const QString& path, const QString& pageRange, int dpi, int quality,
                                       Backend backend)
    : m_backend(std::move(backend)), m_pageRange(pageRange), m_dpi(dpi), m_quality(quality)
{
    setSourceFile(path);
    setWorkerCount(int(std::thread::hardware_concurrency()));
    m_document = std::shared_ptr<pdf::Document>(m_backend.openDocument(path));
    if (!m_document)
        throw Error(ErrorKind::BadInput, QStringLiteral("the file cannot be opened as a PDF"), path);
    for (const QString& damage : m_document->damage())
        m_warnings.add(path, damage);
    m_neededPages = parsePageRange(pageRange, m_document->pageCount());
    m_converter = m_backend.createConverter(path, m_document, quality);
    if (!m_converter)
        throw Error(ErrorKind::Internal, QStringLiteral("no page converter"), path);
    m_converter->setSizePage(m_neededPages.front());
    const std::size_t n = m_neededPages.size();
    m_madePages.resize(n);
    m_madeThumbs.resize(n);
    m_madeMobiles.resize(n);
    m_failures.resize(n);
    m_madeZooms.resize(n);
    m_madeFacts.resize(n);
    setAllowText(false);
}

void PdfPageSource::setZoomPictures(bool on)
{
    m_converter->setZoomPictures(on);
}

void PdfPageSource::setAllowText(bool allow)
{
    m_textWithheld = !allow && !m_document->allowsTextCopy();
    m_converter->setTextWanted(!m_textWithheld);
}

PdfPageSource::~PdfPageSource()
{
    const QString folder = workFolder();
    clearPages();
    m_converter.reset();
    m_handles.clear();
    // The converter removes its own folder; make sure nothing stays behind if it did not.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        QDir(folder).removeRecursively();
    scratch::forget(folder);
}

void PdfPageSource::setWorkerCount(int count)
{
    m_workerCount = std::max(1, count);
}

QString PdfPageSource::workFolder() const
{
    return m_converter ? m_converter->workFolder() : QString();
}

void PdfPageSource::prepareWorkers(int workers)
{
    // Handles are cloned here, on one thread: a handle is never used by two threads at once,
    // not even to clone it.
    while (int(m_handles.size()) < workers)
        m_handles.push_back(m_document->clone());
}

void PdfPageSource::postProgress(int position, const QString& type) const
{
    NotificationCenter::defaultCenter().post(progressNotification, nullptr,
                                             {{QStringLiteral("pageIndex"), position + 1},
                                              {QStringLiteral("totalPage"), int(m_neededPages.size())},
                                              {QStringLiteral("type"), type}});
}

void PdfPageSource::runStep(Made kind, BookPageList& list, const QString& type)
{
    if (stop())
        return;
    const int count = int(m_neededPages.size());
    const int workers = std::min(m_workerCount, std::max(count, 1));
    std::vector<QString>& made = kind == Made::Page ? m_madePages : kind == Made::Thumb ? m_madeThumbs : m_madeMobiles;

    bool missing = false;
    for (std::size_t p = 0; p < made.size(); ++p)
        missing = missing || (made[p].isEmpty() && m_failures[p].isEmpty());
    if (missing && count > 0)
        prepareWorkers(workers);

    std::mutex warningsMutex;
    auto work = [&](int worker, int position) {
        const int n = m_neededPages[std::size_t(position)];
        const std::size_t p = std::size_t(position);
        if (!made[p].isEmpty() || !m_failures[p].isEmpty())
            return;
        // Every step makes all files of the page at once (one rendering); the later steps
        // then only collect them.
        const Converter::PageFiles files = m_converter->convertPage(n, *m_handles[std::size_t(worker)]);
        const QString failure = missingFile(files);
        if (!failure.isNull()) {
            m_failures[p] = failure;
            return;
        }
        if (!files.problem.isEmpty()) {
            std::lock_guard lock(warningsMutex);
            m_warnings.add(sourceFile(), files.problem);
        }
        m_madeThumbs[p] = files.thumb;
        m_madeMobiles[p] = files.mobile;
        m_madeZooms[p] = files.zoom;
        m_madeFacts[p] = files.facts;
        m_madePages[p] = files.page;
    };
    auto done = [&](int position) {
        const std::size_t p = std::size_t(position);
        if (!m_failures[p].isEmpty()) {
            postProgress(position, type);
            return;
        }
        const int n = m_neededPages[p];
        auto page = std::make_unique<BookPage>(made[p], n);
        if (kind == Made::Page) {
            page->setFacts(m_madeFacts[p]);
            const QFileInfo zoom(m_madeZooms[p]);
            if (!m_madeZooms[p].isEmpty() && zoom.isFile() && zoom.size() > 0)
                mutableZoomedPages().push_back(std::make_unique<BookPage>(m_madeZooms[p], n));
        }
        list.push_back(std::move(page));
        postProgress(position, type);
    };
    detail::runInPageOrder(count, workers, work, done, [this] { return stop(); });

    const std::vector<int> failed = failedPages();
    if (failed.empty() || stop())
        return;
    QString first;
    for (const QString& why : m_failures)
        if (first.isEmpty())
            first = why;
    QString message = QStringLiteral("%1 of %2 pages could not be rendered (pages %3): %4")
                          .arg(failed.size()).arg(count).arg(pageList(failed), first);
    for (const QString& damage : m_document->damage())
        message += QStringLiteral("; ") + damage;
    if (!m_keepGoing || failed.size() == std::size_t(count))
        throw Error(ErrorKind::BadInput, message, sourceFile());
    if (kind == Made::Page)
        m_warnings.add(sourceFile(), message + QStringLiteral("; they are left out"));
}

std::vector<int> PdfPageSource::failedPages() const
{
    std::vector<int> pages;
    for (std::size_t p = 0; p < m_failures.size(); ++p)
        if (!m_failures[p].isEmpty())
            pages.push_back(m_neededPages[p]);
    return pages;
}

void PdfPageSource::generatePages()
{
    runStep(Made::Page, mutablePages(), QStringLiteral("geneatePage"));
}

void PdfPageSource::generateThumbPages()
{
    runStep(Made::Thumb, mutableThumbPages(), QStringLiteral("geneateThumbPage"));
}

void PdfPageSource::generateMobilePages()
{
    // The mobile step reports as the page step does.
    runStep(Made::Mobile, mutableMobilePages(), QStringLiteral("geneatePage"));
}

void PdfPageSource::generateNormalPages()
{
    // A normal page is the page file itself: a copy of the entry, no new file.
    QSet<int> present;
    for (const auto& page : normalPages())
        present.insert(page->pageIndex());
    const int count = int(pages().size());
    for (int i = 0; i < count; ++i) {
        if (stop())
            return;
        const BookPage& page = *pages()[std::size_t(i)];
        if (!present.contains(page.pageIndex())) {
            mutableNormalPages().push_back(page.copyPage(100, 100));
            present.insert(page.pageIndex());
        }
        postProgress(i, QStringLiteral("geneateNormalPage"));
    }
}

const BookPage* PdfPageSource::normalPageAt(int pageNumber) const
{
    return findByPageIndex(normalPages(), pageNumber, true);
}

const BookPage* PdfPageSource::zoomedPageAt(int pageNumber) const
{
    return findByPageIndex(zoomedPages(), pageNumber, true);
}

const BookPage* PdfPageSource::thumbPageAt(int pageNumber) const
{
    return findByPageIndex(thumbPages(), pageNumber, true);
}

} // namespace leafcraft

namespace leafcraft {

namespace {

// The page converter behind a page source: pages in the given format; with `measureSize` the
// book's first page sets the settings' page size.
class SwfConverter final : public PdfPageSource::Converter {
public:
    SwfConverter(const QString& path, std::shared_ptr<pdf::Document> document, int quality, PageFormat format,
                 bool measureSize)
        : m_converter(path, std::move(document), quality), m_format(format), m_measureSize(measureSize)
    {
        if (!measureSize)
            m_converter.setSizePage(-1);
    }
    PageFiles convertPage(int pageNumber, const pdf::Document& document) override
    {
        const ConvertedPage c = m_converter.convertPage(pageNumber, m_format, &document);
        PageFiles files;
        files.page = c.page;
        files.thumb = c.thumb;
        files.mobile = c.mobile;
        files.zoom = c.zoom;
        files.facts = c.facts;
        files.problem = c.warnings.texts().join(QStringLiteral("; "));
        return files;
    }
    void setZoomPictures(bool on) override { m_converter.setZoomPictures(on); }
    void setTextWanted(bool on) override { m_converter.setTextWanted(on); }
    void setSizePage(int pageNumber) override
    {
        if (m_measureSize)
            m_converter.setSizePage(pageNumber);
    }
    QString workFolder() const override { return m_converter.converterWorkFolder(); }
    PageConverter* pageConverter() override { return &m_converter; }

private:
    PdfPageConverter m_converter;
    PageFormat m_format;
    bool m_measureSize;
};

} // namespace

std::unique_ptr<PdfPageSource::Converter> PdfPageSource::createPageConverter(
    const QString& path, std::shared_ptr<pdf::Document> document, int quality, PageFormat format, bool measureSize)
{
    return std::make_unique<SwfConverter>(path, std::move(document), quality, format, measureSize);
}

PdfPageSource::Backend PdfPageSource::defaultBackend()
{
    Backend backend;
    backend.openDocument = [](const QString& path) { return pdf::openDocument(path); };
    backend.createConverter = [](const QString& path, std::shared_ptr<pdf::Document> document,
                                 int quality) -> std::unique_ptr<Converter> {
        return createPageConverter(path, std::move(document), quality, PdfPageConverter::importFormat(), true);
    };
    return backend;
}

} // namespace leafcraft
