// The configuration container decoder (XML wrapper, Base64, RC4, zip entry, inflate).
#include "FuzzCommon.h"
#include "support/ConfigContainer.h"
#include "support/Error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::quietOnce();
    try {
        const QByteArray document =
            leafcraft::ConfigContainer::decode(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        if (quint64(document.size()) > leafcraft::ConfigContainer::kMaxDocumentSize)
            __builtin_trap();
    } catch (const leafcraft::Error&) {
    }
    return 0;
}
