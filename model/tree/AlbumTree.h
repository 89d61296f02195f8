#pragma once

#include "model/tree/TreeListener.h"
#include "model/tree/TreeNode.h"

#include <QHash>

#include <memory>
#include <vector>

namespace model {

// The album tree: top-level nodes (the album root, normally one) with their
// subtrees. Every change is made here and reported to the listeners. Walks are
// loops, never recursion, so any depth is safe.
class TpaAlbumTree {
public:
    TpaAlbumTree();
    ~TpaAlbumTree();
    TpaAlbumTree(const TpaAlbumTree&) = delete;
    TpaAlbumTree& operator=(const TpaAlbumTree&) = delete;

    void AddListener(TpaTreeListener* listener);
    void RemoveListener(TpaTreeListener* listener);

    bool IsEmpty() const { return top_->children_.empty(); }
    int TopLevelCount() const { return top_->ChildCount(); }
    TpaTreeNode* TopLevel(int index) const { return top_->Child(index); }
    TpaTreeNode* Root() const { return IsEmpty() ? nullptr : top_->Child(0); }
    int NodeCount() const { return static_cast<int>(byUid_.size()); }
    // The first node in pre-order (the album root), for walks with NextInPreOrder.
    TpaTreeNode* First() const { return Root(); }

    // Puts a new node carrying item at position among parent's children
    // (nullptr parent: top level; position -1 or past the end: last). The
    // item's Node is set. Returns the new node.
    TpaTreeNode* Insert(TpaTreeNode* parent, int position, std::unique_ptr<TpaItem> item,
                        const QString& text = QString());
    TpaTreeNode* Append(TpaTreeNode* parent, std::unique_ptr<TpaItem> item,
                        const QString& text = QString()) {
        return Insert(parent, -1, std::move(item), text);
    }

    // Deletes the node with its subtree and their items.
    void Remove(TpaTreeNode* node);

    // Moves node (with its subtree) to position among newParent's children,
    // position counted after the move (-1: last). False, and nothing changes,
    // when newParent is the node itself or lies below it.
    bool Move(TpaTreeNode* node, TpaTreeNode* newParent, int position);

    void Clear();

    // Takes over every node of other (which ends up empty). Nodes get new uids
    // from this tree, so uids handed out before never resolve to them.
    void ReplaceWith(TpaAlbumTree& other);

    // The node with the uid, or nullptr when it is gone.
    TpaTreeNode* FindByUid(quint64 uid) const { return byUid_.value(uid, nullptr); }

    void NotifyChanged(TpaTreeNode* node);
    void NotifyExpandedChanged(TpaTreeNode* node);

private:
    TpaTreeNode* container(TpaTreeNode* parent) const { return parent ? parent : top_.get(); }
    static void Renumber(TpaTreeNode* parent, int from);
    void Adopt(TpaTreeNode* subtree);  // assigns uids and the tree pointer
    void Forget(TpaTreeNode* subtree); // drops uids

    std::unique_ptr<TpaTreeNode> top_;
    quint64 nextUid_ = 1;
    QHash<quint64, TpaTreeNode*> byUid_;
    std::vector<TpaTreeListener*> listeners_;
};

} // namespace model
