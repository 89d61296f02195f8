#include "model/items/AlbumItem.h"
#include "model/items/GalleryItem.h"
#include "model/items/PhotoItem.h"
#include "model/tree/AlbumTree.h"

#include <QAbstractItemModel>
#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace model;

namespace {

// A Qt item model over the tree, driven only by the listener calls: Qt's own
// model checker then proves that the calls come in a form a view can follow.
class TreeModel : public QAbstractItemModel, public TpaTreeListener {
public:
    explicit TreeModel(TpaAlbumTree& tree) : tree_(tree) { tree_.AddListener(this); }
    ~TreeModel() override { tree_.RemoveListener(this); }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        if (column != 0 || row < 0 || row >= rowCount(parent))
            return {};
        TpaTreeNode* p = node(parent);
        return createIndex(row, 0, p ? p->Child(row) : tree_.TopLevel(row));
    }
    QModelIndex parent(const QModelIndex& child) const override {
        TpaTreeNode* n = node(child);
        TpaTreeNode* p = n ? n->Parent() : nullptr;
        return p ? createIndex(p->Index(), 0, p) : QModelIndex();
    }
    int rowCount(const QModelIndex& parent) const override {
        if (parent.column() > 0)
            return 0;
        TpaTreeNode* p = node(parent);
        return p ? p->ChildCount() : tree_.TopLevelCount();
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        return node(index)->Text();
    }

    void NodesAboutToBeInserted(TpaTreeNode* p, int first, int last) override {
        beginInsertRows(indexOf(p), first, last);
    }
    void NodesInserted(TpaTreeNode*, int, int) override { endInsertRows(); }
    void NodesAboutToBeRemoved(TpaTreeNode* p, int first, int last) override {
        beginRemoveRows(indexOf(p), first, last);
    }
    void NodesRemoved(TpaTreeNode*, int, int) override { endRemoveRows(); }
    void NodeAboutToBeMoved(TpaTreeNode*, TpaTreeNode* from, int row, TpaTreeNode* to,
                            int dest) override {
        moveAccepted_ = beginMoveRows(indexOf(from), row, row, indexOf(to), dest);
    }
    void NodeMoved(TpaTreeNode*, TpaTreeNode*, int, TpaTreeNode*, int) override {
        if (moveAccepted_)
            endMoveRows();
    }
    void NodeChanged(TpaTreeNode* n) override {
        const QModelIndex i = indexOf(n);
        emit dataChanged(i, i);
    }
    void TreeAboutToBeReset() override { beginResetModel(); }
    void TreeReset() override { endResetModel(); }

    bool moveAccepted_ = true;

private:
    static TpaTreeNode* node(const QModelIndex& i) {
        return i.isValid() ? static_cast<TpaTreeNode*>(i.internalPointer()) : nullptr;
    }
    QModelIndex indexOf(TpaTreeNode* n) const {
        return n ? createIndex(n->Index(), 0, n) : QModelIndex();
    }
    TpaAlbumTree& tree_;
};

// Records every call as a line of text.
class Recorder : public TpaTreeListener {
public:
    std::vector<std::string> calls;
    static std::string name(TpaTreeNode* n) { return n ? n->Text().toStdString() : "top"; }
    void NodesAboutToBeInserted(TpaTreeNode* p, int f, int l) override {
        calls.push_back("ins? " + name(p) + " " + std::to_string(f) + "-" + std::to_string(l));
    }
    void NodesInserted(TpaTreeNode* p, int f, int) override {
        calls.push_back("ins " + name(p) + " " + std::to_string(f));
    }
    void NodesAboutToBeRemoved(TpaTreeNode* p, int f, int) override {
        calls.push_back("rem? " + name(p) + " " + std::to_string(f));
    }
    void NodesRemoved(TpaTreeNode* p, int f, int) override {
        calls.push_back("rem " + name(p) + " " + std::to_string(f));
    }
    void NodeAboutToBeMoved(TpaTreeNode* n, TpaTreeNode* from, int r, TpaTreeNode* to,
                            int d) override {
        calls.push_back("mov? " + name(n) + " " + name(from) + ":" + std::to_string(r) + " " +
                        name(to) + ":" + std::to_string(d));
    }
    void NodeMoved(TpaTreeNode* n, TpaTreeNode*, int, TpaTreeNode*, int) override {
        calls.push_back("mov " + name(n));
    }
    void NodeChanged(TpaTreeNode* n) override { calls.push_back("chg " + name(n)); }
    void NodeExpandedChanged(TpaTreeNode* n) override { calls.push_back("exp " + name(n)); }
    void TreeAboutToBeReset() override { calls.push_back("reset?"); }
    void TreeReset() override { calls.push_back("reset"); }
};

