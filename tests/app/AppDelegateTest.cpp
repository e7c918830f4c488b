#include "app/AppWindow.h"
#include "app/QuiremarkAppDelegate.h"
#include "fakes/FakePlatform.h"
#include "import/FlashPageSource.h"
#include "platform/NotificationCenter.h"
#include "templates/FlashTemplate.h"
#include "templates/FlashTemplateOutlineDelegate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
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
    QString saveAnswer;
    QString openAnswer;
    QStringList errors;
    int outlineReloads = 0;
    FlashTemplateProperty* selected = nullptr;
    QString tipTitle, tipText;

    void hideWindow() override {}
    void showAndActivate() override {}
    void setWindowTitle(const QString&) override {}
    void fillScreen() override {}
    void loadPreview(const QString& path) override { loaded << path; }
    void reloadPropertyOutline(bool) override { ++outlineReloads; }
    FlashTemplateProperty* selectedProperty() const override { return selected; }
    void showPropertyTip(const QString& t, const QString& d) override { tipTitle = t, tipText = d; }
    void setApplyChangeImage(const QString& name) override { images << name; }
    void setBusy(bool) override {}
    void beginImportSheet() override {}
    void beginSelectTemplateSheet(const QString&) override {}
    void beginPublishSheet(std::shared_ptr<FlashTemplate>, std::shared_ptr<FlashPageSource>,
                           std::shared_ptr<FlashOutline>, std::shared_ptr<FlashPagesAnnotations>) override {}
    void beginPageEditorSheet(const QString&) override {}
    QString askSaveFile(const QString&) override { return saveAnswer; }
    QString askOpenFile(const QString&, const QStringList&) override { return openAnswer; }
    void openWithDefaultApp(const QString&) override {}
    void showAbout() override {}
    void showError(const QString& m) override { errors << m; }
};

struct DelegateFixture : ::testing::Test {
    DelegateFixture() { app(); }
    test::FakePlatform platform;
    RecordingWindow window;
    QuiremarkAppDelegate delegate{&window};

    QString preview() const { return delegate.flashPreviewFolder(); }
};

void touch(const QString& path, const QByteArray& bytes = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST_F(DelegateFixture, StartUpShowsTheDemonstrationBookAndTerminationCleansUp)
{
    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(delegate.flashTmpl());
    EXPECT_EQ(delegate.flashTmpl()->tmplName(), QStringLiteral("float"));
    EXPECT_TRUE(preview().startsWith(platform.paths().userAppSupportDir() + QLatin1String("/Quiresheet/preview-")));
    ASSERT_EQ(window.loaded.size(), 1);
    EXPECT_EQ(window.loaded[0], preview() + QLatin1String("/index.html"));
    EXPECT_TRUE(QFileInfo::exists(preview() + QLatin1String("/index.html")));
    EXPECT_TRUE(QFileInfo::exists(preview() + QLatin1String("/files/config.xml")));
    const QStringList demo = QuiremarkAppDelegate::PageSource(QStringLiteral("DemoImgs_standard/large"));
    ASSERT_FALSE(demo.isEmpty());
    EXPECT_EQ(delegate.flashPageSource()->pages().size(), std::size_t(demo.size()));
    EXPECT_TRUE(QFileInfo::exists(preview() + QLatin1String("/files/page/1.jpg")));
    EXPECT_TRUE(delegate.neverEditor());

    touch(platform.paths().tempRoot() + QLatin1String("/Sheetwise-other/p.jpg")); // another run's
    delegate.applicationWillTerminate();
    EXPECT_FALSE(QFileInfo::exists(preview()));
    EXPECT_TRUE(QFileInfo::exists(platform.paths().tempRoot() + QLatin1String("/Sheetwise-other/p.jpg")));
}

TEST_F(DelegateFixture, EditsStartOneTimerThatApplyStops)
{
    delegate.applicationDidFinishLaunching();
    window.images.clear();
    for (int i = 0; i < 10; ++i)
        NotificationCenter::defaultCenter().post(FlashTmplProValueChangedNotification, nullptr);
    EXPECT_TRUE(delegate.applyChangePending());
    EXPECT_EQ(delegate.findChildren<QTimer*>().size(), 1);

    delegate.setApplyChangeTag(2);
    delegate.onTimerEvent();
    EXPECT_EQ(delegate.applyChangeTag(), 0);
    EXPECT_EQ(window.images.last(), QStringLiteral("apply1"));
    delegate.onTimerEvent();
    EXPECT_EQ(window.images.last(), QStringLiteral("apply2"));

    EXPECT_TRUE(delegate.applyChange());
    EXPECT_FALSE(delegate.applyChangePending());
    EXPECT_EQ(window.images.last(), QStringLiteral("apply"));
    EXPECT_EQ(window.loaded.size(), 2);
    delegate.applicationWillTerminate();
}

TEST_F(DelegateFixture, PanoramicCubePicturesFollowTheTemplateNameExactly)
{
    delegate.applicationDidFinishLaunching();
    const QStringList styles = FlashTemplate::tmplStyleNamesForTmpl(QStringLiteral("Panoramic"));
    if (styles.isEmpty())
        GTEST_SKIP() << "no Panoramic styles shipped";
    const QString ext = preview() + QLatin1String("/files/extfiles/");
    delegate.selectTmplWindowDidEnd(1, styles.first() + QLatin1String("/shot.jpg"));
    EXPECT_EQ(delegate.flashTmpl()->tmplName(), QStringLiteral("Panoramic"));
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"})
        EXPECT_TRUE(QFileInfo::exists(ext + QLatin1String(name))) << name;

    // Another template removes them; a cancelled or empty choice changes nothing.
    delegate.selectTmplWindowDidEnd(1, QString());
    delegate.selectTmplWindowDidEnd(0, styles.first() + QLatin1String("/shot.jpg"));
    EXPECT_EQ(delegate.flashTmpl()->tmplName(), QStringLiteral("Panoramic"));
    const QStringList floatStyles = FlashTemplate::tmplStyleNamesForTmpl(QStringLiteral("float"));
    ASSERT_FALSE(floatStyles.isEmpty());
    delegate.selectTmplWindowDidEnd(1, floatStyles.first() + QLatin1String("/shot.jpg"));
    EXPECT_EQ(delegate.flashTmpl()->tmplName(), QStringLiteral("float"));
    for (const char* name : {"b.jpg", "d.jpg", "f.jpg", "l.jpg", "r.jpg", "u.jpg"})
        EXPECT_FALSE(QFileInfo::exists(ext + QLatin1String(name))) << name;
    delegate.applicationWillTerminate();
}

TEST_F(DelegateFixture, SettingsExportAddsTxtAndPageListBasePathRoundTrips)
{
    delegate.applicationDidFinishLaunching();
    window.saveAnswer = platform.root() + QLatin1String("/settings");
    delegate.OnExportTmplSettings();
    EXPECT_TRUE(QFileInfo::exists(window.saveAnswer + QLatin1String(".txt")));
    window.saveAnswer = platform.root() + QLatin1String("/other.cfg");
    delegate.OnExportTmplSettings();
    EXPECT_TRUE(QFileInfo::exists(window.saveAnswer));

    const QString pages = preview() + QLatin1String("/pages.xml");
    const QByteArray text = "<Pages bace=\"\" note=\"Grüße\"><Page/></Pages>";
    touch(pages, text);
    delegate.ReplaceXMLPath(true);
    QFile f(pages);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains(("bace=\"" + preview() + "/files/\"").toUtf8()));
    f.close();
    delegate.ReplaceXMLPath(false);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), text);
    delegate.applicationWillTerminate();
}
