#include "import/FlashPageSourcePDF.h"

#include "import/ParallelPages_p.h"
#include "platform/Log.h"
#include "platform/NotificationCenter.h"
#include "platform/PdfDocument.h"
#include "support/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <thread>

namespace leafcraft {

const QString FlashPageSourcePDF::progressNotification = QStringLiteral("ImportProgressInfoMSG");

namespace {

// A made file must be there and hold something: converters and external tools that fail
// quietly must not leave a page without its picture in the book.
void checkMade(const QString& path, int pageNumber, const char* what, const QString& source)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isFile() || info.size() == 0)
        throw Error(ErrorKind::BadInput,
                    QStringLiteral("page %1 could not be converted (no %2 was made)").arg(pageNumber).arg(QLatin1String(what)),
                    source);
}

} // namespace

FlashPageSourcePDF::FlashPageSourcePDF(const QString& path, const QString& pageRange, int DPI, int quality,
                                       Backend backend)
    : m_backend(std::move(backend)), m_pageRange(pageRange), m_DPI(DPI), m_quality(quality)
{
    setSourceFile(path);
    setWorkerCount(int(std::thread::hardware_concurrency()));
    m_document = std::shared_ptr<pdf::Document>(m_backend.openDocument(path));
    if (!m_document)
        throw Error(ErrorKind::BadInput, QStringLiteral("the file cannot be opened as a PDF"), path);
    m_neededPages = parsePageRange(pageRange, m_document->pageCount());
    const std::size_t n = m_neededPages.size();
    m_madePages.resize(n);
    m_madeThumbs.resize(n);
    m_madeMobiles.resize(n);
}

FlashPageSourcePDF::~FlashPageSourcePDF()
{
    const QStringList folders = workFolders();
    clearPages();
    m_converters.clear();
    // A converter removes its own folder; make sure nothing stays behind if one did not.
    for (const QString& folder : folders)
        if (!folder.isEmpty() && QFileInfo(folder).isDir())
            QDir(folder).removeRecursively();
}

void FlashPageSourcePDF::setWorkerCount(int count)
{
    m_workerCount = std::max(1, count);
}

QStringList FlashPageSourcePDF::workFolders() const
{
    QStringList folders;
    for (const auto& c : m_converters)
        if (c)
            folders << c->workFolder();
    return folders;
}

void FlashPageSourcePDF::prepareConverters(int workers)
{
    // Document handles are cloned here, on one thread: a handle must not be used by two
    // threads at once, not even to clone it.
    if (int(m_converters.size()) < workers)
        m_converters.resize(std::size_t(workers));
    for (auto& slot : m_converters) {
        if (slot)
            continue;
        std::shared_ptr<pdf::Document> handle(m_document->clone());
        slot = m_backend.createConverter(sourceFile(), std::move(handle), m_quality);
        if (!slot)
            throw Error(ErrorKind::Internal, QStringLiteral("no page converter"), sourceFile());
    }
}

void FlashPageSourcePDF::postProgress(int position, const QString& type) const
{
    NotificationCenter::defaultCenter().post(progressNotification, nullptr,
                                             {{QStringLiteral("pageIndex"), position + 1},
                                              {QStringLiteral("totalPage"), int(m_neededPages.size())},
                                              {QStringLiteral("type"), type}});
}

void FlashPageSourcePDF::runStep(Made kind, FlashPageList& list, const QString& type)
{
    const int count = int(m_neededPages.size());
    const int workers = std::min(m_workerCount, std::max(count, 1));
    std::vector<QString>& made = kind == Made::Page ? m_madePages : kind == Made::Thumb ? m_madeThumbs : m_madeMobiles;

    bool missing = false;
    for (const QString& path : made)
        missing = missing || path.isEmpty();
    if (missing && count > 0)
        prepareConverters(workers);

    auto work = [&](int worker, int position) {
        const int n = m_neededPages[std::size_t(position)];
        const std::size_t p = std::size_t(position);
        if (!made[p].isEmpty())
            return;
        Converter& c = *m_converters[std::size_t(worker)];
        if (kind == Made::Page) {
            // The page step makes all files of the page at once; the later steps collect them.
            const Converter::PageFiles files = c.convertPage(n);
            checkMade(files.page, n, "page file", sourceFile());
            checkMade(files.thumb, n, "thumbnail", sourceFile());
            checkMade(files.mobile, n, "mobile picture", sourceFile());
            m_madeThumbs[p] = files.thumb;
            m_madeMobiles[p] = files.mobile;
            m_madePages[p] = files.page;
        } else if (kind == Made::Thumb) {
            const QString path = c.generateThumbPage(n);
            checkMade(path, n, "thumbnail", sourceFile());
            m_madeThumbs[p] = path;
        } else {
            const QString path = c.generateMobilePage(n);
            checkMade(path, n, "mobile picture", sourceFile());
            m_madeMobiles[p] = path;
        }
    };
    auto done = [&](int position) {
        const std::size_t p = std::size_t(position);
        list.push_back(std::make_unique<FlashPage>(made[p], m_neededPages[p]));
        postProgress(position, type);
    };
    detail::runInPageOrder(count, workers, work, done, [this] { return stop(); });
}

void FlashPageSourcePDF::generatePages()
{
    runStep(Made::Page, mutablePages(), QStringLiteral("geneatePage"));
}

void FlashPageSourcePDF::generateThumbPages()
{
    runStep(Made::Thumb, mutableThumbPages(), QStringLiteral("geneateThumbPage"));
}

void FlashPageSourcePDF::generateMobilePages()
{
    // The mobile step reports as the page step does.
    runStep(Made::Mobile, mutableMobilePages(), QStringLiteral("geneatePage"));
}

void FlashPageSourcePDF::generateNormalPages()
{
    // A normal page is the page file itself: a copy of the entry, no new file.
    QSet<int> present;
    for (const auto& page : normalPages())
        present.insert(page->pageIndex());
    const int count = int(pages().size());
    for (int i = 0; i < count; ++i) {
        if (stop())
            return;
        const FlashPage& page = *pages()[std::size_t(i)];
        if (!present.contains(page.pageIndex())) {
            mutableNormalPages().push_back(page.copyPage(100, 100));
            present.insert(page.pageIndex());
        }
        postProgress(i, QStringLiteral("geneateNormalPage"));
    }
}

const FlashPage* FlashPageSourcePDF::getNormalPageAtIndex(int pageNumber) const
{
    return findByPageIndex(normalPages(), pageNumber, true);
}

const FlashPage* FlashPageSourcePDF::getThumbPageAtIndex(int pageNumber) const
{
    return findByPageIndex(thumbPages(), pageNumber, true);
}

} // namespace leafcraft

namespace leafcraft {

FlashPageSourcePDF::Backend FlashPageSourcePDF::defaultBackend()
{
    Backend backend;
    backend.openDocument = [](const QString& path) { return pdf::openDocument(path); };
    backend.createConverter = [](const QString& path, std::shared_ptr<pdf::Document>, int) -> std::unique_ptr<Converter> {
        throw Error(ErrorKind::Internal, QStringLiteral("no page converter is available"), path);
    };
    return backend;
}

} // namespace leafcraft
