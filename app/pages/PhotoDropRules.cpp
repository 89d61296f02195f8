#include "app/pages/PhotoDropRules.h"

#include "model/document/Album.h"
#include "model/tree/TreeNode.h"

namespace app {

using model::TpaTreeNode;

bool canDropPhoto(const model::TpaAlbum& album, const TpaTreeNode* dragged,
                  const TpaTreeNode* target) {
    if (!dragged || !target || target == dragged || !dragged->IsPhoto() || !target->Item())
        return false;
    if (target->Tree() != dragged->Tree() || dragged->IsAncestorOf(target))
        return false;
    TpaTreeNode* parent = dragged->Parent();
    if (parent == target && dragged->NextSibling() == nullptr)
        return false; // already where the drop would put it
    if (!target->IsPhoto())
        return target == parent || album.CanAddPhoto(target);
    return target->Parent() == parent || album.CanAddPhoto(target->Parent());
}

PhotoDropPlace photoDropPlace(const TpaTreeNode* dragged, TpaTreeNode* target) {
    if (!target->IsPhoto())
        return {target, -1};
    TpaTreeNode* parent = target->Parent();
    int position = target->Index();
    // The position counts after the photo has left its place.
    if (dragged->Parent() == parent && dragged->Index() < position)
        --position;
    return {parent, position};
}

} // namespace app
