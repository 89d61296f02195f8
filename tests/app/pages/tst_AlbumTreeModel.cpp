#include "app/pages/AlbumTreeModel.h"

#include "model/items/AlbumItem.h"
#include "model/items/GalleryItem.h"
#include "model/items/PhotoItem.h"
#include "model/tree/AlbumTree.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

using namespace app;
using model::TpaTreeNode;

class AlbumTreeModelTest : public QObject {
    Q_OBJECT

    static TpaTreeNode* add(model::TpaAlbumTree& tree, TpaTreeNode* parent, bool photo,
                            const QString& text, int position = -1) {
        std::unique_ptr<model::TpaItem> item;
        if (photo)
            item = std::make_unique<model::TpaPhotoItem>();
        else
            item = std::make_unique<model::TpaGalleryItem>();
        return tree.Insert(parent, position, std::move(item), text);
    }

private slots:
    // Qt's own model checker follows every change; a wrong begin/end pair or a stale index
    // makes it fail.
    void everyTreeChangeKeepsTheModelConsistent() {
        model::TpaAlbumTree tree;
        AlbumTreeModel model(tree);
        QAbstractItemModelTester tester(&model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QTreeView view;
        view.setModel(&model);

        TpaTreeNode* root = tree.Append(nullptr, std::make_unique<model::TpaAlbumItem>(), "Album");
        TpaTreeNode* a = add(tree, root, false, "A");
        TpaTreeNode* b = add(tree, root, false, "B");
        TpaTreeNode* p1 = add(tree, a, true, "p1");
        TpaTreeNode* p2 = add(tree, a, true, "p2");
        add(tree, b, true, "p3", 0);
        view.expandAll();
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.rowCount(model.indexOf(a)), 2);
        QCOMPARE(model.indexOf(p2).row(), 1);
        QCOMPARE(model.parent(model.indexOf(p2)), model.indexOf(a));
        QCOMPARE(model.indexOf(p1).data().toString(), QString("p1"));

        // Moves within a parent, both ways, and to another parent.
        QVERIFY(tree.Move(p2, a, 0));
        QCOMPARE(model.indexOf(p2).row(), 0);
        QCOMPARE(model.index(1, 0, model.indexOf(a)).data().toString(), QString("p1"));
        QVERIFY(tree.Move(p2, a, -1));
        QVERIFY(tree.Move(p1, b, -1));
        QCOMPARE(model.rowCount(model.indexOf(b)), 2);
        QCOMPARE(model.index(1, 0, model.indexOf(b)).data().toString(), QString("p1"));
        QVERIFY(tree.Move(b, a, 0)); // a gallery with its photos

        const QPersistentModelIndex kept = model.indexOf(p1);
        tree.Remove(a);
        QVERIFY(!kept.isValid());
        QCOMPARE(model.rowCount(model.indexOf(root)), 0);

        QCOMPARE(model.rowCount(), 1);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        tree.Clear();
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), 0);
    }

    void theViewShowsTheNodesExpandedFlags() {
        model::TpaAlbumTree tree;
        AlbumTreeModel model(tree);
        QTreeView view;
        view.setModel(&model);
        model.bindExpansion(view);
        // A load builds its tree apart, marks every node expanded and swaps it in.
        model::TpaAlbumTree loaded;
        TpaTreeNode* root =
            loaded.Append(nullptr, std::make_unique<model::TpaAlbumItem>(), "Album");
        TpaTreeNode* a = add(loaded, root, false, "A");
        TpaTreeNode* b = add(loaded, root, false, "B");
        add(loaded, a, true, "p1");
        add(loaded, b, true, "p2");
        for (TpaTreeNode* n = loaded.First(); n; n = n->NextInPreOrder())
            n->SetExpanded(true);
        tree.ReplaceWith(loaded);
        for (TpaTreeNode* n : {root, a, b})
            QVERIFY(view.isExpanded(model.indexOf(n)));
        // What the user closes is stored in the node; a move keeps each node's state.
        view.collapse(model.indexOf(b));
        QVERIFY(!b->Expanded() && a->Expanded());
        QVERIFY(tree.Move(a, root, -1));
        QVERIFY(view.isExpanded(model.indexOf(a)) && !view.isExpanded(model.indexOf(b)));
        b->SetExpanded(true);
        QVERIFY(view.isExpanded(model.indexOf(b)));
    }

    void photosDragAndCaptionsFollowTheFieldLock() {
        model::TpaAlbumTree tree;
        AlbumTreeModel model(tree);
        TpaTreeNode* root = tree.Append(nullptr, std::make_unique<model::TpaAlbumItem>(), "Album");
        TpaTreeNode* photo = add(tree, root, true, "p");
        QVERIFY(model.flags(model.indexOf(photo)) & Qt::ItemIsDragEnabled);
        QVERIFY(!(model.flags(model.indexOf(root)) & Qt::ItemIsDragEnabled));
        model.setReadOnly(false);
        // Without a caption field nothing is editable.
        QVERIFY(!(model.flags(model.indexOf(photo)) & Qt::ItemIsEditable));
        auto& fields = photo->Item()->TextFields();
        fields.Add(1);
        fields.CaptionFieldId = 1;
        fields.FindById(1)->Value = "<font size=\"14\">Summer</font>";
        QVERIFY(model.flags(model.indexOf(photo)) & Qt::ItemIsEditable);
        QCOMPARE(model.indexOf(photo).data().toString(), QString("Summer"));
        QCOMPARE(model.indexOf(photo).data(Qt::EditRole).toString(),
                 QString("<font size=\"14\">Summer</font>"));
        fields.FindById(1)->Locked = true;
        QVERIFY(!(model.flags(model.indexOf(photo)) & Qt::ItemIsEditable));

        qRegisterMetaType<model::TpaTreeNode*>();
        QSignalSpy edited(&model, &AlbumTreeModel::captionEdited);
        QVERIFY(model.setData(model.indexOf(photo), "Winter", Qt::EditRole));
        QCOMPARE(edited.count(), 1);
    }
};

QTEST_MAIN(AlbumTreeModelTest)
#include "tst_AlbumTreeModel.moc"
