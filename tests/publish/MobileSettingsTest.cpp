// The phone version's texts: the settings script takes each value in a safe form; the slide page
// keeps hostile titles as text. (Hostile values in a real browser: tests/mobile-browser.)
#include "publish/OutputMobileVersion_p.h"

#include <QHash>
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
    f.templateName = QStringLiteral("float");
    f.pageCount = pages;
    f.pageWidth = w;
    f.pageHeight = h;
    for (int i = 1; i <= pages; ++i)
        f.pageNumbers.push_back(i);
    return f;
}

} // namespace

TEST(MobileSettings, ValuesFromProperties)
{
    struct Case {
        QHash<QString, QString> values;
        QString templateName;
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
        f.templateName = c.templateName;
        const QString t = flipSettingsText(lookupIn(c.values), f);
        EXPECT_TRUE(t.contains(c.expected)) << c.expected.toStdString() << "\n" << t.toStdString();
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
