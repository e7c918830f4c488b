#include "platform/JpegDecoder.h"

#include "support/Error.h"

#include <turbojpeg.h>

namespace leafcraft {

namespace {

struct DecompressorHandle {
    tjhandle handle = tjInitDecompress();
    ~DecompressorHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
};

tjhandle decompressor()
{
    thread_local DecompressorHandle h;
    if (!h.handle)
        throw Error(ErrorKind::Internal, QStringLiteral("the JPEG decoder cannot start"));
    return h.handle;
}

bool header(tjhandle handle, const QByteArray& jpeg, int* width, int* height)
{
    int subsampling = 0, colorspace = 0;
    return !jpeg.isEmpty()
        && tjDecompressHeader3(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                               static_cast<unsigned long>(jpeg.size()), width, height, &subsampling, &colorspace)
        == 0
        && *width > 0 && *height > 0;
}

} // namespace

bool JpegDecoder::readSize(const QByteArray& jpeg, int* width, int* height)
{
    int w = 0, h = 0;
    if (!header(decompressor(), jpeg, &w, &h))
        return false;
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

pdf::Bitmap JpegDecoder::decode(const QByteArray& jpeg, int minWidth, int minHeight)
{
    tjhandle handle = decompressor();
    int w = 0, h = 0;
    if (!header(handle, jpeg, &w, &h))
        throw Error(ErrorKind::BadInput, QStringLiteral("the data is not a readable JPEG picture"));

    // Pick the smallest reduced scale that still covers the wanted size.
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    int outW = w, outH = h;
    for (int i = 0; (minWidth > 0 || minHeight > 0) && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom)
            continue; // only reductions
        const int sw = TJSCALED(w, f), sh = TJSCALED(h, f);
        if (sw >= minWidth && sh >= minHeight && sw * qint64(sh) < outW * qint64(outH)) {
            outW = sw;
            outH = sh;
        }
    }

    pdf::Bitmap bitmap;
    bitmap.width = outW;
    bitmap.height = outH;
    bitmap.pixels = QByteArray(qsizetype(outW) * outH * 3, Qt::Uninitialized);
    if (tjDecompress2(handle, reinterpret_cast<const unsigned char*>(jpeg.constData()),
                      static_cast<unsigned long>(jpeg.size()), reinterpret_cast<unsigned char*>(bitmap.pixels.data()),
                      outW, outW * 3, outH, TJPF_RGB, 0)
        != 0) {
        // Warnings (such as a little junk after the picture) still leave a full picture.
        if (tjGetErrorCode(handle) != TJERR_WARNING)
            throw Error(ErrorKind::BadInput,
                        QStringLiteral("the JPEG picture cannot be decoded: %1").arg(QString::fromUtf8(tjGetErrorStr2(handle))));
    }
    return bitmap;
}

} // namespace leafcraft
