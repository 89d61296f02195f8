#pragma once

#include "model/tree/TreeListener.h"

#include <QAbstractItemModel>

#include <functional>

class QTreeView;

namespace model {
class TpaAlbumTree;
class TpaTreeNode;
} // namespace model

Q_DECLARE_OPAQUE_POINTER(model::TpaTreeNode*)
Q_DECLARE_METATYPE(model::TpaTreeNode*)

namespace app {

// Shows the album tree in a QTreeView: one row per node, the caption without markup for
// display and with its markup for editing, the node picture by kind. It follows every change
// of the tree through the tree's listener.
class AlbumTreeModel : public QAbstractItemModel, private model::TpaTreeListener {
    Q_OBJECT

public:
    explicit AlbumTreeModel(model::TpaAlbumTree& tree, QObject* parent = nullptr);
    ~AlbumTreeModel() override;

    model::TpaTreeNode* node(const QModelIndex& index) const;
    QModelIndex indexOf(const model::TpaTreeNode* node) const;

    // Keeps the view's open rows and the nodes' expanded flags in step: the view shows the flags
    // (a load marks every node expanded, a move keeps them), and what the user opens or
    // closes in the view is stored in the nodes.
    void bindExpansion(QTreeView& view);

    // Whether captions may be edited in place (the selected node's caption field unlocked).
    void setReadOnly(bool readOnly) { readOnly_ = readOnly; }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Photos are dragged within the tree only. The check decides which drops are taken (none
    // while it is unset); an accepted drop is only reported, the move is left to the command.
    using DropCheck =
        std::function<bool(const model::TpaTreeNode* dragged, const model::TpaTreeNode* target)>;
    void setDropCheck(DropCheck check) { dropCheck_ = std::move(check); }
    static QString nodeMimeType();
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

signals:
    // A caption was edited in place; the main window stores it.
    void captionEdited(model::TpaTreeNode* node, const QString& text);
    // A photo was dropped onto a node (both by uid); nothing has moved yet.
    void photoDropped(quint64 photoUid, quint64 targetUid);
    // A node's expanded flag, for the view to follow.
    void expansionChanged(const QModelIndex& index, bool expanded);

private:
    void NodesAboutToBeInserted(model::TpaTreeNode* parent, int first, int last) override;
    void NodesInserted(model::TpaTreeNode* parent, int first, int last) override;
    void NodesAboutToBeRemoved(model::TpaTreeNode* parent, int first, int last) override;
    void NodesRemoved(model::TpaTreeNode* parent, int first, int last) override;
    void NodeAboutToBeMoved(model::TpaTreeNode* node, model::TpaTreeNode* sourceParent,
                            int sourceRow, model::TpaTreeNode* destinationParent,
                            int destinationRow) override;
    void NodeMoved(model::TpaTreeNode* node, model::TpaTreeNode* sourceParent, int sourceRow,
                   model::TpaTreeNode* destinationParent, int destinationRow) override;
    void NodeChanged(model::TpaTreeNode* node) override;
    void NodeExpandedChanged(model::TpaTreeNode* node) override;
    void TreeAboutToBeReset() override;
    void TreeReset() override;

    QModelIndex parentIndex(model::TpaTreeNode* parent) const;
    // Tells the flags of top and the nodes below it that have children; a view that holds
    // them already (not after a reset or an insert) also gets those that are collapsed.
    void showExpansion(model::TpaTreeNode* top, bool collapsedToo);
    // The dragged node and the drop target of a drop onto an item, or nullptrs.
    std::pair<model::TpaTreeNode*, model::TpaTreeNode*> dropNodes(const QMimeData* data, int row,
                                                                  const QModelIndex& parent) const;

    model::TpaAlbumTree& tree_;
    bool readOnly_ = true;
    DropCheck dropCheck_;
};

} // namespace app
