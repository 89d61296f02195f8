#pragma once

namespace model {
class TpaAlbum;
class TpaTreeNode;
} // namespace model

namespace app {

// Where a dropped photo goes: under `parent` at `position` counted after the move.
struct PhotoDropPlace {
    model::TpaTreeNode* parent = nullptr;
    int position = -1;
};

// Whether the photo `dragged` may be dropped onto `target`: onto the album root or a gallery
// it goes last (its own parent, unless it is last already, or one with room for a photo);
// onto a photo it goes just before it (a photo of its own parent, or of one with room).
bool canDropPhoto(const model::TpaAlbum& album, const model::TpaTreeNode* dragged,
                  const model::TpaTreeNode* target);

// The place of an accepted drop.
PhotoDropPlace photoDropPlace(const model::TpaTreeNode* dragged, model::TpaTreeNode* target);

} // namespace app
