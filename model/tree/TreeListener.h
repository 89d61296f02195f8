#pragma once

namespace model {

class TpaTreeNode;

// Told about every change of a TpaAlbumTree, in the order a Qt item model needs
// (begin before, end after). A parent of nullptr means the top level. Rows are
// positions among the parent's children.
class TpaTreeListener {
public:
    virtual ~TpaTreeListener() = default;

    virtual void NodesAboutToBeInserted(TpaTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    virtual void NodesInserted(TpaTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    virtual void NodesAboutToBeRemoved(TpaTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    virtual void NodesRemoved(TpaTreeNode* /*parent*/, int /*first*/, int /*last*/) {}
    // destinationRow counts positions before the node leaves its old place, as
    // QAbstractItemModel::beginMoveRows expects it.
    virtual void NodeAboutToBeMoved(TpaTreeNode* /*node*/, TpaTreeNode* /*sourceParent*/,
                                    int /*sourceRow*/, TpaTreeNode* /*destinationParent*/,
                                    int /*destinationRow*/) {}
    virtual void NodeMoved(TpaTreeNode* /*node*/, TpaTreeNode* /*sourceParent*/, int /*sourceRow*/,
                           TpaTreeNode* /*destinationParent*/, int /*destinationRow*/) {}
    // The node's item values or text changed.
    virtual void NodeChanged(TpaTreeNode* /*node*/) {}
    virtual void NodeExpandedChanged(TpaTreeNode* /*node*/) {}
    // The whole content is replaced (a load, a clear).
    virtual void TreeAboutToBeReset() {}
    virtual void TreeReset() {}
};

} // namespace model
