#pragma once

#include <QImage>
#include <QSize>

namespace model {

// Scales RGB pictures. Reductions average the area each target pixel covers, so a
// large photo shrinks without the moiré of a plain stretch; enlargements are smooth.
class ImageResampler {
public:
    // The result is in Format_RGB888; width and height must be at least 1.
    static QImage resize(const QImage& image, int width, int height);
    // The memory resize() holds besides its source, in pixels of 3 bytes: the result, and
    // while reducing the source rows of one target row narrowed to the target width at 16
    // bits a channel.
    static qint64 workingPixels(QSize source, QSize target);
};

} // namespace model
