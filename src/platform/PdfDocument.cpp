#include "platform/PdfDocument.h"

#include <atomic>

namespace leafcraft::pdf {

namespace {
std::atomic<int> g_pageTimeBudget{30};
} // namespace

int pageTimeBudget()
{
    return g_pageTimeBudget.load(std::memory_order_relaxed);
}

void setPageTimeBudget(int seconds)
{
    g_pageTimeBudget.store(std::max(1, seconds), std::memory_order_relaxed);
}

RenderedPage Document::renderPage(int page, const RenderRequest& request) const
{
    RenderedPage out;
    if (request.width > 0 && request.height > 0) {
        out.picture = render(page, request.width, request.height);
        if (request.large)
            out.large = render(page, request.width * 2, request.height * 2);
    }
    if (request.text)
        out.text.text = pageText(page);
    if (request.thumbWidth > 0 && request.thumbHeight > 0)
        out.thumb = render(page, request.thumbWidth, request.thumbHeight);
    return out;
}

} // namespace leafcraft::pdf
