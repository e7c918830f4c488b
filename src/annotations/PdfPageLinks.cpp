#include "annotations/PdfPageLinks.h"

#include "import/PageSource.h"
#include "platform/Log.h"
#include "platform/PdfDocument.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace leafcraft {

namespace {

QString decimal6(float value)
{
    return QString::asprintf("%f", double(value));
}

// Whether the book may offer `url` as a web link. The player opens it in the reader's
// browser, so script and local-file schemes coming from a PDF are refused; a text without a
// scheme is kept as it is.
bool isSafeWebUrl(const QString& url)
{
    QString compact;
    for (QChar c : url)
        if (c.unicode() > 0x20)
            compact += c;
    static const QRegularExpression schemePattern(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]*):"));
    const QRegularExpressionMatch m = schemePattern.match(compact);
    if (!m.hasMatch())
        return true;
    static const QStringList allowed{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("mailto"),
                                     QStringLiteral("ftp"), QStringLiteral("tel")};
    return allowed.contains(m.captured(1).toLower());
}

} // namespace

std::array<float, 4> PdfPageLinks::displayedArea(const pdf::Rect& cropBox, int rotation,
                                                             const pdf::Rect& bounds)
{
    const float pw = float(cropBox.width());
    const float ph = float(cropBox.height());
    if (pw <= 0 || ph <= 0)
        return {0, 0, 0, 0};
    // Corners relative to the crop box origin (y up), mapped onto the displayed page
    // (y down): the page is turned clockwise by `rotation`.
    const float u0 = float(bounds.x0 - cropBox.x0), u1 = float(bounds.x1 - cropBox.x0);
    const float v0 = float(bounds.y0 - cropBox.y0), v1 = float(bounds.y1 - cropBox.y0);
    float dw = pw, dh = ph;
    auto map = [&](float u, float v) -> std::array<float, 2> {
        switch (rotation) {
        case 90: return {v, u};
        case 180: return {pw - u, v};
        case 270: return {ph - v, pw - u};
        default: return {u, ph - v};
        }
    };
    if (rotation == 90 || rotation == 270)
        std::swap(dw, dh);
    const auto a = map(u0, v0);
    const auto b = map(u1, v1);
    const float left = std::min(a[0], b[0]), right = std::max(a[0], b[0]);
    const float top = std::min(a[1], b[1]), bottom = std::max(a[1], b[1]);
    return {left / dw, top / dh, (right - left) / dw, (bottom - top) / dh};
}

void PdfPageLinks::loadLinksFromPDF(std::shared_ptr<const pdf::Document> document,
                                                const QString& pageRange)
{
    m_pdfDocument = std::move(document);
    m_neededPages.clear();
    m_needFiles.clear();
    m_tree = xml::Document::create(QStringLiteral("pagesAnnos"));
    m_currentIndex = 0;
    // Without a document there is no page to scan: the tree stays empty.
    if (!m_pdfDocument)
        return;
    m_neededPages = PageSource::parsePageRange(pageRange, m_pdfDocument->pageCount());
    for (m_currentIndex = 0; m_currentIndex < int(m_neededPages.size()); ++m_currentIndex)
        parsePage();
}

void PdfPageLinks::parsePage()
{
    if (m_tree.isNull())
        m_tree = xml::Document::create(QStringLiteral("pagesAnnos"));
    if (m_currentIndex < 0 || m_currentIndex >= int(m_neededPages.size()))
        return;
    const int n = m_neededPages[std::size_t(m_currentIndex)];
    xml::Element pageAnnos = m_tree.root().appendElement(QStringLiteral("pageAnnos"));
    pageAnnos.setAttribute(QStringLiteral("pageIndex"), QString::number(m_currentIndex + 1));
    if (!m_pdfDocument || n < 1 || n > m_pdfDocument->pageCount())
        return;

    const int page = n - 1;
    const std::vector<pdf::Link> links = m_pdfDocument->links(page);
    if (links.empty())
        return;
    LC_DEBUG(QStringLiteral("page %1: %2 link(s)").arg(n).arg(links.size()));
    const pdf::Rect crop = m_pdfDocument->cropBox(page);
    const int rotation = m_pdfDocument->rotation(page);
    const int pageCount = m_pdfDocument->pageCount();
    for (std::size_t i = 0; i < links.size(); ++i) {
        const pdf::Link& link = links[i];
        // A web link, or a jump to a page of this document; anything else has no place in
        // the book.
        const bool web = !link.url.isEmpty();
        if (web ? !isSafeWebUrl(link.url) : (link.destPage < 0 || link.destPage >= pageCount))
            continue;
        xml::Element anno = pageAnnos.appendElement(QStringLiteral("anno"));
        if (web)
            anno.setAttribute(QStringLiteral("url"), link.url);
        else
            anno.setAttribute(QStringLiteral("pageIndex"), QString::number(link.destPage + 1));
        const auto area = displayedArea(crop, rotation, link.bounds);
        anno.setAttribute(QStringLiteral("x"), decimal6(area[0]));
        anno.setAttribute(QStringLiteral("y"), decimal6(area[1]));
        anno.setAttribute(QStringLiteral("width"), decimal6(area[2]));
        anno.setAttribute(QStringLiteral("height"), decimal6(area[3]));
        anno.setAttribute(QStringLiteral("action"), web ? QStringLiteral("web") : QStringLiteral("page"));
    }
}

} // namespace leafcraft
