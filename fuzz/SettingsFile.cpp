// The template settings file reader, applied to the default template reloaded for every input.
#include "FuzzCommon.h"
#include "templates/Template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::quietOnce();
    static leafcraft::Template tmpl;
    static const QByteArray original = [] {
        QFile file(leafcraft::Template::templateMetaPathForName(QStringLiteral("float")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    tmpl.loadTemplateDocument(original, QStringLiteral("flashTemplate.xml"));
    const QString width = tmpl.propertyValueFor(QStringLiteral("pageWidth"), QString());
    tmpl.applySettingsText(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), QStringLiteral("fuzz.txt"));
    if (tmpl.propertyValueFor(QStringLiteral("pageWidth"), QString()) != width)
        __builtin_trap(); // a settings file never changes the page size
    return 0;
}
