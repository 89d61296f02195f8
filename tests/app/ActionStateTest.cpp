#include "app/ActionState.h"

#include "tests/app/QtPrinters.h"

#include <gtest/gtest.h>

using namespace app;

namespace {

SelectedFacts node(NodeKind kind, int depth, const QString& text = "N") {
    SelectedFacts f;
    f.kind = kind;
    f.depth = depth;
    f.text = text;
    return f;
}

} // namespace

TEST(ActionState, NoAlbumLeavesOnlyTheAlwaysAvailableActions) {
    const ActionState s = ComputeActionState({});
    EXPECT_TRUE(s.fileNew && s.fileOpen && s.fileExit);
    EXPECT_FALSE(s.fileReopen || s.fileSave || s.fileClose || s.filePublish || s.fileSaveAs);
    EXPECT_FALSE(s.addGallery || s.addPhoto || s.import || s.scanMyPictures || s.editDelete);
    EXPECT_FALSE(s.expandAll || s.collapseAll || s.siblingGallery || s.editAddMenu);
    EXPECT_FALSE(s.editRename);
    EXPECT_TRUE(s.treeReadOnly);
    EXPECT_FALSE(s.languageMenu);
    EXPECT_EQ(s.addGalleryCaption, "Gallery");
    EXPECT_EQ(s.addGalleryHint, "Add new Gallery to album");
    EXPECT_EQ(s.addPhotoCaption, "Photo");
    EXPECT_TRUE(s.subGalleryHint.isEmpty());

    ActionInputs in;
    in.recentCount = 1;
    in.languageCount = 2;
    const ActionState r = ComputeActionState(in);
    EXPECT_TRUE(r.fileReopen);
    EXPECT_TRUE(r.languageMenu);
}

TEST(ActionState, AlbumWideActionsFollowTheNodeCountAndModifiedFlag) {
    struct Case {
        int nodes;
        bool modified;
        bool close, save, expand;
    } cases[] = {{1, false, true, false, false},
                 {2, false, true, false, true},
                 {1, true, true, true, false},
                 {0, true, false, true, false}};
    for (const Case& c : cases) {
        ActionInputs in;
        in.nodeCount = c.nodes;
        in.modified = c.modified;
        const ActionState s = ComputeActionState(in);
        SCOPED_TRACE(c.nodes);
        EXPECT_EQ(s.fileClose, c.close);
        EXPECT_EQ(s.fileSaveAs && s.filePublish && s.filePublishSetting &&
                      s.fileUpdateProjectFile && s.viewPreviewInBrowser && s.viewRefresh,
                  c.close);
        EXPECT_EQ(s.fileSave, c.save);
        EXPECT_EQ(s.expandAll && s.collapseAll, c.expand);
    }
}

TEST(ActionState, NounsComeFromTheLevelBelowTheNode) {
    // Root selected, depth-1 level named "Event".
    ActionInputs in;
    in.nodeCount = 3;
    in.levels[0] = {"", "Snapshot", 5};
    in.levels[1] = {"Event", "", 2147483647};
    in.levels[2] = {"", "", 2147483647};
    in.selected = node(NodeKind::Album, 0, "My Album");
    in.selected->canAddGallery = true;
    in.selected->canAddPhoto = true;
    ActionState s = ComputeActionState(in);
    EXPECT_TRUE(s.addGallery);
    EXPECT_EQ(s.addGalleryCaption, "Event");
    EXPECT_EQ(s.addGalleryHint, "Add new Event to album");
    EXPECT_EQ(s.subGalleryHint, "Add new Event under My Album");
    EXPECT_EQ(s.addPhotoCaption, "Snapshot");
    EXPECT_EQ(s.addPhotoHint, "Add new Snapshot to album");
    EXPECT_TRUE(s.editAddMenu && s.import && s.scanMyPictures);
    EXPECT_FALSE(s.editDelete); // never the root
    EXPECT_EQ(s.siblingGalleryCaption, "Event");

    // A depth-1 gallery: the depth-2 level has no name -> the default noun.
    in.selected = node(NodeKind::Gallery, 1, "Event 1");
    in.selected->canAddGallery = true;
    s = ComputeActionState(in);
    EXPECT_EQ(s.addGalleryCaption, "Gallery");
    EXPECT_EQ(s.subGalleryHint, "Add new Gallery under Event 1");
    EXPECT_TRUE(s.editDelete);
    EXPECT_FALSE(s.addPhoto);
    EXPECT_FALSE(s.import);

    // A photo under the root uses the root's levels, like its parent would.
    in.selected = node(NodeKind::Photo, 1, "p");
    s = ComputeActionState(in);
    EXPECT_EQ(s.addGalleryCaption, "Event");
    EXPECT_EQ(s.addPhotoCaption, "Snapshot");
    EXPECT_TRUE(s.changeImage);
}

