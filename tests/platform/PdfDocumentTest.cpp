// The MuPDF back-end over the generated fixtures (tests/data/make_pdfs.py).
#include "platform/PdfDocument.h"
#include "support/Error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <future>

using namespace leafcraft;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/pdfdata/") + QLatin1String(name);
}

QJsonObject linksJson(const char* name = "links.json")
{
    QFile f(fixture(name));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object();
}

int pixel(const pdf::Bitmap& b, int x, int y, int channel)
{
    return static_cast<unsigned char>(b.pixels[(qsizetype(y) * b.width + x) * 3 + channel]);
}

} // namespace

struct BadInput {
    const char* file;
    const char* expected; // part of the message
};

class PdfBadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(PdfBadInputTest, RefusedWithClearMessage)
{
    const BadInput& c = GetParam();
    const QString path = QLatin1String(c.file).startsWith(QLatin1Char('/')) ? QString::fromLatin1(c.file) : fixture(c.file);
    try {
        pdf::openDocument(path);
        FAIL() << "opened " << c.file;
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::BadInput);
        EXPECT_TRUE(e.text().contains(QLatin1String(c.expected))) << e.text().toStdString();
        EXPECT_TRUE(e.text().contains(path)) << e.text().toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, PdfBadInputTest,
    ::testing::Values(BadInput{"missing.pdf", "does not exist"}, BadInput{"/", "cannot be read"},
                      BadInput{"text.pdf", "is not a PDF"}, BadInput{"damaged.pdf", "damaged"},
                      BadInput{"encrypted-40.pdf", "is password protected"},
                      BadInput{"encrypted-128.pdf", "is password protected"}, BadInput{"nopages.pdf", "no pages"}));

TEST(PdfDocumentTest, OwnerPasswordOnlyOpens)
{
    auto doc = pdf::openDocument(fixture("owner-only.pdf"));
    EXPECT_EQ(doc->pageCount(), 1);
    EXPECT_TRUE(doc->pageText(0).contains(QLatin1String("Page 1")));
}

TEST(PdfDocumentTest, TruncatedFileOpensRepairedOrFailsCleanly)
{
    try {
        auto doc = pdf::openDocument(fixture("truncated.pdf"));
        for (int i = 0; i < doc->pageCount(); ++i) {
            try {
                doc->render(i, 50, 60);
            } catch (const Error& e) {
                EXPECT_EQ(e.kind(), ErrorKind::BadInput);
            }
        }
    } catch (const Error& e) {
        EXPECT_EQ(e.kind(), ErrorKind::BadInput);
    }
}

TEST(PdfDocumentTest, PageNumbersOutsideTheDocumentAreErrors)
{
    auto doc = pdf::openDocument(fixture("links.pdf"));
    for (int page : {-1, 5, 1000}) {
        EXPECT_THROW(doc->cropBox(page), Error);
        EXPECT_THROW(doc->render(page, 10, 10), Error);
        EXPECT_THROW(doc->links(page), Error);
        EXPECT_THROW(doc->pageText(page), Error);
    }
    EXPECT_THROW(doc->render(0, 0, 10), Error);
    EXPECT_THROW(doc->render(0, 100000, 100000), Error); // refused, not allocated
}

TEST(PdfDocumentTest, LinksAtTheirRectanglesWithTargets)
{
    const QJsonObject expected = linksJson();
    auto doc = pdf::openDocument(fixture("links.pdf"));
    ASSERT_EQ(doc->pageCount(), expected.value(QLatin1String("pageCount")).toInt());

    std::vector<std::pair<int, pdf::Link>> found;
    for (int p = 0; p < doc->pageCount(); ++p)
        for (const pdf::Link& l : doc->links(p))
            found.emplace_back(p + 1, l);
    const QJsonArray links = expected.value(QLatin1String("links")).toArray();
    ASSERT_EQ(found.size(), size_t(links.size()));
    for (const auto& value : links) {
        const QJsonObject want = value.toObject();
        const QJsonArray r = want.value(QLatin1String("rect")).toArray();
        const int page = want.value(QLatin1String("page")).toInt();
        auto hit = std::find_if(found.begin(), found.end(), [&](const auto& f) {
            return f.first == page && std::abs(f.second.bounds.x0 - r[0].toDouble()) < 0.01
                && std::abs(f.second.bounds.y0 - r[1].toDouble()) < 0.01
                && std::abs(f.second.bounds.x1 - r[2].toDouble()) < 0.01
                && std::abs(f.second.bounds.y1 - r[3].toDouble()) < 0.01;
        });
        ASSERT_NE(hit, found.end()) << "no link on page " << page << " at " << r[0].toDouble();
        if (want.contains(QLatin1String("url"))) {
            EXPECT_EQ(hit->second.url, want.value(QLatin1String("url")).toString());
            EXPECT_EQ(hit->second.destPage, -1);
        } else {
            EXPECT_TRUE(hit->second.url.isEmpty());
            EXPECT_EQ(hit->second.destPage + 1, want.value(QLatin1String("destPage")).toInt());
        }
    }
}

