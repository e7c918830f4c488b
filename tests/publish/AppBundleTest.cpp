// The application bundle: its layout, its launcher, and which bundles it may replace.
#include "fakes/TestFiles.h"
#include "publish/AppBundleWriter.h"

#include "app/AppSettings.h"
#include "fakes/FakePlatform.h"
#include "import/ImagePageSource.h"
#include "publish/HTMLConfigInfo.h"
#include "templates/Template.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

class AppBundle : public ::testing::Test {
protected:
    void SetUp() override
    {
        out = platform.root() + QStringLiteral("/out");
        QDir().mkpath(out);
        tmpl = std::make_shared<Template>();
        auto source = std::make_shared<ImagePageSource>();
        const QDir demo(QStringLiteral(LEAFCRAFT_SOURCE_RESOURCES "/AppFiles/DemoImgs_standard/large"));
        const QStringList pics = demo.entryList({QStringLiteral("*.jpg")}, QDir::Files, QDir::Name).mid(0, 2);
        ASSERT_EQ(pics.size(), 2);
        for (const QString& pic : pics) {
            source->addImgPageFromFile(demo.filePath(pic));
            source->addThumbImgPageFromFile(demo.filePath(pic));
            source->addMobileImgPageFromFile(demo.filePath(pic));
        }
        source->generateNormalPages();
        pages = source;
    }

    std::unique_ptr<AppBundleWriter> writer(const QString& name)
    {
        auto w = std::make_unique<AppBundleWriter>(pages, tmpl, out, name);
        w->setSettings(&settings);
        w->setHtmlConfig(std::make_shared<HTMLConfigInfo>());
        w->setPreviewFolder(platform.root() + QStringLiteral("/preview"));
        return w;
    }

    test::FakePlatform platform;
    AppSettings settings{nullptr};
    std::shared_ptr<Template> tmpl;
    std::shared_ptr<PageSource> pages;
    QString out;
};

} // namespace

TEST_F(AppBundle, LayoutAndPaths)
{
    EXPECT_EQ(AppBundleWriter::bundleNameFor(QStringLiteral("book.html")), QStringLiteral("book.app"));
    EXPECT_EQ(AppBundleWriter::bundleNameFor(QStringLiteral("my.book.html")), QStringLiteral("my.book.app"));

    auto w = writer(QStringLiteral("my.book.html"));
    w->setPublishedTitle(QStringLiteral("Tom & Jerry"));
    const QString bundle = out + QStringLiteral("/my.book.app");
    EXPECT_EQ(w->saveToFolder(), bundle + QStringLiteral("/Contents/Resources"));
    EXPECT_EQ(w->outputFileName(), bundle);
    EXPECT_EQ(w->outputHtmlFileName(), bundle + QStringLiteral("/Contents/Resources/index.html"));
    w->writeBook();
    EXPECT_EQ(w->failedWrites(), 0);

    EXPECT_TRUE(AppBundleWriter::isOurBundle(bundle));
    const QByteArray plist = test::readFile(bundle + QStringLiteral("/Contents/Info.plist"));
    EXPECT_TRUE(plist.contains("<key>CFBundleName</key>\n\t<string>my.book</string>")) << plist.constData();
    EXPECT_TRUE(plist.contains("<key>CFBundleDisplayName</key>\n\t<string>Tom &amp; Jerry</string>")) << plist.constData();
    const QFileInfo launcher(bundle + QStringLiteral("/Contents/MacOS/BookViewer"));
    EXPECT_TRUE(launcher.isFile() && launcher.isExecutable());
    for (const char* file : {"Contents/Info.plist", "Contents/Resources/BookViewer.icns", "Contents/Resources/index.html",
                             "Contents/Resources/files/config.xml", "Contents/Resources/files/page/1.jpg"})
        EXPECT_TRUE(QFileInfo(bundle + QLatin1Char('/') + QLatin1String(file)).isFile()) << file;
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("/my.book.html")));
    EXPECT_FALSE(QFileInfo::exists(bundle + QStringLiteral("/Contents/Resources/my.book.html")));
}

TEST_F(AppBundle, LauncherOpensTheBookInTheBrowser)
{
    auto w = writer(QStringLiteral("book.html"));
    w->writeBook();
    const QString bundle = w->outputFileName();

    // Stand-ins for the system's openers record what they were asked to open.
    const QString bin = platform.root() + QStringLiteral("/bin");
    const QString record = platform.root() + QStringLiteral("/opened.txt");
    for (const char* opener : {"xdg-open", "open"}) {
        const QString path = bin + QLatin1Char('/') + QLatin1String(opener);
        test::writeFile(path, "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.toUtf8() + "'\n");
        QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner);
    }
    auto run = [&](QString* errors) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PATH"), bin + QStringLiteral(":/usr/bin:/bin"));
        p.setProcessEnvironment(env);
        p.start(bundle + QStringLiteral("/Contents/MacOS/BookViewer"), {});
        p.waitForFinished(30000);
        *errors = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString errors;
    EXPECT_EQ(run(&errors), 0) << errors.toStdString();
    QFile opened(record);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(QFileInfo(QString::fromUtf8(opened.readAll())).canonicalFilePath(),
              QFileInfo(bundle + QStringLiteral("/Contents/Resources/index.html")).canonicalFilePath());

    QFile::remove(bundle + QStringLiteral("/Contents/Resources/index.html"));
    EXPECT_EQ(run(&errors), 1);
    EXPECT_TRUE(errors.contains(QStringLiteral("missing"))) << errors.toStdString();
}

