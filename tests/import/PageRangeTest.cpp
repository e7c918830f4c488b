// The page-range grammar: every row is a text, a page count and the pages it names, or
// an empty list where the text must be rejected as naming no page of the document.
#include "import/FlashPageSource.h"

#include "support/Error.h"

#include <gtest/gtest.h>

#include <numeric>

using leafcraft::Error;
using leafcraft::ErrorKind;
using leafcraft::FlashPageSource;

namespace {

struct RangeCase {
    const char* text;
    int total;
    std::vector<int> pages; // empty: the text names no page and is an error
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
            FlashPageSource::parsePageRange(QString::fromUtf8(c.text), c.total);
            FAIL() << "accepted " << c.text;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), ErrorKind::BadInput);
            EXPECT_EQ(e.text(), QStringLiteral("the range \"%1\" has no page of this document (1-%2)")
                                    .arg(QString::fromUtf8(c.text))
                                    .arg(c.total));
        }
    } else {
        EXPECT_EQ(FlashPageSource::parsePageRange(QString::fromUtf8(c.text), c.total), c.pages) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, PageRange,
    testing::Values(
        // The keyword, in any case, and only as the whole text.
        RangeCase{"all", 4, {1, 2, 3, 4}}, RangeCase{"All", 2, {1, 2}}, RangeCase{"ALL", 1, {1}},
        RangeCase{"ALL", 0, {}}, RangeCase{"ALL ", 5, {}}, RangeCase{" ALL", 5, {}},
        // Lists are sorted and duplicates removed.
        RangeCase{"3,1,2,3", 5, {1, 2, 3}}, RangeCase{"2,4", 5, {2, 4}}, RangeCase{"4", 5, {4}},
        // Ranges, overlapping ranges, reversed and open ranges, extra dashes.
        RangeCase{"1-3,2-5", 5, {1, 2, 3, 4, 5}}, RangeCase{"5-3", 5, {}}, RangeCase{"5-3,2", 5, {2}},
        RangeCase{"4-", 5, {}}, RangeCase{"2-4-9", 9, {2, 3, 4}}, RangeCase{"1-3,5-6,2", 9, {1, 2, 3, 5, 6}},
        RangeCase{"3-4", 9, {3, 4}},
        // Leading blanks are skipped, trailing text ends the number.
        RangeCase{"1 - 3", 5, {1, 2, 3}}, RangeCase{" 7", 9, {7}}, RangeCase{"7x", 9, {7}},
        RangeCase{"+2", 9, {2}},
        // Page 0 (empty or non-numeric pieces, a leading dash) is not a page of the document.
        RangeCase{"", 5, {}}, RangeCase{"abc", 5, {}}, RangeCase{"1,,2", 5, {1, 2}}, RangeCase{"-2", 5, {1, 2}},
        RangeCase{"0", 5, {}}, RangeCase{"0-0", 5, {}},
        // Pages past the end are dropped, ranges are cut at the end of the document.
        RangeCase{"6", 5, {}}, RangeCase{"4-9", 5, {4, 5}}, RangeCase{"3,8", 5, {3}}, RangeCase{"6-9", 5, {}},
        RangeCase{"1", 0, {}},
        // Huge numbers cost nothing and do not overflow.
        RangeCase{"1-2000000000", 3, {1, 2, 3}}, RangeCase{"2000000000", 3, {}},
        RangeCase{"99999999999999999999", 3, {}}, RangeCase{"-99999999999999999999", 3, {1, 2, 3}},
        RangeCase{"1999999990-2000000000", 3, {}}));

TEST(PageRangeSize, aRangeOverTheWholeDocumentRepeatedIsExpandedOnce)
{
    QStringList pieces;
    for (int i = 0; i < 2000; ++i)
        pieces << QStringLiteral("1-2000000000");
    EXPECT_EQ(FlashPageSource::parsePageRange(pieces.join(QLatin1Char(',')), 5000), span(1, 5000));
}

} // namespace
