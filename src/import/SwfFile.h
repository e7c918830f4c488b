// The one-frame SWF movies that hold a book page as a picture: writing them, reading the
// frame size back and taking the page picture out again.
//
// A page movie is an uncompressed SWF ("FWS") of one frame: SetBackgroundColor (white),
// DefineBitsJPEG2 with the page picture, DefineShape with a rectangle the size of the page
// filled by the picture (clipped bitmap fill, scaled 20x from pixels to twips),
// PlaceObject2, ShowFrame, End. The frame measures the picture's pixels x 20 twips.
#pragma once

#include <QByteArray>
#include <QString>

namespace leafcraft {

class SwfFile {
public:
    struct Header {
        char compression = 'F'; // 'F' plain, 'C' zlib
        int version = 0;
        quint32 fileLength = 0; // as declared: the length of the uncompressed movie
        int xMin = 0, xMax = 0, yMin = 0, yMax = 0; // frame in twips
        double frameRate = 0;
        int frameCount = 0;
        // The frame size in whole pixels (twips / 20, rounded).
        int widthPixels() const { return (xMax - xMin + 10) / 20; }
        int heightPixels() const { return (yMax - yMin + 10) / 20; }
    };

    // The bytes of a page movie showing `jpeg`, a picture of width x height pixels.
    static QByteArray build(const QByteArray& jpeg, int width, int height, int version = 8, double frameRate = 12);
    // Writes the page movie atomically (a temporary file beside `path`, then renamed).
    // Throws Error(Output) when it cannot be written.
    static void write(const QString& path, const QByteArray& jpeg, int width, int height, int version = 8,
                      double frameRate = 12);

    // Reads the header of a SWF movie (plain or zlib-compressed) from memory or a file.
    // Throws Error(BadInput) for data that is not a SWF movie, a movie compressed another
    // way (LZMA) and a truncated movie (shorter than its declared length).
    static Header readHeader(const QByteArray& data, const QString& where = QString());
    static Header readHeader(const QString& path);

    // The JPEG picture of the first DefineBitsJPEG2 or DefineBitsJPEG3 tag, as a JPEG file
    // (the historic leading end-of-image marker removed). Throws Error(BadInput) when the
    // movie cannot be read or holds no such picture.
    static QByteArray extractJpeg(const QByteArray& data, const QString& where = QString());
    static QByteArray extractJpeg(const QString& path);
};

} // namespace leafcraft
