#include "templates/Template.h"
#include "templates/TemplateFixture.h"

#include <gtest/gtest.h>

using namespace leafcraft;
using namespace leafcraft::test;

namespace {

class SettingsFileTest : public TemplateResources {
protected:
    void SetUp() override
    {
        TemplateResources::SetUp();
        const QString group = propertyXml(
            QStringLiteral("group"), QStringLiteral("G"), QStringLiteral("pt_composite"),
            QStringLiteral("<childProperties>%1%2</childProperties>")
                .arg(propertyXml(QStringLiteral("color"), QStringLiteral("0x112233"), QStringLiteral("pt_color")),
                     propertyXml(QStringLiteral("title"), QStringLiteral("inner"))));
        addTemplate(QStringLiteral("float"),
                    templateXml(propertyXml(QStringLiteral("pageWidth"), QStringLiteral("800")) +
                                propertyXml(QStringLiteral("pageHeight"), QStringLiteral("600")) +
                                propertyXml(QStringLiteral("title"), QStringLiteral("outer")) + group +
                                propertyXml(QStringLiteral("logo"), QString(), QStringLiteral("pt_file"))));
        tmpl = std::make_unique<Template>();
        ASSERT_TRUE(tmpl->warnings().isEmpty());
    }

    QString value(const char* key) const { return tmpl->propertyValueFor(QLatin1String(key), QStringLiteral("<none>")); }
    // The value of the second "title" property (inside the group).
    QString innerTitle() const { return tmpl->properties()[3]->childProperties()[1]->value(); }