namespace {
void expectOutline(const std::vector<pdf::OutlineItem>& items, const QJsonArray& want)
{
    ASSERT_EQ(items.size(), size_t(want.size()));
    for (size_t i = 0; i < items.size(); ++i) {
        const QJsonObject w = want[qsizetype(i)].toObject();
        EXPECT_EQ(items[i].title, w.value(QLatin1String("title")).toString());
        EXPECT_EQ(items[i].destPage + 1, w.value(QLatin1String("destPage")).toInt());
        expectOutline(items[i].children, w.value(QLatin1String("children")).toArray());
    }
}
} // namespace

TEST(PdfDocumentTest, OutlineTreeWithPages)
{
    auto doc = pdf::openDocument(fixture("links.pdf"));
    expectOutline(doc->outline(), linksJson().value(QLatin1String("outline")).toArray());
    EXPECT_TRUE(pdf::openDocument(fixture("mixed.pdf"))->outline().empty());
    // A bookmark into another file points at no page of this one.
    expectOutline(pdf::openDocument(fixture("contents.pdf"))->outline(),
                  linksJson("contents.json").value(QLatin1String("outline")).toArray());
}

TEST(PdfDocumentTest, RotationSwapsDisplaySize)
{
    auto doc = pdf::openDocument(fixture("rotated.pdf"));
    ASSERT_EQ(doc->pageCount(), 4);
    const int angles[] = {0, 90, 180, 270};
    for (int p = 0; p < 4; ++p) {
        EXPECT_EQ(doc->rotation(p), angles[p]);
        double w = 0, h = 0;
        doc->displaySize(p, &w, &h);
        const bool swapped = angles[p] % 180 != 0;
        EXPECT_DOUBLE_EQ(w, swapped ? 400 : 600);
        EXPECT_DOUBLE_EQ(h, swapped ? 600 : 400);
        const pdf::Bitmap b = doc->render(p, int(w / 4), int(h / 4));
        EXPECT_EQ(b.width, int(w / 4));
        EXPECT_EQ(b.height, int(h / 4));
    }
    // The heading band is at the top of the unrotated page: on the 90-degree page it shows
    // on the right, on the 180-degree page at the bottom.
    const pdf::Bitmap upright = doc->render(0, 150, 100);
    EXPECT_LT(pixel(upright, 75, 2, 0), 100);
    const pdf::Bitmap turned = doc->render(2, 150, 100);
    EXPECT_LT(pixel(turned, 75, 97, 0), 100);
    EXPECT_GT(pixel(turned, 75, 2, 0), 200);
    const pdf::Bitmap quarter = doc->render(1, 100, 150);
    EXPECT_LT(pixel(quarter, 97, 75, 0), 100);
}

TEST(PdfDocumentTest, CropBoxAwayFromOrigin)
{
    auto doc = pdf::openDocument(fixture("cropped.pdf"));
    const pdf::Rect box = doc->cropBox(0);
    EXPECT_DOUBLE_EQ(box.x0, 100);
    EXPECT_DOUBLE_EQ(box.y0, 200);
    EXPECT_DOUBLE_EQ(box.x1, 400);
    EXPECT_DOUBLE_EQ(box.y1, 600);
    double w = 0, h = 0;
    doc->displaySize(0, &w, &h);
    EXPECT_DOUBLE_EQ(w, 300);
    EXPECT_DOUBLE_EQ(h, 400);
    const auto links = doc->links(0);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_NEAR(links[0].bounds.x0, 150, 0.01);
    EXPECT_NEAR(links[0].bounds.y0, 300, 0.01);
    EXPECT_NEAR(links[0].bounds.y1, 340, 0.01);
    // Only the crop box is drawn: the yellow box fills it, the heading band lies outside.
    const pdf::Bitmap b = doc->render(0, 30, 40);
    EXPECT_GT(pixel(b, 15, 20, 0), 200);
    EXPECT_LT(pixel(b, 15, 20, 2), 200);
}

