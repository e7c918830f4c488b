#include "fakes/TestFiles.h"
#include "support/FileUtility.h"

#include "fakes/FakePlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace leafcraft {
namespace {

using test::FakePlatform;

QByteArray utf16le(const QString& text, bool bom = true)
{
    QByteArray out = bom ? QByteArray("\xFF\xFE", 2) : QByteArray();
    for (QChar c : text) {
        out.append(char(c.unicode() & 0xFF));
        out.append(char(c.unicode() >> 8));
    }
    return out;
}

class FileUtilityTest : public ::testing::Test {
protected:
    QString trustFile() const
    {
        return platform.paths().localAppSupportDir() + QLatin1String("/Macromedia/FlashPlayerTrust/PT.cfg");
    }
    QByteArray readTrust() const { return test::readFile(trustFile()); }
    void writeTrust(const QByteArray& bytes) const { test::writeFile(trustFile(), bytes); }
    mutable FakePlatform platform;
};

TEST_F(FileUtilityTest, TmpFoldersAreNewPrivateAndSeparate)
{
    const QString root = platform.paths().tempRoot();
    const QString a = FileUtility::makePrivateTempFolder(QStringLiteral("Sheetwise"));
    const QString b = FileUtility::makePrivateTempFolder(QStringLiteral("Sheetwise"));
    EXPECT_NE(a, b);
    for (const QString& f : {a, b}) {
        EXPECT_TRUE(QFileInfo(f).isDir());
        EXPECT_EQ(QFileInfo(f).path(), root); // no shared parent folder another user could own
        EXPECT_EQ(QFileInfo(f).permissions() & 0x0FFF, QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    }
    // A name already taken (here by a file) is skipped, not reused.
    QFile blocker(root + QLatin1String("/Sheetwise-00000003"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString c = FileUtility::makePrivateTempFolder(QStringLiteral("Sheetwise"));
    EXPECT_EQ(QFileInfo(c).fileName(), QStringLiteral("Sheetwise-00000004"));
}

TEST_F(FileUtilityTest, SubFoldersAtEveryDepthWithoutLinksOrFiles)
{
    const QString base = platform.root() + QLatin1String("/styles");
    QDir().mkpath(base + QLatin1String("/A/images"));
    QDir().mkpath(base + QLatin1String("/B"));
    QDir().mkpath(base + QLatin1String("/.hidden"));
    QFile(base + QLatin1String("/A/file.txt")).open(QIODevice::WriteOnly);
    QFile::link(base + QLatin1String("/B"), base + QLatin1String("/A/linkToB"));
    const QStringList expected = {base + QLatin1String("/.hidden"), base + QLatin1String("/A"),
                                  base + QLatin1String("/A/images"), base + QLatin1String("/B")};
    EXPECT_EQ(FileUtility::subfolders(base), expected);
    EXPECT_EQ(FileUtility::subfolders(base + QLatin1Char('/')), expected);
    EXPECT_TRUE(FileUtility::subfolders(base + QLatin1String("/missing")).isEmpty());
    EXPECT_TRUE(FileUtility::subfolders(base + QLatin1String("/A/file.txt")).isEmpty());
    EXPECT_TRUE(FileUtility::subfolders(QString()).isEmpty());
}

TEST_F(FileUtilityTest, TrustFileGetsEachFolderOnce)
{
    FileUtility::trustFolderForFlashPlayer(QStringLiteral("/books/preview"));
    EXPECT_EQ(readTrust(), utf16le(QStringLiteral("/books/preview")));
    FileUtility::trustFolderForFlashPlayer(QStringLiteral("/books/preview"));
    EXPECT_EQ(readTrust(), utf16le(QStringLiteral("/books/preview")));
    FileUtility::trustFolderForFlashPlayer(QStringLiteral("/books/editor"));
    EXPECT_EQ(readTrust(), utf16le(QStringLiteral("/books/preview\n/books/editor")));
    // Case and trailing slash make a different folder.
    FileUtility::trustFolderForFlashPlayer(QStringLiteral("/Books/editor/"));
    EXPECT_EQ(readTrust(), utf16le(QStringLiteral("/books/preview\n/books/editor\n/Books/editor/")));
}

struct TrustCase {
    const char* label;
    QByteArray existing;
    QByteArray expected; // empty: the file must stay as it was
};

void PrintTo(const TrustCase& c, std::ostream* os)
{
    *os << c.label;
}

class TrustFileEncodings : public FileUtilityTest, public ::testing::WithParamInterface<TrustCase> {};

TEST_P(TrustFileEncodings, ExistingEntriesSurvive)
{
    const TrustCase& c = GetParam();
    writeTrust(c.existing);
    FileUtility::trustFolderForFlashPlayer(QStringLiteral("/new/d\u00E9j\u00E0"));
    EXPECT_EQ(readTrust(), c.expected.isEmpty() ? c.existing : c.expected);
}

const QString kNew = QStringLiteral("\n/new/d\u00E9j\u00E0");

INSTANTIATE_TEST_SUITE_P(
    Encodings, TrustFileEncodings,
    ::testing::Values(
        TrustCase{"utf16le_bom", utf16le(QStringLiteral("/old/\u00FCber")),
                  utf16le(QStringLiteral("/old/\u00FCber") + kNew)},
        TrustCase{"utf16be_bom", QByteArray("\xFE\xFF\x00/\x00o\x00\xFC", 8), utf16le(QStringLiteral("/o\u00FC") + kNew)},
        TrustCase{"utf8_bom", QByteArray("\xEF\xBB\xBF/old/\xC3\xBC" "ber"),
                  utf16le(QStringLiteral("/old/\u00FCber") + kNew)},
        TrustCase{"utf8_plain", QByteArray("/a\n/old/\xC3\xBC" "ber"),
                  utf16le(QStringLiteral("/a\n/old/\u00FCber") + kNew)},
        TrustCase{"utf16le_without_bom", utf16le(QStringLiteral("/old"), false), utf16le(QStringLiteral("/old") + kNew)},
        // A carriage return stays in its line, so the folder is not found and is appended again.
        TrustCase{"crlf_lines_never_match", utf16le(QStringLiteral("/new/d\u00E9j\u00E0\r\n/x")),
                  utf16le(QStringLiteral("/new/d\u00E9j\u00E0\r\n/x") + kNew)},
        TrustCase{"not_text_left_alone", QByteArray("/old/\xFF\xFE\xFD"), QByteArray()},
        TrustCase{"already_listed_in_utf8", QByteArray("/x\n/new/d\xC3\xA9j\xC3\xA0"), QByteArray()}),
    [](const ::testing::TestParamInfo<TrustCase>& info) { return std::string(info.param.label); });

} // namespace
} // namespace leafcraft
