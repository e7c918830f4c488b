// The page-range grammar: every row is a text, a page count and the pages it names, or an
// empty list and what the error must say.
#include "import/PageSource.h"

#include "support/Error.h"

#include <gtest/gtest.h>

#include <numeric>

using leafcraft::Error;
using leafcraft::ErrorKind;
using leafcraft::PageSource;

namespace {

struct RangeCase {
    const char* text;
    int total;
    std::vector<int> pages; // empty: the text is an error
    const char* error = "has no page of this document"; // what the error says
};

std::vector<int> span(int first, int last)
{
    std::vector<int> v(std::size_t(last - first + 1));
    std::iota(v.begin(), v.end(), first);
    return v;
}

class PageRange : public testing::TestWithParam<RangeCase> {};

TEST_P(PageRange, namesThePagesOfTheDocument)
{
    const RangeCase& c = GetParam();
    if (c.pages.empty()) {
        try {
            PageSource::parsePageRange(QString::fromUtf8(c.text), c.total);
            FAIL() << "accepted " << c.text;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::BadInput);
            EXPECT_TRUE(e.text().contains(QString::fromUtf8(c.error))) << e.text().toStdString();
        }
    } else {
        EXPECT_EQ(PageSource::parsePageRange(QString::fromUtf8(c.text), c.total), c.pages) << c.text;
    }
}

const char* const kNotAPage = "is not a page number or a range of pages";

INSTANTIATE_TEST_SUITE_P(
    Grammar, PageRange,
    testing::Values(
        // The keyword, in any case, blanks around it allowed.
        RangeCase{"all", 4, {1, 2, 3, 4}}, RangeCase{"All", 2, {1, 2}}, RangeCase{"ALL", 1, {1}},
        RangeCase{"ALL", 0, {}}, RangeCase{"ALL ", 2, {1, 2}}, RangeCase{"ALL\n", 2, {}, kNotAPage},
        // Lists are sorted and duplicates removed.
        RangeCase{"3,1,2,3", 5, {1, 2, 3}}, RangeCase{"2,4", 5, {2, 4}}, RangeCase{"4", 5, {4}},
        // Ranges and overlapping ranges; blanks around numbers and dashes.
        RangeCase{"1-3,2-5", 5, {1, 2, 3, 4, 5}}, RangeCase{"1-3,5-6,2", 9, {1, 2, 3, 5, 6}},
        RangeCase{"1 - 3", 5, {1, 2, 3}}, RangeCase{" 7\t", 9, {7}},
        // Only the grammar: each error names the part that breaks it.
        RangeCase{"5-3", 5, {}, "part 1 (\"5-3\") ends before it starts"},
        RangeCase{"4-", 5, {}, "part 1 (\"4-\") has no last page"}, RangeCase{"2-4-9", 9, {}, kNotAPage},
        RangeCase{"7x", 9, {}, kNotAPage}, RangeCase{"+2", 9, {}, kNotAPage}, RangeCase{"-2", 5, {}, kNotAPage},
        RangeCase{"1e1", 20, {}, "part 1 (\"1e1\")"}, RangeCase{"1,2.9", 5, {}, "part 2 (\"2.9\")"},
        RangeCase{"1\n2", 5, {}, "\"1\\n2\" is not valid"}, RangeCase{"", 5, {}, "part 1 (\"\") is empty"},
        RangeCase{"1,,2", 5, {}, "part 2 (\"\") is empty"}, RangeCase{"abc", 5, {}, kNotAPage},
        RangeCase{"0", 5, {}, "numbered from 1"}, RangeCase{"\xd9\xa3", 5, {}, kNotAPage},
        // Pages past the end are dropped, ranges are cut at the end of the document.
        RangeCase{"6", 5, {}}, RangeCase{"4-9", 5, {4, 5}}, RangeCase{"3,8", 5, {3}}, RangeCase{"6-9", 5, {}},
        RangeCase{"1", 0, {}},
        // Huge numbers cost nothing and do not overflow.
        RangeCase{"1-2000000000", 3, {1, 2, 3}}, RangeCase{"2000000000", 3, {}},
        RangeCase{"99999999999999999999", 3, {}}, RangeCase{"1999999990-2000000000", 3, {}}));

TEST(PageRangeSize, aRangeOverTheWholeDocumentRepeatedIsExpandedOnce)
{
    QStringList pieces;
    for (int i = 0; i < 2000; ++i)
        pieces << QStringLiteral("1-2000000000");
    EXPECT_EQ(PageSource::parsePageRange(pieces.join(QLatin1Char(',')), 5000), span(1, 5000));
}

} // namespace