TEST(ActionState, SiblingGalleryButtonFollowsTheParentLevelLimit) {
    struct Case {
        NodeKind kind;
        int depth;
        int galleries; // gallery children of Q
        bool qLevel, nextLevel;
        bool enabled;
    } cases[] = {
        {NodeKind::Album, 0, 1, true, true, true},   // room below the root
        {NodeKind::Album, 0, 2, true, true, false},  // root full (max 2)
        {NodeKind::Gallery, 1, 0, true, true, true}, // sibling of a gallery: Q = root
        {NodeKind::Gallery, 1, 2, true, true, false},
        {NodeKind::Photo, 1, 0, true, true, true},
        // Without a level below Q the button must not keep a stale state.
        {NodeKind::Album, 0, 0, true, false, false},
        {NodeKind::Album, 0, 0, false, true, false},
    };
    for (const Case& c : cases) {
        ActionInputs in;
        in.nodeCount = 2;
        if (c.qLevel)
            in.levels[0] = {"", "", 2};
        if (c.nextLevel)
            in.levels[1] = {"Event", "", 9};
        in.selected = node(c.kind, c.depth);
        in.selected->siblingParentGalleries = c.galleries;
        SCOPED_TRACE(testing::Message()
                     << int(c.kind) << " " << c.galleries << " " << c.qLevel << c.nextLevel);
        EXPECT_EQ(ComputeActionState(in).siblingGallery, c.enabled);
    }
}

TEST(ActionState, SelectionDependentEditAndViewActions) {
    ActionInputs in;
    in.nodeCount = 4;
    in.moveToCount = 0;
    SelectedFacts f = node(NodeKind::Photo, 2);
    f.captionEditable = true;
    f.hasPrevSibling = true;
    f.hasNextPhoto = true;
    in.selected = f;
    ActionState s = ComputeActionState(in);
    EXPECT_TRUE(s.editRename);
    EXPECT_FALSE(s.treeReadOnly);
    EXPECT_TRUE(s.moveUp);
    EXPECT_FALSE(s.moveDown);
    EXPECT_FALSE(s.moveTo); // empty move-to menu
    EXPECT_FALSE(s.viewPrev);
    EXPECT_TRUE(s.viewNext);

    in.moveToCount = 2;
    in.selected->captionEditable = false;
    s = ComputeActionState(in);
    EXPECT_TRUE(s.moveTo);
    EXPECT_FALSE(s.editRename);
    EXPECT_TRUE(s.treeReadOnly);

    in.selected.reset();
    s = ComputeActionState(in);
    EXPECT_FALSE(s.moveTo || s.moveUp || s.editDelete || s.changeImage);
}

TEST(ActionState, TranslatedNounsAndBadHintFormats) {
    ActionInputs in;
    in.nodeCount = 1;
    in.levels[0] = {};
    in.levels[1] = {};
    in.selected = node(NodeKind::Album, 0, "A");
    in.selected->canAddGallery = true;
    ActionTexts t;
    t.gallery = "Galerie";
    t.addToAlbum = "Neue %s zum Album";
    t.addUnder = "%d %d"; // does not fit: the English format applies
    const ActionState s = ComputeActionState(in, t);
    EXPECT_EQ(s.addGalleryCaption, "Galerie");
    EXPECT_EQ(s.addGalleryHint, "Neue Galerie zum Album");
    EXPECT_EQ(s.subGalleryHint, "Add new Galerie under A");
}
