// Links and bookmarks of the MuPDF back-end: link targets and the outline, read with MuPDF's
// outline iterator.
#include "platform/MuPdfPageRender_p.h"

namespace leafcraft::pdf::detail {

namespace {

constexpr int kMaxOutlineDepth = 64;
constexpr int kMaxOutlineItems = 100000;

} // namespace

// The 0-based target page of an internal link URI, or -1. Never throws.
int pageOfLink(fz_context* ctx, fz_document* doc, const char* uri)
{
    int page = -1;
    fz_var(page);
    fz_try(ctx)
    {
        float x = 0, y = 0;
        fz_location loc = fz_resolve_link(ctx, doc, uri, &x, &y);
        page = loc.page < 0 ? -1 : fz_page_number_from_location(ctx, doc, loc);
    }
    fz_catch(ctx) { page = -1; }
    return page;
}

// Reads the outline with MuPDF's outline iterator into `result`, resolving destinations to
// page numbers. Deeply nested entries are cut rather than followed without end, and an
// outline that loops stops after kMaxOutlineItems entries. Throws (MuPDF) on a damaged
// outline, keeping the entries read so far; builds no MuPDF outline, whose loader would leak
// the part it had built when it fails.
//
// Runs inside fz_try: the C++ containers are the caller's, and no object with a destructor
// lives across a MuPDF call here.
void readOutline(fz_context* ctx, fz_document* doc, fz_outline_iterator* iter, std::vector<OutlineItem>& result,
                 std::vector<std::vector<OutlineItem>*>& levels)
{
    levels.assign(1, &result);
    int read = 0;
    fz_outline_item* entry = fz_outline_iterator_item(ctx, iter);
    while (entry && read++ < kMaxOutlineItems) {
        levels.back()->push_back(OutlineItem{});
        OutlineItem& item = levels.back()->back();
        item.title = QString::fromUtf8(entry->title ? entry->title : "");
        // A bookmark into another file (an external URI) has no page of this document.
        if (entry->uri && !fz_is_external_link(ctx, entry->uri))
            item.destPage = pageOfLink(ctx, doc, entry->uri);
        if (int(levels.size()) < kMaxOutlineDepth) {
            const int down = fz_outline_iterator_down(ctx, iter);
            if (down == 0) {
                levels.push_back(&item.children);
                entry = fz_outline_iterator_item(ctx, iter);
                continue;
            }
            if (down > 0)
                fz_outline_iterator_up(ctx, iter); // an empty child slot: back to the item
        }
        // The next sibling, or the next sibling of the nearest ancestor that has one.
        entry = nullptr;
        while (!entry) {
            if (fz_outline_iterator_next(ctx, iter) == 0) {
                entry = fz_outline_iterator_item(ctx, iter);
                break;
            }
            if (levels.size() == 1 || fz_outline_iterator_up(ctx, iter) < 0)
                break;
            levels.pop_back();
        }
    }
}

} // namespace leafcraft::pdf::detail
