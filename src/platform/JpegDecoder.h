// JPEG decoding with libjpeg-turbo, including its fast reduced-size decoding.
#pragma once

#include "platform/PdfDocument.h"

#include <QByteArray>

namespace leafcraft {

class JpegDecoder {
public:
    // Reads the picture size from the JPEG header. Returns false for data that is not a
    // readable JPEG.
    static bool readSize(const QByteArray& jpeg, int* width, int* height);
    // Decodes to 8-bit RGB. With a minimum size, the decoder works at the smallest of its
    // reduced scales (1/2, 1/4, 1/8, ...) whose result is still at least that large, which
    // is much faster when only a small picture is wanted. Without one it decodes at full size. Throws Error(BadInput) for data
    // that is not a readable JPEG.
    static pdf::Bitmap decode(const QByteArray& jpeg, int minWidth = 0, int minHeight = 0);
};

} // namespace leafcraft
