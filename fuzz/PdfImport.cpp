// One page of a PDF as an import reads it: open, count, size, render small, links, outline.
#include "FuzzCommon.h"
#include "platform/PdfDocument.h"
#include "support/Error.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::quietOnce();
    const QString path = fuzz::writeInput(data, size, ".pdf");
    try {
        auto doc = leafcraft::pdf::openDocument(path);
        double w = 0, h = 0;
        doc->displaySize(0, &w, &h);
        if (!(w > 0 && h > 0 && w <= leafcraft::pdf::kMaxPageSide && h <= leafcraft::pdf::kMaxPageSide))
            __builtin_trap(); // the size every later step trusts
        doc->damage();
        doc->links(0);
        doc->outline();
        doc->render(0, std::max(1, int(w / 20)), std::max(1, int(h / 20)));
    } catch (const leafcraft::Error&) {
    }
    return 0;
}
