// Scans the link annotations of the imported PDF pages into the `pagesAnnos` tree.
#pragma once

#include "annotations/PageLinks.h"

#include <array>
#include <memory>
#include <vector>

namespace leafcraft {

namespace pdf {
class Document;
struct Link;
struct Rect;
} // namespace pdf

class PdfPageLinks : public PageLinks {
public:
    // Scans every page that `pageRange` names in `document` and returns when all are done.
    // Replaces the tree and the needed pages; empties needFiles. Without a document the tree
    // is an empty `pagesAnnos`. Throws Error(BadInput) when the range names no page of the
    // document, and whatever the PDF services throw for a damaged page.
    void loadLinksFromPDF(std::shared_ptr<const pdf::Document> document, const QString& pageRange);

    // Scans the needed page at the current index and appends its `pageAnnos` element.
    void parsePage();

    const std::shared_ptr<const pdf::Document>& pdfDocument() const { return m_pdfDocument; }
    void setPdfDocument(std::shared_ptr<const pdf::Document> document) { m_pdfDocument = std::move(document); }
    const std::vector<int>& neededPages() const { return m_neededPages; }

    // The link area as fractions of the displayed page: the bounds are taken relative to the
    // crop box origin and turned with the page's rotation (0, 90, 180 or 270 degrees
    // clockwise), y measured from the displayed top edge. Order: x, y, width, height.
    static std::array<float, 4> displayedArea(const pdf::Rect& cropBox, int rotation, const pdf::Rect& bounds);

private:
    std::vector<int> m_neededPages;
    std::shared_ptr<const pdf::Document> m_pdfDocument;
    int m_currentIndex = 0;
};

} // namespace leafcraft
