// The page converter: file names with the fixed clock, JPG pages from one rendering, the SWF
// path through the real page tools with the page-size probe, and bad page numbers.
#include "fakes/TestFiles.h"
#include "SwfTestSupport.h"
#include "fakes/FakePlatform.h"

#include "app/AppSettings.h"
#include "import/PdfPageConverter.h"
#include "import/SwfFile.h"
#include "platform/JpegDecoder.h"
#include "platform/JpegEncoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/pdfdata/") + QLatin1String(name);
}

QSize storedPageSize(test::FakePlatform&)
{
    const AppSettings& s = AppSettings::instance();
    return QSize(s.pageWidth(), s.pageHeight());
}

QSize jpegSize(const QString& path)
{
    int w = 0, h = 0;
    if (!JpegDecoder::readSize(test::readFile(path), &w, &h))
        return QSize();
    return QSize(w, h);
}

class ConverterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        AppSettings::instance().setPageWidth(1080);
        AppSettings::instance().setPageHeight(1440);
        AppSettings::instance().setImportType(0);
    }
    std::unique_ptr<PdfPageConverter> open(const char* name, int quality = 85)
    {
        std::shared_ptr<pdf::Document> doc = pdf::openDocument(fixture(name));
        return std::make_unique<PdfPageConverter>(fixture(name), doc, quality);
    }
    test::FakePlatform platform; // clock: 2 January 2026, 03:04:05
};

} // namespace

TEST(ConverterNamingTest, TimeStampUsesTheWeekBasedYear)
{
    const struct {
        QDate date;
        QTime time;
        const char* stamp;
    } cases[] = {
        {QDate(2026, 12, 5), QTime(15, 22, 33), "051226152233"},
        {QDate(2026, 1, 2), QTime(3, 4, 5), "020126030405"},
        {QDate(2024, 12, 31), QTime(23, 59, 59), "311225235959"}, // ISO week 1 of 2025
        {QDate(2027, 1, 1), QTime(0, 0, 0), "010126000000"},      // ISO week 53 of 2026
        {QDate(2099, 12, 31), QTime(12, 0, 0), "311299120000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PdfPageConverter::timeStamp(QDateTime(c.date, c.time)), QLatin1String(c.stamp));
}

TEST(ConverterNamingTest, PhonePicturesShareThePagePictureUnlessMuchSmaller)
{
    // Phone pictures: letter, A4 (both ways) and A3 share the page picture; A2 and a poster get their own.
    EXPECT_EQ(PdfPageConverter::phonePictureSize(QSize(1224, 1584)), QSize());
    EXPECT_EQ(PdfPageConverter::phonePictureSize(QSize(1684, 1190)), QSize());
    EXPECT_EQ(PdfPageConverter::phonePictureSize(QSize(1684, 2382)), QSize());
    EXPECT_EQ(PdfPageConverter::phonePictureSize(QSize(2382, 3368)), QSize(1242, 1756));
    EXPECT_EQ(PdfPageConverter::phonePictureSize(QSize(9000, 3000)), QSize(2688, 896));
}

TEST_F(ConverterTest, JpgPagesFromOneRendering)
{
    auto converter = open("mixed.pdf", 65);
    const QString folder = converter->converterWorkFolder();
    EXPECT_TRUE(folder.startsWith(platform.paths().tempRoot() + QLatin1String("/Sheetwise-")));
    EXPECT_EQ(converter->dpi(), 144);

    const struct {
        int page;
        QSize picture;
        QSize thumb;
    } cases[] = {
        {1, {1224, 1584}, {139, 180}}, {2, {1684, 1190}, {180, 127}}, {3, {1190, 1684}, {127, 180}},
        {4, {600, 600}, {180, 180}},   {5, {1191, 1684}, {127, 180}},
    };
    for (const auto& c : cases) {
        const ConvertedPage page = converter->convertPage(c.page, PageFormat::Jpg);
        EXPECT_TRUE(page.warnings.isEmpty());
        EXPECT_EQ(page.page, folder + QStringLiteral("/%1.jpg").arg(c.page));
        EXPECT_EQ(page.thumb, folder + QStringLiteral("/020126030405%1.jpg").arg(c.page));
        EXPECT_EQ(page.mobile, folder + QStringLiteral("/%1_mobile.jpg").arg(c.page));
        EXPECT_EQ(jpegSize(page.page), c.picture) << c.page;
        EXPECT_EQ(jpegSize(page.thumb), c.thumb) << c.page;
        EXPECT_EQ(test::readFile(page.mobile), test::readFile(page.page));
    }
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 15);
    // JPG pages never touch the page size.
    EXPECT_EQ(storedPageSize(platform), QSize(1080, 1440));

    converter.reset();
    EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(ConverterTest, SwfPagesThroughTheRealToolsMeasureTheFirstImportedPage)
{
    auto converter = open("mixed.pdf");
    converter->setSizePage(2); // an import of pages 2-3: page 1 is not part of it
    const ConvertedPage landscape = converter->convertPage(2, PageFormat::Swf);
    ASSERT_TRUE(landscape.warnings.isEmpty()) << landscape.warnings.texts().join(QLatin1Char(';')).toStdString();
    EXPECT_EQ(storedPageSize(platform), QSize(1684, 1190));
    const ConvertedPage portrait = converter->convertPage(3, PageFormat::Swf);
    EXPECT_EQ(storedPageSize(platform), QSize(1684, 1190)); // only the size page measures

    const test::DecodedSwf swf = test::decodeSwfFile(portrait.page);
    ASSERT_TRUE(swf.ok);
    EXPECT_EQ(swf.signature, "FWS");
    EXPECT_EQ(swf.xmax, 1190 * 20);
    EXPECT_EQ(swf.ymax, 1684 * 20);
    EXPECT_EQ(portrait.page, converter->converterWorkFolder() + QLatin1String("/3.swf"));
    // The mobile picture is the page picture of the movie, the thumbnail made from it.
    EXPECT_EQ(test::readFile(portrait.mobile), swf.tags[1].body.mid(2));
    EXPECT_EQ(jpegSize(portrait.thumb), QSize(127, 180));
    EXPECT_EQ(jpegSize(landscape.thumb), QSize(180, 127));
}

TEST_F(ConverterTest, PageNumbersOutsideTheDocumentAreRefused)
{
    auto converter = open("links.pdf");
    for (int page : {0, -3, 6, 100}) {
        for (PageFormat format : {PageFormat::Jpg, PageFormat::Swf}) {
            try {
                converter->convertPage(page, format);
                ADD_FAILURE() << "page " << page << " accepted";
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), ErrorKind::BadInput);
                EXPECT_TRUE(e.message().contains(QLatin1String("does not exist")));
            }
        }
        EXPECT_THROW(converter->generateMobilePage(page), Error);
    }
    EXPECT_TRUE(QDir(converter->converterWorkFolder()).entryList(QDir::Files).isEmpty());
}

