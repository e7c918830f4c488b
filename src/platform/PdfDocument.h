// The PDF services the core needs, behind our own types. The MuPDF back-end
// (MuPdfDocument.cpp) is the only file that includes MuPDF headers.
//
// Page numbers here are 0-based, as the PDF services count; the rest of the system counts
// from 1 and subtracts one when it calls in.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace leafcraft::pdf {

// A rectangle in PDF user space (points, y upwards), as written in the file.
struct Rect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    double width() const { return x1 - x0; }
    double height() const { return y1 - y0; }
};

// A link annotation of a page. `bounds` is in the same user space as the crop box.
struct Link {
    Rect bounds;
    QString url;        // the target URL of a web link; empty for a page link
    int destPage = -1;  // 0-based target page of an internal link; -1 for a web link
};

struct OutlineItem {
    QString title;
    int destPage = -1; // 0-based; -1 when the entry has no page destination
    std::vector<OutlineItem> children;
};

// An 8-bit RGB picture, rows top to bottom, no padding (stride = 3 * width).
struct Bitmap {
    int width = 0;
    int height = 0;
    QByteArray pixels;
    // What went wrong while drawing a damaged page that could still be drawn in part.
    QStringList problems;
};

// One word of a page: its box as fractions of the displayed page (origin top left) and its
// text. Words come in reading order.
struct Word {
    float x = 0, y = 0, width = 0, height = 0;
    QString text;
};

// The text of a page: the whole text (lines ending in "\n", blocks separated by an empty
// line) and its words with their places.
struct PageText {
    QString text;
    std::vector<Word> words;
};

// What renderPage is asked for: the picture of `width` x `height` pixels (none when either is
// 0), a large picture of twice that size, the page's text, a small picture of
// `thumbWidth` x `thumbHeight` (none when either is 0), and the page as a drawing.
struct RenderRequest {
    int width = 0;
    int height = 0;
    bool large = false;
    bool text = false;
    int thumbWidth = 0;
    int thumbHeight = 0;
    bool vector = false;
};

struct RenderedPage {
    Bitmap picture;
    Bitmap large; // empty when not asked for, or when it would exceed the picture size limit
    PageText text;
    Bitmap thumb;
    // The page as an SVG document in points, as displayed: text drawn as the outlines of its
    // glyphs (each glyph defined once and placed with <use>), pictures inline as data: URIs.
    QByteArray svg;
};

// A picture decoded from a JPEG or PNG file's bytes, on white. `hasAlpha` tells that the picture
// has transparent parts, which a picture on white loses. Throws Error(BadInput) for bytes that
// are no readable picture or one of more than kMaxRenderPixels pixels.
Bitmap decodePicture(const QByteArray& encoded, bool* hasAlpha);
// The largest picture render() makes, in pixels (3 bytes each); callers scale larger pages
// down to fit. A0 at 144 dpi is about half of this.
constexpr qint64 kMaxRenderPixels = 64ll * 1000 * 1000;
// Scales a picture size down, its shape kept, to fit kMaxRenderPixels; smaller sizes stay.
inline void fitToRenderLimit(int* width, int* height)
{
    const qint64 area = qint64(*width) * *height;
    if (area <= kMaxRenderPixels)
        return;
    const double factor = std::sqrt(double(kMaxRenderPixels) / double(area));
    *width = std::max(1, int(*width * factor));
    *height = std::max(1, int(*height * factor));
}
// How many seconds drawing one page may take before it is given up as a page that cannot be
// rendered (a hostile page can take minutes); 30 unless set. One setting for the process,
// which the command line sets before any work starts.
int pageTimeBudget();
void setPageTimeBudget(int seconds);
// The longest side of a page in points that displaySize() reports; larger pages, which no
// printer or screen has, are reported scaled down to it, their shape kept.
constexpr double kMaxPageSide = 14400;

// An open PDF document. Not thread-safe: each thread opens or clones its own.
class Document {
public:
    virtual ~Document() = default;

    virtual int pageCount() const = 0;
    // The crop box in user space, unrotated.
    virtual Rect cropBox(int page) const = 0;
    // The page's /Rotate, normalised to 0, 90, 180 or 270.
    virtual int rotation(int page) const = 0;
    // The displayed size in points: the crop box's size, swapped for 90 and 270, at most
    // kMaxPageSide on either side.
    virtual void displaySize(int page, double* width, double* height) const = 0;
    // What was wrong with the file as a whole and has been worked around when it was opened
    // (a repaired cross-reference table, a page tree that lies about its size); empty for a
    // sound file.
    virtual QStringList damage() const { return {}; }
    virtual std::vector<Link> links(int page) const = 0;
    virtual std::vector<OutlineItem> outline() const = 0;
    // Renders the page as displayed (rotation applied) scaled to exactly width x height pixels
    // on white. Throws Error(BadInput) when the page cannot be rendered: its content is
    // missing from the file, drawing it failed, or the picture would exceed kMaxRenderPixels.
    // Errors the drawing survived are listed in the bitmap's problems.
    virtual Bitmap render(int page, int width, int height) const = 0;
    virtual QString pageText(int page) const = 0;
    // The pictures and the text of a page from one reading of it. Throws as render() does.
    // This default renders and reads the page separately and finds no word boxes.
    virtual RenderedPage renderPage(int page, const RenderRequest& request) const;
    // Whether the document's permissions let a reader copy its text (an unencrypted
    // document always does).
    virtual bool allowsTextCopy() const { return true; }
    // The language its text is written in (the catalog's /Lang) as a language tag such as
    // "de-DE"; empty when the document names none or no well-formed one.
    virtual QString language() const { return {}; }
    // A new handle on the same file for use on another thread. It shares no state and no lock
    // with this one, so handles on different threads never wait for each other.
    virtual std::unique_ptr<Document> clone() const = 0;
};

// Opens a PDF. Throws Error(BadInput) with a clear message for a missing or unreadable
// file, anything but a regular file (a FIFO, a device or a folder is refused before it is
// opened), a file that is not a PDF, a damaged PDF that cannot be repaired, a password
// protected PDF ("... is password protected") and a PDF without pages. The page count is
// that of the pages the page tree really holds, whatever it claims.
std::unique_ptr<Document> openDocument(const QString& path);

} // namespace leafcraft::pdf
