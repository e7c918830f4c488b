// The template document loader (flashTemplate.xml into the property tree), then an export.
#include "FuzzCommon.h"
#include "templates/Template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::quietOnce();
    static leafcraft::Template tmpl; // every load builds the tree anew
    if (tmpl.loadTemplateDocument(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)),
                                  QStringLiteral("flashTemplate.xml"))) {
        QStringList lines;
        tmpl.exportPropertiesSettingsToArray(lines, nullptr);
    }
    return 0;
}
