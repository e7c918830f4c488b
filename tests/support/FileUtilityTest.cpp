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

class FileUtilityTest : public ::testing::Test {
protected:
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

} // namespace
} // namespace leafcraft