TEST(PdfDocumentTest, MixedPageSizesAndWhitePaper)
{
    auto doc = pdf::openDocument(fixture("mixed.pdf"));
    const double sizes[][2] = {{612, 792}, {842, 595}, {595, 842}, {300, 300}, {595.28, 841.89}};
    ASSERT_EQ(doc->pageCount(), 5);
    for (int p = 0; p < 5; ++p) {
        double w = 0, h = 0;
        doc->displaySize(p, &w, &h);
        EXPECT_NEAR(w, sizes[p][0], 0.001);
        EXPECT_NEAR(h, sizes[p][1], 0.001);
    }
    const pdf::Bitmap b = doc->render(0, 1224, 1584);
    ASSERT_EQ(b.pixels.size(), 1224 * 1584 * 3);
    // The middle of the left margin is paper.
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(pixel(b, 10, 800, c), 255);
}

TEST(PdfDocumentTest, PageTextIsExtracted)
{
    auto doc = pdf::openDocument(fixture("links.pdf"));
    EXPECT_TRUE(doc->pageText(2).contains(QLatin1String("Chapter 3")));
    EXPECT_TRUE(doc->pageText(2).contains(QLatin1String("page 3")));
}

TEST(PdfDocumentTest, OneReadingGivesThePicturesAndTheWordsInTheirPlaces)
{
    auto doc = pdf::openDocument(fixture("shapes.pdf"));
    for (int p : {0, 3}) { // upright, and turned by 90 degrees
        double w = 0, h = 0;
        doc->displaySize(p, &w, &h);
        const int pw = int(w / 2), ph = int(h / 2);
        const pdf::RenderedPage all = doc->renderPage(p, {pw, ph, true, true});
        EXPECT_EQ(all.picture.pixels, doc->render(p, pw, ph).pixels);
        EXPECT_EQ(all.large.pixels, doc->render(p, 2 * pw, 2 * ph).pixels);
        EXPECT_EQ(all.text.text, doc->pageText(p));
        // The words are the text split at blanks, in its order, each boxed inside the page.
        QStringList words;
        for (const pdf::Word& word : all.text.words) {
            words << word.text;
            EXPECT_TRUE(word.x >= 0 && word.y >= 0 && word.width > 0 && word.height > 0 && word.x + word.width <= 1
                        && word.y + word.height <= 1);
        }
        EXPECT_EQ(words, doc->pageText(p).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts));
        // The heading runs along the top of the paper: on the upright page the top of the page
        // as shown, on the turned one its right-hand edge, read from top to bottom.
        ASSERT_EQ(all.text.words.front().text, QStringLiteral("Shape"));
        const pdf::Word& heading = all.text.words.front();
        const bool turned = p == 3;
        EXPECT_LT(turned ? 1 - heading.x - heading.width : heading.y, 0.1f);
        EXPECT_LT(turned ? heading.y : heading.x, 0.2f);
        EXPECT_EQ(heading.width > heading.height, !turned);
        // Without pictures the words come in the same places.
        const pdf::RenderedPage text = doc->renderPage(p, {0, 0, false, true});
        EXPECT_TRUE(text.picture.pixels.isEmpty());
        ASSERT_EQ(text.text.words.size(), all.text.words.size());
        EXPECT_NEAR(text.text.words.back().x, all.text.words.back().x, 0.002);
        EXPECT_NEAR(text.text.words.back().y, all.text.words.back().y, 0.002);
    }
}

TEST(PdfDocumentTest, CopyPermissionIsRead)
{
    EXPECT_FALSE(pdf::openDocument(fixture("nocopy.pdf"))->allowsTextCopy());
    EXPECT_TRUE(pdf::openDocument(fixture("owner-only.pdf"))->allowsTextCopy());
    EXPECT_TRUE(pdf::openDocument(fixture("links.pdf"))->allowsTextCopy());
}

TEST(PdfDocumentTest, ClonesRenderOnTheirOwnThreads)
{
    auto doc = pdf::openDocument(fixture("links.pdf"));
    const QByteArray reference = doc->render(3, 200, 260).pixels;
    std::vector<std::future<bool>> results;
    for (int t = 0; t < 4; ++t) {
        results.push_back(std::async(std::launch::async, [clone = std::shared_ptr<pdf::Document>(doc->clone()), &reference] {
            bool same = true;
            for (int round = 0; round < 5; ++round)
                same = same && clone->render(3, 200, 260).pixels == reference && clone->pageCount() == 5;
            return same;
        }));
    }
    for (auto& r : results)
        EXPECT_TRUE(r.get());
}
