#include "model/tree/TreeNode.h"

#include "model/TextRoutines.h"
#include "model/tree/AlbumTree.h"

namespace model {

TpaTreeNode::~TpaTreeNode() {
    // Each node's children are moved out before it dies, so no destructor ever
    // runs another with children: the depth of the tree never reaches the stack.
    std::vector<std::unique_ptr<TpaTreeNode>> pending = std::move(children_);
    while (!pending.empty()) {
        std::unique_ptr<TpaTreeNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children_)
            pending.push_back(std::move(child));
        node->children_.clear();
    }
}

TpaTreeNode* TpaTreeNode::Parent() const {
    return parent_ && parent_->parent_ ? parent_ : nullptr;
}

int TpaTreeNode::Depth() const {
    int depth = 0;
    for (const TpaTreeNode* p = Parent(); p; p = p->Parent())
        ++depth;
    return depth;
}

TpaTreeNode* TpaTreeNode::PrevSibling() const {
    if (!parent_ || index_ == 0)
        return nullptr;
    return parent_->children_[static_cast<size_t>(index_ - 1)].get();
}

TpaTreeNode* TpaTreeNode::NextSibling() const {
    if (!parent_ || index_ + 1 >= parent_->ChildCount())
        return nullptr;
    return parent_->children_[static_cast<size_t>(index_ + 1)].get();
}

bool TpaTreeNode::IsAncestorOf(const TpaTreeNode* node) const {
    for (const TpaTreeNode* p = node ? node->parent_ : nullptr; p; p = p->parent_) {
        if (p == this)
            return true;
    }
    return false;
}

QString TpaTreeNode::Text() const {
    if (item_) {
        if (const TpaAlbumSettingsTextField* caption = item_->CaptionField())
            return StripTags(caption->Value);
    }
    return text_;
}

void TpaTreeNode::SetExpanded(bool expanded) {
    if (expanded_ == expanded)
        return;
    expanded_ = expanded;
    if (tree_)
        tree_->NotifyExpandedChanged(this);
}

TpaTreeNode* TpaTreeNode::NextInPreOrder(const TpaTreeNode* scope) const {
    if (!children_.empty())
        return children_.front().get();
    for (const TpaTreeNode* n = this; n && n != scope && n->parent_; n = n->parent_) {
        if (TpaTreeNode* next = n->NextSibling())
            return next;
    }
    return nullptr;
}

} // namespace model
