#include "tests/model/ModelTestSupport.h"

#include "model/document/Album.h"
#include "model/document/LeftOutFiles.h"
#include "model/items/Item.h"

#include <QImage>

using namespace model;
using namespace modeltest;

// A member left out of an album file as damaged: the album's or a gallery's picture that is gone
// is cleared with its reduced copy, music that is gone is cleared, a reduced copy whose picture
// is there is made again (at its size), and nothing else changes.
TEST(LeftOutFiles, ImagesAndMusicThatAreGoneAreClearedAndCopiesMadeAgain) {
    const struct {
        QString leftOut;
        QStringList cleared; // of: bg (album picture), bg_small (its copy), cover, album, gallery
    } cases[] = {
        {"pictavo_images/bg.jpg", {"bg", "bg_small"}}, {"pictavo_images/bg_small.jpg", {}},
        {"pictavo_images/cover.jpg", {"cover"}},       {"pictavo_music/album.mp3", {"album"}},
        {"pictavo_music/gallery.mp3", {"gallery"}},    {"pictavo_music/other.mp3", {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.leftOut.toStdString());
        TempFolder dir;
        const FolderLayout f = FolderLayout::compute(dir.file("prog/"), dir.file("data/"));
        WriteFile(dir.file("album.xml"), R"(<setting><level id="0"><src id="1" w="80" h="60"/>
            <src id="2" thumb="1" w="16" h="12"/><music>m</music></level>
            <level id="*"><src id="1" w="40" h="30"/><music>m</music></level></setting>)");
        TpaAlbum album;
        album.Settings.LoadFromFile(dir.file("album.xml"));
        TpaTreeNode* root = album.Tree().Append(nullptr, album.CreateItem(ikAlbum, nullptr));
        TpaItem& a = *root->Item();
        TpaItem& g = *album.Tree().Append(root, album.CreateItem(ikGallery, root))->Item();
        QDir().mkpath(f.PreviewImagesFolder);
        QImage picture(80, 60, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        TpaImageInfo* images[] = {&a.ImageFields().FindById(1)->Image,
                                  &a.ImageFields().FindById(2)->Image,
                                  &g.ImageFields().FindById(1)->Image};
        const QStringList names = {"bg", "bg_small", "cover"};
        for (int i = 0; i < 3; ++i) {
            images[i]->FileName = "pictavo_images/" + names[i] + ".jpg";
            if (images[i]->FileName != c.leftOut) // a left-out member is not on disk
                picture.save(f.PreviewFolder + images[i]->FileName, "JPEG");
        }
        a.Music().FileName = "album.mp3";
        g.Music().FileName = "gallery.mp3";

        TpaLeftOutFiles({c.leftOut}, f).Repair(album.Tree());

        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(images[i]->FileName.isEmpty(), c.cleared.contains(names[i])) << i;
        EXPECT_EQ(a.Music().FileName.isEmpty(), c.cleared.contains("album"));
        EXPECT_EQ(g.Music().FileName.isEmpty(), c.cleared.contains("gallery"));
        if (c.leftOut.endsWith("bg_small.jpg"))
            EXPECT_EQ(QImage(f.PreviewImagesFolder + "bg_small.jpg").width(), 16);
    }
}
