#include "model/image/ImageResampler.h"

#include "model/Errors.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace model {

namespace {

constexpr int WeightBits = 14;
constexpr int WeightOne = 1 << WeightBits;

// The source pixels that one target pixel covers and how much of each it covers;
// the weights of one target pixel add up to WeightOne.
struct Span {
    int first = 0;
    std::vector<int> weights;
};

std::vector<Span> areaSpans(int sourceSize, int targetSize) {
    std::vector<Span> spans(static_cast<size_t>(targetSize));
    const double scale = double(sourceSize) / targetSize;
    for (int i = 0; i < targetSize; ++i) {
        const double begin = i * scale;
        const double end = std::min<double>((i + 1) * scale, sourceSize);
        Span& span = spans[static_cast<size_t>(i)];
        span.first = std::min(static_cast<int>(begin), sourceSize - 1);
        const int last = std::min(static_cast<int>(end - 1e-9), sourceSize - 1);
        int total = 0;
        for (int s = span.first; s <= last; ++s) {
            const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
            const int weight = static_cast<int>(covered / scale * WeightOne + 0.5);
            span.weights.push_back(weight);
            total += weight;
        }
        // Rounding leaves the sum a little off; the largest weight takes the rest.
        auto largest = std::max_element(span.weights.begin(), span.weights.end());
        *largest += WeightOne - total;
    }
    return spans;
}

QImage shrink(const QImage& source, int width, int height) {
    const int sourceWidth = source.width();
    const int sourceHeight = source.height();
    const std::vector<Span> columns = areaSpans(sourceWidth, width);
    const std::vector<Span> rows = areaSpans(sourceHeight, height);

    // Pass 1: every source row reduced to the target width, kept with 8 extra bits.
    const size_t rowLength = static_cast<size_t>(width) * 3;
    std::vector<uint16_t> narrow(rowLength * static_cast<size_t>(sourceHeight));
    for (int y = 0; y < sourceHeight; ++y) {
        const uchar* in = source.constScanLine(y);
        uint16_t* out = narrow.data() + rowLength * static_cast<size_t>(y);
        for (const Span& span : columns) {
            int r = 0, g = 0, b = 0;
            const uchar* p = in + 3 * span.first;
            for (int w : span.weights) {
                r += w * p[0];
                g += w * p[1];
                b += w * p[2];
                p += 3;
            }
            constexpr int Shift = WeightBits - 8;
            *out++ = static_cast<uint16_t>((r + (1 << (Shift - 1))) >> Shift);
            *out++ = static_cast<uint16_t>((g + (1 << (Shift - 1))) >> Shift);
            *out++ = static_cast<uint16_t>((b + (1 << (Shift - 1))) >> Shift);
        }
    }

    // Pass 2: the narrowed rows combined into target rows.
    QImage target(width, height, QImage::Format_RGB888);
    if (target.isNull())
        throw PictureError(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels")
                               .arg(width)
                               .arg(height));
    std::vector<uint32_t> sum(rowLength);
    constexpr int Shift = WeightBits + 8;
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[static_cast<size_t>(y)];
        std::fill(sum.begin(), sum.end(), 0u);
        for (size_t k = 0; k < span.weights.size(); ++k) {
            const uint32_t w = static_cast<uint32_t>(span.weights[k]);
            const uint16_t* in =
                narrow.data() + rowLength * static_cast<size_t>(span.first + int(k));
            for (size_t i = 0; i < rowLength; ++i)
                sum[i] += w * in[i];
        }
        uchar* out = target.scanLine(y);
        for (size_t i = 0; i < rowLength; ++i)
            out[i] = static_cast<uchar>(
                std::min<uint32_t>(255u, (sum[i] + (1u << (Shift - 1))) >> Shift));
    }
    return target;
}

} // namespace

QImage ImageResampler::resize(const QImage& image, int width, int height) {
    const QImage source = image.format() == QImage::Format_RGB888
                              ? image
                              : image.convertToFormat(QImage::Format_RGB888);
    if (width < 1 || height < 1 || source.isNull())
        throw PictureError(
            QStringLiteral("A picture cannot be scaled to %1 x %2 pixels").arg(width).arg(height));
    if (source.width() == width && source.height() == height)
        return source;
    if (width <= source.width() && height <= source.height())
        return shrink(source, width, height);
    return source.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_RGB888);
}

} // namespace model
