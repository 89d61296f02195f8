#pragma once

#include <QIcon>

namespace app {

// The node pictures of the album tree, drawn by the program: album 0, gallery 1 (selected
// 2), photo 3 (selected 4); each kind's icon carries its selected picture.
class TreeIcons {
public:
    static QPixmap image(int index);
    static QIcon album();
    static QIcon gallery();
    static QIcon photo();
};

} // namespace app
