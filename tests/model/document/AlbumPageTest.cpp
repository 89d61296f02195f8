#include "tests/model/ModelTestSupport.h"

#include "model/Errors.h"
#include "model/document/Album.h"
#include "model/document/AlbumPage.h"
#include "model/items/AlbumItem.h"
#include "model/items/PhotoItem.h"
#include "model/settings/AlbumSettingsPhoto.h"

#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QSet>

#include <vector>

using namespace model;
using namespace modeltest;

namespace {

TpaAlbumItem* AddRoot(TpaAlbum& album, const QString& name) {
    auto item = std::make_unique<TpaAlbumItem>();
    item->Level.TextFields.Add(1)->Value = name;
    item->Level.TextFields.CaptionFieldId = 1;
    return static_cast<TpaAlbumItem*>(album.Tree().Append(nullptr, std::move(item))->Item());
}

const QByteArray kTemplate = "<title>%_ALBUM_NAME_%</title>\n"
                             "<p>%_album_width_%|%_album_width_%|%_album_width_%</p>\n"
                             "<p>%_album_base_folder_%index.swf</p>";

} // namespace

TEST(AlbumPage, SizeTextsFollowScaleAndMetric) {
    TpaAlbum album;
    QString w = "unchanged", h = "unchanged";
    EXPECT_FALSE(album.GetAlbumSize(w, h));
    EXPECT_EQ(w, "unchanged");
    TpaAlbumItem* root = AddRoot(album, "A");
    root->PublishSize.WidthScale = 80;
    root->PublishSize.HeightScale = 50;
    root->PublishSize.HeightMetric = szPixel;
    root->PublishSize.HeightPixel = 300;
    ASSERT_TRUE(album.GetAlbumSize(w, h));
    EXPECT_EQ(w, "80%");
    EXPECT_EQ(h, "300");
    root->PublishSize.WidthScale = -1;
    root->PublishSize.WidthMetric = szPixel;
    root->PublishSize.WidthPixel = 500;
    root->PublishSize.HeightMetric = 7;
    album.GetAlbumSize(w, h);
    EXPECT_EQ(w, "");
    EXPECT_EQ(h, "") << "an unknown metric gives no size";
}

TEST(AlbumPage, PlaceholdersAreFilledAndTheRestKeepsItsBytes) {
    TempFolder dir;
    WriteFile(dir.file("index.html"), kTemplate);
    TpaAlbum album;
    TpaAlbumItem* root = AddRoot(album, "Ålbum 日本");
    root->PublishSize.WidthScale = 80;
    album.WriteIndexHtml(dir.file("page.htm"), dir.file("index.html"), "pictavo\\");
    EXPECT_EQ(ReadFile(dir.file("page.htm")),
              QByteArray("<title>Ålbum 日本</title>\r\n<p>80%|80%|80%</p>\r\n"
                         "<p>pictavo/index.swf</p>\r\n"));
    album.WriteIndexHtml(dir.file("page.htm"), dir.file("index.html"), "");
    EXPECT_TRUE(ReadFile(dir.file("page.htm")).contains("<p>index.swf</p>"));

    root->Level.TextFields.FindById(1)->Value = "%_album_width_%";
    album.WriteIndexHtml(dir.file("page.htm"), dir.file("index.html"), "");
    EXPECT_TRUE(ReadFile(dir.file("page.htm")).startsWith("<title>%_album_width_%</title>"));
    root->Level.TextFields.FindById(1)->Value = "Tom & \"Jerry\" <3";
    album.WriteIndexHtml(dir.file("page.htm"), dir.file("index.html"), "");
    EXPECT_TRUE(ReadFile(dir.file("page.htm"))
                    .startsWith("<title>Tom &amp; &quot;Jerry&quot; &lt;3</title>"));
    root->Level.TextFields.FindById(1)->Value = "<font size=\"14\">Summer</font>";
    album.WriteIndexHtml(dir.file("page.htm"), dir.file("index.html"), "");
    EXPECT_TRUE(ReadFile(dir.file("page.htm")).startsWith("<title>Summer</title>"));
    root->Level.TextFields.FindById(1)->Value = "</title><script>alert('x')</script>";
    album.WriteIndexHtml(dir.file("page.htm"), dir.file("index.html"), "");
    EXPECT_FALSE(ReadFile(dir.file("page.htm")).contains("<script"));

    // Bytes that are not placeholders pass through: a BOM, Latin-1, mixed line ends.
    const QByteArray odd = "\xEF\xBB\xBFx\xE9\r\ny\rz\n\n%_Album_Height_%";
    EXPECT_EQ(TpaAlbumPage::Render(odd, {"", "40%", "", ""}),
              QByteArray("\xEF\xBB\xBFx\xE9\r\ny\r\nz\r\n\r\n40%\r\n"));
    EXPECT_EQ(TpaAlbumPage::Render("", {}), QByteArray());
    EXPECT_EQ(TpaAlbumPage::Render("<title>%_album_name_%</title>", {"", "", "", "Two\nlines"}),
              QByteArray("<title>Two\r\nlines</title>\r\n"))
        << "every line of the page ends in CR LF, the name's too";
}

