// Reads a PDF's own outline (bookmarks) into a Outline.
#pragma once

#include "annotations/Outline.h"

namespace leafcraft {

namespace pdf {
class Document;
struct OutlineItem;
} // namespace pdf

class PdfOutline : public Outline {
public:
    // Appends the document's outline to items(): top-level entries at level 1, their children
    // one level deeper. Page numbers are the PDF's (1-based); an entry that points at no page
    // of the document gets page 0. A document without outline adds nothing.
    void loadOutlineFromPDF(const pdf::Document& document);

    // The recursive step: appends the children of `node` to `parent`, at level `level` + 1.
    void addOutlineItems(OutlineItem* parent, const pdf::OutlineItem& node, int level,
                            const pdf::Document& document);
};

} // namespace leafcraft
