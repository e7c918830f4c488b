// One import of a PDF, run in the background: the page files of the pages a range names
// (PdfPageSource), optionally the link areas (PdfPageLinks) and the bookmark
// outline (PdfOutline).
//
// Results, read once isFinished() is true:
//   - success: the page source, plus annotations / outline when asked for;
//   - the pages could not be made (bad file, bad range, a page that fails to convert): no
//     page source, errorMessage() says why; annotations and outline, when asked for, exist
//     and are empty;
//   - cancelled: no result at all.
// Progress: "ImportProgressInfoMSG" on NotificationCenter::defaultCenter(), posted on the
// import's thread, user info {"pageIndex": 1-based position in the step, "totalPage": number
// of pages, "type": "geneatePage" | "geneateThumbPage" | "geneateNormalPage"}.
#pragma once

#include "import/PdfPageSource.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace leafcraft {

class PageSource;
class PageLinks;
class Outline;

class ImportPDFOperation {
public:
    ImportPDFOperation(const QString& path, const QString& pageRange, int dpi, int quality);
    // Cancels a running import and waits for its thread.
    ~ImportPDFOperation();
    ImportPDFOperation(const ImportPDFOperation&) = delete;
    ImportPDFOperation& operator=(const ImportPDFOperation&) = delete;

    // Set before the import starts.
    void setImportLinks(bool on) { m_importLinks = on; }
    bool importLinks() const { return m_importLinks; }
    void setImportBookmarks(bool on) { m_importBookmarks = on; }
    bool importBookmarks() const { return m_importBookmarks; }
    // Large pictures for the zoom (PdfPageSource::setZoomPictures).
    void setZoomPictures(bool on) { m_zoomPictures = on; }
    // Publish the pages' text even when the PDF's permissions forbid copying it.
    void setAllowText(bool allow) { m_allowText = allow; }
    // Leave out pages that cannot be rendered instead of failing (see failedPages()).
    void setKeepGoing(bool on) { m_keepGoing = on; }
    // Worker threads for the page conversion (0: one per processor core).
    void setWorkerCount(int count) { m_workerCount = count; }
    void setBackend(PdfPageSource::Backend backend) { m_backend = std::move(backend); }
    // Called on the import's thread right after the finished state has become true.
    void setCompletionHandler(std::function<void()> handler) { m_completion = std::move(handler); }

    // Runs main() on a thread of its own; once only.
    void start();
    // Blocks until a started import has finished.
    void waitUntilFinished();
    // Stops the import within the page being converted: sets the page source's stop flag
    // and the cancelled state. Safe from any thread.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }
    bool isFinished() const { return m_finished.load(); }

    // The import itself, on the calling thread (start() calls it on its own thread).
    void main();

    std::shared_ptr<PageSource> pageSource() const { return m_pageSource; }
    std::shared_ptr<PageLinks> pageLinks() const { return m_pageLinks; }
    std::shared_ptr<Outline> outline() const { return m_outline; }
    // Why the page source was dropped ("" when it was not), in words for the user.
    QString errorMessage() const;
    // Read after the import has finished: the damage worked around and pages drawn despite
    // errors, and the pages left out because they could not be rendered (with keepGoing).
    Warnings warnings() const;
    std::vector<int> failedPages() const;

private:
    void run();

    std::shared_ptr<PageSource> m_pageSource;
    std::shared_ptr<PageLinks> m_pageLinks;
    std::shared_ptr<Outline> m_outline;
    int m_dpi;
    int m_quality;
    QString m_pdfPath;
    QString m_pageRange;
    bool m_importBookmarks = false;
    bool m_importLinks = false;
    bool m_zoomPictures = false;
    bool m_allowText = false;

    int m_workerCount = 0;
    PdfPageSource::Backend m_backend;
    std::function<void()> m_completion;
    QString m_errorMessage;
    bool m_keepGoing = false;
    Warnings m_warnings;
    std::vector<int> m_failedPages;
    std::atomic<bool> m_cancelled{false};
    std::atomic<bool> m_finished{false};
    // Guards the page source pointer against cancel() from another thread.
    mutable std::mutex m_mutex;
    std::thread m_thread;
};

} // namespace leafcraft
