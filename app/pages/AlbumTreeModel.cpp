#include "app/pages/AlbumTreeModel.h"

#include "app/pages/TreeIcons.h"

#include "model/tree/AlbumTree.h"
#include "model/tree/TreeNode.h"

#include <QMimeData>
#include <QTreeView>

namespace app {

using model::TpaTreeNode;

AlbumTreeModel::AlbumTreeModel(model::TpaAlbumTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    tree_.AddListener(this);
}

AlbumTreeModel::~AlbumTreeModel() {
    tree_.RemoveListener(this);
}

TpaTreeNode* AlbumTreeModel::node(const QModelIndex& index) const {
    return index.isValid() ? static_cast<TpaTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex AlbumTreeModel::indexOf(const TpaTreeNode* n) const {
    if (!n)
        return {};
    return createIndex(n->Index(), 0, const_cast<TpaTreeNode*>(n));
}

QModelIndex AlbumTreeModel::parentIndex(TpaTreeNode* parent) const {
    return indexOf(parent);
}

void AlbumTreeModel::bindExpansion(QTreeView& view) {
    connect(
        this, &AlbumTreeModel::expansionChanged, &view,
        [&view](const QModelIndex& index, bool expanded) { view.setExpanded(index, expanded); });
    connect(&view, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        if (TpaTreeNode* n = node(index))
            n->SetExpanded(true);
    });
    connect(&view, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        if (TpaTreeNode* n = node(index))
            n->SetExpanded(false);
    });
}

void AlbumTreeModel::showExpansion(TpaTreeNode* top, bool collapsedToo) {
    for (TpaTreeNode* n = top; n; n = n->NextInPreOrder(top)) {
        if (n->ChildCount() > 0 && (collapsedToo || n->Expanded()))
            emit expansionChanged(indexOf(n), n->Expanded());
    }
}

QModelIndex AlbumTreeModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid()) {
        if (row >= tree_.TopLevelCount())
            return {};
        return createIndex(row, 0, tree_.TopLevel(row));
    }
    TpaTreeNode* p = node(parent);
    if (!p || row >= p->ChildCount())
        return {};
    return createIndex(row, 0, p->Child(row));
}

QModelIndex AlbumTreeModel::parent(const QModelIndex& child) const {
    TpaTreeNode* n = node(child);
    return n ? indexOf(n->Parent()) : QModelIndex();
}

int AlbumTreeModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0)
        return 0;
    if (!parent.isValid())
        return tree_.TopLevelCount();
    TpaTreeNode* p = node(parent);
    return p ? p->ChildCount() : 0;
}

int AlbumTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant AlbumTreeModel::data(const QModelIndex& index, int role) const {
    TpaTreeNode* n = node(index);
    if (!n)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return n->Text();
    case Qt::EditRole:
        if (n->Item()) {
            if (auto* caption = n->Item()->CaptionField())
                return caption->Value;
        }
        return n->Text();
    case Qt::DecorationRole:
        if (n->IsAlbum())
            return TreeIcons::album();
        if (n->IsGallery())
            return TreeIcons::gallery();
        if (n->IsPhoto())
            return TreeIcons::photo();
        return {};
    default:
        return {};
    }
}

bool AlbumTreeModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    TpaTreeNode* n = node(index);
    if (!n || role != Qt::EditRole)
        return false;
    emit captionEdited(n, value.toString());
    return true;
}

Qt::ItemFlags AlbumTreeModel::flags(const QModelIndex& index) const {
    TpaTreeNode* n = node(index);
    if (!n)
        return Qt::ItemIsDropEnabled;
    // Every node may take a drop (a photo onto a photo lands before it); the drop check decides.
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDropEnabled;
    if (n->IsPhoto())
        f |= Qt::ItemIsDragEnabled;
    if (!readOnly_ && n->Item() && n->Item()->CaptionField() && !n->Item()->CaptionField()->Locked)
        f |= Qt::ItemIsEditable;
    return f;
}