std::vector<QString> childTexts(const TpaTreeNode* n) {
    std::vector<QString> out;
    for (int i = 0; i < n->ChildCount(); ++i) {
        out.push_back(n->Child(i)->Text());
        EXPECT_EQ(n->Child(i)->Index(), i);
    }
    return out;
}

} // namespace

TEST(Tree, InsertRemoveAndMoveKeepIndexesUidsAndItems) {
    TpaAlbumTree tree;
    Recorder rec;
    tree.AddListener(&rec);
    TpaTreeNode* root = tree.Append(nullptr, std::make_unique<TpaAlbumItem>(), "Album");
    TpaTreeNode* a = tree.Append(root, std::make_unique<TpaGalleryItem>(), "A");
    TpaTreeNode* p = tree.Append(root, std::make_unique<TpaPhotoItem>(), "P");
    TpaTreeNode* b = tree.Insert(root, 1, std::make_unique<TpaGalleryItem>(), "B");
    EXPECT_EQ(childTexts(root), (std::vector<QString>{"A", "B", "P"}));
    EXPECT_EQ(a->Item()->Node, a);
    EXPECT_TRUE(p->IsPhoto());
    EXPECT_EQ(p->Parent(), root);
    EXPECT_EQ(root->Parent(), nullptr);
    EXPECT_EQ(a->NextSibling(), b);
    EXPECT_EQ(a->PrevSibling(), nullptr);
    EXPECT_EQ(tree.NodeCount(), 4);

    const quint64 pUid = p->Uid();
    EXPECT_TRUE(tree.Move(p, a, 0));
    EXPECT_EQ(tree.FindByUid(pUid), p) << "a move keeps the uid";
    EXPECT_EQ(p->Depth(), 2);
    EXPECT_FALSE(tree.Move(a, p, 0)) << "a node cannot go below itself";
    EXPECT_FALSE(tree.Move(a, a, 0));
    // Within one parent: A to the end, then back to the front.
    EXPECT_TRUE(tree.Move(a, root, -1));
    EXPECT_EQ(childTexts(root), (std::vector<QString>{"B", "A"}));
    EXPECT_TRUE(tree.Move(a, root, 0));
    EXPECT_EQ(childTexts(root), (std::vector<QString>{"A", "B"}));

    const quint64 aUid = a->Uid();
    tree.Remove(a); // takes P with it
    EXPECT_EQ(tree.FindByUid(aUid), nullptr);
    EXPECT_EQ(tree.FindByUid(pUid), nullptr);
    EXPECT_EQ(tree.NodeCount(), 2);
    EXPECT_EQ(b->Index(), 0);
    TpaTreeNode* c = tree.Append(root, std::make_unique<TpaGalleryItem>(), "C");
    EXPECT_NE(c->Uid(), aUid);
    EXPECT_NE(c->Uid(), pUid);

    EXPECT_EQ(rec.calls,
              (std::vector<std::string>{
                  "ins? top 0-0", "ins top 0", "ins? Album 0-0", "ins Album 0", "ins? Album 1-1",
                  "ins Album 1", "ins? Album 1-1", "ins Album 1", "mov? P Album:2 A:0", "mov P",
                  "mov? A Album:0 Album:2", "mov A", "mov? A Album:1 Album:0", "mov A",
                  "rem? Album 0", "rem Album 0", "ins? Album 1-1", "ins Album 1"}));
}

