// The page converter of PDF imports. For every page it makes, inside its own work folder:
//
//   page file       "<n>.swf" (made by the pdf2swf tool), "<n>.jpg" (rendered here) or "<n>.svg"
//                   (drawn here; see convertVectorPage for when a picture serves instead)
//   thumbnail       "<ddMMYYHHmmss><n>.jpg", fitting a 180 x 180 box
//   mobile picture  "<n>_mobile.jpg", the page picture itself unless that is far larger than
//                   a phone screen needs (see phonePictureSize); for a drawn page, the drawing
//
// Pages are rendered at twice their size in points (144 dpi) and encoded at `quality`
// percent. Each page is read once: the page file, the mobile picture and the thumbnail all
// come from that one picture (for SWF pages, from the picture inside the movie that pdf2swf
// wrote), and the same reading gives the page's text and word places (PageFacts) and, when
// asked for, the zoom picture "<n>_zoom.jpg" at twice the page picture's size.
//
// Threads: `convertPage` may run on several threads at once for different pages, each
// thread passing its own document handle (pdf::Document::clone). The step-by-step
// generate*Page operations use the converter's own document and belong to one thread.
#pragma once

#include "import/PageConverter.h"
#include "import/PageFacts.h"
#include "support/Error.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QSize>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

namespace leafcraft {

// Svg: drawn pages (text as outlines, pictures as JPEG), each page that is lighter as a picture
// written as Jpg instead.
enum class PageFormat { Swf, Jpg, Svg };

// The files of one converted page. A path is set even when its file could not be made;
// `warnings` then says why.
struct ConvertedPage {
    int pageNumber = 0;
    QString page;
    QString thumb;
    QString mobile;
    QString zoom; // the large picture; empty unless zoom pictures are made
    std::shared_ptr<const PageFacts> facts;
    Warnings warnings;
};

class PdfPageConverter : public PageConverter {
public:
    // Makes a fresh work folder "<temp root>/Sheetwise/temp.XXXXXX".
    PdfPageConverter(QString pdfPath, std::shared_ptr<pdf::Document> pdfDocument, int quality);
    // Deletes the work folder and every file in it.
    ~PdfPageConverter() override;

    // All files of page `pageNumber` (1-based) from one rendering. `document` is the calling
    // thread's handle on the PDF; null means the converter's own. Files already present
    // (page file, mobile picture) are kept; the thumbnail is always new.
    // Throws Error(BadInput) for a page number outside the document, Error(Internal) when
    // pdf2swf cannot be started, Error(Output) when a file cannot be written. A page that
    // cannot be rendered is not an exception: its files are missing and `warnings` says so.
    ConvertedPage convertPage(int pageNumber, PageFormat format, const pdf::Document* document = nullptr);

    // The page file in the format the user settings' ImportType chooses (see importFormat).
    // Also prepares the page's mobile picture and thumbnail from the same rendering, so the
    // calls below do not render the page again.
    QString generatePage(int pageNumber) override;
    // A thumbnail under a fresh time-stamped name.
    QString generateThumbPage(int pageNumber) override;
    // The mobile picture; made only when it does not exist yet.
    QString generateMobilePage(int pageNumber) override;

    // Also make a large picture of every page, at twice the page picture's size, from the same
    // rendering ("<n>_zoom.jpg").
    void setZoomPictures(bool on) { m_zoomPictures = on; }
    // Read each page's text and word places along with its rendering (on unless set off).
    void setTextWanted(bool on) { m_textWanted = on; }

    // The page whose SWF movie sets the settings' PageWidth/PageHeight: the first page of
    // the import. Until set, the first SWF page this converter makes is measured.
    void setSizePage(int pageNumber) { m_sizePage.store(pageNumber); }

    // Runs pdf2swf for page `pageNumber` into `outputPath`, and measures the page size
    // when it is the size page. Throws Error(Internal) when the tool cannot be started.
    // Returns a problem text when the tool failed or left no file, else a null string.
    QString generatePageToSwf(int pageNumber, const QString& outputPath);
    // Runs getswfSize on the movie and stores its width and height as the settings'
    // PageWidth and PageHeight. Throws Error(BadInput) when the output holds no "|".
    void measureSwfSize(const QString& swfPath);

