#pragma once

#include "model/items/Item.h"

#include <QString>

#include <memory>
#include <vector>

namespace model {

class TpaAlbumTree;

// One node of the album tree. It owns its item and its children; its uid stays
// the same while it lives in its tree (moves included) and is never reused by
// that tree, so a uid kept by a menu can be resolved safely later. Changes go
// through TpaAlbumTree so that listeners hear of them.
class TpaTreeNode {
public:
    ~TpaTreeNode(); // frees the subtree without recursion
    TpaTreeNode(const TpaTreeNode&) = delete;
    TpaTreeNode& operator=(const TpaTreeNode&) = delete;

    quint64 Uid() const { return uid_; }
    TpaAlbumTree* Tree() const { return tree_; }
    TpaTreeNode* Parent() const;         // nullptr for a top-level node
    int Index() const { return index_; } // position among its siblings
    int Depth() const;                   // number of ancestors; the album root has 0
    int ChildCount() const { return static_cast<int>(children_.size()); }
    bool HasChildren() const { return !children_.empty(); }
    TpaTreeNode* Child(int index) const { return children_.at(static_cast<size_t>(index)).get(); }
    TpaTreeNode* PrevSibling() const;
    TpaTreeNode* NextSibling() const;
    bool IsAncestorOf(const TpaTreeNode* node) const;

    TpaItem* Item() const { return item_.get(); }
    bool IsAlbum() const { return item_ && item_->Kind == ikAlbum; }
    bool IsGallery() const { return item_ && item_->Kind == ikGallery; }
    bool IsPhoto() const { return item_ && item_->Kind == ikPhoto; }

    // The caption without markup when the item has a caption field, otherwise the
    // text the node was given.
    QString Text() const;

    bool Expanded() const { return expanded_; }
    void SetExpanded(bool expanded);

    // The next node in pre-order within the subtree of scope (the whole tree
    // when scope is nullptr), or nullptr at its end.
    TpaTreeNode* NextInPreOrder(const TpaTreeNode* scope = nullptr) const;

private:
    friend class TpaAlbumTree;
    TpaTreeNode() = default;

    quint64 uid_ = 0;
    TpaAlbumTree* tree_ = nullptr;
    TpaTreeNode* parent_ = nullptr; // the tree's hidden top node for top-level nodes
    int index_ = 0;
    bool expanded_ = false;
    QString text_;
    std::unique_ptr<TpaItem> item_;
    std::vector<std::unique_ptr<TpaTreeNode>> children_;
};

} // namespace model
