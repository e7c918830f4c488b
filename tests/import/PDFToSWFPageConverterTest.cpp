// The page converter: file names with the fixed clock, picture sizes, the SWF path through
// the real and fake page tools, the page-size probe and bad page numbers.
#include "SwfTestSupport.h"
#include "fakes/FakePlatform.h"

#include "app/AppSettings.h"
#include "import/PDFToSWFPageConverter.h"
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
    const AppSettings& s = AppSettings::shareInstance();
    return QSize(s.PageWidth(), s.PageHeight());
}

void resetPageSize(test::FakePlatform&)
{
    AppSettings& s = AppSettings::shareInstance();
    s.setPageWidth(1080);
    s.setPageHeight(1440);
    s.setImportType(0);
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QSize jpegSize(const QString& path)
{
    int w = 0, h = 0;
    if (!JpegDecoder::readSize(read(path), &w, &h))
        return QSize();
    return QSize(w, h);
}

class ConverterTest : public ::testing::Test {
protected:
    void SetUp() override { resetPageSize(platform); }
    std::unique_ptr<PDFToSWFPageConverter> open(const char* name, int quality = 85)
    {
        std::shared_ptr<pdf::Document> doc = pdf::openDocument(fixture(name));
        return std::make_unique<PDFToSWFPageConverter>(fixture(name), doc, quality);
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
        EXPECT_EQ(PDFToSWFPageConverter::timeStamp(QDateTime(c.date, c.time)), QLatin1String(c.stamp));
}

TEST(ConverterNamingTest, SizesAndSizeText)
{
    EXPECT_EQ(PDFToSWFPageConverter::thumbSize(1684, 1190), QSize(180, 127));
    EXPECT_EQ(PDFToSWFPageConverter::thumbSize(1190, 1684), QSize(127, 180));
    EXPECT_EQ(PDFToSWFPageConverter::thumbSize(600, 600), QSize(180, 180));
    EXPECT_EQ(PDFToSWFPageConverter::thumbSize(100000, 10), QSize(180, 1));
    // Phone pictures: letter, A4 (both ways) and A3 share the page picture; A2 and a poster get their own.
    EXPECT_EQ(PDFToSWFPageConverter::phonePictureSize(QSize(1224, 1584)), QSize());
    EXPECT_EQ(PDFToSWFPageConverter::phonePictureSize(QSize(1684, 1190)), QSize());
    EXPECT_EQ(PDFToSWFPageConverter::phonePictureSize(QSize(1684, 2382)), QSize());
    EXPECT_EQ(PDFToSWFPageConverter::phonePictureSize(QSize(2382, 3368)), QSize(1242, 1756));
    EXPECT_EQ(PDFToSWFPageConverter::phonePictureSize(QSize(9000, 3000)), QSize(2688, 896));
    EXPECT_EQ(PDFToSWFPageConverter::pixels(612, 144), 1224);
    EXPECT_EQ(PDFToSWFPageConverter::pixels(595.28, 144), 1191);
    EXPECT_EQ(PDFToSWFPageConverter::pixels(0.1, 144), 1);

    EXPECT_EQ(PDFToSWFPageConverter::CheckString(8, QStringLiteral("612|792\n")), 4);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(3, QStringLiteral("612|792")), 0);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(4, QStringLiteral("612|792")), 4);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(99, QStringLiteral("no bar")), 0);
    EXPECT_EQ(PDFToSWFPageConverter::CheckString(5, QStringLiteral("|")), 1);
}

TEST_F(ConverterTest, JpgPagesFromOneRendering)
{
    auto converter = open("mixed.pdf", 65);
    const QString folder = converter->converterWorkFolder();
    EXPECT_TRUE(folder.startsWith(platform.paths().tempRoot() + QLatin1String("/Sheetwise/temp.")));
    EXPECT_EQ(converter->DPI(), 144);

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
        EXPECT_EQ(read(page.mobile), read(page.page));
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
    EXPECT_EQ(read(portrait.mobile), swf.tags[1].body.mid(2));
    EXPECT_EQ(jpegSize(portrait.thumb), QSize(127, 180));
    EXPECT_EQ(jpegSize(landscape.thumb), QSize(180, 127));
}

