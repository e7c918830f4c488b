#include "fakes/TestFiles.h"
#include "support/SaveFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/mount.h>

using namespace leafcraft;

namespace {

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(SaveFile, ReplacesWholeKeepingPermissionsAndLeavesNothingBehind)
{
    QTemporaryDir dir;
    const QString path = test::writeFile(dir.filePath(QStringLiteral("settings.txt")), "a much longer first version");
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_TRUE(trySaveFile(path, "second", {.sync = true}).isNull());
    EXPECT_EQ(test::readFile(path), QByteArray("second"));
    EXPECT_FALSE(QFile::permissions(path) & (QFileDevice::ReadGroup | QFileDevice::ReadOther)) << "stays private";
    EXPECT_EQ(entries(dir.path()), QStringList{QStringLiteral("settings.txt")});
}

struct FailureCase {
    const char* name;
    const char* target; // relative to the test's folder, which holds "old.txt" and the folder "taken"
    SaveOptions options;
    const char* problem;
};

class SaveFileFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(SaveFileFailure, KeepsWhatWasThereAndSaysWhy)
{
    QTemporaryDir dir;
    test::writeFile(dir.filePath(QStringLiteral("old.txt")), "old");
    QDir(dir.path()).mkdir(QStringLiteral("taken"));
    EXPECT_EQ(trySaveFile(dir.filePath(QLatin1String(GetParam().target)), "new", GetParam().options),
              QLatin1String(GetParam().problem));
    EXPECT_EQ(test::readFile(dir.filePath(QStringLiteral("old.txt"))), QByteArray("old"));
    EXPECT_EQ(entries(dir.path()), (QStringList{QStringLiteral("old.txt"), QStringLiteral("taken")}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveFileFailure,
    ::testing::Values(FailureCase{"FolderInTheWay", "taken", {}, "a folder is there"},
                      FailureCase{"MissingFolder", "missing/x.txt", {}, "the folder does not exist"},
                      FailureCase{"CreateOnlyOverAFile", "old.txt", {.createOnly = true}, "something is there already"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

// A full disk: a tiny tmpfs, where the test may mount one (it runs as root in CI).
TEST(SaveFile, AFullDiskKeepsTheOldFileAndSaysSo)
{
    QTemporaryDir dir;
    const QByteArray mountPoint = QFile::encodeName(dir.path());
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const QString path = test::writeFile(dir.filePath(QStringLiteral("config.xml")), "old");
    test::writeFile(dir.filePath(QStringLiteral("fill")), QByteArray(48 * 1024, 'x'));
    QFile fill(dir.filePath(QStringLiteral("fill")));
    fill.open(QIODevice::Append);
    while (fill.write(QByteArray(4096, 'x')) > 0 && fill.flush()) {
    }
    fill.close();
    for (const SaveOptions options : {SaveOptions{}, SaveOptions{.sync = true}, SaveOptions{.createOnly = true}})
        EXPECT_EQ(trySaveFile(options.createOnly ? dir.filePath(QStringLiteral("new.xml")) : path,
                              QByteArray(8192, 'n'), options),
                  QStringLiteral("the disk is full"));
    QTemporaryDir elsewhere;
    EXPECT_EQ(tryCopyFile(test::writeFile(elsewhere.filePath(QStringLiteral("big")), QByteArray(100000, 'c')), path),
              QStringLiteral("the disk is full"));
    EXPECT_EQ(test::readFile(path), QByteArray("old"));
    EXPECT_EQ(entries(dir.path()), (QStringList{QStringLiteral("config.xml"), QStringLiteral("fill")}));
    ::umount(mountPoint.constData());
}

} // namespace
