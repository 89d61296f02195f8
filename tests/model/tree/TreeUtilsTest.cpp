#include "tests/model/ModelTestSupport.h"

#include "model/document/Album.h"
#include "model/items/AlbumItem.h"
#include "model/items/PhotoItem.h"
#include "model/tree/TreeUtils.h"

#include <QFileInfo>

using namespace model;
using namespace modeltest;

namespace {

// An album whose levels allow photos everywhere, G2 taking at most two.
class Fixture {
public:
    Fixture() {
        WriteFile(dir.file("album.xml"), R"(<setting>
            <level id="0" caption="1"><txt id="1"/><src id="1"/><music>m</music>
              <photo caption="1"><txt id="1"/><src id="1"/><music>m</music></photo></level>
            <level id="*" caption="1" maxphotos="2"><txt id="1"/><src id="1"/><music>m</music>
              <photo caption="1"><txt id="1"/><src id="1"/><music>m</music></photo></level>
            </setting>)");
        album.Settings.LoadFromFile(dir.file("album.xml"));
        root = add(nullptr, ikAlbum, "Album & Co");
    }
    TpaTreeNode* add(TpaTreeNode* parent, TpaItemKind kind, const QString& name) {
        TpaTreeNode* n = album.Tree().Append(parent, album.CreateItem(kind, parent));
        n->Item()->CaptionField()->Value = name;
        return n;
    }
    // Gives the node an image, a thumbnail and music, all present on disk.
    void giveFiles(TpaTreeNode* n, const QString& base) {
        TpaItem* item = n->Item();
        TpaImageInfo& image = item->ImageFields().FindById(1)->Image;
        image.FileName = "pictavo_images/" + base + ".jpg";
        image.Thumbnail = thumbs() + base + ".jpg";
        item->Music().FileName = base + ".mp3";
        WriteFile(preview() + image.FileName, "x");
        WriteFile(image.Thumbnail, "x");
        WriteFile(preview() + "pictavo_music/" + base + ".mp3", "x");
    }
    QString preview() const { return dir.path() + "Preview/"; }
    QString thumbs() const { return dir.path() + "Thumbs/"; }

    TempFolder dir;
    TpaAlbum album;
    TpaTreeNode* root;
};

QStringList Captions(const std::vector<TpaMenuEntry>& entries) {
    QStringList out;
    for (const auto& e : entries)
        out << e.Caption;
    return out;
}

} // namespace

TEST(TreeUtils, MoveTargetsFollowLimitsAndSurviveDeletedNodes) {
    Fixture f;
    TpaTreeNode* g1 = f.add(f.root, ikGallery, "G1");
    TpaTreeNode* g2 = f.add(f.root, ikGallery, "G2");
    TpaTreeNode* p = f.add(f.root, ikPhoto, "P");
    TpaTreeNode* inside = f.add(g1, ikGallery, "Inside");
    auto targets = BuildMoveToMenu(p, f.album);
    EXPECT_EQ(Captions(targets), (QStringList{"G1", "Inside", "G2"})) << "not the parent";
    EXPECT_EQ(targets[0].ImageIndex, MenuImageGallery);
    EXPECT_EQ(targets[0].NodeUid, g1->Uid());

    TpaTreeNode* q = f.add(g2, ikPhoto, "Q");
    f.add(g2, ikPhoto, "R");
    EXPECT_EQ(Captions(BuildMoveToMenu(p, f.album)), (QStringList{"G1", "Inside"})) << "G2 full";
    auto fromQ = BuildMoveToMenu(q, f.album);
    EXPECT_EQ(Captions(fromQ), (QStringList{"Album && Co", "G1", "Inside"}));
    EXPECT_EQ(fromQ[0].ImageIndex, MenuImageAlbum);
    f.album.Tree().Remove(q);
    EXPECT_EQ(Captions(BuildMoveToMenu(p, f.album)), (QStringList{"G1", "Inside", "G2"}));

    EXPECT_TRUE(BuildMoveToMenu(g1, f.album).empty());
    EXPECT_TRUE(BuildMoveToMenu(f.root, f.album).empty());
    EXPECT_TRUE(BuildMoveToMenu(nullptr, f.album).empty());

    // An entry kept across a deletion resolves to nothing.
    const quint64 insideUid = targets[1].NodeUid;
    f.album.Tree().Remove(g1);
    EXPECT_EQ(f.album.Tree().FindByUid(insideUid), nullptr);
    (void)inside;
}

TEST(TreeUtils, NeighboursAndCounts) {
    Fixture f;
    TpaTreeNode* g1 = f.add(f.root, ikGallery, "G1");
    TpaTreeNode* g2 = f.add(f.root, ikGallery, "G2");
    TpaTreeNode* p1 = f.add(f.root, ikPhoto, "P1");
    TpaTreeNode* g3 = f.add(f.root, ikGallery, "G3");
    TpaTreeNode* p2 = f.add(f.root, ikPhoto, "P2");
    EXPECT_EQ(GetPrevPhotoNode(p1), nullptr);
    EXPECT_EQ(GetNextPhotoNode(p1), p2);
    EXPECT_EQ(GetPrevPhotoNode(p2), p1);
    EXPECT_EQ(GetNextPhotoNode(p2), nullptr);
    EXPECT_EQ(GetNextPhotoNode(g1), nullptr) << "only for photos";
    EXPECT_EQ(GetPrevSiblingNode(f.root), nullptr);
    EXPECT_EQ(GetNextSiblingNode(f.root), nullptr);
    EXPECT_EQ(GetNextSiblingNode(p2), nullptr);
    EXPECT_EQ(GetPrevSiblingNode(g3), p1);
    EXPECT_EQ(GetNextSiblingNode(g1), g2);
    EXPECT_EQ(GetPrevSiblingNode(nullptr), nullptr);
    EXPECT_EQ(CountGalleryChildren(f.root), 3);
    EXPECT_EQ(CountPhotoChildren(f.root), 2);
    EXPECT_EQ(CountPhotoChildren(g1), 0);
    EXPECT_EQ(CountPhotoChildren(nullptr), 0);
}

