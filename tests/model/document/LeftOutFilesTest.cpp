#include "tests/model/ModelTestSupport.h"

#include "model/document/Album.h"
#include "model/document/LeftOutFiles.h"
#include "model/items/Item.h"

#include <QImage>

using namespace model;
using namespace modeltest;

// Members left out of an album file as damaged: the album's and a gallery's images and music
// that are gone are cleared, a reduced copy whose picture is there is made again, and nothing
// else changes.
TEST(LeftOutFiles, ImagesAndMusicThatAreGoneAreClearedAndCopiesMadeAgain) {
    const struct {
        const char* leftOut;
        const char* cleared; // "album image", "album copy", "gallery image", "* music"; "" none
    } cases[] = {
        {"pictavo_images/bg.jpg", "album image,album copy"},
        {"pictavo_images/bg_small.jpg", ""}, // made again from bg.jpg
        {"pictavo_images/cover.jpg", "gallery image"},
        {"pictavo_music/album.mp3", "album music"},
        {"pictavo_music/gallery.mp3", "gallery music"},
        {"pictavo_music/other.mp3", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.leftOut);
        TempFolder dir;
        const FolderLayout folders = FolderLayout::compute(dir.file("prog/"), dir.file("data/"));
        WriteFile(dir.file("album.xml"), R"(<setting>
            <level id="0" caption="1"><txt id="1"/><src id="1" w="80" h="60"/>
              <src id="2" thumb="1" w="16" h="12"/><music>m</music></level>
            <level id="*" caption="1"><txt id="1"/><src id="1" w="40" h="30"/><music>m</music>
            </level></setting>)");
        TpaAlbum album;
        album.Settings.LoadFromFile(dir.file("album.xml"));
        TpaTreeNode* root = album.Tree().Append(nullptr, album.CreateItem(ikAlbum, nullptr));
        TpaTreeNode* gallery = album.Tree().Append(root, album.CreateItem(ikGallery, root));
        QImage picture(80, 60, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        for (const char* name : {"bg.jpg", "bg_small.jpg", "cover.jpg"}) {
            QDir().mkpath(folders.PreviewImagesFolder);
            if (QString(c.leftOut).endsWith(name))
                continue; // a left-out member is not on disk
            picture.save(folders.PreviewImagesFolder + name, "JPEG");
        }
        TpaItem& a = *root->Item();
        a.ImageFields().FindById(1)->Image.FileName = "pictavo_images/bg.jpg";
        a.ImageFields().FindById(2)->Image.FileName = "pictavo_images/bg_small.jpg";
        a.Music().FileName = "album.mp3";
        gallery->Item()->ImageFields().FindById(1)->Image.FileName = "pictavo_images/cover.jpg";
        gallery->Item()->Music().FileName = "gallery.mp3";

        TpaLeftOutFiles({QString(c.leftOut)}, folders).Repair(album.Tree());

        const QStringList cleared = QString(c.cleared).split(u',', Qt::SkipEmptyParts);
        EXPECT_EQ(a.ImageFields().FindById(1)->Image.FileName.isEmpty(),
                  cleared.contains("album image"));
        EXPECT_EQ(a.ImageFields().FindById(2)->Image.FileName.isEmpty(),
                  cleared.contains("album copy"));
        EXPECT_EQ(gallery->Item()->ImageFields().FindById(1)->Image.FileName.isEmpty(),
                  cleared.contains("gallery image"));
        EXPECT_EQ(a.Music().FileName.isEmpty(), cleared.contains("album music"));
        EXPECT_EQ(gallery->Item()->Music().FileName.isEmpty(), cleared.contains("gallery music"));
        if (QString(c.leftOut).endsWith("bg_small.jpg")) // made again, at its size
            EXPECT_EQ(QImage(folders.PreviewImagesFolder + "bg_small.jpg").width(), 16);
    }
}