TEST(AlbumPage, MissingTemplateWritesNoPage) {
    TempFolder dir;
    TpaAlbum album;
    AddRoot(album, "A");
    EXPECT_THROW(album.WriteIndexHtml(dir.file("page.htm"), dir.file("missing.html"), ""),
                 FileError);
    EXPECT_FALSE(QFileInfo::exists(dir.file("page.htm")));
    WriteFile(dir.file("index.html"), kTemplate);
    EXPECT_THROW(album.WriteIndexHtml(dir.file("no/folder/page.htm"), dir.file("index.html"), ""),
                 FileError);
}

TEST(AlbumPage, ThumbnailsAreRebuiltAndBadImagesSkipped) {
    TempFolder dir;
    const QString preview = dir.file("Preview/");
    const QString thumbs = dir.file("Thumbs/");
    QDir().mkpath(preview + "pictavo_images");
    ASSERT_TRUE(QImage(800, 600, QImage::Format_RGB32).save(preview + "pictavo_images/bg.jpg"));
    ASSERT_TRUE(QImage(3000, 2000, QImage::Format_RGB32).save(preview + "pictavo_images/big.jpg"));
    QDir().mkpath(preview + "pictavo_thumbs");
    ASSERT_TRUE(QImage(160, 120, QImage::Format_RGB32).save(preview + "pictavo_thumbs/tn_bg.jpg"));
    WriteFile(preview + "pictavo_images/broken.jpg", "\xFF\xD8\xFF\xE0 not a jpeg");

    TpaAlbum album;
    TpaAlbumItem* root = AddRoot(album, "A");
    auto* bg = root->Level.ImageFields.Add(1);
    bg->Image.FileName = "pictavo_images/bg.jpg";
    auto* reduced = root->Level.ImageFields.Add(2);
    reduced->Thumb = 1; // a reduced copy, shown in its own frame
    reduced->Image.FileName = "pictavo_thumbs/tn_bg.jpg";
    auto* missing = root->Level.ImageFields.Add(3);
    missing->Image.FileName = "pictavo_images/missing.jpg";
    missing->Image.Thumbnail = "/old";
    auto makePhoto = [&](const QString& file) {
        auto photo = std::make_unique<TpaPhotoItem>();
        photo->Level.Photo.Show = 2;
        photo->Level.Photo.ImageFields.Add(1)->Image.FileName = "pictavo_images/bg.jpg";
        photo->Level.Photo.ImageFields.Add(2)->Image.FileName = file;
        return &album.Tree().Append(album.Tree().Root(), std::move(photo))->Item()->Level.Photo;
    };
    auto* broken = makePhoto("pictavo_images/broken.jpg");
    auto* big = makePhoto("pictavo_images/big.jpg");

    EXPECT_EQ(album.RebuildThumbnails(album.Tree().Root(), thumbs, preview), 1);
    EXPECT_EQ(bg->Image.Thumbnail, thumbs + "bg.jpg");
    EXPECT_EQ(QImageReader(bg->Image.Thumbnail).size(), QSize(96, 72));
    EXPECT_EQ(reduced->Image.Thumbnail, thumbs + "tn_bg.jpg");
    EXPECT_EQ(missing->Image.Thumbnail, "/old") << "a missing file is passed over";
    EXPECT_EQ(broken->ImageFields.FindById(2)->Image.Thumbnail, "") << "damaged: no thumbnail";
    EXPECT_EQ(broken->ImageFields.FindById(1)->Image.Thumbnail, "") << "not the shown image";
    EXPECT_EQ(big->ImageFields.FindById(2)->Image.Thumbnail, thumbs + "big.jpg");
    EXPECT_EQ(QImageReader(thumbs + "big.jpg").size(), QSize(150, 100));

    album.RebuildThumbnails(album.Tree().Root(), thumbs, preview);
    EXPECT_EQ(bg->Image.Thumbnail, thumbs + "bg001.jpg");
    EXPECT_EQ(big->ImageFields.FindById(2)->Image.Thumbnail, thumbs + "big001.jpg");
    EXPECT_EQ(album.RebuildThumbnails(nullptr, thumbs, preview), 0);
}

