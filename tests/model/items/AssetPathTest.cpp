#include "tests/model/ModelTestSupport.h"

#include "model/document/Album.h"
#include "model/items/ImageInfo.h"
#include "model/items/Item.h"
#include "model/tree/TreeUtils.h"

#include <QDomDocument>

using namespace model;
using namespace modeltest;

// Picture paths from "data.xml" count only inside the picture folders.
TEST(AssetPaths, OnlyThePictureFoldersHoldPictures) {
    const std::pair<const char*, const char*> cases[] = {
        {"pictavo_images/a.jpg", "pictavo_images/a.jpg"},
        {"pictavo_thumbs\\t.jpg", "pictavo_thumbs/t.jpg"},
        {"pictavo_music/song.mp3", ""},
        {"album.xml", ""},
        {"index.html", ""},
        {"pictavo_images/../album.xml", ""},
        {"pictavo_images/", ""},
        {"/tmp/pictavo_images/a.jpg", ""},
    };
    for (const auto& [text, expected] : cases) {
        QDomDocument doc;
        doc.setContent(QString("<src w=\"1\" h=\"1\">%1</src>").arg(text));
        TpaImageInfo image;
        image.LoadFromXml(doc.documentElement(), "/w/");
        EXPECT_EQ(image.FileName, expected) << text;
    }
}

// A gallery whose picture and music name the template's "album.xml" is loaded without them
// (music always lies in its own folder), and deleting it leaves the album able to open again.
TEST(AssetPaths, DeletingAnItemKeepsTheTemplateFiles) {
    TempFolder dir;
    WriteFile(dir.file("album.xml"), ReadFile(TestData("album.xml")));
    WriteFile(dir.file("pictavo_images/cover.jpg"), "x");
    WriteFile(
        dir.file("data.xml"),
        "<photogallery><folder>"
        "<item id=\"1\" pid=\"0\"><src id=\"1\" w=\"1\" h=\"1\">album.xml</src>"
        "<music>album.xml</music></item>"
        "<item id=\"2\" pid=\"0\"><src id=\"1\" w=\"1\" h=\"1\">pictavo_images/cover.jpg</src>"
        "</item></folder></photogallery>");
    TpaAlbum album;
    album.LoadFromXml(dir.file("data.xml"));
    const TpaTreeNode* root = album.Tree().Root();
    ASSERT_EQ(root->ChildCount(), 2);
    DeleteItemFiles(root->Child(0), dir.path(), dir.file("thumbs/"));
    DeleteItemFiles(root->Child(1), dir.path(), dir.file("thumbs/"));
    EXPECT_TRUE(QFileInfo::exists(dir.file("album.xml")));
    EXPECT_FALSE(QFileInfo::exists(dir.file("pictavo_images/cover.jpg")));

    // A picture from outside the picture folders is no image rather than an absolute path.
    TpaImageInfo outside;
    outside.FileName = dir.file("album.xml");
    EXPECT_FALSE(outside.MakeRelative(dir.path()));
    EXPECT_EQ(outside.FileName, "");
    TpaImageInfo inside;
    inside.FileName = dir.file("pictavo_images/cover.jpg");
    EXPECT_TRUE(inside.MakeRelative(dir.path()));
    EXPECT_EQ(inside.FileName, "pictavo_images/cover.jpg");
}
