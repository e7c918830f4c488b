// Reduces RGB pictures by area averaging: every target pixel is the mean of the source area
// it covers, with partly covered source pixels weighted by their share. Sharp and fast for
// the large reductions of thumbnails.
#pragma once

#include "platform/PdfDocument.h"

namespace leafcraft {

class ImageScaler {
public:
    // Scales `source` to exactly width x height (each at least 1). Works for enlargements
    // too, though it is meant for reductions. Throws Error(Usage) for an empty source or size.
    static pdf::Bitmap scale(const pdf::Bitmap& source, int width, int height);
};

} // namespace leafcraft
