#pragma once

#include "app/AlbumContext.h"
#include "app/ViewContext.h"

namespace app {

// What the command groups and frames work with: the album side and the view side, both
// provided by the main window, which outlives every command group.
class EditorContext : public AlbumContext, public ViewContext {};

} // namespace app
