#include "import/PageSource.h"

#include "platform/Log.h"
#include "support/Error.h"

#include <algorithm>
#include <climits>

namespace leafcraft {

const BookPage* PageSource::pageAt(int position) const
{
    if (position < 0 || position >= int(m_pages.size()))
        return nullptr;
    return m_pages[std::size_t(position)].get();
}

const BookPage* PageSource::normalPageAt(int pageNumber) const
{
    return findByPageIndex(m_normalPages, pageNumber, false);
}

const BookPage* PageSource::findByPageIndex(const BookPageList& list, int pageNumber, bool honourStop) const
{
    for (const auto& page : list) {
        if (honourStop && stop())
            return nullptr;
        if (page->pageIndex() == pageNumber)
            return page.get();
    }
    return nullptr;
}

void PageSource::clearPages()
{
    m_pages.clear();
    m_normalPages.clear();
    m_zoomedPages.clear();
    m_thumbPages.clear();
    m_mobilePages.clear();
}

namespace {

// Blanks around numbers and dashes: spaces and tabs, nothing else.
bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

// Reads `number` at `at` (blanks before it skipped); saturates at INT_MAX. False when there
// is no digit there.
bool readNumber(QStringView text, qsizetype& at, int& value)
{
    while (at < text.size() && isBlank(text[at]))
        ++at;
    const qsizetype start = at;
    long long n = 0;
    for (; at < text.size() && text[at] >= u'0' && text[at] <= u'9'; ++at)
        n = std::min<long long>(n * 10 + (text[at].unicode() - u'0'), INT_MAX);
    value = int(n);
    return at > start;
}

// Parses one piece into [first, last]; returns how it breaks the grammar ("is empty", ...),
// or a null string.
QString parsePiece(QStringView piece, int& first, int& last)
{
    qsizetype at = 0;
    if (!readNumber(piece, at, first))
        return piece.trimmed().isEmpty() ? QStringLiteral("is empty") : QStringLiteral("is not a page number or a range of pages");
    last = first;
    while (at < piece.size() && isBlank(piece[at]))
        ++at;
    if (at < piece.size() && piece[at] == u'-') {
        ++at;
        if (!readNumber(piece, at, last))
            return QStringLiteral("has no last page after \"-\"");
        while (at < piece.size() && isBlank(piece[at]))
            ++at;
    }
    if (at < piece.size())
        return QStringLiteral("is not a page number or a range of pages");
    if (first < 1)
        return QStringLiteral("names page 0, but pages are numbered from 1");
    if (last < first)
        return QStringLiteral("ends before it starts");
    return QString();
}

} // namespace

// Page-range grammar (the keyword in any letter case; blanks are spaces and tabs):
//
//   range  := blank* "ALL" blank*            every page, 1 .. total
//           | piece ( "," piece )*
//   piece  := blank* number blank* [ "-" blank* number blank* ]
//                                             one page, or the pages from the first number to
//                                             the second (which must not be smaller)
//   number := digit+                          decimal, 1 or more; larger than any document
//                                             reads as the largest int
//
// Anything else (signs, decimals, exponents, line breaks, empty parts, a second "-") is an
// error naming the part that breaks the grammar. Only pages of the document count: ranges
// are cut at the last page while expanding, so a piece past the end names nothing and a
// range such as 1-2000000000 costs no more than 1-total. The result is ascending and without
// duplicates. A text that names no page of the document is an error too, reported with the
// text and the document's page span.
std::vector<int> PageSource::parsePageRange(const QString& text, int total)
{
    std::vector<int> result;
    const bool all = text.trimmed().compare(QLatin1String("ALL"), Qt::CaseInsensitive) == 0
        && !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
    if (all) {
        for (long long n = 1; n <= total; ++n) // long long: no overflow at a total of INT_MAX
            result.push_back(int(n));
    } else {
        // Each piece becomes a closed interval cut at the end of the document; merging the
        // sorted intervals gives the ascending, duplicate-free list without expanding overlaps
        // twice.
        std::vector<std::pair<int, int>> spans;
        const QStringList pieces = text.split(QLatin1Char(','));
        for (qsizetype i = 0; i < pieces.size(); ++i) {
            int first = 0;
            int last = 0;
            const QString why = parsePiece(pieces[i], first, last);
            if (!why.isNull())
                throw Error(ErrorKind::BadInput, QStringLiteral("the page range \"%1\" is not valid: part %2 (\"%3\") %4")
                                                     .arg(escapeControlCharacters(text)).arg(i + 1)
                                                     .arg(escapeControlCharacters(pieces[i]), why));
            last = std::min(last, total);
            if (first <= last)
                spans.emplace_back(first, last);
        }
        std::sort(spans.begin(), spans.end());
        long long next = 1; // the lowest page number not yet in the result
        for (const auto& [first, last] : spans) {
            for (long long n = std::max<long long>(first, next); n <= last; ++n)
                result.push_back(int(n));
            next = std::max<long long>(next, last + 1LL);
        }
    }
    if (result.empty())
        throw Error(ErrorKind::BadInput, QStringLiteral("the range \"%1\" has no page of this document (1-%2)")
                                             .arg(escapeControlCharacters(text)).arg(total));
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
