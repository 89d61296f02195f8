#pragma once

#include "app/FtpDefaults.h"

#include <QString>

class QScrollArea;
class QTabWidget;
class QTreeView;
class QWidget;

namespace model {
class TpaAlbum;
class TpaTreeNode;
class TRecentItems;
} // namespace model

namespace zip {
class TZipArchiver;
}

namespace app {

class AlbumTreeModel;
class ApplicationForms;
class BusyState;
class PreviewPane;
class SettingsFile;
class TfrmProgress;
class TfrmSearchProgress;

// The pages of the album root, a gallery and a photo.
enum class PageKind { Album, Gallery, Photo };
// Where a page shows its settings frames: the caption field's frame goes on the preview tab
// above the preview, the others into the settings box on the settings tab.
struct SettingsPage {
    QTabWidget* tabs = nullptr;
    QWidget* previewTab = nullptr;
    QWidget* settingsTab = nullptr;
    QScrollArea* box = nullptr;
};

// The album page's tabs: the preview and the album's settings.
enum class AlbumTab { Preview, Settings };

// What the command groups and frames work with, provided by the main window. The window owns
// everything reached through here and outlives every command group.
class EditorContext {
public:
    virtual ~EditorContext() = default;

    // The window, as the parent of dialogs and message boxes.
    virtual QWidget* dialogParent() = 0;

    // The open album (its tree is empty when none is open) and the tree that shows it.
    virtual model::TpaAlbum& album() = 0;
    virtual AlbumTreeModel& treeModel() = 0;
    virtual QTreeView& treeView() = 0;
    virtual model::TpaTreeNode* selectedNode() const = 0;
    // Selects the node (nullptr: none) and shows its page.
    virtual void selectNode(model::TpaTreeNode* node) = 0;
    // The box of a page that holds its settings frames.
    virtual QScrollArea& settingsBox(PageKind page) = 0;
    virtual SettingsPage settingsPage(PageKind page) = 0;
    // Shows the album page's tab: selects the root (on that tab) or switches to the tab, or,
    // when it is shown already, refreshes the preview.
    virtual void showAlbumTab(AlbumTab tab) = 0;
    // The tabs of a page (its preview tab first, its settings second).
    virtual QTabWidget& pageTabs(PageKind page) = 0;
    // Shows the selected node's page anew, after its item has changed.
    virtual void showSelectedPage() = 0;
    // Fills the move-to menus with the targets of the node (cleared for anything but a photo).
    virtual void RebuildMoveToMenus(model::TpaTreeNode* node) = 0;

    // The busy state (nesting) and the two progress windows with their Cancel buttons.
    virtual BusyState& busyState() = 0;
    virtual TfrmProgress& progressWindow() = 0;
    virtual TfrmSearchProgress& searchProgressWindow() = 0;

    // Brings the actions up to date with the album and the selection.
    virtual void UpdateActions() = 0;
    // Rewrites "data.xml" and "index.html" in the working folder and reloads the preview,
    // once the running handler has returned.
    virtual void postRefreshPreview() = 0;
    // Starts editing the node's caption in place, once the running handler has returned.
    virtual void postEditNodeCaption(model::TpaTreeNode* node) = 0;
    virtual PreviewPane& preview() = 0;
    // The caption: the title alone (empty name), or the title and the album's name.
    virtual void UpdateCaption(const QString& albumName = QString()) = 0;

    // The recent albums; after a change, RebuildRecentMenus() rebuilds their menus.
    virtual model::TRecentItems& recent() = 0;
    virtual void RebuildRecentMenus() = 0;

    // "brimlogallery.ini", the FTP defaults read from it and the one archiver component.
    virtual SettingsFile& settingsFile() = 0;
    virtual FtpDefaults& ftpDefaults() = 0;
    virtual zip::TZipArchiver& archiver() = 0;

    // The forms of the application by name (the hidden model frames, the progress windows,
    // the template chooser and the start-up wizard among them).
    virtual ApplicationForms* forms() = 0;
};

} // namespace app
