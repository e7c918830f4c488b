#include "templates/Template.h"
#include "templates/TemplateFixture.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace leafcraft;
using namespace leafcraft::test;

namespace {

class TemplateTest : public TemplateResources {
protected:
    // "float": a page size, a group holding a file property and a nested grandchild, and a
    // second property that repeats a key.
    void addFloat()
    {
        const QString grandchild = propertyXml(QStringLiteral("deep"), QStringLiteral("found"));
        const QString fileChild =
            propertyXml(QStringLiteral("bgImage"), QStringLiteral(""), QStringLiteral("pt_file"),
                        QStringLiteral("<childProperties>%1</childProperties>").arg(grandchild));
        const QString group = propertyXml(QStringLiteral("group"), QStringLiteral("g"), QStringLiteral("pt_composite"),
                                          QStringLiteral("<childProperties>%1%2</childProperties>")
                                              .arg(fileChild, propertyXml(QStringLiteral("dup"), QStringLiteral("first"))));
        addTemplate(QStringLiteral("float"),
                    templateXml(propertyXml(QStringLiteral("pageWidth"), QStringLiteral("1024")) +
                                propertyXml(QStringLiteral("pageHeight"), QStringLiteral("768")) +
                                propertyXml(QStringLiteral("languageSetting"), QStringLiteral("fr")) +
                                propertyXml(QStringLiteral("logo"), QStringLiteral(""), QStringLiteral("pt_file")) +
                                propertyXml(QStringLiteral("caption"), QStringLiteral("")) + group +
                                propertyXml(QStringLiteral("dup"), QStringLiteral("second"))));
    }
};

TEST_F(TemplateTest, LookupAndSetFollowDepthFirstDocumentOrder)
{
    addFloat();
    Template tmpl;
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("deep"), QStringLiteral("dflt")), QStringLiteral("found"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("dup"), QString()), QStringLiteral("first"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("nothing"), QStringLiteral("dflt")), QStringLiteral("dflt"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("caption"), QStringLiteral("dflt")), QStringLiteral(""));

    EXPECT_TRUE(tmpl.setPropertyValue(QStringLiteral("dup"), QStringLiteral("new")));
    EXPECT_EQ(tmpl.properties().back()->value(), QStringLiteral("second")) << "only the first key is set";
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("dup"), QString()), QStringLiteral("new"));
    EXPECT_FALSE(tmpl.setPropertyValue(QStringLiteral("nothing"), QStringLiteral("x")));
}

TEST_F(TemplateTest, FileValuesResolveStyleResourcesWhenSet)
{
    addFloat();
    addStyle(QStringLiteral("float"), QStringLiteral("Blue"), "");
    Template tmpl;
    tmpl.loadStyleByStylePath(appFiles() + QLatin1String("/Styles/float/Blue"));
    ASSERT_EQ(tmpl.styleName(), QStringLiteral("Blue"));
    const QString blue = appFiles() + QLatin1String("/Styles/float/Blue/");

    const struct {
        const char* key;
        const char* value;
        QString expected;
    } cases[] = {
        {"logo", "STYLE_RESOURCE:images/bg.jpg", blue + QLatin1String("images/bg.jpg")},  // top-level file
        {"bgImage", "junk/STYLE_RESOURCE:a.png", blue + QLatin1String("a.png")},          // nested, prefix dropped
        {"logo", "/home/me/picture.png", QStringLiteral("/home/me/picture.png")},          // user's own file
        {"caption", "STYLE_RESOURCE:images/bg.jpg", QStringLiteral("STYLE_RESOURCE:images/bg.jpg")}, // text
    };
    for (const auto& c : cases) {
        tmpl.setPropertyValue(QLatin1String(c.key), QLatin1String(c.value));
        EXPECT_EQ(tmpl.propertyValueFor(QLatin1String(c.key), QString()), c.expected) << c.key << " " << c.value;
    }
}

