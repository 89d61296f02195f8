#pragma once

#include <QString>

class QScrollArea;
class QTabWidget;
class QTreeView;
class QWidget;

namespace model {
class TpaTreeNode;
}

namespace app {

class AlbumTreeModel;
class ApplicationForms;
class BusyState;
class PreviewPane;
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

// The view side of the editor context: the window, the tree and its selection, the pages and
// their tabs, the busy state, the progress windows, the preview, the caption, the menus it
// rebuilds and the forms. The main window provides it and owns everything reached through here.
class ViewContext {
public:
    virtual ~ViewContext() = default;

    // The window, as the parent of dialogs and message boxes.
    virtual QWidget* dialogParent() = 0;

    // The tree that shows the album.
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

    // Rebuilds the menus of the recent albums after a change of the list.
    virtual void RebuildRecentMenus() = 0;

    // The forms of the application by name (the hidden model frames, the progress windows,
    // the template chooser and the start-up wizard among them).
    virtual ApplicationForms* forms() = 0;
};

} // namespace app
