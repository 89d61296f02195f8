#include "model/tree/AlbumTree.h"

#include <algorithm>

namespace model {

TpaAlbumTree::TpaAlbumTree() : top_(new TpaTreeNode()) {}

TpaAlbumTree::~TpaAlbumTree() = default;

void TpaAlbumTree::AddListener(TpaTreeListener* listener) {
    if (listener && std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void TpaAlbumTree::RemoveListener(TpaTreeListener* listener) {
    std::erase(listeners_, listener);
}

void TpaAlbumTree::Renumber(TpaTreeNode* parent, int from) {
    for (int i = std::max(from, 0); i < parent->ChildCount(); ++i)
        parent->children_[static_cast<size_t>(i)]->index_ = i;
}

void TpaAlbumTree::Adopt(TpaTreeNode* subtree) {
    for (TpaTreeNode* n = subtree; n; n = n->NextInPreOrder(subtree)) {
        n->uid_ = nextUid_++;
        n->tree_ = this;
        byUid_.insert(n->uid_, n);
    }
}

void TpaAlbumTree::Forget(TpaTreeNode* subtree) {
    for (TpaTreeNode* n = subtree; n; n = n->NextInPreOrder(subtree)) {
        byUid_.remove(n->uid_);
        n->tree_ = nullptr;
    }
}

TpaTreeNode* TpaAlbumTree::Insert(TpaTreeNode* parent, int position, std::unique_ptr<TpaItem> item,
                                  const QString& text) {
    TpaTreeNode* box = container(parent);
    const int count = box->ChildCount();
    if (position < 0 || position > count)
        position = count;
    std::unique_ptr<TpaTreeNode> node(new TpaTreeNode());
    node->parent_ = box;
    node->text_ = text;
    node->item_ = std::move(item);
    if (node->item_)
        node->item_->Node = node.get();
    TpaTreeNode* raw = node.get();
    for (TpaTreeListener* l : listeners_)
        l->NodesAboutToBeInserted(parent, position, position);
    box->children_.insert(box->children_.begin() + position, std::move(node));
    Renumber(box, position);
    Adopt(raw);
    for (TpaTreeListener* l : listeners_)
        l->NodesInserted(parent, position, position);
    return raw;
}

void TpaAlbumTree::Remove(TpaTreeNode* node) {
    if (!node || node->tree_ != this)
        return;
    TpaTreeNode* box = node->parent_;
    TpaTreeNode* parent = node->Parent();
    const int row = node->index_;
    for (TpaTreeListener* l : listeners_)
        l->NodesAboutToBeRemoved(parent, row, row);
    std::unique_ptr<TpaTreeNode> owned = std::move(box->children_[static_cast<size_t>(row)]);
    box->children_.erase(box->children_.begin() + row);
    Renumber(box, row);
    Forget(owned.get());
    owned->parent_ = nullptr;
    for (TpaTreeListener* l : listeners_)
        l->NodesRemoved(parent, row, row);
    // owned frees the subtree here, after the listeners let go of it.
}

bool TpaAlbumTree::Move(TpaTreeNode* node, TpaTreeNode* newParent, int position) {
    if (!node || node->tree_ != this || node == newParent || node->IsAncestorOf(newParent))
        return false;
    if (newParent && newParent->tree_ != this)
        return false;
    TpaTreeNode* fromBox = node->parent_;
    TpaTreeNode* toBox = container(newParent);
    TpaTreeNode* fromParent = node->Parent();
    const int fromRow = node->index_;
    const int countAfterRemoval = toBox->ChildCount() - (fromBox == toBox ? 1 : 0);
    if (position < 0 || position > countAfterRemoval)
        position = countAfterRemoval;
    if (fromBox == toBox && position == fromRow)
        return true;
    const int qtRow = (fromBox == toBox && position > fromRow) ? position + 1 : position;
    for (TpaTreeListener* l : listeners_)
        l->NodeAboutToBeMoved(node, fromParent, fromRow, newParent, qtRow);
    std::unique_ptr<TpaTreeNode> owned =
        std::move(fromBox->children_[static_cast<size_t>(fromRow)]);
    fromBox->children_.erase(fromBox->children_.begin() + fromRow);
    Renumber(fromBox, fromRow);
    owned->parent_ = toBox;
    toBox->children_.insert(toBox->children_.begin() + position, std::move(owned));
    Renumber(toBox, position);
    for (TpaTreeListener* l : listeners_)
        l->NodeMoved(node, fromParent, fromRow, newParent, qtRow);
    return true;
}

void TpaAlbumTree::Clear() {
    for (TpaTreeListener* l : listeners_)
        l->TreeAboutToBeReset();
    std::vector<std::unique_ptr<TpaTreeNode>> old = std::move(top_->children_);
    top_->children_.clear();
    byUid_.clear();
    for (TpaTreeListener* l : listeners_)
        l->TreeReset();
    // A throwaway holder frees the old nodes without recursion.
    std::unique_ptr<TpaTreeNode> holder(new TpaTreeNode());
    holder->children_ = std::move(old);
}

void TpaAlbumTree::ReplaceWith(TpaAlbumTree& other) {
    if (&other == this)
        return;
    for (TpaTreeListener* l : listeners_)
        l->TreeAboutToBeReset();
    std::unique_ptr<TpaTreeNode> holder(new TpaTreeNode());
    holder->children_ = std::move(top_->children_);
    byUid_.clear();
    top_->children_ = std::move(other.top_->children_);
    other.top_->children_.clear();
    other.byUid_.clear();
    for (auto& node : top_->children_) {
        node->parent_ = top_.get();
        Adopt(node.get());
    }
    for (TpaTreeListener* l : listeners_)
        l->TreeReset();
}

void TpaAlbumTree::NotifyChanged(TpaTreeNode* node) {
    if (!node || node->tree_ != this)
        return;
    for (TpaTreeListener* l : listeners_)
        l->NodeChanged(node);
}

void TpaAlbumTree::NotifyExpandedChanged(TpaTreeNode* node) {
    if (!node || node->tree_ != this)
        return;
    for (TpaTreeListener* l : listeners_)
        l->NodeExpandedChanged(node);
}

} // namespace model
