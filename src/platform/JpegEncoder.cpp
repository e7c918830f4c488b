#include "platform/JpegEncoder.h"

#include "support/Error.h"

#include <turbojpeg.h>

#include <algorithm>

namespace leafcraft {

namespace {

// TurboJPEG handles are not thread-safe but cheap to keep: one per thread, reused.
struct CompressorHandle {
    tjhandle handle = tjInitCompress();
    ~CompressorHandle()
    {
        if (handle)
            tjDestroy(handle);
    }
};

tjhandle compressor()
{
    thread_local CompressorHandle h;
    if (!h.handle)
        throw Error(ErrorKind::Internal, QStringLiteral("the JPEG encoder cannot start"));
    return h.handle;
}

} // namespace

QByteArray JpegEncoder::encode(const unsigned char* rgb, int width, int height, int stride, int quality)
{
    if (!rgb || width < 1 || height < 1 || stride < width * 3)
        throw Error(ErrorKind::Usage, QStringLiteral("an empty picture cannot be encoded as JPEG"));
    quality = std::clamp(quality, 1, 100);
    const int subsampling = quality >= 100 ? TJSAMP_444 : TJSAMP_420;
    tjhandle handle = compressor();
    // Let TurboJPEG size its own buffer, then copy once into the QByteArray.
    unsigned char* out = nullptr;
    unsigned long size = 0;
    if (tjCompress2(handle, rgb, width, stride, height, TJPF_RGB, &out, &size, subsampling, quality, 0) != 0) {
        const QString why = QString::fromUtf8(tjGetErrorStr2(handle));
        tjFree(out);
        throw Error(ErrorKind::Internal, QStringLiteral("JPEG encoding failed: %1").arg(why));
    }
    QByteArray bytes(reinterpret_cast<const char*>(out), qsizetype(size));
    tjFree(out);
    return bytes;
}

QByteArray JpegEncoder::encode(const pdf::Bitmap& bitmap, int quality)
{
    if (bitmap.pixels.size() < qsizetype(bitmap.width) * bitmap.height * 3)
        throw Error(ErrorKind::Usage, QStringLiteral("an empty picture cannot be encoded as JPEG"));
    return encode(reinterpret_cast<const unsigned char*>(bitmap.pixels.constData()), bitmap.width, bitmap.height,
                  bitmap.width * 3, quality);
}

} // namespace leafcraft
