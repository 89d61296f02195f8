#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

namespace app {

// The cells of the gallery page's icon view: 150 by 150, the picture fitted into 136 by 136
// without enlarging it and centred; photos get a frame and a shadow.
class GalleryThumbnail {
public:
    static constexpr int CellSize = 150;

    // The empty cell: filled with the view's colour and outlined in the grey-text colour.
    static QImage placeholder(const QColor& background, const QColor& outline);
    // The cell for a picture; a null picture gives the placeholder.
    static QImage cell(const QImage& picture, bool framed, const QColor& background,
                       const QColor& outline);
    // The picture's size fitted into the box, keeping proportions, never enlarged.
    static QSize fit(const QSize& picture, const QSize& box);
};

} // namespace app
