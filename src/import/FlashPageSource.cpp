#include "import/FlashPageSource.h"

#include "platform/Log.h"
#include "support/Error.h"

#include <algorithm>
#include <climits>

namespace leafcraft {

const FlashPage* FlashPageSource::getPageAtIndex(int position) const
{
    if (position < 0 || position >= int(m_pages.size()))
        return nullptr;
    return m_pages[std::size_t(position)].get();
}

const FlashPage* FlashPageSource::getNormalPageAtIndex(int pageNumber) const
{
    return findByPageIndex(m_normalPages, pageNumber, false);
}

const FlashPage* FlashPageSource::findByPageIndex(const FlashPageList& list, int pageNumber, bool honourStop) const
{
    for (const auto& page : list) {
        if (honourStop && stop())
            return nullptr;
        if (page->pageIndex() == pageNumber)
            return page.get();
    }
    return nullptr;
}

void FlashPageSource::clearPages()
{
    m_pages.clear();
    m_normalPages.clear();
    m_zoomedPages.clear();
    m_thumbPages.clear();
    m_mobilePages.clear();
}

namespace {

// The leading decimal integer of `text`: leading white space skipped, an optional sign,
// digits up to the first non-digit; 0 when there are no digits. Saturates at the int range.
int leadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > INT_MAX)
            return negative ? INT_MIN : INT_MAX;
    }
    return int(negative ? -value : value);
}

} // namespace

// Page-range grammar (case-insensitive keyword, everything else as typed):
//
//   range  := "ALL"                      every page, 1 .. total (the whole text, no blanks)
//           | piece ( "," piece )*
//   piece  := number "-" number ( "-" any )*   the pages from the first to the second number;
//                                               parts after the second "-" are ignored, and a
//                                               start above the end names no page
//           | number                    one page
//   number := leading decimal integer: blanks skipped, optional sign, digits up to the first
//             non-digit; no digits reads as 0 (so "", "abc" and "ALL " name page 0, " 7" and
//             "7x" name page 7, and "-3" is the range 0-3)
//
// Only pages of the document count: numbers and range ends are clamped to 1 .. total while
// expanding, so a piece outside the document names nothing and a range such as
// 1-2000000000 costs no more than 1-total. The result is ascending and without duplicates.
// A text that names no page of the document is an error, reported with the text and the
// document's page span.
std::vector<int> FlashPageSource::parsePageRange(const QString& text, int total)
{
    std::vector<int> result;
    const bool all = text.toUpper() == QLatin1String("ALL");
    if (all) {
        for (int n = 1; n <= total; ++n)
            result.push_back(n);
    } else {
        // Each piece becomes a closed interval clamped to the document; merging the sorted
        // intervals gives the ascending, duplicate-free list without expanding overlaps twice.
        std::vector<std::pair<int, int>> spans;
        const QStringList pieces = text.split(QLatin1Char(','));
        for (const QString& piece : pieces) {
            int first = 0;
            int last = 0;
            if (piece.contains(QLatin1Char('-'))) {
                const QStringList ends = piece.split(QLatin1Char('-'));
                first = leadingInteger(ends.at(0));
                last = leadingInteger(ends.at(1));
            } else {
                first = last = leadingInteger(piece);
            }
            first = std::max(first, 1);
            last = std::min(last, total);
            if (first <= last)
                spans.emplace_back(first, last);
        }
        std::sort(spans.begin(), spans.end());
        int next = 1; // the lowest page number not yet in the result
        for (const auto& [first, last] : spans) {
            for (int n = std::max(first, next); n <= last; ++n)
                result.push_back(n);
            next = std::max(next, last + 1);
        }
    }
    if (result.empty())
        throw Error(ErrorKind::BadInput,
                    QStringLiteral("the range \"%1\" has no page of this document (1-%2)").arg(text).arg(total));
    if (all)
        return result;
    if (log::isEnabled(log::Level::Debug)) {
        QStringList pages;
        for (int n : result)
            pages << QString::number(n);
        LC_DEBUG(QStringLiteral("range: %1").arg(pages.join(QLatin1Char(','))));
    }
    return result;
}

} // namespace leafcraft
