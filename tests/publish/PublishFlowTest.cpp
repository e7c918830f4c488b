// The publish sequence: what each kind of output writes, what is remembered, and meaningless
// choices. (Existing folders: PublishFlowOverwriteTest.)
#include "fakes/TestFiles.h"
#include "publish/PublishFlow.h"

#include "app/AppSettings.h"
#include "fakes/FakePlatform.h"
#include "import/ImagePageSource.h"
#include "publish/BookWriter.h"
#include "templates/Template.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

class PublishFlowRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto source = std::make_shared<ImagePageSource>();
        const QDir demo(QStringLiteral(LEAFCRAFT_SOURCE_RESOURCES "/AppFiles/DemoImgs_standard/large"));
        for (const QString& pic : demo.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name).mid(0, 3)) {
            source->addImgPageFromFile(demo.filePath(pic));
            source->addThumbImgPageFromFile(demo.filePath(pic));
            source->addMobileImgPageFromFile(demo.filePath(pic));
        }
        source->generateNormalPages();
        flow = std::make_unique<PublishFlow>(source, std::make_shared<Template>(), nullptr, nullptr);
        flow->setSettings(&settings);
        flow->setWriterSetup(
            [this](BookWriter& w) { w.setPreviewFolder(platform.root() + QStringLiteral("/preview")); });
        out = platform.root() + QStringLiteral("/out/book");
    }

    PublishChoices choices(int outputType, int createMobile, int mobileType) const
    {
        return {out, QStringLiteral("mybook"), QStringLiteral("My Book"), outputType, createMobile, mobileType};
    }

    static OverwriteAnswer never(const QString&)
    {
        ADD_FAILURE() << "the overwrite question was asked";
        return OverwriteAnswer::No;
    }

    test::FakePlatform platform;
    AppSettings settings{&platform.prefs};
    std::unique_ptr<PublishFlow> flow;
    QString out;
};

} // namespace

TEST_F(PublishFlowRun, WebBookWithPhoneVersionAndRememberedChoices)
{
    struct Case {
        int mobileType;
        const char* playerFile;
    } cases[] = {{0, "mobile/javascript/main.js"}, {1, "mobile/javascript/slide.js"}};
    for (const Case& c : cases) {
        QDir(out).removeRecursively();
        EXPECT_EQ(flow->publish(choices(0, 1, c.mobileType), never), out + QStringLiteral("/mybook.html"));
        EXPECT_TRUE(QFileInfo(out + QStringLiteral("/files/config.xml")).isFile());
        EXPECT_TRUE(QFileInfo(out + QLatin1Char('/') + QLatin1String(c.playerFile)).isFile()) << c.playerFile;
        // The phone picture of page 3 is the page picture: shared, not copied.
        EXPECT_TRUE(QFileInfo(out + QStringLiteral("/files/page/3.jpg")).isFile());
        EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/files/mobile/3.jpg")));
    }
    EXPECT_EQ(platform.prefs.value(QStringLiteral("lastOutputFileFolder")).toString(), out);
    EXPECT_EQ(platform.prefs.value(QStringLiteral("lastOutputFileName")).toString(), QStringLiteral("mybook"));
    EXPECT_EQ(platform.prefs.value(QStringLiteral("lastOutputFileTitle")).toString(), QStringLiteral("My Book"));
    EXPECT_EQ(platform.prefs.value(QStringLiteral("OutputCreateMobile")).toInt(), 1);
    EXPECT_EQ(platform.prefs.value(QStringLiteral("MobileType")).toInt(), 1);
    EXPECT_GE(platform.prefs.syncCount, 2);
    const PublishChoices back = flow->rememberedChoices();
    EXPECT_EQ(back.title, QStringLiteral("My Book"));
    EXPECT_EQ(back.mobileType, 1);
}