TEST(TreeUtils, DeletingItemFilesStaysInsideTheWorkingFolders) {
    Fixture f;
    TpaTreeNode* g = f.add(f.root, ikGallery, "G");
    TpaTreeNode* s = f.add(g, ikGallery, "S");
    TpaTreeNode* p = f.add(g, ikPhoto, "P");
    TpaTreeNode* sibling = f.add(f.root, ikGallery, "Sibling");
    TpaTreeNode* empty = f.add(f.root, ikGallery, "Empty");
    f.giveFiles(g, "g");
    f.giveFiles(s, "s");
    f.giveFiles(p, "p");
    f.giveFiles(sibling, "sib");
    // A template may point two galleries at one default picture.
    TpaTreeNode* sharing = f.add(f.root, ikGallery, "Sharing");
    sharing->Item()->ImageFields().FindById(1)->Image.FileName = "pictavo_images/s.jpg";

    DeleteItemFiles(empty, f.preview(), f.thumbs());  // nothing to delete, no harm
    DeleteItemFiles(f.root, f.preview(), f.thumbs()); // the root deletes nothing
    EXPECT_TRUE(QFileInfo::exists(f.preview() + "pictavo_images/g.jpg"));

    DeleteItemFiles(g, f.preview(), f.thumbs());
    for (const char* gone : {"pictavo_images/g.jpg", "pictavo_music/g.mp3", "pictavo_music/s.mp3",
                             "pictavo_images/p.jpg", "pictavo_music/p.mp3"})
        EXPECT_FALSE(QFileInfo::exists(f.preview() + gone)) << gone;
    EXPECT_FALSE(QFileInfo::exists(f.thumbs() + "g.jpg"));
    EXPECT_FALSE(QFileInfo::exists(f.thumbs() + "p.jpg"));
    EXPECT_TRUE(QFileInfo::exists(f.preview() + "pictavo_images/s.jpg")) << "still used";
    EXPECT_TRUE(QFileInfo::exists(f.preview() + "pictavo_images/sib.jpg"));
    EXPECT_TRUE(QFileInfo::exists(f.thumbs() + "sib.jpg"));

    // Paths that climb out, set by hand or by a file, never reach the victim.
    WriteFile(f.dir.file("victim"), "keep me");
    TpaTreeNode* bad = f.add(f.root, ikPhoto, "Bad");
    bad->Item()->ImageFields().FindById(1)->Image.FileName = "../victim";
    bad->Item()->ImageFields().FindById(1)->Image.Thumbnail = f.dir.file("victim");
    bad->Item()->Music().FileName = "../../victim";
    DeleteItemFiles(bad, f.preview(), f.thumbs());
    EXPECT_EQ(ReadFile(f.dir.file("victim")), "keep me");
}

TEST(TreeUtils, ExpandStateSurvivesAMoveAndAShortList) {
    Fixture f;
    TpaTreeNode* first = f.add(f.root, ikGallery, "First");
    TpaTreeNode* g = f.add(f.root, ikGallery, "G");
    TpaTreeNode* a = f.add(g, ikGallery, "A");
    TpaTreeNode* b = f.add(g, ikGallery, "B");
    f.add(a, ikPhoto, "a1");
    f.add(b, ikPhoto, "b1");
    g->SetExpanded(true);
    a->SetExpanded(true);
    b->SetExpanded(false);
    QList<int> state;
    SaveTreeExpandState(g, state);
    EXPECT_EQ(state, (QList<int>{1, 1, 0}));
    ASSERT_TRUE(f.album.Tree().Move(g, f.root, 0));
    g->SetExpanded(false);
    a->SetExpanded(false);
    b->SetExpanded(true);
    RestoreTreeExpandState(g, state);
    EXPECT_TRUE(g->Expanded());
    EXPECT_TRUE(a->Expanded());
    EXPECT_FALSE(b->Expanded());
    EXPECT_TRUE(state.isEmpty());

    QList<int> shortList{0};
    RestoreTreeExpandState(g, shortList);
    EXPECT_FALSE(g->Expanded());
    EXPECT_TRUE(a->Expanded()) << "nodes past the end of the list stay as they are";
    QList<int> none;
    RestoreTreeExpandState(g, none);
    (void)first;
}

TEST(TreeUtils, DeepTreesAreWalkedWithoutRecursion) {
    Fixture f;
    TpaTreeNode* n = f.root;
    for (int i = 0; i < 100000; ++i) {
        n = f.album.Tree().Append(n, f.album.CreateItem(ikGallery, nullptr));
        n->SetExpanded(i % 2 == 0);
    }
    QList<int> state;
    SaveTreeExpandState(f.root, state);
    EXPECT_EQ(state.size(), 100000);
    RestoreTreeExpandState(f.root, state);
    DeleteItemFiles(f.root->Child(0), f.preview(), f.thumbs());
    int counter = 1;
    TpaAlbum::RenumberIds(f.root, 0, counter);
    EXPECT_EQ(counter, 100001);
    EXPECT_EQ(f.album.RebuildThumbnails(f.root, f.thumbs(), f.preview()), 0);
}
