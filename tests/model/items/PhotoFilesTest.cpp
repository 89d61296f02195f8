#include "model/items/PhotoFiles.h"

#include "model/Errors.h"
#include "model/items/PhotoItem.h"

#include "tests/model/ImageTestSupport.h"
#include "tests/model/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>

using namespace model;
using namespace modeltest;
using namespace imagetest;

namespace {

struct WorkFolders {
    TempFolder root;
    FolderLayout layout;
    WorkFolders() {
        layout.PreviewFolder = root.file("Preview/");
        layout.PreviewImagesFolder = layout.PreviewFolder + "pictavo_images/";
        layout.PreviewThumbsFolder = layout.PreviewFolder + "pictavo_thumbs/";
        layout.ThumbsFolder = root.file("Thumbs/");
        for (const QString& f :
             {layout.PreviewImagesFolder, layout.PreviewThumbsFolder, layout.ThumbsFolder})
            QDir().mkpath(f);
    }
    QStringList all() const {
        QStringList files;
        for (const QString& f :
             {layout.PreviewImagesFolder, layout.PreviewThumbsFolder, layout.ThumbsFolder})
            files += QDir(f).entryList(QDir::Files, QDir::Name);
        return files;
    }
};

QString picture(const TempFolder& dir, const QString& name, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(dir.file(name), "JPEG");
    return dir.file(name);
}

// A photo level: main field 1 (the show field), reduced field 2 of it, extra main field `third`.
TpaAlbumSettingsPhoto photoLevel(int third = 0) {
    TpaAlbumSettingsPhoto photo;
    photo.Show = 1;
    auto* main = photo.ImageFields.Add(1);
    main->W = 640;
    main->H = 480;
    auto* reduced = photo.ImageFields.Add(2);
    reduced->Thumb = 1;
    reduced->W = 100;
    reduced->H = 75;
    if (third)
        photo.ImageFields.Add(third);
    return photo;
}

} // namespace

TEST(PhotoFiles, FillMakesEveryCopyAndNamesTheCaptionAfterTheShowField) {
    WorkFolders f;
    TempFolder src;
    const QString file = picture(src, "beach.jpg", 1000, 800);
    TpaAlbumSettingsPhoto photo = photoLevel();
    EXPECT_EQ(FillPhotoFromFile(photo, file, f.layout), "beach.jpg");
    TpaAlbumSettingsPhoto again = photoLevel();
    EXPECT_EQ(FillPhotoFromFile(again, file, f.layout), "beach001.jpg");
    const auto* main = photo.ImageFields.FindById(1);
    EXPECT_EQ(main->Image.FileName, "pictavo_images/beach.jpg");
    EXPECT_EQ(QSize(main->Image.Width, main->Image.Height), QSize(600, 480));
    EXPECT_EQ(photo.ImageFields.FindById(2)->Image.FileName, "pictavo_thumbs/tn_beach.jpg");
    EXPECT_EQ(main->Image.Thumbnail, f.layout.ThumbsFolder + "beach.jpg");
    EXPECT_EQ(QImage(main->Image.Thumbnail).size(), QSize(150, 120));
    EXPECT_EQ(f.all(), QStringList({"beach.jpg", "beach001.jpg", "tn_beach.jpg", "tn_beach001.jpg",
                                    "beach.jpg", "beach001.jpg"}));
}

// A picture that fails leaves no file and the photo as it was, whatever step failed.
TEST(PhotoFiles, AFailingPictureLeavesNothingBehind) {
    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"garbage.jpg", readAll(fixture("garbage.jpg"))},
        {"truncated.jpg", readAll(fixture("truncated.jpg"))},
        {"empty.gif", QByteArray()},
        {"picture.png", readAll(fixture("x.png"))},
    };
    for (const Case& c : cases) {
        WorkFolders f;
        TempFolder src;
        WriteFile(src.file(c.name), c.bytes);
        TpaAlbumSettingsPhoto photo = photoLevel();
        const TpaAlbumSettingsPhoto before = photo;
        EXPECT_THROW(FillPhotoFromFile(photo, src.file(c.name), f.layout), ModelError) << c.name;
        EXPECT_EQ(f.all(), QStringList()) << c.name;
        EXPECT_TRUE(photo == before) << c.name;
    }
}