TEST_F(PublishFlowRun, ABookWithoutPhonePicturesSaysSoWithoutItsStagingFolder)
{
    // As the demonstration book: pages, but no phone pictures.
    auto source = std::make_shared<ImagePageSource>();
    source->addImgPageFromFile(QStringLiteral(LEAFCRAFT_SOURCE_RESOURCES "/AppFiles/DemoImgs_standard/large/01.jpg"));
    source->generateNormalPages();
    PublishFlow bare(source, std::make_shared<Template>(), nullptr, nullptr);
    bare.setSettings(&settings);
    EXPECT_EQ(bare.publish(choices(0, 1, 0), never), out + QStringLiteral("/mybook.html"));
    EXPECT_TRUE(bare.missingPhoneVersion().contains(QStringLiteral("no phone pictures")));
    EXPECT_FALSE(bare.warnings().texts().join(QLatin1Char('\n')).contains(platform.root()));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/mobile")));
    QDir(out).removeRecursively();
    EXPECT_EQ(flow->publish(choices(0, 1, 0), never), out + QStringLiteral("/mybook.html"));
    EXPECT_EQ(flow->missingPhoneVersion(), QString());
}

TEST_F(PublishFlowRun, BundleNeverGetsAPhoneVersion)
{
    const QString result = flow->publish(choices(1, 1, 0), never);
    EXPECT_EQ(result, out + QStringLiteral("/mybook.app"));
    EXPECT_TRUE(QFileInfo(result + QStringLiteral("/Contents/Resources/index.html")).isFile());
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/mobile")));
    EXPECT_FALSE(QFileInfo::exists(result + QStringLiteral("/Contents/Resources/mobile")));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/files/mobile")));
}

TEST_F(PublishFlowRun, EarlierBookReplacedOnYesKeptOnNo)
{
    flow->publish(choices(0, 0, 0), never);
    test::writeFile(out + QStringLiteral("/files/page/99.jpg"), "old page");
    platform.prefs.m_values.clear();

    EXPECT_TRUE(flow->publish(choices(0, 0, 0), [](const QString&) { return OverwriteAnswer::No; }).isNull());
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/files/page/99.jpg")));
    EXPECT_TRUE(platform.prefs.m_values.isEmpty()); // "NO" remembers nothing

    EXPECT_FALSE(flow->publish(choices(0, 0, 0), [](const QString&) { return OverwriteAnswer::Yes; }).isNull());
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/files/page/99.jpg"))); // not the book's file
    EXPECT_TRUE(QFileInfo(out + QStringLiteral("/mybook.html")).isFile());
}

TEST_F(PublishFlowRun, ACancelledPublishLeavesTheEarlierBookAsItWas)
{
    flow->publish(choices(0, 1, 0), never);
    const auto snapshot = [this] {
        QStringList files;
        for (QDirIterator it(out, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
            const QString path = it.next();
            files << path + QString::number(qHash(test::readFile(path)));
        }
        files.sort();
        return files;
    };
    const QStringList before = snapshot();
    int calls = 0;
    flow->setProgressCallback([&](int done, int total) {
        EXPECT_EQ(total, 3);
        EXPECT_LE(done, total);
        return ++calls < 2; // stop at the second report
    });
    try {
        flow->publish(choices(0, 1, 1), [](const QString&) { return OverwriteAnswer::Yes; });
        FAIL() << "the cancel was not taken";
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::Cancelled);
    }
    EXPECT_EQ(snapshot(), before); // no staging folder, no lock, the old book whole
}

TEST_F(PublishFlowRun, ACancelledPublishRemovesOnlyTheFoldersItMade)
{
    test::writeFile(platform.root() + QStringLiteral("/out/mine.txt"), "mine");
    out = platform.root() + QStringLiteral("/out/new/deeper");
    flow->setProgressCallback([](int, int) { return false; });
    EXPECT_THROW(flow->publish(choices(0, 1, 0), never), Error);
    EXPECT_FALSE(QFileInfo::exists(platform.root() + QStringLiteral("/out/new")));
    EXPECT_EQ(QDir(platform.root() + QStringLiteral("/out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("mine.txt")});
}

TEST_F(PublishFlowRun, MeaninglessChoicesAreRefused)
{
    for (const QString& name : {QString(""), QStringLiteral("a/b"), QStringLiteral("..")}) {
        PublishChoices c = choices(0, 0, 0);
        c.name = name;
        EXPECT_THROW(flow->publish(c, never), Error) << name.toStdString();
    }
    PublishChoices c = choices(0, 0, 0);
    c.folder = QStringLiteral("  ");
    EXPECT_THROW(flow->publish(c, never), Error);
    EXPECT_TRUE(platform.prefs.m_values.isEmpty());
}
