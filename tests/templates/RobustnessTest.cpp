// Damaged template documents and settings files, made by deterministic mutation of good
// ones, never crash the loader and never leave a half-loaded template.
#include "templates/FlashTemplate.h"
#include "templates/TemplateFixture.h"

#include <gtest/gtest.h>
#include <random>

using namespace leafcraft;
using namespace leafcraft::test;

namespace {

QByteArray mutate(QByteArray bytes, std::mt19937& rng)
{
    const int edits = 1 + int(rng() % 8);
    for (int i = 0; i < edits && !bytes.isEmpty(); ++i) {
        const qsizetype at = qsizetype(rng() % bytes.size());
        switch (rng() % 4) {
        case 0: bytes[at] = char(rng() % 256); break;                        // flip a byte
        case 1: bytes.remove(at, 1 + qsizetype(rng() % 16)); break;           // cut a run
        case 2: bytes.insert(at, bytes.mid(qsizetype(rng() % bytes.size()), 12)); break; // duplicate
        default: bytes.truncate(at); break;                                    // cut the end
        }
    }
    return bytes;
}

class Robustness : public TemplateResources {};

TEST_F(Robustness, MutatedDocumentsAndSettingsLoadOrFailCleanly)
{
    const QString group = propertyXml(QStringLiteral("group"), QStringLiteral("g"), QStringLiteral("pt_composite"),
                                      QStringLiteral("<childProperties>%1</childProperties>")
                                          .arg(propertyXml(QStringLiteral("logo"), QString(), QStringLiteral("pt_file"))));
    const QByteArray good = templateXml(propertyXml(QStringLiteral("pageWidth"), QStringLiteral("800")) + group +
                                        propertyXml(QStringLiteral("flag"), QStringLiteral("Yes"), QStringLiteral("pt_bool"),
                                                    QStringLiteral("<aTitle>On</aTitle>")));
    const QByteArray settings = "\n\rpageWidth=1\n\rlogo=STYLE_RESOURCE:a/b.png\n\rflag=No\n\rgroup=x=y\r\n";
    addTemplate(QStringLiteral("float"), good);
    FlashTemplate tmpl;
    ASSERT_EQ(tmpl.properties().size(), 3u);

    std::mt19937 rng(20240611);
    const QString settingsPath = tmp() + QLatin1String("/s.txt");
    for (int round = 0; round < 300; ++round) {
        addTemplate(QStringLiteral("m"), mutate(good, rng));
        const bool loaded = tmpl.loadTemplate(QStringLiteral("m"));
        if (!loaded) {
            EXPECT_TRUE(tmpl.properties().empty()) << round;
            EXPECT_FALSE(tmpl.warnings().isEmpty()) << round;
        }
        writeAbsolute(settingsPath, mutate(settings, rng));
        const QString width = tmpl.propertyValueFor(QStringLiteral("pageWidth"), QStringLiteral("none"));
        tmpl.importPropertiesSettingsFrom(settingsPath);
        EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("pageWidth"), QStringLiteral("none")), width) << round;
        QStringList lines;
        tmpl.exportPropertiesSettingsToArray(lines, nullptr);
    }
}

} // namespace
