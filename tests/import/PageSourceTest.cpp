#include "import/PageImage.h"
#include "import/ImagePageSource.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace leafcraft;


TEST(ImagePageSource, numbersPagesInTheOrderOfTheAddCallsAndMirrorsThemAsNormalPages)
{
    ImagePageSource source;
    for (const char* name : {"/d/c.jpg", "/d/a.jpg", "/d/b.jpg"})
        source.addImgPageFromFile(QString::fromLatin1(name));
    source.generateNormalPages();
    source.generateNormalPages(); // pages that have a normal entry are not copied again

    ASSERT_EQ(source.pages().size(), 3u);
    ASSERT_EQ(source.normalPages().size(), 3u);
    const QStringList expected{"/d/c.jpg", "/d/a.jpg", "/d/b.jpg"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(source.pageAt(i)->pageIndex(), i + 1);
        EXPECT_EQ(source.pageAt(i)->pageFilePath(), expected[i]);
        const BookPage* normal = source.normalPageAt(i + 1);
        ASSERT_NE(normal, nullptr);
        EXPECT_EQ(normal->pageFilePath(), expected[i]);
        EXPECT_NE(normal, source.pageAt(i)); // a separate copy
        EXPECT_NE(dynamic_cast<const PageImage*>(normal), nullptr);
    }
    EXPECT_EQ(source.pageAt(3), nullptr);
    EXPECT_EQ(source.pageAt(-1), nullptr);
    EXPECT_EQ(source.normalPageAt(4), nullptr);
    EXPECT_EQ(source.thumbPageAt(1), nullptr);

    source.generateThumbPages();
    ASSERT_EQ(source.thumbPages().size(), 3u);
    EXPECT_EQ(source.thumbPages()[2]->pageFilePath(), expected[2]);

    source.addMobileImgPageFromFile(QStringLiteral("/m/1.jpg"));
    source.addThumbImgPageFromFile(QStringLiteral("/t/1.jpg"));
    EXPECT_EQ(source.mobilePages().back()->pageIndex(), 1);
    EXPECT_EQ(source.thumbPages().back()->pageIndex(), 4);

    source.clearPages();
    EXPECT_TRUE(source.pages().empty());
    EXPECT_TRUE(source.normalPages().empty());
    EXPECT_TRUE(source.thumbPages().empty());
    EXPECT_TRUE(source.mobilePages().empty());
}