    // Renders page `pageNumber` at twice its size into a JPEG at `path`. Does nothing
    // without an open document; rendering errors are logged and leave no file.
    void pdfPageToImage(int pageNumber, const QString& path);
    // Renders the thumbnail of page `pageNumber` into a JPEG at `path`.
    void pdfPageToThumbnail(int pageNumber, const QString& path);

    // Deletes the work folder if it exists.
    void removeWorkFolder();

    // The 1-based position of the first "|" among the first `length` characters of `str`,
    // or 0 when there is none.
    static int indexAfterBar(int length, const QString& str);
    // Paths of the page tools (see the .cpp for where they are looked for).
    static QString pdf2swfToolPath();
    static QString swfSizeToolPath();

    // ImportType of the user settings as a page format: 0 SWF, 2 SVG, anything else JPG.
    static PageFormat importFormat();
    // The ImportType value of a page format.
    static int importType(PageFormat format);
    // "ddMMYYHHmmss": day, month, two-digit ISO week-based year, hour, minute, second.
    static QString timeStamp(const QDateTime& time);
    // Pixels for a length in points rendered at `dpi` (rounded, at least 1). Lengths come
    // bounded by pdf::kMaxPageSide; the result is capped so that it always fits an int.
    static int pixels(double points, int dpi)
    {
        return std::max(1, int(std::lround(std::min(points * dpi / 72.0, 1e9))));
    }
    // The picture size of a page of w x h points: at the converter's resolution, scaled down
    // with its shape kept to fit pdf::kMaxRenderPixels (and then saying so in `warnings`).
    QSize pictureSize(int pageNumber, double w, double h, Warnings* warnings) const;
    // The thumbnail size for a page of w x h (any unit): 180 on the longer side, the other
    // side truncated in proportion, at least 1.
    static QSize thumbSize(double w, double h);

    // The size of a phone picture for a page picture of `page` pixels: fitted into a phone
    // screen of kPhoneWidth x kPhoneHeight device pixels (either way round for wide pages).
    // An empty size when the page picture itself should serve: then the phone picture holds
    // the same bytes, which the phone version shares instead of copying. A picture of its own
    // is made only when it has at most a third of the page picture's pixels, so it never adds
    // more than about a third to a book either.
    static QSize phonePictureSize(QSize page);
    // `pageJpeg` reduced to phonePictureSize, or `pageJpeg` itself when that is empty (or the
    // picture cannot be read).
    QByteArray phonePicture(const QByteArray& pageJpeg) const;

    static constexpr int kThumbBox = 180;
    // A drawn page with more paths, glyphs and pictures than this is written as a picture.
    static constexpr int kMaxVectorElements = 40000;
    static constexpr int kPhoneWidth = 1242;
    static constexpr int kPhoneHeight = 2688;

private:
    struct Rendered {
        QByteArray pageJpeg;  // the page at twice its size
        QByteArray thumbJpeg; // the thumbnail
        QByteArray zoomJpeg;  // the page at twice the page picture's size
        pdf::PageText text;
        QByteArray svg; // the page drawn, as the PDF back-end writes it
    };
    // Page `pageNumber` rendered at twice its size as a JPEG; empty when it cannot be rendered.
    QByteArray pagePicture(int pageNumber) const;
    struct Wanted {
        bool pageJpeg = false;
        bool thumb = false;
        bool zoom = false;
        bool text = false;
        bool vector = false;
    };
    // The files of a page asked for as SVG into `result` (the rule for a picture instead is in
    // PdfVectorPages.cpp).
    void convertVectorPage(const pdf::Document& doc, int pageNumber, ConvertedPage& result, PageFacts& facts);
    Rendered renderPage(const pdf::Document& doc, int pageNumber, const Wanted& wanted, Warnings& warnings) const;
    void checkPage(const pdf::Document* doc, int pageNumber) const;
    bool isSizePage(int pageNumber);
    QString path(const QString& name) const;
    QString thumbName(int pageNumber) const;

    bool m_zoomPictures = false;
    bool m_textWanted = true;
    std::atomic<int> m_sizePage{0};
    std::atomic<bool> m_sizeMeasured{false};
    std::mutex m_pendingMutex;
    QHash<int, QByteArray> m_pendingThumbs; // thumbnails made by generatePage, not yet written
};

} // namespace leafcraft