TEST(Tree, QtModelCheckerAcceptsEveryKindOfChange) {
    TpaAlbumTree tree;
    TreeModel model(tree);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    TpaTreeNode* root = tree.Append(nullptr, std::make_unique<TpaAlbumItem>(), "Album");
    std::vector<TpaTreeNode*> galleries;
    for (int i = 0; i < 4; ++i)
        galleries.push_back(
            tree.Append(root, std::make_unique<TpaGalleryItem>(), QString::number(i)));
    for (int i = 0; i < 6; ++i)
        tree.Append(galleries[static_cast<size_t>(i % 4)], std::make_unique<TpaPhotoItem>(), "p");
    // Moves down, up, to the end and across parents, then removals and a reset.
    ASSERT_TRUE(tree.Move(galleries[0], root, 2));
    ASSERT_TRUE(tree.Move(galleries[3], root, 0));
    ASSERT_TRUE(tree.Move(galleries[1], root, -1));
    ASSERT_TRUE(tree.Move(galleries[2]->Child(0), galleries[3], 0));
    ASSERT_TRUE(tree.Move(galleries[2], galleries[3], -1));
    EXPECT_TRUE(model.moveAccepted_);
    tree.NotifyChanged(galleries[0]);
    tree.Remove(galleries[3]);
    TpaAlbumTree fresh;
    fresh.Append(nullptr, std::make_unique<TpaAlbumItem>(), "New");
    tree.ReplaceWith(fresh);
    EXPECT_TRUE(fresh.IsEmpty());
    EXPECT_EQ(model.rowCount({}), 1);
    EXPECT_EQ(model.data(model.index(0, 0, {}), Qt::DisplayRole).toString(), "New");
    tree.Clear();
    EXPECT_EQ(model.rowCount({}), 0);
}

TEST(Tree, ReplacedNodesGetUidsThisTreeNeverGaveOut) {
    TpaAlbumTree tree;
    TpaTreeNode* old = tree.Append(nullptr, std::make_unique<TpaAlbumItem>(), "Old");
    const quint64 oldUid = old->Uid();
    TpaAlbumTree fresh; // its own counter starts at 1 as well
    TpaTreeNode* n = fresh.Append(nullptr, std::make_unique<TpaAlbumItem>(), "New");
    tree.ReplaceWith(fresh);
    EXPECT_EQ(tree.FindByUid(oldUid), nullptr);
    EXPECT_NE(n->Uid(), oldUid);
    EXPECT_EQ(n->Tree(), &tree);
    EXPECT_EQ(tree.FindByUid(n->Uid()), n);
}

TEST(Tree, TextFollowsTheCaptionFieldWithoutMarkup) {
    TpaAlbumTree tree;
    auto item = std::make_unique<TpaGalleryItem>();
    item->Level.TextFields.Add(1)->Value = "<font size=\"14\">Summer</font> 2020";
    TpaTreeNode* n = tree.Append(nullptr, std::move(item), "ignored");
    EXPECT_EQ(n->Text(), "ignored") << "no caption field yet";
    n->Item()->Level.TextFields.CaptionFieldId = 1;
    EXPECT_EQ(n->Text(), "Summer 2020");
    auto photo = std::make_unique<TpaPhotoItem>();
    photo->Level.TextFields.Add(1)->Value = "level's own field";
    photo->Level.TextFields.CaptionFieldId = 1;
    photo->Level.Photo.TextFields.Add(3)->Value = "photo <b>x</b>";
    photo->Level.Photo.TextFields.CaptionFieldId = 3;
    TpaTreeNode* p = tree.Append(n, std::move(photo));
    EXPECT_EQ(p->Text(), "photo x") << "photos take the caption from their photo part";
}

TEST(Tree, HundredThousandDeepChainIsWalkedMovedAndFreedWithoutRecursion) {
    constexpr int depth = 100000;
    auto tree = std::make_unique<TpaAlbumTree>();
    TpaTreeNode* n = tree->Append(nullptr, std::make_unique<TpaAlbumItem>());
    TpaTreeNode* second = nullptr;
    for (int i = 0; i < depth; ++i) {
        n = tree->Append(n, std::make_unique<TpaGalleryItem>());
        if (!second)
            second = n;
    }
    EXPECT_EQ(n->Depth(), depth);
    int visited = 0;
    for (TpaTreeNode* v = tree->First(); v; v = v->NextInPreOrder())
        ++visited;
    EXPECT_EQ(visited, depth + 1);
    // A sibling of the chain's top is reached after the whole chain.
    TpaTreeNode* sibling = tree->Append(tree->Root(), std::make_unique<TpaPhotoItem>());
    EXPECT_EQ(n->NextInPreOrder(), sibling);
    EXPECT_EQ(n->NextInPreOrder(second), nullptr) << "a scoped walk stays in its subtree";
    EXPECT_FALSE(tree->Move(second, n, 0));
    ASSERT_TRUE(tree->Move(n, tree->Root(), 0));
    tree->Remove(second); // frees 99,999 nested nodes
    EXPECT_EQ(tree->NodeCount(), 3);
    for (int i = 0; i < depth; ++i)
        n = tree->Append(n, std::make_unique<TpaGalleryItem>());
    tree.reset(); // the destructor frees a chain as deep again
}
