#pragma once

#include <QList>

class QAction;
class QStyle;

namespace app {

// The actions take their pictures from the desktop's icon theme. Where the desktop has no
// theme (or the theme lacks a picture), the style's standard pictures stand in, so the tool
// bars never lose their pictures.
class ActionIcons {
public:
    static void fillMissing(const QList<QAction*>& actions, const QStyle& style);
};

} // namespace app
