#include "import/ImportPDFOperation.h"

#include "annotations/PdfOutline.h"
#include "annotations/PdfPageLinks.h"
#include "platform/Log.h"
#include "support/Error.h"

namespace leafcraft {

namespace {

// The message of the exception in flight, for the log and the user.
QString describeCurrent()
{
    try {
        throw;
    } catch (const Error& e) {
        return e.text();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("out of memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("unknown error");
    }
}

} // namespace

ImportPDFOperation::ImportPDFOperation(const QString& path, const QString& pageRange, int dpi, int quality)
    : m_dpi(dpi), m_quality(quality), m_pdfPath(path), m_pageRange(pageRange),
      m_backend(PdfPageSource::defaultBackend())
{
}

ImportPDFOperation::~ImportPDFOperation()
{
    if (m_thread.joinable()) {
        cancel();
        m_thread.join();
    }
}

void ImportPDFOperation::start()
{
    if (m_thread.joinable() || m_finished)
        return;
    m_thread = std::thread([this] { run(); });
}

void ImportPDFOperation::waitUntilFinished()
{
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

void ImportPDFOperation::cancel()
{
    std::lock_guard lock(m_mutex);
    if (m_pageSource)
        m_pageSource->setStop(true);
    m_cancelled = true;
}

QString ImportPDFOperation::errorMessage() const
{
    std::lock_guard lock(m_mutex);
    return m_errorMessage;
}

Warnings ImportPDFOperation::warnings() const
{
    std::lock_guard lock(m_mutex);
    return m_warnings;
}

std::vector<int> ImportPDFOperation::failedPages() const
{
    std::lock_guard lock(m_mutex);
    return m_failedPages;
}

void ImportPDFOperation::run()
{
    // Nothing may escape a thread: an error outside the guarded steps ends the import
    // without results.
    try {
        main();
    } catch (...) {
        const QString text = describeCurrent();
        LC_ERROR(QStringLiteral("Run Import PDF Operation error,import pages:%1").arg(text));
        std::lock_guard lock(m_mutex);
        m_errorMessage = text;
        m_pageSource.reset();
        m_pageLinks.reset();
        m_outline.reset();
    }
    m_finished = true;
    if (m_completion)
        m_completion();
}

void ImportPDFOperation::main()
{
    if (isCancelled())
        return;

    std::shared_ptr<PdfPageSource> source;
    try {
        source = std::make_shared<PdfPageSource>(m_pdfPath, m_pageRange, m_dpi, m_quality, m_backend);
        if (m_workerCount > 0)
            source->setWorkerCount(m_workerCount);
        source->setZoomPictures(m_zoomPictures);
        source->setAllowText(m_allowText);
        source->setKeepGoing(m_keepGoing);
        {
            std::lock_guard lock(m_mutex);
            m_pageSource = source;
            // A cancel that came before the source existed still stops it.
            if (m_cancelled)
                source->setStop(true);
        }
        LC_DEBUG(QStringLiteral("before generate pages"));
        source->generatePages();
        LC_DEBUG(QStringLiteral("after generate pages"));
        LC_DEBUG(QStringLiteral("before generate Thumbnail"));
        source->generateThumbPages();
        LC_DEBUG(QStringLiteral("after generate Thumbnail"));
        source->generateMobilePages();
        LC_DEBUG(QStringLiteral("before generateNormalPages"));
        source->generateNormalPages();
        LC_DEBUG(QStringLiteral("after generateNormalPages"));
        std::lock_guard lock(m_mutex);
        m_warnings = source->warnings();
        m_failedPages = source->failedPages();
    } catch (...) {
        const QString text = describeCurrent();
        LC_ERROR(QStringLiteral("Run Import PDF Operation error,import pages:%1").arg(text));
        std::lock_guard lock(m_mutex);
        m_errorMessage = text;
        m_pageSource.reset();
        source.reset(); // removes the work folders of the pages made so far
    }

    // The document of a page source that could not be made is gone: links and outline are
    // then empty.
    const std::shared_ptr<pdf::Document> document = source ? source->pdfDocument() : nullptr;
    if (!isCancelled() && m_importLinks) {
        auto annotations = std::make_shared<PdfPageLinks>();
        m_pageLinks = annotations;
        try {
            annotations->loadLinksFromPDF(document, m_pageRange);
        } catch (...) {
            LC_ERROR(QStringLiteral("Run Import PDF Operation error,import links:%1").arg(describeCurrent()));
            m_pageLinks.reset();
        }
    }
    if (!isCancelled() && m_importBookmarks) {
        auto outline = std::make_shared<PdfOutline>();
        m_outline = outline;
        try {
            if (document)
                outline->loadOutlineFromPDF(*document);
        } catch (...) {
            LC_ERROR(QStringLiteral("Run Import PDF Operation error,import outline:%1").arg(describeCurrent()));
            m_outline.reset();
        }
    }

    if (isCancelled()) {
        LC_DEBUG(QStringLiteral("import pdf is cancelled"));
        std::lock_guard lock(m_mutex);
        m_pageSource.reset();
        m_pageLinks.reset();
        m_outline.reset();
    }
}

} // namespace leafcraft