TEST_F(TemplateTest, ChangingTemplateKeepsPageSizeAndLanguage)
{
    addFloat();
    addTemplate(QStringLiteral("Linen"),
                templateXml(propertyXml(QStringLiteral("pageWidth"), QStringLiteral("500")) +
                            propertyXml(QStringLiteral("pageHeight"), QStringLiteral("400")) +
                            propertyXml(QStringLiteral("languageSetting"), QStringLiteral("en")) +
                            propertyXml(QStringLiteral("tint"), QStringLiteral("0x000000"))));
    addTemplate(QStringLiteral("Bare"), templateXml(QString()));
    addStyle(QStringLiteral("Linen"), QStringLiteral("Dark"), "tint=0xFFFFFF\npageWidth=1\nlanguageSetting=de\n");

    Template tmpl;
    EXPECT_TRUE(tmpl.changeTemplateTo(QStringLiteral("Linen"), appFiles() + QLatin1String("/Styles/Linen/Dark")));
    EXPECT_EQ(tmpl.templateName(), QStringLiteral("Linen"));
    EXPECT_EQ(tmpl.styleName(), QStringLiteral("Dark"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("pageWidth"), QString()), QStringLiteral("1024"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("pageHeight"), QString()), QStringLiteral("768"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("languageSetting"), QString()), QStringLiteral("fr"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("tint"), QString()), QStringLiteral("0xFFFFFF"));

    // From a template without the three keys, the new template's values become the defaults.
    tmpl.loadTemplate(QStringLiteral("Bare"));
    tmpl.changeTemplateTo(QStringLiteral("Linen"), appFiles() + QLatin1String("/Styles/Linen/Dark"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("pageWidth"), QString()), QStringLiteral("960"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("pageHeight"), QString()), QStringLiteral("600"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("languageSetting"), QString()), QStringLiteral(""));

    // A style without tmplSetting.txt changes no value but is still the current style.
    tmpl.changeTemplateTo(QStringLiteral("Linen"), appFiles() + QLatin1String("/Styles/Linen/Missing"));
    EXPECT_EQ(tmpl.styleName(), QStringLiteral("Missing"));
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("tint"), QString()), QStringLiteral("0x000000"));
}

struct BadDocument {
    const char* name;
    QByteArray document;
    const char* warningPart;
};

class TemplateBadDocument : public TemplateTest, public ::testing::WithParamInterface<BadDocument> {};

TEST_P(TemplateBadDocument, FailsCleanlyWithoutPropertiesAndWithAWarning)
{
    addFloat();
    Template tmpl;
    const QString before = tmpl.htmlFilePath();
    if (!GetParam().document.isNull())
        addTemplate(QStringLiteral("bad"), GetParam().document);
    EXPECT_FALSE(tmpl.loadTemplate(QStringLiteral("bad")));
    EXPECT_TRUE(tmpl.properties().empty());
    EXPECT_EQ(tmpl.templateName(), QStringLiteral("bad"));
    EXPECT_EQ(tmpl.htmlFilePath(), before) << "information fields keep their values";
    EXPECT_EQ(tmpl.propertyValueFor(QStringLiteral("pageWidth"), QStringLiteral("960")), QStringLiteral("960"));
    ASSERT_EQ(tmpl.warnings().size(), 1u);
    EXPECT_TRUE(tmpl.warnings().list()[0].message.contains(QLatin1String(GetParam().warningPart)))
        << tmpl.warnings().list()[0].message.toStdString();
}

QByteArray withoutInfoElement(const char* element)
{
    QString info = infoXml();
    const QString open = QStringLiteral("<%1>").arg(QLatin1String(element));
    const QString close = QStringLiteral("</%1>").arg(QLatin1String(element));
    info.remove(info.indexOf(open), info.indexOf(close) + close.size() - info.indexOf(open));
    return templateXml(propertyXml(QStringLiteral("pageWidth"), QStringLiteral("1")), info);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, TemplateBadDocument,
    ::testing::Values(
        BadDocument{"missing", QByteArray(), "cannot read"},
        BadDocument{"binary", QByteArray("\x00\x01\x02", 3), "XML"},
        BadDocument{"noInfo", "<t><properties>" + propertyXml("pageWidth", "1").toUtf8() + "</properties></t>", "<info>"},
        BadDocument{"noProperties", "<t>" + infoXml().toUtf8() + "</t>", "<properties>"},
        BadDocument{"noHtmlPath", withoutInfoElement("htmlPath"), "<htmlPath>"}),
    [](const ::testing::TestParamInfo<BadDocument>& info) { return std::string(info.param.name); });

