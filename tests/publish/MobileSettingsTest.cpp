// The phone version's texts: the settings script stays valid JavaScript and carries every
// value unchanged whatever the values hold; the slide page keeps hostile titles as text.
#include "publish/OutputMobileVersion_p.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace leafcraft;
using namespace leafcraft::detail;

namespace {

PropertyLookup lookupIn(QHash<QString, QString> values)
{
    return [values](const QString& key, const QString& def) { return values.value(key, def); };
}

MobileBookFacts facts(int pages = 12, int w = 800, int h = 600)
{
    MobileBookFacts f;
    f.tmplName = QStringLiteral("float");
    f.pageCount = pages;
    f.pageWidth = w;
    f.pageHeight = h;
    for (int i = 1; i <= pages; ++i)
        f.pageNumbers.push_back(i);
    return f;
}

// Runs `script` with node and returns what it printed, or a null string when node is missing.
QString runNode(const QStringList& args, const QByteArray& script, QString* error = nullptr)
{
    const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
    if (node.isEmpty())
        return QString();
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("main.js")));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(script);
    f.close();
    QProcess p;
    p.start(node, args + QStringList{f.fileName()});
    p.waitForFinished(30000);
    if (error)
        *error = QString::fromUtf8(p.readAllStandardError());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("<failed>");
    return QStringLiteral("") + QString::fromUtf8(p.readAllStandardOutput()); // never null
}

} // namespace

TEST(MobileSettings, DefaultsAndFixedEntries)
{
    const QString t = flipSettingsText(lookupIn({}), facts());
    EXPECT_TRUE(t.startsWith(QStringLiteral(
        "function orgt(s){ return binl2hex(core_hx(str2binl(s), s.length * chrsz));} var bookConfig ={"
        "BookmarkButtonVisible:\"Show\",searchColor:\"#00ffff\",searchAlpha:0.3,")));
    for (const char* expected :
         {"appLogoIcon:\"\",", "appLogoLinkURL:\"\",", "bookTitle:\"\",", "bookDescription:\"\",",
          "googleAnalyticsID:\"\",", "bgBeginColor:\"#FF9900\",", "bgEndColor:\"#e8ac4d\",", "RightToLeft:\"No\",",
          "autoPlayDuration:3,", "autoPlayLoopCount:0,", "bgMRotation:90,", "backGroundImgURL:\"\",",
          "totalPageCount:12,largePageWidth:800,largePageHeight:600,",
          "normalPath:\"../files/mobile/\",largePath:\"../files/mobile/\",thumbPath:\"../files/thumb/\"};"
          "var pageEditor = [];ols=[]"})
        EXPECT_TRUE(t.contains(QLatin1String(expected))) << expected << "\n" << t.toStdString();
    EXPECT_TRUE(t.endsWith(QLatin1String("ols=[]"))); // pictures 1..12: no page list appended
}

TEST(MobileSettings, ValuesFromProperties)
{
    struct Case {
        QHash<QString, QString> values;
        QString tmplName;
        QString expected;
    } cases[] = {
        {{{"direction", "Left"}}, "float", "RightToLeft:\"Yes\","},
        {{{"direction", "Right"}}, "float", "RightToLeft:\"No\","},
        {{{"ImagePath", "/x/bg.png"}}, "Panoramic", "backGroundImgURL:\"../files/extfiles/b.jpg\","},
        {{{"ImagePath", "/x/bg.png"}}, "float", "backGroundImgURL:\"../files/extfiles/ImagePath.png\","},
        {{{"LogoFile", "/a.b/logo.GIF"}}, "float", "appLogoIcon:\"../files/extfiles/LogoFile.GIF\","},
        {{{"GradientStartColor", "0x0x12"}}, "float", "bgBeginColor:\"##12\","},
        {{{"Interval", " 7.5"}}, "float", "autoPlayDuration:7.5,"},
        {{{"Interval", "3;alert(1)"}}, "float", "autoPlayDuration:3,"},
        {{{"loop", "1e999"}}, "float", "autoPlayLoopCount:0,"},
        {{{"GradientAngle", "-45"}}, "float", "bgMRotation:-45,"},
        {{{"GradientAngle", "x"}}, "float", "bgMRotation:90,"},
    };
    for (const Case& c : cases) {
        MobileBookFacts f = facts();
        f.tmplName = c.tmplName;
        const QString t = flipSettingsText(lookupIn(c.values), f);
        EXPECT_TRUE(t.contains(c.expected)) << c.expected.toStdString() << "\n" << t.toStdString();
    }
}

