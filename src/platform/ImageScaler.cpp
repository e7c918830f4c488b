#include "platform/ImageScaler.h"

#include "support/Error.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace leafcraft {

namespace {

// The source cells that one target cell covers along one axis, with their weights. The
// weights of one target cell add up to 1.
struct Span {
    int first = 0;
    std::vector<float> weights;
};

std::vector<Span> spans(int sourceSize, int targetSize)
{
    std::vector<Span> out(static_cast<size_t>(targetSize));
    const double step = double(sourceSize) / targetSize;
    for (int t = 0; t < targetSize; ++t) {
        const double from = t * step;
        const double to = std::min(double(sourceSize), (t + 1) * step);
        const int first = std::min(sourceSize - 1, int(std::floor(from)));
        const int last = std::max(first, std::min(sourceSize - 1, int(std::ceil(to)) - 1));
        Span& span = out[size_t(t)];
        span.first = first;
        double total = 0;
        for (int s = first; s <= last; ++s) {
            const double cover = std::min(to, double(s + 1)) - std::max(from, double(s));
            span.weights.push_back(float(std::max(0.0, cover)));
            total += std::max(0.0, cover);
        }
        if (total <= 0) {
            span.weights.assign(span.weights.size(), 0.0f);
            span.weights[0] = 1.0f;
        } else {
            for (float& w : span.weights)
                w = float(w / total);
        }
    }
    return out;
}

} // namespace

pdf::Bitmap ImageScaler::scale(const pdf::Bitmap& source, int width, int height)
{
    if (source.width < 1 || source.height < 1 || width < 1 || height < 1
        || source.pixels.size() < qsizetype(source.width) * source.height * 3)
        throw Error(ErrorKind::Usage, QStringLiteral("an empty picture cannot be scaled"));

    const std::vector<Span> columns = spans(source.width, width);
    const std::vector<Span> rows = spans(source.height, height);
    const auto* src = reinterpret_cast<const unsigned char*>(source.pixels.constData());
    const size_t sourceStride = size_t(source.width) * 3;

    pdf::Bitmap target;
    target.width = width;
    target.height = height;
    target.pixels = QByteArray(qsizetype(width) * height * 3, Qt::Uninitialized);
    auto* dst = reinterpret_cast<unsigned char*>(target.pixels.data());

    // First the rows of one target row are averaged into a line of the source's width, in
    // 8.8 fixed point: the row weights are quantised to add up to exactly 256, so every sum
    // stays below 255 * 256 and the whole pass runs in 16-bit lanes. Then that line is
    // averaged across.
    std::vector<std::vector<quint16>> rowWeights(rows.size());
    for (size_t y = 0; y < rows.size(); ++y) {
        std::vector<quint16>& q = rowWeights[y];
        int total = 0;
        size_t largest = 0;
        for (size_t i = 0; i < rows[y].weights.size(); ++i) {
            q.push_back(quint16(std::lround(rows[y].weights[i] * 256.0)));
            total += q.back();
            if (q[i] > q[largest])
                largest = i;
        }
        q[largest] = quint16(q[largest] + 256 - total); // the rounding remainder
    }
    std::vector<quint16> line(sourceStride);
    const float toUnit = 1.0f / 256.0f;
    for (int y = 0; y < height; ++y) {
        const Span& rowSpan = rows[size_t(y)];
        const std::vector<quint16>& weights = rowWeights[size_t(y)];
        quint16* __restrict acc = line.data();
        std::fill(line.begin(), line.end(), quint16(0));
        for (size_t i = 0; i < weights.size(); ++i) {
            const quint16 w = weights[i];
            if (w == 0)
                continue;
            const unsigned char* __restrict in = src + size_t(rowSpan.first + int(i)) * sourceStride;
            for (size_t x = 0; x < sourceStride; ++x)
                acc[x] = quint16(acc[x] + quint16(w * in[x]));
        }
        unsigned char* out = dst + size_t(y) * size_t(width) * 3;
        for (int x = 0; x < width; ++x) {
            const Span& colSpan = columns[size_t(x)];
            float r = 0, g = 0, b = 0;
            const quint16* in = line.data() + size_t(colSpan.first) * 3;
            for (size_t i = 0; i < colSpan.weights.size(); ++i, in += 3) {
                const float w = colSpan.weights[i] * toUnit;
                r += w * float(in[0]);
                g += w * float(in[1]);
                b += w * float(in[2]);
            }
            out[x * 3 + 0] = static_cast<unsigned char>(std::clamp(r + 0.5f, 0.0f, 255.0f));
            out[x * 3 + 1] = static_cast<unsigned char>(std::clamp(g + 0.5f, 0.0f, 255.0f));
            out[x * 3 + 2] = static_cast<unsigned char>(std::clamp(b + 0.5f, 0.0f, 255.0f));
        }
    }
    return target;
}

} // namespace leafcraft