TEST_F(TemplateTest, CopiesReplaceTheDestinationInsteadOfMerging)
{
    addFloat();
    writeFile(QStringLiteral("TmplData/book.swf"), "book");
    writeFile(QStringLiteral("Templates/float/Main.swf"), "theme");
    writeFile(QStringLiteral("Templates/float/swfobject.js"), "js");
    writeFile(QStringLiteral("TmplData/mobile/Flip/index.html"), "flip");
    writeFile(QStringLiteral("TmplData/mobile/Flip/js/a.js"), "a");
    Template tmpl;
    const QString out = tmp();

    // Files: an existing file is replaced.
    writeAbsolute(out + QLatin1String("/book.swf"), "old and longer");
    EXPECT_TRUE(tmpl.copyBookSWFToFile(out + QLatin1String("/book.swf")));
    EXPECT_EQ(readAbsolute(out + QLatin1String("/book.swf")), QByteArray("book"));
    EXPECT_TRUE(tmpl.copyThemeToFile(out + QLatin1String("/Main.swf")));
    EXPECT_EQ(readAbsolute(out + QLatin1String("/Main.swf")), QByteArray("theme"));
    EXPECT_TRUE(tmpl.copyBookJSFile(out + QLatin1String("/swfobject.js")));
    EXPECT_FALSE(tmpl.copyElseSWFToFile(out + QLatin1String("/install.swf"))) << "missing source";
    EXPECT_FALSE(QFileInfo::exists(out + QLatin1String("/install.swf")));

    // Folders: an existing folder is replaced as a whole.
    const QString mobile = out + QLatin1String("/mobile");
    writeAbsolute(mobile + QLatin1String("/stale.txt"), "stale");
    EXPECT_TRUE(tmpl.copyMobilePathToFile(mobile, QStringLiteral("Flip")));
    EXPECT_EQ(readAbsolute(mobile + QLatin1String("/js/a.js")), QByteArray("a"));
    EXPECT_FALSE(QFileInfo::exists(mobile + QLatin1String("/stale.txt")));

    // A destination that is a symbolic link to a folder: the link goes, the folder stays.
    const QString keep = out + QLatin1String("/keep");
    writeAbsolute(keep + QLatin1String("/precious.txt"), "precious");
    ASSERT_TRUE(QFile::link(keep, out + QLatin1String("/linked")));
    EXPECT_TRUE(tmpl.copyMobilePathToFile(out + QLatin1String("/linked"), QStringLiteral("Flip")));
    EXPECT_EQ(readAbsolute(keep + QLatin1String("/precious.txt")), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(out + QLatin1String("/linked")).isSymLink());
}

TEST_F(TemplateTest, PlayerFilesReplaceTheFolderAndAMissingPlayerKeepsIt)
{
    addFloat();
    Template tmpl;
    const QString dest = tmp() + QLatin1String("/player");
    writeAbsolute(dest + QLatin1String("/old.js"), "old");
    EXPECT_FALSE(tmpl.copyPlayerFilesToFolder(dest));
    EXPECT_EQ(readAbsolute(dest + QLatin1String("/old.js")), QByteArray("old"));

    writeFile(QStringLiteral("TmplData/player/player.js"), "js");
    writeFile(QStringLiteral("TmplData/player/css/player.css"), "css");
    EXPECT_TRUE(tmpl.copyPlayerFilesToFolder(dest));
    EXPECT_EQ(readAbsolute(dest + QLatin1String("/player.js")), QByteArray("js"));
    EXPECT_EQ(readAbsolute(dest + QLatin1String("/css/player.css")), QByteArray("css"));
    EXPECT_FALSE(QFileInfo::exists(dest + QLatin1String("/old.js")));
}

} // namespace
