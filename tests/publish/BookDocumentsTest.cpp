#include "publish/BookDocuments.h"
#include "support/ConfigContainer.h"

#include <QHash>
#include <gtest/gtest.h>

using namespace leafcraft;
using namespace leafcraft::bookdoc;

namespace {

// A property tree reduced to what the documents read: key -> value.
PropertyLookup lookupIn(QHash<QString, QString> values)
{
    return [values](const QString& key, const QString& def) { return values.value(key, def); };
}

QString configText(const QHash<QString, QString>& values)
{
    return QString::fromUtf8(configDocument(lookupIn(values)).toBytes(xml::Output::Pretty));
}

TEST(ConfigDocument, WithoutPropertiesIsTheFullTreeOfDefaults)
{
    // The player reads these elements by name; every one is there with its default.
    const QString text = configText({});
    for (const char* part : {"<Name>QUIREMARK</Name>", "<Title>leafcraft.app</Title>", "<BaseColor>8404992</BaseColor>",
                             "<Logo displayLogo=\"true\" link=\"\"/>", "<BackgroundMusic circle=\"-1\"/>",
                             "<ControlButtonsInvisible>,Content</ControlButtonsInvisible>",
                             "<BackgroundType>GradientColor</BackgroundType>", "<AutoFlip loop=\"0\">",
                             "<Enable>No</Enable>", "<Interval>3</Interval>", "<AutoScale>Yes</AutoScale>",
                             "<Mobility direction=\"right\" startPosition=\"center\"/>", "<Left>extfiles/l.jpg</Left>",
                             "<Back>extfiles/b.jpg</Back>", "<Camera panAngle=\"-90\" tiltAngle=\"-80\"/>"})
        EXPECT_TRUE(text.contains(QLatin1String(part))) << part;
    EXPECT_FALSE(text.contains(QLatin1String("<Pages"))) << "the page list is added by the writer";
}

TEST(ConfigDocument, WritesPropertyValuesFileReferencesAndSwitches)
{
    xml::Document doc = configDocument(lookupIn({
        {"AuthorName", "Ann"}, {"Title", "T & <x>"}, {"LogoFile", "/p/my.logo.PNG"}, {"ShowLogo", "yes"},
        {"LogoLink", "http://a/?b=1&c=2"}, {"SoundFile", "/music/noext"}, {"LoopSound", "No"},
        {"DownloadFile", "/d/report.pdf"}, {"BgType", "Color"}, {"ImagePath", "/i/bg.jpg"}, {"BaseColor", "#FFFFFF"},
        {"Color", "0xFFFFFF"}, {"GradientStartColor", ""}, {"loop", "2"}, {"TiltAngle", "Hide"}, {"Enable", "Yes"},
    }));
    xml::Element setting = doc.root().firstChild("Config").firstChild("Setting");
    EXPECT_EQ(doc.root().firstChild("Config").firstChild("Author").childText("Name"), QStringLiteral("Ann"));
    EXPECT_EQ(setting.childText("Title"), QStringLiteral("T & <x>"));
    xml::Element logo = setting.firstChild("Logo");
    EXPECT_EQ(logo.stringValue(), QStringLiteral("extfiles/LogoFile.PNG"));
    EXPECT_EQ(logo.attributeNames(), (std::vector<QString>{"displayLogo", "link"}));
    EXPECT_EQ(logo.attribute("displayLogo"), QStringLiteral("false")); // only exactly "Yes" is true
    EXPECT_EQ(logo.attribute("link"), QStringLiteral("http://a/?b=1&c=2"));
    EXPECT_EQ(setting.childText("BackgroundMusic"), QStringLiteral("")); // no extension, no music
    EXPECT_EQ(setting.firstChild("BackgroundMusic").attribute("circle"), QStringLiteral("0"));
    EXPECT_EQ(setting.firstChild("Download").attribute("src"), QStringLiteral("extfiles/DownloadFile.pdf"));
    EXPECT_EQ(setting.childText("BaseColor"), QStringLiteral("0"));
    EXPECT_EQ(setting.childText("ControlButtonsInvisible"), QStringLiteral("TiltAngle,,Content"));
    xml::Element folio = setting.firstChild("FolioscopeSetting");
    xml::Element bg = folio.firstChild("Background");
    EXPECT_EQ(bg.childText("ImagePath"), QStringLiteral(""));
    EXPECT_EQ(bg.childText("Color"), QStringLiteral("16777215"));
    EXPECT_EQ(bg.childText("GradientStartColor"), QStringLiteral("0")); // an empty value is not the default
    EXPECT_EQ(folio.firstChild("AutoFlip").attribute("loop"), QStringLiteral("2"));
    EXPECT_EQ(folio.firstChild("AutoFlip").childText("Enable"), QStringLiteral("Yes"));
    EXPECT_EQ(folio.childText("TiltAngle"), QStringLiteral("Hide"));

    EXPECT_EQ(folio.firstChild("Mobility").attribute("direction"), QStringLiteral("right"));
    xml::Document rtl = configDocument(lookupIn({{"direction", "Left"}}));
    EXPECT_EQ(rtl.root().firstChild("Config").firstChild("Setting").firstChild("FolioscopeSetting")
                  .firstChild("Mobility").attribute("direction"),
              QStringLiteral("left"));

    xml::Document sound = configDocument(lookupIn({{"SoundFile", "/m/song.mp3"}}));
    EXPECT_EQ(sound.root().firstChild("Config").firstChild("Setting").childText("BackgroundMusic"),
              QStringLiteral("extfiles/SoundFile.mp3"));
}

TEST(Scripts, StringLiteralsAreSafeInJavaScriptJsonAndHtml)
{
    const std::pair<QString, QByteArray> cases[] = {
        {QStringLiteral("plain"), "\"plain\""},
        {QStringLiteral("a\"b\\c"), "\"a\\\"b\\\\c\""},
        {QStringLiteral("l1\nl2\r\t"), "\"l1\\nl2\\r\\t\""},
        {QStringLiteral("</script><\\/x>"), "\"<\\/script><\\\\/x>\""},
        {QStringLiteral("a/b"), "\"a/b\""},
        {QString(QChar(0x2028)) + QChar(0x2029) + QChar(0x01), "\"\\u2028\\u2029\\u0001\""},
        {QStringLiteral("é😀"), QByteArray("\"") + QStringLiteral("é😀").toUtf8() + "\""},
        {QString(QChar(0xD800)), "\"\\ud800\""},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(jsStringLiteral(in), out) << in.toStdString();

    EXPECT_EQ(configScript("<?xml version=\"1.0\"?>\n<data><![CDATA[QUJD]]></data>"),
              QByteArray("window.LeafcraftConfigXML = \"<?xml version=\\\"1.0\\\"?>\\n<data><![CDATA[QUJD]]><\\/data>\";\n"));
    EXPECT_EQ(searchScript({}), QByteArray("window.LeafcraftSearchText = [];\n"));
    EXPECT_EQ(searchScript({QStringLiteral("one"), QString(), QStringLiteral("th\"ree")}),
              QByteArray("window.LeafcraftSearchText = [\"one\",\"\",\"th\\\"ree\"];\n"));
}

} // namespace