namespace {
void writeScript(const QString& path, const QByteArray& body)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n" + body);
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}
} // namespace

TEST_F(ConverterTest, ToolsInTheResourceLibFolderGetTheFixedCall)
{
    const QString resources = platform.root() + QLatin1String("/resources");
    QDir().mkpath(resources + QLatin1String("/lib"));
    platform.setResourcesDir(resources);
    const QString argsFile = platform.root() + QLatin1String("/args.txt");
    // This pdf2swf records its arguments and makes no movie.
    writeScript(resources + QLatin1String("/lib/pdf2swf"),
                "printf '%s\\n' \"$@\" > '" + argsFile.toUtf8() + "'\necho 'cannot convert' >&2\nexit 1\n");
    EXPECT_EQ(PdfPageConverter::pdf2swfToolPath(), resources + QLatin1String("/lib/pdf2swf"));

    auto converter = open("links.pdf", 45);
    const ConvertedPage page = converter->convertPage(7 - 4, PageFormat::Swf);
    // Options first; the PDF, as an absolute path, after "--".
    const QStringList expected = {
        QLatin1String("-o") + page.page, QStringLiteral("-p 3-3"),
        QStringLiteral("-s jpegquality=45"), QStringLiteral("-t"), QStringLiteral("-G"), QStringLiteral("-qq"),
        QStringLiteral("-s flashversion=8"), QStringLiteral("-s disablelinks"), QStringLiteral("-s zoom=144"),
        QStringLiteral("--"), QFileInfo(fixture("links.pdf")).absoluteFilePath(),
    };
    EXPECT_EQ(QString::fromUtf8(test::readFile(argsFile)).split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    // The failure is reported; the thumbnail and mobile picture are still made.
    ASSERT_EQ(page.warnings.size(), 1u);
    EXPECT_TRUE(page.warnings.list()[0].message.contains(QLatin1String("cannot convert")));
    EXPECT_FALSE(QFileInfo::exists(page.page));
    EXPECT_EQ(jpegSize(page.thumb), QSize(139, 180));
    EXPECT_EQ(jpegSize(page.mobile), QSize(1224, 1584));
    EXPECT_EQ(storedPageSize(platform), QSize(1080, 1440));
}
