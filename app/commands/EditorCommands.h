#pragma once

#include <QString>

namespace model {
class TpaTreeNode;
}

namespace app {

// The commands that the main window itself starts: from its first show, its close query and
// the menus it builds from the recent list and the move-to targets. The command groups
// behind them connect their own actions.
class EditorCommands {
public:
    virtual ~EditorCommands() = default;

    // The start-up wizard: a new album, a browsed album file or a recent one.
    virtual void ShowStartupWizard() = 0;
    // Closes the open album, offering to save a modified one; false when the user keeps it.
    virtual bool CloseAlbum() = 0;
    // Opens an album file of the recent list.
    virtual void OpenRecentAlbum(const QString& fileName) = 0;
    // Moves the selected photo into the target gallery (or the album root).
    virtual void MovePhotoTo(model::TpaTreeNode* target) = 0;
};

} // namespace app
