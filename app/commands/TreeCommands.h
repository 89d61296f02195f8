#pragma once

#include <QObject>

namespace model {
class TpaTreeNode;
}

namespace app {

class EditShortcuts;
class EditorContext;
struct MainActions;

// Editing the album tree: galleries added, nodes deleted, renamed and moved among their
// siblings, photos moved under another gallery by menu or by drag and drop.
class TreeCommands : public QObject {
    Q_OBJECT

public:
    TreeCommands(EditorContext& editor, const MainActions& actions, QObject* parent = nullptr);
    ~TreeCommands() override;

    // A gallery below the selected root or gallery (beside a selected photo); with `sibling`,
    // beside the selected gallery.
    void AddGallery(bool sibling);
    // Deletes the selected node (never the root) with its files, asking first for a gallery
    // that is not empty.
    void DeleteSelected();
    // Renaming from the main menu, a tool button or the shortcut: the caption's editor on the
    // node's preview tab gets the focus (a beep without one).
    void Rename();
    // Renaming from a popup menu: the caption is edited in place in the tree.
    void RenameInPlace();
    void MoveUp();
    void MoveDown();
    // Moves the selected photo to the end of the target's children.
    void MovePhotoTo(model::TpaTreeNode* target);
    // Moves the photo under newParent at position (counted after the move, -1: last). A move
    // to another depth asks first and converts the photo's values to that depth's level.
    void MovePhoto(model::TpaTreeNode* photo, model::TpaTreeNode* newParent, int position);
    // A drop reported by the tree model, run once the drop has ended.
    void DropPhoto(quint64 photoUid, quint64 targetUid);

private:
    void moveAmongSiblings(bool up);
    void finish();

    EditorContext& editor_;
    EditShortcuts* shortcuts_ = nullptr; // a Qt child
};

} // namespace app
