#include "platform/PdfDocument.h"

namespace leafcraft::pdf {

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
