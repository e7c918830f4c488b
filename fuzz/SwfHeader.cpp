// The SWF header reader of the page tools, and the page picture reader behind it.
#include "FuzzCommon.h"
#include "import/SwfFile.h"
#include "support/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::quietOnce();
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        leafcraft::SwfFile::readHeader(bytes).widthPixels();
    } catch (const leafcraft::Error&) {
    }
    try {
        leafcraft::SwfFile::extractJpeg(bytes);
    } catch (const leafcraft::Error&) {
    }
    return 0;
}
