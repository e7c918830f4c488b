#include "fakes/TestFiles.h"
#include "app/AppWindow.h"
#include "app/AppController.h"
#include "fakes/FakePlatform.h"
#include "import/PageSource.h"
#include "platform/NotificationCenter.h"
#include "templates/Template.h"
#include "templates/TemplatePropertyModel.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

QCoreApplication& app()
{
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QCoreApplication instance(argc, argv);
    return instance;
}

// Records what the controller asks of its window.
struct RecordingWindow : AppWindow {
    QStringList images;
    QStringList loaded;
    QStringList editorFolders;
    QString saveAnswer;
    QString openAnswer;
    bool yesAnswer = false;
    QStringList questions;

    void hideWindow() override {}
    void showAndActivate() override {}
    void setWindowTitle(const QString&) override {}
    void fillScreen() override {}
    void loadPreview(const QString& path) override { loaded << path; }
    void reloadPropertyOutline(bool) override {}
    TemplateProperty* selectedProperty() const override { return nullptr; }
    void showPropertyTip(const QString&, const QString&) override {}
    void setApplyChangeImage(const QString& name) override { images << name; }
    void setBusy(bool) override {}
    void beginImportSheet() override {}
    void beginSelectTemplateSheet(const QString&) override {}
    void beginPublishSheet(std::shared_ptr<Template>, std::shared_ptr<PageSource>,
                           std::shared_ptr<Outline>, std::shared_ptr<PageLinks>) override {}
    void beginPageEditorSheet(const QString& folder) override { editorFolders << folder; }
    QString askSaveFile(const QString&) override { return saveAnswer; }
    QString askOpenFile(const QString&, const QStringList&) override { return openAnswer; }
    bool askYesNo(const QString& message) override { return questions << message, yesAnswer; }
    void openWithDefaultApp(const QString&) override {}
    void showAbout() override {}
    void showError(const QString&) override {}
};

struct DelegateFixture : ::testing::Test {
    DelegateFixture() { app(); }
    test::FakePlatform platform;
    RecordingWindow window;
    AppController delegate{&window};

    QString preview() const { return delegate.previewFolder(); }
};

} // namespace

TEST_F(DelegateFixture, StartUpShowsTheDemonstrationBookAndTerminationCleansUp)
{
    delegate.launch();
    ASSERT_TRUE(delegate.bookTemplate());
    EXPECT_EQ(delegate.bookTemplate()->templateName(), QStringLiteral("float"));
    EXPECT_TRUE(preview().startsWith(platform.paths().userAppSupportDir() + QLatin1String("/Quiresheet/preview-")));
    ASSERT_EQ(window.loaded.size(), 1);
    EXPECT_EQ(window.loaded[0], preview() + QLatin1String("/index.html"));
    EXPECT_TRUE(QFileInfo::exists(preview() + QLatin1String("/index.html")));
    EXPECT_TRUE(QFileInfo::exists(preview() + QLatin1String("/files/config.xml")));
    const QStringList demo = AppController::demoPageFiles(QStringLiteral("DemoImgs_standard/large"));
    ASSERT_FALSE(demo.isEmpty());
    EXPECT_EQ(delegate.pageSource()->pages().size(), std::size_t(demo.size()));
    EXPECT_TRUE(QFileInfo::exists(preview() + QLatin1String("/files/page/1.jpg")));
    EXPECT_TRUE(delegate.neverEditor());

    test::writeFile(platform.paths().tempRoot() + QLatin1String("/Sheetwise-other/p.jpg")); // another run's
    delegate.prepareToQuit();
    EXPECT_FALSE(QFileInfo::exists(preview()));
    EXPECT_TRUE(QFileInfo::exists(platform.paths().tempRoot() + QLatin1String("/Sheetwise-other/p.jpg")));
}

TEST_F(DelegateFixture, PanoramicCubePicturesFollowTheTemplateNameExactly)
{
    delegate.launch();
    const QStringList styles = Template::styleNamesForTemplate(QStringLiteral("Panoramic"));
    if (styles.isEmpty())
        GTEST_SKIP() << "no Panoramic styles shipped";
    const QString ext = preview() + QLatin1String("/files/extfiles/");
    delegate.templateSelectionFinished(1, styles.first() + QLatin1String("/shot.jpg"));
    EXPECT_EQ(delegate.bookTemplate()->templateName(), QStringLiteral("Panoramic"));
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"})
        EXPECT_TRUE(QFileInfo::exists(ext + QLatin1String(name))) << name;

    // Another template removes them; a cancelled or empty choice changes nothing.
    delegate.templateSelectionFinished(1, QString());
    delegate.templateSelectionFinished(0, styles.first() + QLatin1String("/shot.jpg"));
    EXPECT_EQ(delegate.bookTemplate()->templateName(), QStringLiteral("Panoramic"));
    const QStringList floatStyles = Template::styleNamesForTemplate(QStringLiteral("float"));
    ASSERT_FALSE(floatStyles.isEmpty());
    delegate.templateSelectionFinished(1, floatStyles.first() + QLatin1String("/shot.jpg"));
    EXPECT_EQ(delegate.bookTemplate()->templateName(), QStringLiteral("float"));
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"})
        EXPECT_FALSE(QFileInfo::exists(ext + QLatin1String(name))) << name;
    delegate.prepareToQuit();
}

TEST_F(DelegateFixture, SettingsExportAddsTxtAndThePageEditorRoundTripsTheBasePath)
{
    delegate.launch();
    window.saveAnswer = platform.root() + QLatin1String("/settings");
    delegate.onExportTemplateSettings();
    EXPECT_TRUE(QFileInfo::exists(window.saveAnswer + QLatin1String(".txt")));
    window.saveAnswer = platform.root() + QLatin1String("/other.cfg");
    delegate.onExportTemplateSettings();
    EXPECT_TRUE(QFileInfo::exists(window.saveAnswer));

    // The page editor works on absolute paths; leaving it without saving makes them relative again.
    const QString pages = preview() + QLatin1String("/pages.xml");
    const QByteArray text = "<Pages bace=\"\" note=\"Grüße\"><Page/></Pages>";
    test::writeFile(pages, text);
    delegate.onPageEditor();
    EXPECT_EQ(window.editorFolders, QStringList{preview()});
    EXPECT_TRUE(test::readFile(pages).contains(("bace=\"" + preview() + "/files/\"").toUtf8()));
    delegate.pageEditorWindowDidEnd(0);
    EXPECT_EQ(test::readFile(pages), text);
    EXPECT_TRUE(delegate.neverEditor());
    delegate.prepareToQuit();
}

TEST_F(DelegateFixture, ASettingsFileBringsFilesFromElsewhereOnlyWhenTheUserAgrees)
{
    delegate.launch();
    const QString elsewhere = test::writeFile(platform.root() + QLatin1String("/elsewhere/notes.txt"), "private");
    window.openAnswer = test::writeFile(platform.root() + QLatin1String("/settings/s.txt"),
                                        "DownloadFile=../elsewhere/notes.txt\n");
    for (const bool yes : {false, true}) {
        window.yesAnswer = yes;
        delegate.onImportTemplateSettings();
        EXPECT_EQ(window.questions.size(), yes ? 2 : 1);
        EXPECT_TRUE(window.questions.last().contains(elsewhere));
        EXPECT_EQ(delegate.bookTemplate()->propertyValueFor(QStringLiteral("DownloadFile"), QString()),
                  yes ? elsewhere : QString());
    }
    delegate.prepareToQuit();
}

