#include "publish/BookStaging.h"
#include "publish/BookWriter.h"

#include "annotations/Outline.h"
#include "annotations/PageLinks.h"
#include "app/AppSettings.h"
#include "import/ImagePageSource.h"
#include "publish/BookDocuments.h"
#include "publish/HTMLConfigInfo.h"
#include "templates/Template.h"
#include "templates/TemplateFixture.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

QStringList filesIn(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

// Reads a configuration container with the independent reader of tests/publish.
QByteArray readContainer(const QString& container, const QString& scratch)
{
    const QString out = scratch + QStringLiteral("/decoded.xml");
    QProcess p;
    p.start(QStringLiteral("python3"),
            {QStringLiteral(TEST_DATA_DIR "/../publish/read_config.py"), container, out});
    EXPECT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_EQ(p.readAllStandardOutput().trimmed(), QByteArray("config.xml 8"));
    QFile f(out);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class BookWriterTest : public test::TemplateResources {
protected:
    void SetUp() override
    {
        TemplateResources::SetUp();
        logo = writeFile(QStringLiteral("in/logo.png"), "PNG");
        writeFile(QStringLiteral("in/music.mp3"), "MP3");
        const QString properties =
            test::propertyXml(QStringLiteral("Title"), QStringLiteral("Ünïcode &amp; Co")) +
            test::propertyXml(QStringLiteral("LogoFile"), logo, QStringLiteral("pt_file"),
                              QStringLiteral("<childProperties>%1%2</childProperties>")
                                  .arg(test::propertyXml(QStringLiteral("SoundFile"), appFiles() + "/in/music.mp3",
                                                         QStringLiteral("pt_file")),
                                       test::propertyXml(QStringLiteral("Unset"), QString(),
                                                         QStringLiteral("pt_file"),
                                                         QStringLiteral("<childProperties>%1</childProperties>")
                                                             .arg(test::propertyXml(QStringLiteral("Below"),
                                                                                    logo, QStringLiteral("pt_file")))))) +
            test::propertyXml(QStringLiteral("Zoom"), QStringLiteral("Hide")) +
            test::propertyXml(QStringLiteral("BaseColor"), QStringLiteral("0xFFFFFF"), QStringLiteral("pt_color"));
        addTemplate(QStringLiteral("float"), test::templateXml(properties));
        writeFile(QStringLiteral("Templates/float/index.html"), "<title>${index.title}</title>${meta.keywords}\n");
        writeFile(QStringLiteral("TmplData/player/player.js"), "player();\n");
        writeFile(QStringLiteral("TmplData/player/player.css"), "body{}\n");
        tmpl = std::make_shared<Template>();

        source = std::make_shared<ImagePageSource>();
        for (int i = 1; i <= 3; ++i) {
            source->addImgPageFromFile(writeFile(QStringLiteral("in/p%1.jpg").arg(i), "JPEG page " + QByteArray::number(i)));
            source->addThumbImgPageFromFile(writeFile(QStringLiteral("in/t%1.png").arg(i), "thumb " + QByteArray::number(i)));
        }
        source->generateNormalPages();
        source->setSourceFile(QString());

        annotations = std::make_shared<PageLinks>();
        annotations->setPagesAnnotationsNode(xml::Document::parse(
            "<pagesAnnos><pageAnnos pageIndex=\"1\"><anno url=\"https://example.org/\" x=\"0.100000\" y=\"0.200000\" "
            "width=\"0.300000\" height=\"0.400000\" action=\"web\"/><anno pageIndex=\"3\" x=\"0.5\" y=\"0.5\" "
            "width=\"0.1\" height=\"0.1\" action=\"page\"/></pageAnnos><pageAnnos pageIndex=\"2\"/></pagesAnnos>"));
        annotations->setNeedFiles({writeFile(QStringLiteral("in/attach.txt"), "new")});

        outline = std::make_shared<Outline>();
        outline->loadFromXMLNode(xml::Document::parse("<ols><o><c>Chapter</c><p>2</p><l>1</l><ci/></o></ols>").root());

        settings = std::make_unique<AppSettings>(nullptr);
        settings->setPageWidth(1024);
        settings->setPageHeight(768);

        book = tmp() + QStringLiteral("/book");
        preview = tmp() + QStringLiteral("/work");
        QDir().mkpath(book);
        QDir().mkpath(preview);
    }

    std::unique_ptr<BookWriter> writer(const QString& name = QStringLiteral("report.html"))
    {
        auto w = std::make_unique<BookWriter>(source, tmpl, book, name);
        w->setPageLinks(annotations);
        w->setOutline(outline);
        w->setPreviewFolder(preview);
        w->setSettings(settings.get());
        auto html = std::make_shared<HTMLConfigInfo>();
        html->setHtmlTitle(QStringLiteral("R&D"));
        w->setHtmlConfig(html);
        return w;
    }

    QString logo;
    std::shared_ptr<Template> tmpl;
    std::shared_ptr<ImagePageSource> source;
    std::shared_ptr<PageLinks> annotations;
    std::shared_ptr<Outline> outline;
    std::unique_ptr<AppSettings> settings;
    QString book, preview;
};

TEST_F(BookWriterTest, WritesTheWholeBookAndEmbedsAPageListWhenTheWorkingFolderHasNone)
{
    // A ten-page book was there before, beside a file of the user's.
    QByteArray manifest = "# leafcraft book manifest 1\nfiles/extfiles/LogoFile.gif\n";
    for (int i = 1; i <= 10; ++i) {
        for (const char* folder : {"page", "thumb"}) {
            writeAbsolute(book + QStringLiteral("/files/%1/%2.jpg").arg(QLatin1String(folder)).arg(i), "old");
            manifest += QStringLiteral("files/%1/%2.jpg\n").arg(QLatin1String(folder)).arg(i).toUtf8();
        }
    }
    writeAbsolute(book + QStringLiteral("/files/extfiles/LogoFile.gif"), "old logo");
    writeAbsolute(book + QStringLiteral("/files/leafcraft-manifest.txt"), manifest);
    writeAbsolute(book + QStringLiteral("/files/page/notes.txt"), "mine");

    auto w = writer();
    w->setSearchTexts({QStringLiteral("one"), QStringLiteral("</script>"), QString()});
    w->writeBook();
    EXPECT_EQ(w->failedWrites(), 0);
    EXPECT_EQ(w->outputFileName(), book + QStringLiteral("/report.html"));

    EXPECT_EQ(filesIn(book), (QStringList{
                                 "files/config.js", "files/config.xml", "files/extfiles/Below.png",
                                 "files/extfiles/LogoFile.png", "files/extfiles/SoundFile.mp3",
                                 "files/leafcraft-manifest.txt",
                                 "files/page/1.jpg", "files/page/2.jpg", "files/page/3.jpg", "files/page/notes.txt",
                                 "files/pageConfig/attach.txt", "files/player/player.css",
                                 "files/player/player.js", "files/search/search.js", "files/thumb/1.jpg",
                                 "files/thumb/2.jpg", "files/thumb/3.jpg", "report.html",
                             }));
    EXPECT_EQ(readAbsolute(book + "/files/page/2.jpg"), QByteArray("JPEG page 2"));
    EXPECT_EQ(readAbsolute(book + "/files/thumb/3.jpg"), QByteArray("thumb 3")); // PNG copied as it is
    EXPECT_EQ(readAbsolute(book + "/files/page/notes.txt"), QByteArray("mine"));
    EXPECT_EQ(BookStaging::readManifest(book, BookStaging::manifestName()).size(), 17); // what it wrote
    EXPECT_EQ(readAbsolute(book + "/report.html"),
              QByteArray("<title>R&amp;D</title>") + QStringLiteral("Ünïcode &amp; Co\n").toUtf8()); // keywords: the book's title
    EXPECT_EQ(readAbsolute(book + "/files/search/search.js"),
              QByteArray("window.LeafcraftSearchText = [\"one\",\"<\\/script>\",\"\"];\n"));

    // The container holds exactly the document, and config.js is its script copy.
    const QByteArray container = readAbsolute(book + "/files/config.xml");
    EXPECT_EQ(readAbsolute(book + "/files/config.js"), bookdoc::configScript(container));
    const QByteArray decoded = readContainer(book + "/files/config.xml", tmp());
    EXPECT_EQ(decoded, w->bookXML().toBytes(xml::Output::Pretty));

    xml::Document doc = xml::Document::parse(decoded);
    const std::vector<xml::Element> top = doc.root().children();
    ASSERT_EQ(top.size(), 4u);
    EXPECT_EQ(top[2].name(), QStringLiteral("ols"));
    EXPECT_EQ(top[2].firstChild("o").childText("c"), QStringLiteral("Chapter"));
    EXPECT_EQ(top[3].name(), QStringLiteral("Pages")); // the page list stays last
    xml::Element setting = top[1].firstChild("Setting");
    EXPECT_EQ(setting.childText("Title"), QStringLiteral("Ünïcode & Co"));
    EXPECT_EQ(setting.childText("BaseColor"), QStringLiteral("16777215"));
    EXPECT_EQ(setting.childText("Logo"), QStringLiteral("extfiles/LogoFile.png"));
    EXPECT_EQ(setting.childText("BackgroundMusic"), QStringLiteral("extfiles/SoundFile.mp3"));
    EXPECT_EQ(setting.childText("ControlButtonsInvisible"), QStringLiteral("Zoom,,Content"));

    // The page list the book carries is the one built for it (no file beside the book).
    xml::Document written = w->pageListDocument(QString());
    xml::Document embedded = xml::Document::create(QStringLiteral("x"));
    embedded.root().appendCopy(top[3]);
    EXPECT_EQ(embedded.root().firstChild().attributeNames(), written.root().attributeNames());
    xml::Element pages = top[3];
    EXPECT_EQ(pages.attribute("width"), QStringLiteral("700"));
    EXPECT_EQ(pages.attribute("thumbWidth"), QStringLiteral("240"));
    const auto pageEls = pages.children("Page");
    ASSERT_EQ(pageEls.size(), 3u);
    const auto items = pageEls[0].children("Item");
    ASSERT_EQ(items.size(), 5u);
    EXPECT_EQ(items[0].stringValue(), QStringLiteral("thumb/1.jpg"));
    EXPECT_EQ(items[1].stringValue(), QStringLiteral("page/1.jpg"));
    EXPECT_EQ(items[3].attribute("href"), QStringLiteral("https://example.org/"));
    EXPECT_EQ(items[4].attribute("pageIndex"), QStringLiteral("3"));
}

TEST_F(BookWriterTest, TakesTheWorkingFoldersPageListAndItsEditorFiles)
{
    writeAbsolute(preview + "/pages.xml", "<Pages bace=\"\" largeWidth=\"1\"><Page type=\"Image\"/></Pages>");
    writeAbsolute(preview + "/files/editor/clip.swf", "clip");
    auto w = writer();
    w->writeBook();
    EXPECT_FALSE(QFileInfo::exists(book + "/pages.xml"));
    EXPECT_EQ(readAbsolute(book + "/files/editor/clip.swf"), QByteArray("clip"));
    xml::Document doc = xml::Document::parse(readContainer(book + "/files/config.xml", tmp()));
    EXPECT_EQ(doc.root().firstChild("Pages").attribute("largeWidth"), QStringLiteral("1"));
}

TEST_F(BookWriterTest, ADamagedWorkingPageListFailsAndKeepsThePreviousConfiguration)
{
    writeAbsolute(book + "/files/config.xml", "previous");
    writeAbsolute(preview + "/pages.xml", "<Pages><broken></Pages>");
    auto w = writer();
    try {
        w->writeBook();
        FAIL() << "a damaged page list was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::BadInput);
    }
    EXPECT_EQ(readAbsolute(book + "/files/config.xml"), QByteArray("previous"));
}

TEST_F(BookWriterTest, WithoutHTMLSettingsThePageIsACopyAndAFileValueChangeLeavesOneLogo)
{
    auto w = writer(QString());
    w->setHtmlConfig(nullptr);
    w->writeBook();
    EXPECT_EQ(readAbsolute(book + "/index.html"), readAbsolute(appFiles() + "/Templates/float/index.html"));

    writeFile(QStringLiteral("in/logo.gif"), "GIF");
    tmpl->setPropertyValue(QStringLiteral("LogoFile"), appFiles() + "/in/logo.gif");
    writer()->writeBook();
    EXPECT_FALSE(QFileInfo::exists(book + "/files/extfiles/LogoFile.png"));
    EXPECT_EQ(readAbsolute(book + "/files/extfiles/LogoFile.gif"), QByteArray("GIF"));
}

TEST_F(BookWriterTest, ManyPagesAreCopiedInBookOrderWithTheLaterOfTwoPagesWinningATarget)
{
    BookPageList normal;
    for (int i = 1; i <= 40; ++i) {
        const int index = i == 21 ? 20 : i; // two pages for number 20: the later one wins
        const QString file = i == 30 ? appFiles() + QStringLiteral("/in/missing.jpg")
                                     : writeFile(QStringLiteral("in/n%1.jpg").arg(i), "page " + QByteArray::number(i));
        normal.push_back(std::make_unique<BookPage>(file, index));
    }
    source->setNormalPages(std::move(normal));
    auto w = writer();
    w->writePagePictures(QString());
    EXPECT_EQ(w->failedWrites(), 1); // a book without one of its pages is not complete
    ASSERT_EQ(w->warnings().size(), 1u); // only the missing page
    EXPECT_TRUE(w->warnings().list()[0].where.endsWith(QLatin1String("missing.jpg")));
    EXPECT_EQ(readAbsolute(book + "/files/page/20.jpg"), QByteArray("page 21"));
    EXPECT_EQ(readAbsolute(book + "/files/page/40.jpg"), QByteArray("page 40"));
    EXPECT_FALSE(QFileInfo::exists(book + "/files/page/30.jpg"));
    EXPECT_EQ(QDir(book + "/files/page").entryList(QDir::Files).size(), 38);
}

} // namespace
