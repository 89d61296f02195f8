#pragma once

#include <QImage>

namespace model {

// Scales RGB pictures. Reductions average the area each target pixel covers, so a
// large photo shrinks without the moiré of a plain stretch; enlargements are smooth.
class ImageResampler {
public:
    // The result is in Format_RGB888; width and height must be at least 1.
    static QImage resize(const QImage& image, int width, int height);
};

} // namespace model
