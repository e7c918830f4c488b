#include "app/LivePreview.h"

#include "import/ImagePageSource.h"
#include "platform/Xml.h"
#include "templates/Template.h"
#include "templates/TemplateFixture.h"

#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

class Preview : public test::TemplateResources {
protected:
    void SetUp() override
    {
        TemplateResources::SetUp();
        addTemplate(QStringLiteral("float"), test::templateXml(test::propertyXml(QStringLiteral("Title"), "T")));
        writeFile(QStringLiteral("Templates/float/index.html"), "<title>${index.title}</title>");
        writeFile(QStringLiteral("TmplData/player/player.js"), "// the book player"); // a book needs its player
        tmpl = std::make_shared<Template>();
        source = std::make_shared<ImagePageSource>();
        source->addImgPageFromFile(writeFile(QStringLiteral("in/1.jpg"), "one"));
        source->generateNormalPages();
    }
    std::shared_ptr<Template> tmpl;
    std::shared_ptr<ImagePageSource> source;
};

TEST_F(Preview, RegeneratesIntoThePreviewFolderAndKeepsItsPageList)
{
    LivePreview preview;
    EXPECT_EQ(preview.previewFolder(), QStringLiteral(""));
    const QString html = preview.applyChange(tmpl, source, nullptr, nullptr);
    const QString folder = preview.previewFolder();
    EXPECT_TRUE(folder.startsWith(platform.paths().userAppSupportDir() + QStringLiteral("/Quiresheet/preview-")));
    EXPECT_EQ(html, folder + QStringLiteral("/index.html"));
    EXPECT_EQ(readAbsolute(html), QByteArray("<title>Preview</title>"));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/files/config.js")));

    // The page editor's list survives a regeneration; after an import it is written afresh.
    writeAbsolute(folder + QStringLiteral("/pages.xml"), "<Pages bace=\"\" edited=\"yes\"/>");
    preview.applyChange(tmpl, source, nullptr, nullptr);
    EXPECT_EQ(readAbsolute(folder + QStringLiteral("/pages.xml")), QByteArray("<Pages bace=\"\" edited=\"yes\"/>"));
    preview.removePageList();
    preview.applyChange(tmpl, source, nullptr, nullptr);
    EXPECT_EQ(xml::Document::parse(readAbsolute(folder + QStringLiteral("/pages.xml"))).root().children("Page").size(), 1u);

    // A failed regeneration is reported as a null path, not an exception.
    tmpl->setHtmlFilePath(QStringLiteral("missing.html"));
    EXPECT_TRUE(preview.applyChange(tmpl, source, nullptr, nullptr).isNull());

    // A second instance has a preview of its own; a preview whose owner is gone is removed.
    {
        LivePreview other;
        other.makePreviewFolder();
        EXPECT_NE(other.previewFolder(), folder);
        EXPECT_TRUE(QFileInfo::exists(other.previewFolder() + QStringLiteral(".lock")));
    } // its lock is released, as when an instance crashes
    LivePreview third;
    third.makePreviewFolder();
    // This preview and the third one, each with its lock: the crashed one's is gone.
    EXPECT_EQ(QDir(QFileInfo(folder).path()).entryList({QStringLiteral("preview-*")}, QDir::AllEntries).size(), 4);
    preview.removePreviewFolder();
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(Preview, PageListPathsRoundTripAndKeepNonAsciiText)
{
    LivePreview preview;
    preview.rewritePageListPaths(true); // no folder, no list: nothing happens
    preview.preparePreviewFolder(QString());
    const QString list = preview.previewFolder() + QStringLiteral("/pages.xml");
    const QByteArray original = QStringLiteral("<Pages bace=\"\"><Page><Item name=\"Link\" href=\"https://ex/ä€\"/></Page></Pages>").toUtf8();
    writeAbsolute(list, original);
    preview.rewritePageListPaths(true);
    const QByteArray absolute = readAbsolute(list);
    EXPECT_TRUE(absolute.startsWith(QStringLiteral("<Pages bace=\"%1/files/\">").arg(preview.previewFolder()).toUtf8()))
        << absolute.toStdString();
    preview.rewritePageListPaths(false);
    EXPECT_EQ(readAbsolute(list), original);
}

} // namespace