QString AlbumTreeModel::nodeMimeType() {
    return QStringLiteral("application/x-fotrenza-tree-node");
}

QStringList AlbumTreeModel::mimeTypes() const {
    return {nodeMimeType()};
}

QMimeData* AlbumTreeModel::mimeData(const QModelIndexList& indexes) const {
    TpaTreeNode* n = indexes.isEmpty() ? nullptr : node(indexes.first());
    if (!n || !n->IsPhoto())
        return nullptr;
    auto* data = new QMimeData;
    data->setData(nodeMimeType(), QByteArray::number(n->Uid()));
    return data;
}

Qt::DropActions AlbumTreeModel::supportedDragActions() const {
    return Qt::MoveAction;
}

Qt::DropActions AlbumTreeModel::supportedDropActions() const {
    return Qt::MoveAction;
}

std::pair<TpaTreeNode*, TpaTreeNode*> AlbumTreeModel::dropNodes(const QMimeData* data, int row,
                                                                const QModelIndex& parent) const {
    // Only drops onto an item count; the view is set to give no others.
    if (!data || row != -1 || !data->hasFormat(nodeMimeType()))
        return {nullptr, nullptr};
    bool ok = false;
    const quint64 uid = data->data(nodeMimeType()).toULongLong(&ok);
    TpaTreeNode* dragged = ok ? tree_.FindByUid(uid) : nullptr;
    TpaTreeNode* target = node(parent);
    if (!dragged || !target)
        return {nullptr, nullptr};
    return {dragged, target};
}

bool AlbumTreeModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int,
                                     const QModelIndex& parent) const {
    if (action != Qt::MoveAction || !dropCheck_)
        return false;
    const auto [dragged, target] = dropNodes(data, row, parent);
    return dragged && dropCheck_(dragged, target);
}

bool AlbumTreeModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                                  const QModelIndex& parent) {
    if (!canDropMimeData(data, action, row, column, parent))
        return false;
    const auto [dragged, target] = dropNodes(data, row, parent);
    emit photoDropped(dragged->Uid(), target->Uid());
    return true;
}

void AlbumTreeModel::NodesAboutToBeInserted(TpaTreeNode* parent, int first, int last) {
    beginInsertRows(parentIndex(parent), first, last);
}
void AlbumTreeModel::NodesInserted(TpaTreeNode* parent, int first, int last) {
    endInsertRows();
    for (int row = first; row <= last; ++row)
        showExpansion(parent ? parent->Child(row) : tree_.TopLevel(row), false);
}
void AlbumTreeModel::NodesAboutToBeRemoved(TpaTreeNode* parent, int first, int last) {
    beginRemoveRows(parentIndex(parent), first, last);
}
void AlbumTreeModel::NodesRemoved(TpaTreeNode*, int, int) {
    endRemoveRows();
}
void AlbumTreeModel::NodeAboutToBeMoved(TpaTreeNode*, TpaTreeNode* sourceParent, int sourceRow,
                                        TpaTreeNode* destinationParent, int destinationRow) {
    beginMoveRows(parentIndex(sourceParent), sourceRow, sourceRow, parentIndex(destinationParent),
                  destinationRow);
}
void AlbumTreeModel::NodeMoved(TpaTreeNode* n, TpaTreeNode*, int, TpaTreeNode*, int) {
    endMoveRows();
    showExpansion(n, true);
}
void AlbumTreeModel::NodeChanged(TpaTreeNode* n) {
    const QModelIndex i = indexOf(n);
    emit dataChanged(i, i);
}
void AlbumTreeModel::NodeExpandedChanged(TpaTreeNode* n) {
    emit expansionChanged(indexOf(n), n->Expanded());
}
void AlbumTreeModel::TreeAboutToBeReset() {
    beginResetModel();
}
void AlbumTreeModel::TreeReset() {
    endResetModel();
    for (int row = 0; row < tree_.TopLevelCount(); ++row)
        showExpansion(tree_.TopLevel(row), false);
}

} // namespace app
