// The drawn (SVG) pages of PdfPageConverter, and the choice of a picture instead.
#include "import/PdfPageConverter.h"

#include "support/SaveFile.h"
#include "import/SvgCompactor.h"
#include "platform/JpegEncoder.h"
#include "platform/Log.h"

namespace leafcraft {

// Drawing or picture, page by page. A page asked for as SVG is written as its drawing unless
// one of these holds, and then as its JPG picture, which a book of JPG pages would carry too:
//  - it draws more than kMaxVectorElements paths, glyphs and pictures: a browser redraws every
//    one of them at each zoom step and page turn, and past that count a turn stutters;
//  - its drawing (pictures included) weighs more than its picture. The picture is made to
//    compare only when the drawing may be the heavier: when the drawing's pictures have at
//    least a quarter of the page picture's pixels (a scan, a page of photographs), or when the
//    drawing is over half of the weight the thumbnail predicts for the page picture (its JPEG
//    bytes per pixel times the page picture's pixels). A text page is far below both and
//    costs no picture; the prediction only decides when to look, never what is written.
// So no page of a book is heavier, or slower to draw, than in the book's JPG version.
void PdfPageConverter::convertVectorPage(const pdf::Document& doc, int pageNumber, ConvertedPage& result,
                                              PageFacts& facts)
{
    const QString where = QStringLiteral("page %1").arg(pageNumber);
    Wanted wanted;
    wanted.thumb = true;
    wanted.text = m_textWanted;
    wanted.vector = true;
    Rendered drawn = renderPage(doc, pageNumber, wanted, result.warnings);
    facts.text = std::move(drawn.text);
    if (!drawn.thumbJpeg.isEmpty())
        saveFile(result.thumb, drawn.thumbJpeg, QStringLiteral("the thumbnail"));
    if (drawn.svg.isEmpty())
        return; // not drawn: the warnings say why

    qint64 picturePixels = 0;
    const CompactSvg svg = compactSvg(drawn.svg, [this, &picturePixels](const SvgPicture& in) {
        try {
            bool alpha = false;
            const pdf::Bitmap bitmap = pdf::decodePicture(in.data, &alpha);
            if (alpha)
                return in; // a picture on white would cover what lies under it
            picturePixels += qint64(bitmap.width) * bitmap.height;
            const QByteArray jpeg = JpegEncoder::encode(bitmap, m_quality);
            if (jpeg.size() < in.data.size())
                return SvgPicture{QByteArrayLiteral("image/jpeg"), jpeg};
        } catch (const Error& e) {
            if (e.kind() == ErrorKind::Output)
                throw;
        }
        return in;
    });

    const QSize picture = pictureSize(pageNumber, facts.width, facts.height, nullptr);
    const qint64 pagePixels = qint64(picture.width()) * picture.height();
    const QSize thumb = thumbSize(facts.width * 2, facts.height * 2);
    const double predicted = double(drawn.thumbJpeg.size()) * double(pagePixels) / double(thumb.width() * thumb.height());
    QString fallback;
    QByteArray pageJpeg;
    if (svg.drawingElements > kMaxVectorElements) {
        fallback = QStringLiteral("too many shapes to draw quickly (%1)").arg(svg.drawingElements);
    } else if (picturePixels * 4 >= pagePixels || double(svg.svg.size()) * 2 > predicted) {
        Wanted pictureOnly;
        pictureOnly.pageJpeg = true;
        pageJpeg = renderPage(doc, pageNumber, pictureOnly, result.warnings).pageJpeg;
        if (!pageJpeg.isEmpty() && pageJpeg.size() < svg.svg.size())
            fallback = QStringLiteral("lighter as a picture");
    }
    if (fallback.isEmpty()) {
        result.page = path(QString::number(pageNumber) + QLatin1String(".svg"));
        saveFile(result.page, svg.svg, QStringLiteral("the page file"));
        result.mobile = result.page; // phones show the drawing too
        return;
    }
    facts.pictureInsteadOfVector = fallback;
    if (pageJpeg.isEmpty()) {
        Wanted pictureOnly;
        pictureOnly.pageJpeg = true;
        pageJpeg = renderPage(doc, pageNumber, pictureOnly, result.warnings).pageJpeg;
    }
    if (pageJpeg.isEmpty())
        return;
    saveFile(result.page, pageJpeg, QStringLiteral("the page file"));
    saveFile(result.mobile, phonePicture(pageJpeg), QStringLiteral("the phone picture"));
    if (m_zoomPictures) {
        Wanted zoom;
        zoom.zoom = true;
        const QByteArray large = renderPage(doc, pageNumber, zoom, result.warnings).zoomJpeg;
        if (!large.isEmpty())
            saveFile(result.zoom, large, QStringLiteral("the zoom picture"));
    }
    LC_DEBUG(QStringLiteral("%1: written as a picture: %2").arg(where, fallback));
}

} // namespace leafcraft
