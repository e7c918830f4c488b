#include "annotations/PdfPageLinks.h"

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

QString treeText(const PageLinks& annotations)
{
    QByteArray bytes;
    xml::Document copy = xml::Document::create(QStringLiteral("x"));
    copy.root().appendCopy(annotations.pagesAnnotationsNode());
    return QString::fromUtf8(copy.root().firstChild().isNull() ? QByteArray() : copy.rootBytes())
        .remove(QStringLiteral("<x>"))
        .remove(QStringLiteral("</x>"));
}

TEST(PdfPageLinks, writesOneElementPerScannedPageAndOneAnnoPerAcceptedLink)
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

    PdfPageLinks annotations;
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
