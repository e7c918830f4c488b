// Makes the SVG drawing of a page (as the PDF back-end writes it) small enough to ship as a
// book's page file, keeping what a reader sees:
//
// - numbers are written no finer than a hundredth of a point on the page (an eighth of a pixel
//   at the players' largest zoom on a screen of two pixels per point), whatever group scale
//   they sit under; glyph outlines keep a ten-thousandth of their em;
// - a glyph placed with a plain scale gets an outline of its own at that size, so that each of
//   its places is "<use href="#g3" x=".." y=".."/>" instead of a matrix, and runs of glyphs of
//   one colour share a group that holds the colour; blank glyphs (spaces) are dropped;
// - words that recur on the page are written once as one path and placed by one <use> each
//   (a browser shows a page of few elements sooner), as far as a byte budget allows;
// - the text copies MuPDF puts beside each glyph go (the book's text files carry the text);
// - every picture is handed to a re-encoder, which may give back other bytes and type.
//
// The input is the back-end's own output, one element per tag with double-quoted attributes.
// Anything the compactor does not know is copied as it stands (its numbers trimmed), so an
// unknown element costs bytes, never a wrong page.
#pragma once

#include <QByteArray>

#include <functional>

namespace leafcraft {

struct SvgPicture {
    QByteArray mimeType; // "image/jpeg", "image/png"
    QByteArray data;     // the picture file's bytes
};

struct CompactSvg {
    QByteArray svg;
    int drawingElements = 0; // paths, glyphs and pictures drawn: what a browser has to paint
    int pictures = 0;
    qint64 pictureBytes = 0; // bytes of the pictures after re-encoding, before base64
};

// Returns the compact form of `svg`. `reencode` is called once for each inline picture and
// returns what to write instead (the same picture to keep it).
CompactSvg compactSvg(const QByteArray& svg, const std::function<SvgPicture(const SvgPicture&)>& reencode);

// `value` rounded to `decimals` places and written as short as SVG allows ("0.50" is ".5",
// "-0.0" is "0"), appended to `out`.
void appendSvgNumber(QByteArray& out, double value, int decimals);

// 10 to the power `decimals` (0 to 9), the grid of numbers written with that many places.
double svgGridUnit(int decimals);

} // namespace leafcraft
