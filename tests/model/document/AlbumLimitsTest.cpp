#include "tests/model/ModelTestSupport.h"

#include "model/AlbumLimits.h"
#include "model/Errors.h"
#include "model/document/Album.h"
#include "model/document/AlbumUnpackLimits.h"
#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"

#include <QDir>
#include <QFileInfo>

#include <cstdlib>

using namespace model;
using namespace modeltest;

namespace {

// A template whose levels define `fields` text and image fields, in the level and its photo.
QByteArray Template(int fields) {
    QByteArray list;
    for (int i = 1; i <= fields; ++i)
        list += "<txt id=\"" + QByteArray::number(i) + "\">T</txt><src id=\"" +
                QByteArray::number(i) + "\" w=\"9\" h=\"9\"/>";
    const QByteArray level = "\">" + list + "<photo>" + list + "</photo></level>";
    return "<setting id=\"t\"><level id=\"0" + level + "<level id=\"*" + level + "</setting>";
}

QByteArray Galleries(int count) {
    QByteArray out = "<photogallery><folder>";
    for (int i = 1; i <= count; ++i)
        out += "<item id=\"" + QByteArray::number(i) + "\" pid=\"0\"/>";
    return out + "</folder><photo/></photogallery>";
}

} // namespace

// The widest template allows fewer items; both limits hold at their edge in the loader and in
// the editor, and a file past them leaves the album empty with a message saying why.
TEST(AlbumLimits, WidestTemplateAndMostItemsAreTheEdge) {
    TempFolder dir;
    WriteFile(dir.file("album.xml"), Template(kMaxLevelFields + 1));
    TpaAlbum album;
    try {
        album.Settings.LoadFromFile(dir.file("album.xml"));
        ADD_FAILURE() << "a level with too many fields must be refused";
    } catch (const XmlLoadError& e) {
        EXPECT_TRUE(e.message().contains(QString("more than %1").arg(kMaxLevelFields))) << e.what();
    }

    WriteFile(dir.file("album.xml"), Template(kMaxLevelFields));
    const int most = static_cast<int>(kMaxItemFields / (4 * kMaxLevelFields));
    WriteFile(dir.file("data.xml"), Galleries(most));
    album.LoadFromXml(dir.file("data.xml"));
    EXPECT_EQ(album.Tree().NodeCount(), most + 1);
    EXPECT_FALSE(album.CanAddGallery(album.Tree().Root()));
    EXPECT_FALSE(album.CanAddPhoto(album.Tree().Root()->Child(0)));
    EXPECT_TRUE(album.CanTakePhoto(album.Tree().Root()->Child(0))) << "a move adds nothing";

    WriteFile(dir.file("data.xml"), Galleries(most + 1));
    try {
        album.LoadFromXml(dir.file("data.xml"));
        ADD_FAILURE() << "an album past the limit must be refused";
    } catch (const XmlLoadError& e) {
        EXPECT_TRUE(e.message().contains(QString("more than %1 galleries").arg(most))) << e.what();
    }
    EXPECT_EQ(album.Tree().NodeCount(), 0);

    WriteFile(dir.file("album.xml"), Template(1));
    album.Settings.LoadFromFile(dir.file("album.xml"));
    EXPECT_EQ(album.Settings.MaxItems(), kMaxAlbumItems);
}

// The file is read item by item: photos ahead of their galleries and album values after them
// still land where they belong, and a bad item is named by its line.
TEST(AlbumLimits, ItemsAreReadOneByOneInAnyOrder) {
    TempFolder dir;
    WriteFile(dir.file("album.xml"), Template(1));
    TpaAlbum album;
    WriteFile(dir.file("data.xml"), "<photogallery>\n<photo><item fid=\"2\"><txt id=\"1\">P</txt>"
                                    "</item></photo>\n<folder><item id=\"2\" pid=\"0\"/></folder>\n"
                                    "<txt id=\"1\">Album</txt></photogallery>");
    album.LoadFromXml(dir.file("data.xml"));
    const TpaTreeNode* root = album.Tree().Root();
    ASSERT_EQ(root->ChildCount(), 1);
    ASSERT_EQ(root->Child(0)->ChildCount(), 1);
    EXPECT_EQ(root->Child(0)->Child(0)->Item()->Level.Photo.TextFields.FindById(1)->Value, "P");
    EXPECT_EQ(root->Item()->Level.TextFields.FindById(1)->Value, "Album");

    WriteFile(dir.file("data.xml"), "<photogallery><folder>\n\n<item pid=\"0\"/></folder>"
                                    "</photogallery>");
    try {
        album.LoadFromXml(dir.file("data.xml"));
        ADD_FAILURE() << "an item without its id must be refused";
    } catch (const ConversionError& e) {
        EXPECT_TRUE(e.message().contains("line 3")) << e.what();
    }
}

// A file past any real album's size is refused before it is read into memory.
TEST(AlbumLimits, DataFilePastTheSizeCapIsNotRead) {
    TempFolder dir;
    WriteFile(dir.file("album.xml"), Template(1));
    WriteFile(dir.file("data.xml"), Galleries(1));
    QFile data(dir.file("data.xml"));
    ASSERT_TRUE(data.resize(kMaxDataXmlBytes + 1)); // sparse: takes no room
    TpaAlbum album;
    try {
        album.LoadFromXml(dir.file("data.xml"));
        ADD_FAILURE() << "a data file past the cap must be refused";
    } catch (const XmlLoadError& e) {
        EXPECT_TRUE(e.message().contains("larger than any album")) << e.what();
    }
}

// On a small disk (a 16 MiB tmpfs) an album opens when its unpacked size fits, and one that
// does not fit is refused before anything of it is written.
TEST(AlbumLimits, AlbumThatFitsASmallDiskOpens) {
    TempFolder dir;
    const QString disk = dir.file("disk");
    QDir().mkpath(disk);
    const std::string mount = "mount -t tmpfs -o size=16m tmpfs '" + disk.toStdString() + "'";
    if (std::system((mount + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    const struct {
        int pictureBytes;
        bool opens;
    } cases[] = {{1 << 20, true}, {12 << 20, true}, {20 << 20, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pictureBytes);
        const QString source = dir.file("album" + QString::number(c.pictureBytes) + "/");
        QDir().mkpath(source);
        WriteFile(source + "album.xml", Template(1));
        WriteFile(source + "data.xml", Galleries(1));
        WriteFile(source + "picture.jpg", QByteArray(c.pictureBytes, 'p'));
        const std::string albumFile = (dir.file("a.zip")).toStdString();
        zip::TZipArchiver archiver;
        ASSERT_TRUE(zip::ZipFolder(archiver, source.toStdString(), albumFile));
        const QString target = disk + "/open/";
        QDir().mkpath(target);
        bool opened = false;
        try {
            opened =
                zip::UnzipAll(archiver, albumFile, target.toStdString(), AlbumUnpackLimits(target));
        } catch (const zip::EZAException& e) {
            EXPECT_TRUE(e.Is(zip::ZAError::UnpackLimit)) << e.what();
        }
        EXPECT_EQ(opened, c.opens);
        EXPECT_EQ(QFileInfo::exists(target + "picture.jpg"), c.opens);
        QDir(target).removeRecursively();
    }
    std::system(("umount '" + disk.toStdString() + "'").c_str());
}
