#pragma once

// Picture files that declare far more pixels than they hold, made at test time: a few bytes
// each, whatever their declared size. Shared by the picture tests and the memory benchmark.

#include <QByteArray>

namespace craftedpictures {

inline void putLe(QByteArray& out, quint64 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>(value >> (8 * i));
}

// A GIF screen of side x side holding a single black 1 x 1 frame in its corner.
inline QByteArray sparseGif(int side) {
    QByteArray gif("GIF89a");
    putLe(gif, quint32(side), 2);
    putLe(gif, quint32(side), 2);
    gif += QByteArray("\x80\x00\x00\x00\x00\x00\xff\xff\xff", 9); // 2-entry global table
    gif += QByteArray("\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);
    gif += QByteArray("\x02\x02\x44\x01\x00\x3b", 6); // clear, index 0, end; trailer
    return gif;
}

// An 8-bit run-length bitmap of side x side whose pixel data is a bare end-of-bitmap code.
inline QByteArray sparseRleBitmap(int side) {
    QByteArray bmp("BM");
    putLe(bmp, 14 + 40 + 8 + 2, 4);
    putLe(bmp, 0, 4);
    putLe(bmp, 14 + 40 + 8, 4); // pixel data offset
    putLe(bmp, 40, 4);
    putLe(bmp, quint32(side), 4);
    putLe(bmp, quint32(side), 4);
    putLe(bmp, 1, 2);
    putLe(bmp, 8, 2);
    putLe(bmp, 1, 4); // run-length, 8 bits a pixel
    putLe(bmp, 2, 4);
    putLe(bmp, 0, 8);
    putLe(bmp, 2, 4); // colours used
    putLe(bmp, 0, 4);
    putLe(bmp, 0x000000, 4);
    putLe(bmp, 0xFFFFFF, 4);
    bmp += QByteArray("\x00\x01", 2);
    return bmp;
}

} // namespace craftedpictures
