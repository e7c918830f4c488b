// The pages of a book imported from a PDF: the page files, thumbnails and mobile pictures of
// the pages that a page-range text names, made by page converters in private work folders.
//
// Pages are converted in parallel by one converter, each worker thread with its own handle on
// the document; progress is posted as "ImportProgressInfoMSG" in page order on the calling
// thread. Every BookPage made here has pageIndex = the PDF page number (the range 3-5 gives
// 3, 4, 5). Destroying the source removes every file it made.
#pragma once

#include "import/PageSource.h"
#include "support/Error.h"

#include <functional>
#include <memory>
#include <vector>

namespace leafcraft {

namespace pdf {
class Document;
}
class PageConverter;
struct PageFacts;
enum class PageFormat;

class PdfPageSource : public PageSource {
public:
    // Makes the files of pages. One converter serves every worker: convertPage runs on
    // several threads at once for different pages, each thread passing its own handle on the
    // document.
    class Converter {
    public:
        virtual ~Converter() = default;
        struct PageFiles {
            QString page, thumb, mobile;
            QString zoom; // the large picture, when asked for and made
            std::shared_ptr<const PageFacts> facts;
            // What went wrong: why a file is missing, or what was worked around to make them.
            QString problem;
        };
        // All files of page `pageNumber` (1-based), rendered through `document`. Throws Error
        // when the page cannot be converted at all.
        virtual PageFiles convertPage(int pageNumber, const pdf::Document& document) = 0;
        // Large pictures at twice the page picture's size, and whether to read the pages' text.
        virtual void setZoomPictures(bool /*on*/) {}
        virtual void setTextWanted(bool /*on*/) {}
        // The page whose size becomes the book's page size (the first page of the book).
        virtual void setSizePage(int /*pageNumber*/) {}
        // The folder holding the files; removed with everything in it when the source goes.
        virtual QString workFolder() const = 0;
        // The application's page converter behind this one, if any.
        virtual PageConverter* pageConverter() { return nullptr; }
    };

    // How documents are opened and converters made; the default uses the PDF back-end and
    // the page converter. Tests put in-memory doubles here.
    struct Backend {
        std::function<std::unique_ptr<pdf::Document>(const QString& path)> openDocument;
        std::function<std::unique_ptr<Converter>(const QString& path, std::shared_ptr<pdf::Document> document,
                                                 int quality)>
            createConverter;
    };
    static Backend defaultBackend();
    // The page converter of the application, making pages in `format`; with `measureSize` the
    // book's first SWF page is measured into the shared settings' page size.
    static std::unique_ptr<Converter> createPageConverter(const QString& path, std::shared_ptr<pdf::Document> document,
                                                          int quality, PageFormat format, bool measureSize);

    // Opens the document, computes the needed pages and makes the converter. Throws Error(BadInput) when the file
    // cannot be opened as a PDF (naming the reason: not a PDF, damaged, password protected,
    // no pages) and when the range names no page of it.
    PdfPageSource(const QString& path, const QString& pageRange, int dpi, int quality,
                       Backend backend = defaultBackend());
    ~PdfPageSource() override;

    // Choices made before generatePages. With zoom pictures, zoomedPages() gets a picture of
    // every page at twice the page file's size. The pages' text (PageFacts) is read unless the
    // document's permissions forbid copying it; `allowText` overrules them.
    void setZoomPictures(bool on);
    void setAllowText(bool allow);
    // Whether the document forbids copying its text and the text is therefore left out.
    bool textWithheld() const { return m_textWithheld; }

    // The four steps of an import, each over the needed pages (the normal step over pages()):
    // stops before the next page once stop() is set, posts one progress notification per
    // page in order. A page that cannot be rendered does not stop the others; at the end of
    // the step the pages that failed are named in one Error(BadInput), unless keepGoing is set,
    // in which case they are left out of the book and listed in failedPages() and warnings().
    // Other errors end the step at once and pass up. The lists hold only pages whose files
    // are complete.
    void generatePages() override;
    void generateThumbPages() override;
    void generateMobilePages() override;
    void generateNormalPages() override;

    // Both give up (nullptr) as soon as the stop flag is set.
    const BookPage* normalPageAt(int pageNumber) const override;
    const BookPage* thumbPageAt(int pageNumber) const override;
    const BookPage* zoomedPageAt(int pageNumber) const override;

    // The page converter (present with the default backend; nullptr for test doubles). Its
    // PDFDoc() is the same document as PDFDoc() here.
    PageConverter* toPageConverter() const { return m_converter ? m_converter->pageConverter() : nullptr; }
    // The open document, for the link scan and the outline; shared with the converters'
    // handles only by file, never used by two threads at once.
    std::shared_ptr<pdf::Document> pdfDocument() const { return m_document; }
    const std::vector<int>& neededPages() const { return m_neededPages; }
    const QString& pageRange() const { return m_pageRange; }
    int dpi() const { return m_dpi; }
    int quality() const { return m_quality; }
    // The folder the converter writes into.
    QString workFolder() const;

    // Leave out pages that cannot be rendered instead of failing the import.
    void setKeepGoing(bool on) { m_keepGoing = on; }
    // Page numbers that could not be rendered and were left out (with keepGoing), ascending.
    std::vector<int> failedPages() const;
    // Damage worked around and pages drawn despite errors, one entry per page or file.
    const Warnings& warnings() const { return m_warnings; }

    // Worker threads per step; defaults to the number of processor cores.
    int workerCount() const { return m_workerCount; }
    void setWorkerCount(int count);

    // The name and keys of the progress notification.
    static const QString progressNotification; // "ImportProgressInfoMSG"

private:
    enum class Made { Page, Thumb, Mobile };
    // Runs one step: makes the `kind` file of every needed page that has none yet and
    // appends it to `list`, posting `type` per page.
    void runStep(Made kind, BookPageList& list, const QString& type);
    // Makes a document handle for each of `workers` workers.
    void prepareWorkers(int workers);
    void postProgress(int position, const QString& type) const;

    Backend m_backend;
    std::shared_ptr<pdf::Document> m_document;
    QString m_pageRange;
    int m_dpi = 0;
    int m_quality = 0;
    std::unique_ptr<Converter> m_converter;
    std::vector<std::unique_ptr<pdf::Document>> m_handles; // one per worker
    std::vector<int> m_neededPages;
    int m_workerCount = 1;
    // Files made per needed page, by position; a page step also makes the thumbnail and the
    // mobile picture, which the later steps then only collect.
    std::vector<QString> m_madePages, m_madeThumbs, m_madeMobiles, m_madeZooms;
    std::vector<std::shared_ptr<const PageFacts>> m_madeFacts;
    bool m_textWithheld = false;
    // Why each needed page could not be converted (empty: it was), by position.
    std::vector<QString> m_failures;
    bool m_keepGoing = false;
    Warnings m_warnings;
};

} // namespace leafcraft
