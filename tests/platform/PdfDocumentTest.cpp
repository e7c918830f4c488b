// The MuPDF back-end over the generated fixtures (scripts/make_pdfs.py).
#include "platform/PdfDocument.h"
#include "support/Error.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <future>

using namespace leafcraft;

namespace {

QString fixture(const char* name)
{
    return QStringLiteral(LEAFCRAFT_BINARY_DIR "/tests/pdfdata/") + QLatin1String(name);
}

QJsonObject linksJson()
{
    QFile f(fixture("links.json"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(f.readAll()).object();
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
}

TEST(PdfDocumentTest, PageTextIsExtracted)
{
    auto doc = pdf::openDocument(fixture("links.pdf"));
    EXPECT_TRUE(doc->pageText(2).contains(QLatin1String("Chapter 3")));
    EXPECT_TRUE(doc->pageText(2).contains(QLatin1String("page 3")));
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
