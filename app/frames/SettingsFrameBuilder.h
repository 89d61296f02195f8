#pragma once

#include "app/EditorContext.h"

class QWidget;

namespace model {
class TpaTreeNode;
}

namespace app {

class FieldFrame;

// Builds the settings frames of the selected node: one frame per settings field of its
// level, in the settings box of its page, and the caption field's frame above the preview.
// Every build first frees the frames of all three pages, so no frame outlives the item whose
// fields it edits.
class SettingsFrameBuilder {
public:
    explicit SettingsFrameBuilder(EditorContext& context) : context_(context) {}

    // The frames for node (nullptr: none) on the page of its kind.
    void build(model::TpaTreeNode* node);
    // Frees every frame of the page; its settings tab is hidden.
    void clear(PageKind kind);

private:
    void BuildAlbumSettingsFrames(model::TpaTreeNode* node);
    void BuildGallerySettingsFrames(model::TpaTreeNode* node);
    void BuildPhotoSettingsFrames(model::TpaTreeNode* node);

    void addTextFrames(const SettingsPage& page, model::TpaTreeNode* node, bool albumRoot);
    void addImageFrames(const SettingsPage& page, model::TpaTreeNode* node);
    void addMusicFrame(const SettingsPage& page, model::TpaTreeNode* node);
    void addAccessFrame(const SettingsPage& page, model::TpaTreeNode* node);
    // The frame gets its name, its node and its texts from its model.
    void prepare(FieldFrame* frame, const SettingsPage& page, model::TpaTreeNode* node,
                 const QString& suffix);
    void placeInBox(const SettingsPage& page, QWidget* frame);
    void finish(const SettingsPage& page);

    EditorContext& context_;
};

} // namespace app
