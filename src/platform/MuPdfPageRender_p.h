// The one reading of a page behind pdf::Document::renderPage for the MuPDF back-end: the page
// is interpreted once, and its display list feeds the picture, the large picture and the
// structured text.
#pragma once

#include "platform/PdfDocument.h"

extern "C" {
#include <mupdf/fitz.h>
}

namespace leafcraft::pdf::detail {

// What drawing one page may take besides pageTimeBudget(): a page past either budget is given
// up with a message that says so (a page of a hostile file took 89 s and 843 MB before them).
constexpr qint64 kPageMemoryBudget = 512ll << 20; // MuPDF's own allocations while drawing

// The allocator of every MuPDF context: the system's, counting what each thread holds while
// it draws a page so that renderPageOnce can refuse more than kPageMemoryBudget.
extern const fz_alloc_context kBudgetAllocator;

// Fills `out` as `request` asks for page `page` (0-based) of `doc`. A large picture over
// `maxPixels` is left out. Returns false with MuPDF's message in `error` when the page cannot
// be read or exceeds its budget of time or memory; never throws a MuPDF error through C++
// frames.
bool renderPageOnce(fz_context* ctx, fz_document* doc, int page, const RenderRequest& request, qint64 maxPixels,
                    RenderedPage& out, QString& error);

// The words and the text of a structured-text page whose coordinates span `width` x `height`.
PageText collectText(const fz_stext_page* page, float width, float height);

// The 0-based target page of an internal link URI, or -1. Never throws.
int pageOfLink(fz_context* ctx, fz_document* doc, const char* uri);

// Reads the outline of `iter` into `result` (`levels` is the caller's scratch stack). Runs
// inside fz_try and throws (MuPDF) on a damaged outline, keeping the entries read so far.
void readOutline(fz_context* ctx, fz_document* doc, fz_outline_iterator* iter, std::vector<OutlineItem>& result,
                 std::vector<std::vector<OutlineItem>*>& levels);

} // namespace leafcraft::pdf::detail
