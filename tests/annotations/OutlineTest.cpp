#include "annotations/PdfOutline.h"

#include "fakes/FakePdfDocument.h"
#include "support/Error.h"

#include <gtest/gtest.h>

using namespace leafcraft;
using leafcraft::test::FakePdfDocument;

namespace {

FakePdfDocument bookWithOutline()
{
    FakePdfDocument doc;
    doc.pages.resize(6);
    pdf::OutlineItem section{QStringLiteral("Section 1.1"), 2, {{QStringLiteral("Deep"), 3, {}}}};
    doc.outlineItems = {{QStringLiteral("Chapter 1"), 0, {section}},
                        {QStringLiteral("Chapter <2> & more"), 5, {}},
                        {QStringLiteral("Nowhere"), -1, {}},
                        {QStringLiteral("Past the end"), 40, {}}};
    return doc;
}

void expectSameTree(const OutlineItemList& a, const OutlineItemList& b, const OutlineItem* parent)
{
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i]->caption(), b[i]->caption());
        EXPECT_EQ(a[i]->pageIndex(), b[i]->pageIndex());
        EXPECT_EQ(a[i]->level(), b[i]->level());
        EXPECT_EQ(b[i]->parent(), parent);
        expectSameTree(a[i]->childItems(), b[i]->childItems(), b[i].get());
    }
}

TEST(PdfOutline, readsTheNestedOutlineWithLevelsParentsAndPdfPageNumbers)
{
    const FakePdfDocument doc = bookWithOutline();
    PdfOutline outline;
    outline.loadOutlineFromPDF(doc);

    const auto& items = outline.items();
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0]->caption(), QStringLiteral("Chapter 1"));
    EXPECT_EQ(items[0]->pageIndex(), 1);
    EXPECT_EQ(items[0]->level(), 1);
    EXPECT_EQ(items[0]->parent(), nullptr);
    ASSERT_EQ(items[0]->childItems().size(), 1u);
    const OutlineItem& section = *items[0]->childItems()[0];
    EXPECT_EQ(section.pageIndex(), 3);
    EXPECT_EQ(section.level(), 2);
    EXPECT_EQ(section.parent(), items[0].get());
    ASSERT_EQ(section.childItems().size(), 1u);
    EXPECT_EQ(section.childItems()[0]->level(), 3);
    EXPECT_EQ(section.childItems()[0]->parent(), &section);
    EXPECT_EQ(items[2]->pageIndex(), 0); // no destination
    EXPECT_EQ(items[3]->pageIndex(), 0); // destination outside the document

    // Loading again appends.
    outline.loadOutlineFromPDF(doc);
    EXPECT_EQ(outline.items().size(), 8u);
}

TEST(Outline, writesTheOlsFormAndReadsItBack)
{
    FakePdfDocument doc = bookWithOutline();
    doc.outlineItems.resize(2);
    PdfOutline outline;
    outline.loadOutlineFromPDF(doc);

    const xml::Document written = outline.outlineAsXMLNode();
    EXPECT_EQ(QString::fromUtf8(written.rootBytes()),
              QStringLiteral("<ols>"
                             "<o><c>Chapter 1</c><p>1</p><l>1</l><ci>"
                             "<o><c>Section 1.1</c><p>3</p><l>2</l><ci>"
                             "<o><c>Deep</c><p>4</p><l>3</l><ci/></o>"
                             "</ci></o>"
                             "</ci></o>"
                             "<o><c>Chapter &lt;2&gt; &amp; more</c><p>6</p><l>1</l><ci/></o>"
                             "</ols>"));

    Outline reread;
    reread.loadFromXMLNode(xml::Document::parse(written.toBytes()).root());
    expectSameTree(outline.items(), reread.items(), nullptr);
}

} // namespace