TEST(MobileSettings, PicturesNamedByPageNumberAreListed)
{
    MobileBookFacts f = facts(3);
    f.pageNumbers = {3, 4, 5};
    const QString t = flipSettingsText(lookupIn({}), f);
    EXPECT_TRUE(t.endsWith(QLatin1String("ols=[];bookConfig.pageNumbers=[3,4,5];"))) << t.toStdString();
}

TEST(MobileSettings, HostileValuesStayDataInNode)
{
    const QStringList hostile = {
        QStringLiteral("He said \"hi\""),
        QStringLiteral("</script><script>alert(1)</script>"),
        QStringLiteral("back\\slash\\"),
        QStringLiteral("two\nlines\r\n\ttabbed"),
        QStringLiteral("para") + QChar(0x2028) + QStringLiteral("sep") + QChar(0x2029) + QStringLiteral("end"),
        QStringLiteral("'; alert(1); var x='"),
        QStringLiteral("nul") + QChar(0) + QStringLiteral("\x1f") + QStringLiteral("ctl"),
        QStringLiteral("Grüße, 日本, 🙂"),
    };
    QFile preview(QStringLiteral(LEAFCRAFT_SOURCE_RESOURCES "/AppFiles/TmplData/mobile/Flip/javascript/main_preview.js"));
    ASSERT_TRUE(preview.open(QIODevice::ReadOnly));
    const QByteArray player = preview.readAll();
    for (const QString& value : hostile) {
        const QHash<QString, QString> values = {{"Title", value},     {"AuthorInfo", value}, {"link", value},
                                                {"GoogleAnalytics", value}, {"Share", value},  {"direction", value},
                                                {"GradientStartColor", value}, {"Interval", value}};
        const QString settings = flipSettingsText(lookupIn(values), facts());
        EXPECT_FALSE(settings.contains(QLatin1String("</"))) << settings.toStdString();
        // The file the writer makes must parse...
        QString error;
        const QString checked = runNode({QStringLiteral("--check")}, player + settings.toUtf8(), &error);
        if (checked.isNull())
            GTEST_SKIP() << "node is not installed";
        EXPECT_NE(checked, QStringLiteral("<failed>")) << error.toStdString();
        // ...and give the script back exactly what the property held.
        const QString printed = runNode(
            {}, settings.toUtf8() +
                    ";\nprocess.stdout.write(JSON.stringify([bookConfig.bookTitle, bookConfig.bookDescription,"
                    " bookConfig.appLogoLinkURL, bookConfig.googleAnalyticsID, bookConfig.ShareButtonVisible]));",
            &error);
        const QJsonArray got = QJsonDocument::fromJson(printed.toUtf8()).array();
        ASSERT_EQ(got.size(), 5) << printed.toStdString() << error.toStdString();
        for (const auto& v : got)
            EXPECT_EQ(v.toString(), value);
    }
}

TEST(MobileSlidePage, PlaceholdersFilledOnceAndTitleKeptAsText)
{
    const QString options = slideOptionsText(800, 600, 12);
    EXPECT_EQ(options, QStringLiteral("{pageWidth:800,pageHeight:600,totalPage:12,zoomPageDir:\"../files/mobile/\","
                                      "normalPageDir:\"../files/mobile/\"}"));
    const QString page = QStringLiteral("<title>${index.title}</title><h1>${index.title}</h1><x>${fbbook.options}</x>");
    EXPECT_EQ(fillSlidePage(page, QStringLiteral("A & B"), options),
              QStringLiteral("<title>A &amp; B</title><h1>A &amp; B</h1><x>") + options + QStringLiteral("</x>"));
    EXPECT_EQ(fillSlidePage(page, QStringLiteral("</title><script>alert('x')</script>"), QStringLiteral("{}")),
              QStringLiteral("<title>&lt;/title&gt;&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;</title>"
                             "<h1>&lt;/title&gt;&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;</h1><x>{}</x>"));
    // A title that reads like the other placeholder is not filled in a second round.
    EXPECT_EQ(fillSlidePage(QStringLiteral("${index.title}|${fbbook.options}"), QStringLiteral("${fbbook.options}"),
                            QStringLiteral("{o}")),
              QStringLiteral("${fbbook.options}|{o}"));
    EXPECT_EQ(fillSlidePage(QStringLiteral("no placeholders"), QStringLiteral("t"), QStringLiteral("o")),
              QStringLiteral("no placeholders"));
}