    std::unique_ptr<Template> tmpl;
};

struct ImportCase {
    const char* name;
    QByteArray file;
    const char* key;
    QString expected;
    bool warns = false; // an ignored line or an unknown key is reported
};

class SettingsImport : public SettingsFileTest, public ::testing::WithParamInterface<ImportCase> {};

TEST_P(SettingsImport, AppliesEntries)
{
    const QString path = writeAbsolute(tmp() + QLatin1String("/in.txt"), GetParam().file);
    EXPECT_TRUE(tmpl->importPropertiesSettingsFrom(path));
    EXPECT_EQ(value(GetParam().key), GetParam().expected);
    EXPECT_EQ(tmpl->warnings().isEmpty(), !GetParam().warns);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsImport,
    ::testing::Values(
        ImportCase{"EqualsInValue", "color=a=b==c", "color", QStringLiteral("a=b==c")},
        ImportCase{"EmptyValue", "color=", "color", QStringLiteral("")},
        ImportCase{"BlanksBelongToKeyAndValue", "color = x \n color=y", "color", QStringLiteral("0x112233"), true},
        ImportCase{"BlanksKeptInValue", "color= x ", "color", QStringLiteral(" x ")},
        ImportCase{"CrLfLineEnds", "color=red\r\ntitle=T\r\n", "color", QStringLiteral("red")},
        ImportCase{"CrInsideValueRemoved", "color=re\rd\n", "color", QStringLiteral("red")},
        ImportCase{"CrOnlyIsOneLine", "color=red\rtitle=T", "color", QStringLiteral("redtitle=T")},
        ImportCase{"LaterEntryWins", "color=1\ncolor=2\n", "color", QStringLiteral("2")},
        ImportCase{"LinesWithoutEqualsSkipped", "# comment\n\n[heading]\ncolor=blue", "color", QStringLiteral("blue"), true},
        ImportCase{"CommentsAndBom", "\xef\xbb\xbf# comment\ncolor=blue", "color", QStringLiteral("blue")},
        ImportCase{"PageWidthRestored", "pageWidth=1\npageHeight=2\n", "pageWidth", QStringLiteral("800")},
        ImportCase{"PageHeightRestored", "pageHeight=2\n", "pageHeight", QStringLiteral("600")},
        ImportCase{"UnknownKeyIgnored", "nosuch=1\n", "nosuch", QStringLiteral("<none>"), true},
        ImportCase{"Utf8Text", "title=Caf\xc3\xa9 \xe2\x82\xac", "title", QString::fromUtf8("Caf\xc3\xa9 \xe2\x82\xac")},
        ImportCase{"GroupValue", "group=new", "group", QStringLiteral("new")}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, ExportHasTheExactShapeAndRoundTrips)
{
    tmpl->setPropertyValue(QStringLiteral("logo"), QStringLiteral("/p/l=o.png"));
    tmpl->setPropertyValue(QStringLiteral("group"), QStringLiteral("G\none\r\ntwo\n\rthree"));
    const QString path = tmp() + QLatin1String("/out.txt");
    ASSERT_TRUE(tmpl->exportPropertiesSettingsTo(path));
    const QByteArray expected = "\n\rpageWidth=800\n\rpageHeight=600\n\rtitle=outer\n\rgroup=G|||one|||two|||three"
                                "\n\rcolor=0x112233\n\rtitle=inner\n\rlogo=/p/l=o.png";
    EXPECT_EQ(readAbsolute(path), expected);

    // Change everything, import the export back: every first-of-key value returns.
    for (const char* key : {"pageWidth", "title", "group", "color", "logo"})
        tmpl->setPropertyValue(QLatin1String(key), QStringLiteral("changed"));
    ASSERT_TRUE(tmpl->importPropertiesSettingsFrom(path));
    EXPECT_EQ(value("pageWidth"), QStringLiteral("changed")) << "the page size is never imported";
    EXPECT_EQ(value("group"), QStringLiteral("G\none\ntwo\nthree")) << "line breaks come back as line feeds";
    EXPECT_EQ(value("color"), QStringLiteral("0x112233"));
    EXPECT_EQ(value("logo"), QStringLiteral("/p/l=o.png"));
    EXPECT_EQ(value("title"), QStringLiteral("inner")) << "the later duplicate entry wins on the first property";
}

TEST_F(SettingsFileTest, FilesThatAreNotSettingsTextChangeNothing)
{
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"nul", QByteArray("color=red\n\0title=x", 18)},
        {"latin1", "color=caf\xe9\n"},
        {"truncatedUtf8", "color=\xe2\x82"},
        {"utf16", QByteArray("\xff\xfe" "c\0=\0x\0", 8)},
    };
    for (const auto& c : cases) {
        tmpl->clearWarnings();
        const QString path = writeAbsolute(tmp() + QLatin1Char('/') + QLatin1String(c.name), c.bytes);
        EXPECT_FALSE(tmpl->importPropertiesSettingsFrom(path)) << c.name;
        EXPECT_EQ(value("color"), QStringLiteral("0x112233")) << c.name;
        EXPECT_EQ(value("title"), QStringLiteral("outer")) << c.name;
        EXPECT_EQ(tmpl->warnings().size(), 1u) << c.name;
    }
    for (const QString& path : {tmp() + QLatin1String("/missing.txt"), tmp()}) {
        tmpl->clearWarnings();
        EXPECT_FALSE(tmpl->importPropertiesSettingsFrom(path));
        EXPECT_EQ(tmpl->warnings().size(), 1u);
        EXPECT_EQ(value("color"), QStringLiteral("0x112233"));
    }
}

TEST_F(SettingsFileTest, FailedExportKeepsTheOldFileAndSaysSo)
{
    const QString existing = writeAbsolute(tmp() + QLatin1String("/keep.txt"), "old");
    EXPECT_FALSE(tmpl->exportPropertiesSettingsTo(tmp() + QLatin1String("/no/such/folder/x.txt")));
    EXPECT_FALSE(tmpl->exportPropertiesSettingsTo(tmp())); // a folder
    EXPECT_EQ(tmpl->warnings().size(), 2u);
    EXPECT_EQ(readAbsolute(existing), QByteArray("old"));
    EXPECT_TRUE(tmpl->exportPropertiesSettingsTo(existing));
    EXPECT_TRUE(readAbsolute(existing).startsWith("\n\rpageWidth=800"));
}

} // namespace
