#include "fakes/TestFiles.h"
#include "publish/PublishJob.h"

#include "app/AppSettings.h"
#include "platform/Xml.h"
#include "support/ConfigContainer.h"
#include "templates/Template.h"

#include "fakes/FakePlatform.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

class Job : public ::testing::Test {
protected:
    void SetUp() override
    {
        pdf = platform.root() + QStringLiteral("/sample.pdf");
        QProcess p;
        p.start(QStringLiteral("python3"), {QStringLiteral(TEST_DATA_DIR "/../../scripts/make_pdfs.py"), QStringLiteral("--sample"), pdf});
        ASSERT_TRUE(p.waitForFinished(60000));
        ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        options.inputPdf = pdf;
        options.outputFolder = platform.root() + QStringLiteral("/out/book");
    }

    test::FakePlatform platform;
    QString pdf;
    PublishOptions options;
};

TEST_F(Job, WorksApartFromTheApplicationAndAppliesTheImportsPageSize)
{
    const int sharedWidth = AppSettings::instance().pageWidth();
    options.pageRange = QStringLiteral("3-4,8");
    options.propertyValues = {{QStringLiteral("Title"), QStringLiteral("Set")}};
    auto owned = std::make_unique<PublishJob>(options);
    PublishJob& job = *owned;
    std::vector<PublishProgress::Stage> stages;
    job.setProgressHandler([&](const PublishProgress& p) {
        if (stages.empty() || stages.back() != p.stage)
            stages.push_back(p.stage);
    });
    const QString html = job.run();
    EXPECT_EQ(html, QFileInfo(options.outputFolder + QStringLiteral("/index.html")).absoluteFilePath());
    EXPECT_EQ(stages, (std::vector<PublishProgress::Stage>{PublishProgress::Stage::Checking,
                                                           PublishProgress::Stage::Importing,
                                                           PublishProgress::Stage::Writing, PublishProgress::Stage::Done}));

    // Private: no preview folder, no remembered choice, the shared settings untouched.
    EXPECT_FALSE(QFileInfo::exists(platform.paths().userAppSupportDir() + QStringLiteral("/Quiresheet")));
    EXPECT_TRUE(platform.prefs.m_values.isEmpty());
    EXPECT_EQ(platform.prefs.syncCount, 0);
    EXPECT_EQ(AppSettings::instance().pageWidth(), sharedWidth);
    EXPECT_TRUE(QFileInfo(job.workingFolder()).isDir());

    // The import's page size: pixels of the page files into the list.
    EXPECT_EQ(job.pageWidth(), 612);
    EXPECT_EQ(job.settings().pageWidth(), 1224);
    xml::Document config = xml::Document::parse(
        ConfigContainer::decode(test::readFile(options.outputFolder + QStringLiteral("/files/config.xml"))));
    xml::Element pages = config.root().firstChild(QStringLiteral("Pages"));
    EXPECT_EQ(pages.attribute(QStringLiteral("largeWidth")), QStringLiteral("1224"));
    EXPECT_EQ(pages.attribute(QStringLiteral("largeHeight")), QStringLiteral("1584"));
    EXPECT_EQ(config.root().firstChild(QStringLiteral("Config")).firstChild(QStringLiteral("Setting")).childText(
                  QStringLiteral("Title")),
              QStringLiteral("Set"));
    // Page 3 links to page 8, which is the book's third page.
    const auto pageEls = pages.children(QStringLiteral("Page"));
    ASSERT_EQ(pageEls.size(), 3u);
    bool found = false;
    for (const xml::Element& item : pageEls[0].children(QStringLiteral("Item")))
        if (item.attribute(QStringLiteral("action")) == QStringLiteral("page"))
            found = item.attribute(QStringLiteral("pageIndex")) == QStringLiteral("3");
    EXPECT_TRUE(found);
    EXPECT_FALSE(QFileInfo::exists(options.outputFolder + QStringLiteral("/pages.xml")));
    EXPECT_TRUE(test::readFile(options.outputFolder + QStringLiteral("/files/search/search.js")).contains("Bookmarks"));

    // The working folder and the converted page files go with the job; the book stays.
    const QString working = job.workingFolder();
    owned.reset();
    EXPECT_FALSE(QFileInfo::exists(working));
    EXPECT_TRUE(QFileInfo::exists(html));
}

} // namespace
