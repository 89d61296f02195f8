#include "app/pages/TreeIcons.h"

#include <QPainter>

namespace app {

QPixmap TreeIcons::image(int index) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: // album: a bound book
        p.setPen(QColor(0x2b, 0x4f, 0x7a));
        p.setBrush(QColor(0x4a, 0x7e, 0xbb));
        p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5.5, 4.5, 6, 4));
        break;
    case 1: // gallery: a closed folder
    case 2: // gallery, selected: an open folder
        p.setPen(QColor(0x9a, 0x73, 0x1d));
        p.setBrush(QColor(0xf0, 0xc4, 0x5a));
        p.drawRect(QRectF(1.5, 3.5, 6, 3));
        p.drawRect(QRectF(1.5, 5.5, 13, 8.5));
        if (index == 2) {
            p.setBrush(QColor(0xfa, 0xdf, 0x96));
            const QPointF lid[] = {{3.5, 8.5}, {15.5, 8.5}, {13.5, 14}, {1.5, 14}};
            p.drawPolygon(lid, 4);
        }
        break;
    default: // photo, 4 when selected
        p.setPen(index == 4 ? QColor(0x1f, 0x5f, 0x9f) : QColor(0x55, 0x55, 0x55));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x5f, 0xa8, 0x4d));
        const QPointF hill[] = {{2.5, 12.5}, {6.5, 7}, {9, 10}, {10.5, 8.5}, {13.5, 12.5}};
        p.drawPolygon(hill, 5);
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        p.drawEllipse(QPointF(11, 5.5), 1.5, 1.5);
        break;
    }
    return pixmap;
}

namespace {
QIcon icon(int normal, int selected) {
    QIcon result;
    result.addPixmap(TreeIcons::image(normal), QIcon::Normal);
    result.addPixmap(TreeIcons::image(selected), QIcon::Selected);
    return result;
}
} // namespace

QIcon TreeIcons::album() {
    return icon(0, 0);
}
QIcon TreeIcons::gallery() {
    return icon(1, 2);
}
QIcon TreeIcons::photo() {
    return icon(3, 4);
}

} // namespace app