// The last step fails (no editor thumbnail can be written): the copies made before it go too.
TEST(PhotoFiles, AFailureAfterTheFirstCopiesRemovesThem) {
    WorkFolders f;
    TempFolder src;
    WriteFile(f.root.file("blocked"), "a file where the thumbnails folder should be");
    FolderLayout layout = f.layout;
    layout.ThumbsFolder = f.root.file("blocked/Thumbs/");
    TpaAlbumSettingsPhoto photo = photoLevel();
    EXPECT_THROW(FillPhotoFromFile(photo, picture(src, "p.jpg", 64, 48), layout), ModelError);
    EXPECT_EQ(f.all(), QStringList());
    EXPECT_TRUE(photo.ImageFields.FindById(1)->Image.FileName.isEmpty());
}

TEST(PhotoFiles, ReplaceKeepsEveryNameAndRefusesItsOwnFile) {
    WorkFolders f;
    TempFolder src;
    TpaAlbumSettingsPhoto photo = photoLevel();
    FillPhotoFromFile(photo, picture(src, "old.jpg", 800, 600), f.layout);
    const QStringList names = f.all();
    ReplacePhotoImages(photo, picture(src, "new.jpg", 300, 600), f.layout);
    EXPECT_EQ(f.all(), names);
    const auto* main = photo.ImageFields.FindById(1);
    EXPECT_EQ(main->Image.FileName, "pictavo_images/old.jpg");
    EXPECT_EQ(QSize(main->Image.Width, main->Image.Height), QSize(240, 480));

    const QString own = f.layout.PreviewFolder + main->Image.FileName;
    const QByteArray bytes = ReadFile(own);
    EXPECT_THROW(ReplacePhotoImages(photo, own, f.layout), FileError);
    EXPECT_EQ(ReadFile(own), bytes);
    // A damaged source is refused before a file is touched.
    WriteFile(src.file("bad.jpg"), readAll(fixture("garbage.jpg")));
    EXPECT_THROW(ReplacePhotoImages(photo, src.file("bad.jpg"), f.layout), ModelError);
    EXPECT_EQ(ReadFile(own), bytes);
}

// A level change deletes the files of fields only the old level has, and never a file outside
// the working folders, whatever path "data.xml" gave.
TEST(PhotoFiles, LevelChangeDeletesOnlyTheDroppedFieldsOwnFiles) {
    WorkFolders f;
    TempFolder src;
    TpaPhotoItem item;
    item.Level.Photo = photoLevel();
    item.Level.Photo.TextFields.Add(1)->Value = "kept";
    FillPhotoFromFile(item.Level.Photo, picture(src, "p.jpg", 64, 48), f.layout);
    item.Level.Photo.ImageFields.Add(3);
    const QString outside = f.root.file("outside.jpg");
    WriteFile(outside, "keep me");
    WriteFile(f.layout.PreviewImagesFolder + "three.jpg", "three");
    item.Level.Photo.ImageFields.FindById(3)->Image.FileName = "pictavo_images/three.jpg";

    TpaAlbumSettingsLevel target;
    target.Photo = photoLevel(4); // keeps 1 and 2, drops 3
    target.Photo.TextFields.Add(1);
    ChangePhotoLevel(item, target, f.layout);
    EXPECT_EQ(item.Level.Photo.TextFields.FindById(1)->Value, "kept");
    EXPECT_EQ(item.Level.Photo.ImageFields.FindById(1)->Image.FileName, "pictavo_images/p.jpg");
    EXPECT_TRUE(item.Level.Photo.ImageFields.FindById(4)->Image.FileName.isEmpty());
    EXPECT_FALSE(QFile::exists(f.layout.PreviewImagesFolder + "three.jpg"));
    EXPECT_EQ(f.all(), QStringList({"p.jpg", "tn_p.jpg", "p.jpg"}));

    // Hostile paths in a dropped field: outside the folders, nothing is deleted.
    for (const QString& path :
         {QString("../outside.jpg"), QString("pictavo_images/../../outside.jpg"), outside}) {
        TpaPhotoItem hostile;
        hostile.Level.Photo = photoLevel(3);
        hostile.Level.Photo.ImageFields.FindById(3)->Image.FileName = path;
        hostile.Level.Photo.ImageFields.FindById(3)->Image.Thumbnail = outside;
        ChangePhotoLevel(hostile, target, f.layout);
        EXPECT_EQ(ReadFile(outside), "keep me") << path.toStdString();
    }
}
