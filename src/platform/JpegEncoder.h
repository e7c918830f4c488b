// JPEG encoding of RGB pictures with libjpeg-turbo.
#pragma once

#include "platform/PdfDocument.h"

#include <QByteArray>

namespace leafcraft {

class JpegEncoder {
public:
    // Encodes an 8-bit RGB picture (rows top to bottom, `stride` bytes apart) as a baseline
    // JPEG. `quality` is in percent, 1 to 100 (clamped); below 100 the colour planes are
    // subsampled 2x2 as usual for photographs of pages, at 100 they are kept whole.
    // Throws Error(Internal) when the encoder fails and Error(Usage) for an empty picture.
    static QByteArray encode(const unsigned char* rgb, int width, int height, int stride, int quality);
    static QByteArray encode(const pdf::Bitmap& bitmap, int quality);
};

} // namespace leafcraft
