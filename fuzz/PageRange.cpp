// The page range parser: the first two bytes are the page count, the rest is the text.
#include "FuzzCommon.h"
#include "import/PageSource.h"
#include "support/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::quietOnce();
    if (size < 2)
        return 0;
    const int total = data[0] | (data[1] << 8);
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2), qsizetype(size - 2));
    try {
        const std::vector<int> pages = leafcraft::PageSource::parsePageRange(text, total);
        for (std::size_t i = 0; i < pages.size(); ++i)
            if (pages[i] < 1 || pages[i] > total || (i > 0 && pages[i] <= pages[i - 1]))
                __builtin_trap(); // pages of the document, ascending, once each
    } catch (const leafcraft::Error&) {
    }
    return 0;
}
