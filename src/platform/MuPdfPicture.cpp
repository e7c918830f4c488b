// pdf::decodePicture with MuPDF's picture readers.
#include "platform/PdfDocument.h"

#include "support/Error.h"

#include <cstring>

extern "C" {
#include <mupdf/fitz.h>
}

namespace leafcraft::pdf {

Bitmap decodePicture(const QByteArray& encoded, bool* hasAlpha)
{
    // A context of its own: pictures are decoded on any thread, apart from any document.
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx)
        throw Error(ErrorKind::Internal, QStringLiteral("the PDF library cannot start (out of memory)"));
    fz_set_warning_callback(ctx, [](void*, const char*) {}, nullptr);
    fz_set_error_callback(ctx, [](void*, const char*) {}, nullptr);
    fz_buffer* buffer = nullptr;
    fz_image* image = nullptr;
    fz_pixmap* decoded = nullptr;
    fz_pixmap* rgb = nullptr;
    Bitmap bitmap;
    bool alpha = false;
    bool failed = false;
    QString why;
    fz_var(buffer);
    fz_var(image);
    fz_var(decoded);
    fz_var(rgb);
    fz_var(alpha);
    fz_try(ctx)
    {
        buffer = fz_new_buffer_from_copied_data(ctx, reinterpret_cast<const unsigned char*>(encoded.constData()),
                                                size_t(encoded.size()));
        image = fz_new_image_from_buffer(ctx, buffer);
        if (qint64(image->w) * image->h > kMaxRenderPixels || image->w < 1 || image->h < 1)
            fz_throw(ctx, FZ_ERROR_GENERIC, "the picture is too large");
        decoded = fz_get_pixmap_from_image(ctx, image, nullptr, nullptr, nullptr, nullptr);
        alpha = decoded->alpha != 0 || image->mask != nullptr;
        if (!alpha) {
            // On white, as the page shows it: a picture without transparent parts.
            rgb = fz_convert_pixmap(ctx, decoded, fz_device_rgb(ctx), nullptr, nullptr, fz_default_color_params, 0);
            bitmap.width = rgb->w;
            bitmap.height = rgb->h;
            bitmap.pixels = QByteArray(qsizetype(rgb->w) * rgb->h * 3, Qt::Uninitialized);
            for (int y = 0; y < rgb->h; ++y)
                std::memcpy(bitmap.pixels.data() + qsizetype(y) * rgb->w * 3, rgb->samples + qsizetype(y) * rgb->stride,
                            size_t(rgb->w) * 3);
        }
    }
    fz_always(ctx)
    {
        fz_drop_pixmap(ctx, rgb);
        fz_drop_pixmap(ctx, decoded);
        fz_drop_image(ctx, image);
        fz_drop_buffer(ctx, buffer);
    }
    fz_catch(ctx)
    {
        failed = true;
        why = QString::fromUtf8(fz_caught_message(ctx));
    }
    fz_drop_context(ctx);
    if (failed)
        throw Error(ErrorKind::BadInput, QStringLiteral("the picture cannot be read: %1").arg(why));
    if (hasAlpha)
        *hasAlpha = alpha;
    return bitmap;
}

} // namespace leafcraft::pdf
