// The MuPDF back-end over the generated fixtures (scripts/make_pdfs.py).
#include "fakes/TestFiles.h"
#include "platform/PdfDocument.h"
#include "support/Error.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <future>

using namespace leafcraft;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/pdfdata/") + QLatin1String(name);
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

// Each clone draws and reads pages on its own thread at the same time as the others, with the
// same results as the original handle.
TEST(PdfDocumentTest, ClonesRenderOnTheirOwnThreads)
{
    auto doc = pdf::openDocument(fixture("links.pdf"));
    const pdf::RenderRequest request{200, 260, false, true, 60, 78};
    const pdf::RenderedPage reference = doc->renderPage(3, request);
    ASSERT_FALSE(reference.text.text.isEmpty());
    std::vector<std::future<bool>> results;
    for (int t = 0; t < 4; ++t) {
        results.push_back(std::async(std::launch::async, [clone = std::shared_ptr<pdf::Document>(doc->clone()), &reference, &request] {
            bool same = true;
            for (int round = 0; round < 5; ++round) {
                const pdf::RenderedPage page = clone->renderPage(3 - round % 2, request);
                if (round % 2 == 0)
                    same = same && page.picture.pixels == reference.picture.pixels
                        && page.thumb.pixels == reference.thumb.pixels && page.text.text == reference.text.text;
            }
            return same && clone->pageCount() == 5;
        }));
    }
    for (auto& r : results)
        EXPECT_TRUE(r.get());
}