// Thumbnails are made on several threads at once: pictures of one name in different folders
// still get a file each, every thumbnail shows its own picture, and the caller's pump runs.
TEST(AlbumPage, ThumbnailsMadeTogetherKeepTheirOwnNamesAndPictures) {
    TempFolder dir;
    const QString preview = dir.file("Preview/");
    const QString thumbs = dir.file("Thumbs/");
    constexpr int folders = 6, perFolder = 8;
    TpaAlbum album;
    AddRoot(album, "A");
    std::vector<std::pair<TpaAlbumSettingsPhoto*, QColor>> photos;
    for (int f = 0; f < folders; ++f) {
        QDir().mkpath(preview + QString("d%1").arg(f));
        for (int p = 0; p < perFolder; ++p) {
            const QColor colour((f * 40) % 256, (p * 30) % 256, 128);
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(colour);
            const QString file = QString("d%1/p%2.jpg").arg(f).arg(p);
            ASSERT_TRUE(image.save(preview + file, "JPEG", 100));
            auto photo = std::make_unique<TpaPhotoItem>();
            photo->Level.Photo.Show = 1;
            photo->Level.Photo.ImageFields.Add(1)->Image.FileName = file;
            photos.emplace_back(
                &album.Tree().Append(album.Tree().Root(), std::move(photo))->Item()->Level.Photo,
                colour);
        }
    }
    EXPECT_EQ(album.RebuildThumbnails(album.Tree().Root(), thumbs, preview, 96, [] {}), 0);
    QSet<QString> names;
    for (const auto& [photo, colour] : photos) {
        const QString thumbnail = photo->ImageFields.FindById(1)->Image.Thumbnail;
        names.insert(thumbnail);
        const QImage made(thumbnail);
        ASSERT_FALSE(made.isNull()) << thumbnail.toStdString();
        const QColor got = made.pixelColor(made.width() / 2, made.height() / 2);
        EXPECT_LE(std::abs(got.red() - colour.red()) + std::abs(got.green() - colour.green()), 12)
            << thumbnail.toStdString();
    }
    EXPECT_EQ(names.size(), folders * perFolder);
    EXPECT_TRUE(names.contains(thumbs + "p0.jpg"));
    EXPECT_TRUE(names.contains(thumbs + "p0005.jpg"));
}

TEST(AlbumPage, ASizeClearedInEitherMetricGivesNoText) {
    // scale, metric, pixel -> text; the number in effect decides, never "-1".
    const struct {
        int scale, metric, pixel;
        const char* text;
    } rows[] = {
        {100, szPercent, -1, "100%"}, {100, szPixel, 600, "600"}, {100, szPixel, -1, ""},
        {-1, szPercent, 600, ""},     {-1, szPixel, 600, ""},     {-5, szPercent, 10, ""},
        {0, szPercent, -1, "0%"},     {100, szPixel, 0, "0"},
    };
    for (const auto& row : rows) {
        TpaAlbum album;
        TpaAlbumItem* root = AddRoot(album, "A");
        root->PublishSize.WidthScale = row.scale;
        root->PublishSize.WidthMetric = row.metric;
        root->PublishSize.WidthPixel = row.pixel;
        root->PublishSize.HeightScale = row.scale;
        root->PublishSize.HeightMetric = row.metric;
        root->PublishSize.HeightPixel = row.pixel;
        QString w, h;
        ASSERT_TRUE(album.GetAlbumSize(w, h));
        EXPECT_EQ(w, row.text) << row.scale << " " << row.metric << " " << row.pixel;
        EXPECT_EQ(h, row.text) << row.scale << " " << row.metric << " " << row.pixel;
    }
}
