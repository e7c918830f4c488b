// The SWF page movies and the two page tools, checked with an independent decoder.
#include "SwfTestSupport.h"

#include "import/SwfFile.h"
#include "platform/JpegDecoder.h"
#include "platform/JpegEncoder.h"
#include "support/Error.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

QByteArray smallJpeg(int w = 30, int h = 40)
{
    pdf::Bitmap b;
    b.width = w;
    b.height = h;
    b.pixels = QByteArray(w * h * 3, char(120));
    return JpegEncoder::encode(b, 85);
}

QString tool(const char* name)
{
    return QStringLiteral(LEAFCRAFT_BINARY_DIR "/tools/%1/%1").arg(QLatin1String(name));
}

QString fixture(const char* name)
{
    return QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/pdfdata/") + QLatin1String(name);
}

struct ToolResult {
    int code;
    QByteArray out;
    QByteArray err;
};

ToolResult run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

QStringList pdf2swfCall(const QString& pdf, const QString& out, int page, int quality = 85)
{
    return {pdf,
            QLatin1String("-o") + out,
            QStringLiteral("-p %1-%1").arg(page),
            QStringLiteral("-s jpegquality=%1").arg(quality),
            QStringLiteral("-t"),
            QStringLiteral("-G"),
            QStringLiteral("-qq"),
            QStringLiteral("-s flashversion=8"),
            QStringLiteral("-s disablelinks"),
            QStringLiteral("-s zoom=144")};
}

} // namespace

TEST(SwfFileTest, PageMovieIsWellFormed)
{
    const QByteArray jpeg = smallJpeg();
    const QByteArray movie = SwfFile::build(jpeg, 612, 792);
    const test::DecodedSwf s = test::decodeSwf(movie);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.signature, "FWS");
    EXPECT_EQ(s.version, 8);
    EXPECT_EQ(s.declaredLength, quint32(movie.size()));
    EXPECT_EQ(s.xmin, 0);
    EXPECT_EQ(s.xmax, 612 * 20);
    EXPECT_EQ(s.ymax, 792 * 20);
    EXPECT_EQ(s.frameCount, 1);
    EXPECT_EQ(s.frameRate256, 12 * 256);

    std::vector<int> codes;
    for (const auto& t : s.tags)
        codes.push_back(t.code);
    EXPECT_EQ(codes, (std::vector<int>{9, 21, 2, 26, 1, 0}));
    // DefineBitsJPEG2: character 1, then the JPEG as it was given.
    EXPECT_EQ(s.tags[1].body.mid(2), jpeg);
    EXPECT_EQ(s.tags[1].body.left(2), QByteArray("\x01\x00", 2));
    // PlaceObject2: character 2 at depth 1.
    EXPECT_EQ(s.tags[3].body.mid(1, 4), QByteArray("\x01\x00\x02\x00", 4));
}

TEST(SwfFileTest, BadMoviesAreRefused)
{
    const QByteArray movie = SwfFile::build(smallJpeg(), 100, 100);
    const struct {
        QByteArray data;
        const char* message;
    } cases[] = {
        {QByteArray("not a movie at all"), "not a SWF"},
        {QByteArray(), "not a SWF"},
        {movie.left(movie.size() / 2), "truncated"},
        {movie.left(9), "truncated"},
        {QByteArray("ZWS\x0a\x20\x00\x00\x00", 8) + QByteArray(40, 'x'), "LZMA"},
        {QByteArray("CWS\x08\x00\x10\x00\x00", 8) + QByteArray(40, 'x'), "damaged"},
        {QByteArray("CWS\x08\xff\xff\xff\x3f", 8) + qCompress(QByteArray(100, 'x')).mid(4), "declares"},
    };
    for (const auto& c : cases) {
        try {
            SwfFile::readHeader(c.data, QStringLiteral("m.swf"));
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::BadInput);
            EXPECT_TRUE(e.text().contains(QLatin1String(c.message))) << e.text().toStdString();
        }
    }
}

TEST(PageToolsTest, Pdf2swfWritesThePageAndGetswfSizeMeasuresIt)
{
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("2.swf"));
    const ToolResult r = run(tool("pdf2swf"), pdf2swfCall(fixture("mixed.pdf"), out, 2, 65));
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const test::DecodedSwf s = test::decodeSwfFile(out);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.signature, "FWS");
    EXPECT_EQ(s.version, 8);
    // 842 x 595 points at 144 dpi.
    EXPECT_EQ(s.xmax, 1684 * 20);
    EXPECT_EQ(s.ymax, 1190 * 20);
    int w = 0, h = 0;
    ASSERT_TRUE(JpegDecoder::readSize(s.tags[1].body.mid(2), &w, &h));
    EXPECT_EQ(w, 1684);
    EXPECT_EQ(h, 1190);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("2.swf")}); // no temp left

    const ToolResult size = run(tool("getswfSize"), {out});
    EXPECT_EQ(size.code, 0);
    EXPECT_EQ(size.out, "1684|1190\n");

    EXPECT_EQ(run(tool("pdf2swf"), {QStringLiteral("-h")}).code, 0);
    EXPECT_EQ(run(tool("getswfSize"), {QStringLiteral("-h")}).code, 0);
}
