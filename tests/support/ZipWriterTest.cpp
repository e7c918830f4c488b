#include "fakes/TestFiles.h"
#include "support/ZipWriter.h"

#include "ExternalTool.h"
#include "fakes/FakePlatform.h"
#include "support/ZipDataOps.h"

#include <gtest/gtest.h>

namespace leafcraft {
namespace {

using test::FakePlatform;

std::uint32_t u16(const QByteArray& b, qsizetype at)
{
    return std::uint8_t(b[at]) | (std::uint32_t(std::uint8_t(b[at + 1])) << 8);
}

QByteArray sampleDocument()
{
    QByteArray doc = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Folioscope>\n  <XMLVersion>1</XMLVersion>\n";
    for (int i = 1; i <= 40; ++i)
        doc += "  <Page>files/page/" + QByteArray::number(i) + ".swf</Page>\n";
    doc += "  <Title>Caf\xC3\xA9 \xE2\x82\xAC</Title>\n</Folioscope>\n";
    return doc;
}

class ZipWriterTest : public ::testing::Test {
protected:
    QString writeArchive(const QByteArray& bytes, const QString& name = QStringLiteral("a.zip"))
    {
        return test::writeFile(platform.root() + QLatin1Char('/') + name, bytes);
    }
    FakePlatform platform; // clock: 2026-01-02 03:04:05 local time
};

TEST_F(ZipWriterTest, StandardReadersListAndExtractTheEntry)
{
    const QByteArray doc = sampleDocument();
    ZipWriter archive;
    ASSERT_EQ(archive.deflateData(doc, QStringLiteral("config.xml")), 1);
    const QString path = writeArchive(archive.data());

    const test::ToolResult check = test::runTool(QStringLiteral("unzip"), {QStringLiteral("-t"), path});
    EXPECT_EQ(check.exitCode, 0) << check.out.constData() << check.err.constData();
    EXPECT_TRUE(check.out.contains("No errors detected")) << check.out.constData();

    const test::ToolResult extracted = test::runTool(QStringLiteral("unzip"), {QStringLiteral("-p"), path, QStringLiteral("config.xml")});
    EXPECT_EQ(extracted.out, doc);

    const test::ToolResult info = test::runTool(QStringLiteral("zipinfo"), {path});
    EXPECT_EQ(info.exitCode, 0) << info.err.constData();
    EXPECT_TRUE(info.out.contains("2.1 unx")) << info.out.constData();
    EXPECT_TRUE(info.out.contains("defN")) << info.out.constData(); // deflate, normal option bits
    EXPECT_TRUE(info.out.contains("config.xml")) << info.out.constData();
    const test::ToolResult comment = test::runTool(QStringLiteral("zipinfo"), {QStringLiteral("-z"), path});
    EXPECT_TRUE(comment.out.contains("Archive created with ZipKit")) << comment.out.constData();

    const test::ToolResult py = test::runPython(QStringLiteral(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
infos = z.infolist()
print(len(infos), infos[0].filename, infos[0].create_system, infos[0].create_version,
      infos[0].extract_version, infos[0].compress_type, infos[0].date_time, z.comment.decode())
sys.stdout.flush()
sys.stdout.buffer.write(z.read("config.xml"))
)"), {path});
    ASSERT_EQ(py.exitCode, 0) << py.err.constData();
    const qsizetype eol = py.out.indexOf('\n');
    EXPECT_EQ(py.out.left(eol), QByteArray("1 config.xml 3 21 20 8 (2026, 1, 2, 3, 4, 4) Archive created with ZipKit"));
    EXPECT_EQ(py.out.mid(eol + 1), doc);
}

struct EntryCase {
    const char* label;
    QByteArray input;
    QString name;
    QTime time;
    QByteArray expectedName;
    std::uint32_t expectedTimeWord;
};

void PrintTo(const EntryCase& c, std::ostream* os)
{
    *os << c.label;
}

class ZipEntryCases : public ZipWriterTest, public ::testing::WithParamInterface<EntryCase> {};

TEST_P(ZipEntryCases, EntryFieldsAndReadBack)
{
    const EntryCase& c = GetParam();
    platform.fixedClock.time = QDateTime(QDate(2026, 1, 2), c.time);
    ZipWriter archive;
    ASSERT_EQ(archive.deflateData(c.input, c.name), 1);
    const QByteArray& a = archive.data();
    EXPECT_EQ(u16(a, 10), c.expectedTimeWord);
    const QString path = writeArchive(a);
    const test::ToolResult py = test::runPython(QStringLiteral(R"(
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
i = z.infolist()[0]
# The UTF-8 flag is not set, so readers take the name as code page 437: undo that.
name = i.filename.encode("utf-8" if i.flag_bits & 0x800 else "cp437")
sys.stdout.buffer.write(name + b"|" + str(i.date_time[5]).encode() + b"|" + z.read(i))
)"), {path});
    ASSERT_EQ(py.exitCode, 0) << py.err.constData();
    EXPECT_EQ(py.out, c.expectedName + "|" + QByteArray::number((c.expectedTimeWord & 31) * 2) + "|" + c.input);
}

INSTANTIATE_TEST_SUITE_P(
    Edges, ZipEntryCases,
    ::testing::Values(
        EntryCase{"empty_input", QByteArray(), QStringLiteral("config.xml"), QTime(3, 4, 5), "config.xml",
                  3 * 2048 + 4 * 32 + 2},
        EntryCase{"decomposed_name", "x", QStringLiteral("cafe\u0301.xml"), QTime(0, 0, 0), "caf\xC3\xA9.xml", 0},
        EntryCase{"odd_seconds_round_down", "abc", QStringLiteral("a"), QTime(23, 59, 59), "a",
                  23 * 2048 + 59 * 32 + 29},
        EntryCase{"even_seconds_kept", "abc", QStringLiteral("a"), QTime(12, 30, 58), "a", 12 * 2048 + 30 * 32 + 29}),
    [](const ::testing::TestParamInfo<EntryCase>& info) { return std::string(info.param.label); });

} // namespace
} // namespace leafcraft
