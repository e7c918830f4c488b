#include "annotations/FlashPagesAnnotationsPDF.h"

#include "fakes/FakePdfDocument.h"
#include "support/Error.h"

#include <gtest/gtest.h>

using namespace leafcraft;
using leafcraft::test::FakePage;
using leafcraft::test::FakePdfDocument;

namespace {

pdf::Link webLink(pdf::Rect r, const char* url)
{
    return {r, QString::fromUtf8(url), -1};
}

pdf::Link pageLink(pdf::Rect r, int destPage)
{
    return {r, QString(), destPage};
}

QString treeText(const FlashPagesAnnotations& annotations)
{
    QByteArray bytes;
    xml::Document copy = xml::Document::create(QStringLiteral("x"));
    copy.root().appendCopy(annotations.pagesAnnotationsNode());
    return QString::fromUtf8(copy.root().firstChild().isNull() ? QByteArray() : copy.rootBytes())
        .remove(QStringLiteral("<x>"))
        .remove(QStringLiteral("</x>"));
}

// One link area: the page's crop box and rotation, the link's bounds in user space, and
// where the link must appear on the page as displayed (fractions, y from the top).
struct AreaCase {
    const char* name;
    pdf::Rect crop;
    int rotation;
    pdf::Rect bounds;
    std::array<float, 4> expected; // x, y, width, height
};

class LinkArea : public testing::TestWithParam<AreaCase> {};

TEST_P(LinkArea, liesOnItsTextInTheDisplayedPage)
{
    const AreaCase& c = GetParam();
    const auto area = FlashPagesAnnotationsPDF::displayedArea(c.crop, c.rotation, c.bounds);
    for (int i = 0; i < 4; ++i)
        EXPECT_NEAR(area[std::size_t(i)], c.expected[std::size_t(i)], 1e-6) << c.name << " value " << i;
}

// A 500 x 800 page; the link runs from (100, 600) to (200, 620): 100 from the left, 180 from
// the top, 100 wide and 20 high in the unturned page.
INSTANTIATE_TEST_SUITE_P(
    Geometry, LinkArea,
    testing::Values(
        AreaCase{"upright", {0, 0, 500, 800}, 0, {100, 600, 200, 620}, {0.2f, 0.225f, 0.2f, 0.025f}},
        // Turned clockwise the page is 800 x 500: the left margin becomes the top margin, and
        // the top margin (180) becomes the right margin.
        AreaCase{"90", {0, 0, 500, 800}, 90, {100, 600, 200, 620}, {600 / 800.f, 100 / 500.f, 20 / 800.f, 100 / 500.f}},
        AreaCase{"180", {0, 0, 500, 800}, 180, {100, 600, 200, 620}, {300 / 500.f, 600 / 800.f, 100 / 500.f, 20 / 800.f}},
        AreaCase{"270", {0, 0, 500, 800}, 270, {100, 600, 200, 620}, {180 / 800.f, 300 / 500.f, 20 / 800.f, 100 / 500.f}},
        // A crop box that does not start at the origin: the same link shifted by the box.
        AreaCase{"offset crop", {50, 100, 550, 900}, 0, {150, 700, 250, 720}, {0.2f, 0.225f, 0.2f, 0.025f}},
        AreaCase{"offset crop 90", {50, 100, 550, 900}, 90, {150, 700, 250, 720},
                 {600 / 800.f, 100 / 500.f, 20 / 800.f, 100 / 500.f}},
        // Bounds written with their corners swapped describe the same area.
        AreaCase{"swapped corners", {0, 0, 500, 800}, 0, {200, 620, 100, 600}, {0.2f, 0.225f, 0.2f, 0.025f}},
        AreaCase{"empty crop", {0, 0, 0, 0}, 0, {1, 1, 2, 2}, {0, 0, 0, 0}}));

TEST(FlashPagesAnnotationsPDF, writesOneElementPerScannedPageAndOneAnnoPerAcceptedLink)
{
    auto doc = std::make_shared<FakePdfDocument>();
    doc->pages.resize(5);
    doc->pages[2].links = {
        webLink({100, 600, 200, 620}, "https://example.com/a?b=1&c=2"),
        pageLink({0, 0, 250, 400}, 4),
        pageLink({0, 0, 10, 10}, 9),             // no such page
        pageLink({0, 0, 10, 10}, -1),            // neither URL nor destination
        webLink({0, 0, 10, 10}, " javascript:alert(1)"), // script URL
        webLink({0, 0, 10, 10}, "mailto:someone@example.com"),
    };

    FlashPagesAnnotationsPDF annotations;
    annotations.setNeedFiles({QStringLiteral("stale.swf")});
    annotations.loadLinksFromPDF(doc, QStringLiteral("3-4"));

    EXPECT_TRUE(annotations.needFiles().isEmpty());
    EXPECT_EQ(annotations.neededPages(), (std::vector<int>{3, 4}));
    EXPECT_EQ(treeText(annotations),
              QStringLiteral("<pagesAnnos><pageAnnos pageIndex=\"1\">"
                             "<anno url=\"https://example.com/a?b=1&amp;c=2\" x=\"0.200000\" y=\"0.225000\" "
                             "width=\"0.200000\" height=\"0.025000\" action=\"web\"/>"
                             "<anno pageIndex=\"5\" x=\"0.000000\" y=\"0.500000\" width=\"0.500000\" "
                             "height=\"0.500000\" action=\"page\"/>"
                             "<anno url=\"mailto:someone@example.com\" x=\"0.000000\" y=\"0.987500\" "
                             "width=\"0.020000\" height=\"0.012500\" action=\"web\"/>"
                             "</pageAnnos><pageAnnos pageIndex=\"2\"/></pagesAnnos>"));
}

} // namespace
