#include "tests/model/ModelTestSupport.h"

#include "model/Errors.h"
#include "model/document/Album.h"
#include "model/items/AlbumItem.h"

#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QtEndian>

using namespace model;
using namespace modeltest;

namespace {

const QString kTemplate = QStringLiteral(FZ_SOURCE_DIR "/resources/Templates/fz-simple/");
const QString kPage = QStringLiteral(FZ_SOURCE_DIR "/resources/Files/index.html");

// A new album starts as a copy of the template folder.
void CopyTemplate(const QString& to) {
    QDirIterator it(kTemplate, QDir::Files);
    while (it.hasNext()) {
        const QString from = it.next();
        ASSERT_TRUE(QFile::copy(from, to + it.fileName())) << from.toStdString();
    }
}

} // namespace

TEST(SampleTemplate, StartsAnAlbumThatSavesBackUnchanged) {
    TempFolder preview;
    CopyTemplate(preview.path());
    const QByteArray original = ReadFile(preview.file("data.xml"));
    TpaAlbum album;
    album.LoadFromXml(preview.file("data.xml"));
    EXPECT_EQ(album.Settings.Id, "fz-simple") << "the id names the template's folder";
    EXPECT_EQ(album.GetAlbumName(), "My Album");
    TpaTreeNode* root = album.Tree().Root();
    ASSERT_EQ(root->ChildCount(), 1);
    EXPECT_EQ(root->Child(0)->Text(), "Gallery 1");
    EXPECT_TRUE(album.CanAddGallery(root->Child(0)));
    EXPECT_TRUE(album.CanAddPhoto(root->Child(0)));

    for (int depth : {0, 1, 5}) {
        const TpaAlbumSettingsLevel* level = album.Settings.Levels.FindLevel(depth);
        ASSERT_NE(level, nullptr);
        EXPECT_NE(level->TextFields.CaptionField(), nullptr);
        EXPECT_GT(level->ImageFields.Count(), 0);
        EXPECT_FALSE(level->Music.Caption.isEmpty());
        // Its player asks no password: a field for one would promise what it does not keep.
        EXPECT_TRUE(level->Access.Caption.isEmpty());
        EXPECT_FALSE(level->Photo.Link.Caption.isEmpty());
        EXPECT_NE(level->Photo.ImageFields.FindById(level->Photo.Show), nullptr);
    }

    album.SaveToXml(preview.file("data.xml"));
    EXPECT_EQ(ReadFile(preview.file("data.xml")).toStdString(), original.toStdString());

    QString width, height;
    ASSERT_TRUE(album.GetAlbumSize(width, height));
    EXPECT_EQ(width, "100%");
    album.WriteIndexHtml(preview.file("index.html"), kPage, "pictavo/");
    const QByteArray page = ReadFile(preview.file("index.html"));
    EXPECT_FALSE(page.toLower().contains("%_album_")) << "every placeholder is filled";
    EXPECT_TRUE(page.contains("<title>My Album</title>"));
    EXPECT_TRUE(page.contains("data=\"pictavo/index.swf\""));
    // Publishing leaves the Flash activation script out: the page must not ask for it.
    EXPECT_FALSE(page.contains("AC_RunActiveContent"));
    EXPECT_TRUE(page.contains("width=\"100%\""));
    EXPECT_TRUE(page.contains("src=\"pictavo/player.js\""));
    EXPECT_TRUE(page.contains("data-base=\"pictavo/\""));
}

TEST(SampleTemplate, PlayerAndPictureFilesAreWellFormed) {
    QImageReader thumb(kTemplate + "thumb.jpg");
    EXPECT_EQ(thumb.format(), "jpeg");
    EXPECT_TRUE(thumb.size().isValid());
    const QByteArray swf = ReadFile(kTemplate + "index.swf");
    ASSERT_GE(swf.size(), 8);
    EXPECT_TRUE(swf.startsWith("FWS"));
    EXPECT_EQ(qFromLittleEndian<quint32>(swf.constData() + 4), static_cast<quint32>(swf.size()));
    EXPECT_TRUE(
        ReadFile(kTemplate + "AC_RunActiveContent.js").contains("function AC_FL_RunContent"));
    for (const char* placeholder :
         {"%_album_width_%", "%_album_height_%", "%_album_base_folder_%", "%_album_name_%"})
        EXPECT_TRUE(ReadFile(kPage).contains(placeholder)) << placeholder;

    // The script player stays small: a visitor loads all of it before the album shows.
    qint64 size = 0;
    for (const char* name : {"player.js", "player.css"}) {
        const QByteArray file = ReadFile(kTemplate + name);
        EXPECT_FALSE(file.isEmpty()) << name;
        size += file.size();
    }
    EXPECT_LT(size, 40 * 1024);
}
