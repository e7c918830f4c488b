// The phone version writer: the pictures, the two players, and what it leaves alone.
#include "fakes/TestFiles.h"
#include "publish/OutputMobileVersion.h"

#include "app/AppSettings.h"
#include "fakes/FakePlatform.h"
#include "import/BookPage.h"
#include "import/ImagePageSource.h"
#include "templates/Template.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace leafcraft;

namespace {

class MobileVersion : public ::testing::Test {
protected:
    void SetUp() override
    {
        book = platform.root() + QStringLiteral("/book");
        QDir().mkpath(book);
        tmpl = std::make_shared<Template>();
    }

    // A page source with `count` phone pictures "picture <n>" numbered from `first`.
    std::shared_ptr<PageSource> pagesWithPictures(int count, int first = 1)
    {
        auto source = std::make_shared<PageSource>();
        BookPageList pages, mobile;
        for (int i = 0; i < count; ++i) {
            const QString pic = platform.root() + QStringLiteral("/pics/m%1.jpg").arg(first + i);
            test::writeFile(pic, QByteArray("picture ") + QByteArray::number(first + i));
            pages.push_back(std::make_unique<BookPage>(pic, first + i));
            mobile.push_back(std::make_unique<BookPage>(pic, first + i));
        }
        source->setPages(std::move(pages));
        source->setMobilePages(std::move(mobile));
        return source;
    }

    void publish(std::shared_ptr<PageSource> source, const QString& folder, int type)
    {
        OutputMobileVersion writer(std::move(source), tmpl, folder, type);
        writer.setSettings(&settings);
        writer.writeMobileVersion();
    }

    test::FakePlatform platform;
    AppSettings settings{nullptr};
    QString book;
    std::shared_ptr<Template> tmpl;
};

} // namespace

TEST_F(MobileVersion, PicturesNamedByPageNumberAreFoundByThePlayer)
{
    OutputMobileVersion writer(pagesWithPictures(3, 3), tmpl, book, 0);
    writer.setSettings(&settings);
    writer.writeMobileVersion();
    EXPECT_EQ(test::readFile(book + QStringLiteral("/files/mobile/5.jpg")), "picture 5");
    EXPECT_FALSE(QFile::exists(book + QStringLiteral("/files/mobile/1.jpg")));
    EXPECT_TRUE(test::readFile(book + QStringLiteral("/mobile/javascript/main.js")).contains("bookConfig.pageNumbers=[3,4,5];bookConfig.language="));
}