TEST_F(ConverterTest, WithoutASizePageTheFirstSwfPageIsMeasured)
{
    auto converter = open("mixed.pdf");
    converter->convertPage(4, PageFormat::Swf);
    converter->convertPage(1, PageFormat::Swf);
    EXPECT_EQ(storedPageSize(platform), QSize(600, 600));
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

TEST_F(ConverterTest, StepByStepOperationsRenderEachPageOnce)
{
    auto converter = open("links.pdf");
    const QString page = converter->generatePage(2); // ImportType 0: SWF
    EXPECT_TRUE(page.endsWith(QLatin1String("/2.swf")));
    EXPECT_TRUE(QFileInfo::exists(page));
    EXPECT_EQ(storedPageSize(platform), QSize(1224, 1584));

    platform.fixedClock.time = QDateTime(QDate(2026, 12, 5), QTime(15, 22, 33));
    const QString thumb = converter->generateThumbPage(2);
    EXPECT_EQ(QFileInfo(thumb).fileName(), QLatin1String("0512261522332.jpg"));
    EXPECT_EQ(jpegSize(thumb), QSize(139, 180));
    // A thumbnail asked for again gets a new stamp and is rendered.
    platform.fixedClock.time = platform.fixedClock.time.addSecs(1);
    EXPECT_EQ(jpegSize(converter->generateThumbPage(2)), QSize(139, 180));
    EXPECT_EQ(jpegSize(converter->generateThumbPage(4)), QSize(139, 180));

    // The mobile picture exists already; asking twice never renders it again.
    const QString mobile = converter->generateMobilePage(2);
    EXPECT_EQ(jpegSize(mobile), QSize(1224, 1584));
    QFile marker(mobile);
    ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
    marker.write("kept");
    marker.close();
    EXPECT_EQ(converter->generateMobilePage(2), mobile);
    EXPECT_EQ(read(mobile), "kept");
    // A page that has not been converted gets its mobile picture rendered.
    EXPECT_EQ(jpegSize(converter->generateMobilePage(5)), QSize(1224, 1584));
}

TEST_F(ConverterTest, WithoutADocumentPathsComeBackWithoutFiles)
{
    PDFToSWFPageConverter converter(fixture("damaged.pdf"), nullptr, 85);
    const QString mobile = converter.generateMobilePage(3);
    EXPECT_EQ(QFileInfo(mobile).fileName(), QLatin1String("3_mobile.jpg"));
    EXPECT_FALSE(QFileInfo::exists(mobile));
    const ConvertedPage page = converter.convertPage(3, PageFormat::Jpg);
    EXPECT_FALSE(page.warnings.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(page.page));
    EXPECT_TRUE(QDir(converter.converterWorkFolder()).entryList(QDir::Files).isEmpty());
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
    EXPECT_EQ(PDFToSWFPageConverter::getPDF2swfLibPath(), resources + QLatin1String("/lib/pdf2swf"));

    auto converter = open("links.pdf", 45);
    const ConvertedPage page = converter->convertPage(7 - 4, PageFormat::Swf);
    const QStringList expected = {
        fixture("links.pdf"),   QLatin1String("-o") + page.page, QStringLiteral("-p 3-3"),
        QStringLiteral("-s jpegquality=45"), QStringLiteral("-t"), QStringLiteral("-G"), QStringLiteral("-qq"),
        QStringLiteral("-s flashversion=8"), QStringLiteral("-s disablelinks"), QStringLiteral("-s zoom=144"),
    };
    EXPECT_EQ(QString::fromUtf8(read(argsFile)).split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
    // The failure is reported; the thumbnail and mobile picture are still made.
    ASSERT_EQ(page.warnings.size(), 1u);
    EXPECT_TRUE(page.warnings.list()[0].message.contains(QLatin1String("cannot convert")));
    EXPECT_FALSE(QFileInfo::exists(page.page));
    EXPECT_EQ(jpegSize(page.thumb), QSize(139, 180));
    EXPECT_EQ(jpegSize(page.mobile), QSize(1224, 1584));
    EXPECT_EQ(storedPageSize(platform), QSize(1080, 1440));

    // A size tool whose output has no "|" stops the page with an error.
    QFile::remove(resources + QLatin1String("/lib/pdf2swf"));
    writeScript(resources + QLatin1String("/lib/pdf2swf"), "cp '" + fixture("links.pdf").toUtf8() + "' \"${2#-o}\"\n");
    writeScript(resources + QLatin1String("/lib/getswfSize"), "echo 612x792\n");
    auto fresh = open("links.pdf");
    EXPECT_THROW(fresh->convertPage(1, PageFormat::Swf), Error);
    writeScript(resources + QLatin1String("/lib/getswfSize"), "echo ' 612|  792 '\n");
    auto measured = open("links.pdf");
    measured->convertPage(1, PageFormat::Swf);
    EXPECT_EQ(storedPageSize(platform), QSize(612, 792));

    // A pdf2swf that cannot be started is an error, not a page without a file.
    QFile::remove(resources + QLatin1String("/lib/pdf2swf"));
    writeScript(resources + QLatin1String("/lib/pdf2swf"), QByteArray());
    QFile broken(resources + QLatin1String("/lib/pdf2swf"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("#!/nonexistent/interpreter\n");
    broken.close();
    try {
        open("links.pdf")->convertPage(2, PageFormat::Swf);
        ADD_FAILURE() << "a tool that cannot start went unnoticed";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Internal);
        EXPECT_TRUE(e.message().contains(QLatin1String("cannot be started"))) << e.text().toStdString();
    }
}

TEST_F(ConverterTest, ImportTypeOtherThanZeroMakesJpgPages)
{
    AppSettings::shareInstance().setImportType(1);
    auto converter = open("links.pdf");
    const QString page = converter->generatePage(1);
    EXPECT_EQ(QFileInfo(page).fileName(), QLatin1String("1.jpg"));
    EXPECT_EQ(jpegSize(page), QSize(1224, 1584));
    EXPECT_EQ(storedPageSize(platform), QSize(1080, 1440));
    AppSettings::shareInstance().setImportType(0);
}
