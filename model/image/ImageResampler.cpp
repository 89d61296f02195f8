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

    // Each target row combines the source rows its span covers, each first narrowed to the
    // target width with 8 extra bits. Spans move down the picture and share at most their
    // boundary rows, so only the rows of one span are kept, never the whole narrowed picture.
    const size_t rowLength = static_cast<size_t>(width) * 3;
    const auto narrowRow = [&](int y, uint16_t* out) {
        const uchar* in = source.constScanLine(y);
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
    };

    QImage target(width, height, QImage::Format_RGB888);
    if (target.isNull())
        throw PictureError(QStringLiteral("Not enough memory for a picture of %1 x %2 pixels")
                               .arg(width)
                               .arg(height));
    std::vector<uint16_t> window; // narrowed source rows windowFirst, windowFirst + 1, ...
    int windowFirst = 0;
    int windowRows = 0;
    std::vector<uint32_t> sum(rowLength);
    constexpr int Shift = WeightBits + 8;
    for (int y = 0; y < height; ++y) {
        const Span& span = rows[static_cast<size_t>(y)];
        const int spanRows = static_cast<int>(span.weights.size());
        const int kept =
            std::clamp(windowFirst + windowRows - span.first, 0, std::min(spanRows, windowRows));
        if (kept > 0 && span.first > windowFirst)
            std::copy_n(window.begin() + static_cast<std::ptrdiff_t>(
                                             rowLength * size_t(span.first - windowFirst)),
                        rowLength * size_t(kept), window.begin());
        if (window.size() < rowLength * size_t(spanRows))
            window.resize(rowLength * size_t(spanRows));
        for (int k = kept; k < spanRows; ++k)
            narrowRow(span.first + k, window.data() + rowLength * size_t(k));
        windowFirst = span.first;
        windowRows = spanRows;

        std::fill(sum.begin(), sum.end(), 0u);
        for (size_t k = 0; k < span.weights.size(); ++k) {
            const uint32_t w = static_cast<uint32_t>(span.weights[k]);
            const uint16_t* in = window.data() + rowLength * k;
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

qint64 ImageResampler::workingPixels(QSize source, QSize target) {
    const qint64 result = qint64(target.width()) * target.height();
    if (source == target)
        return 0;
    if (target.width() <= source.width() && target.height() <= source.height()) {
        const qint64 spanRows = (source.height() + target.height() - 1) / target.height() + 1;
        return result + 2 * qint64(target.width()) * spanRows;
    }
    return result * 7 / 3; // Qt's smooth scaling goes through a 32-bit copy
}

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
