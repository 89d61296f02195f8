#include "tests/model/ImageTestSupport.h"

#include "model/Errors.h"
#include "model/image/ImageImport.h"
#include "model/image/JpegCodec.h"

#include <QFileInfo>
#include <QImageReader>
#include <QTransform>

using namespace imagetest;
using namespace model;

namespace {

// A photo-like picture: four coloured quadrants with a soft gradient inside each.
QImage quadrants(int width, int height) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2, bottom = y >= height / 2;
            const int shade = (x % 97 + y % 89) / 12;
            row[3 * x] = static_cast<uchar>((right ? 40 : 220) + shade);
            row[3 * x + 1] = static_cast<uchar>((bottom ? 200 : 30) + shade);
            row[3 * x + 2] = static_cast<uchar>((right != bottom ? 180 : 50) + shade);
        }
    }
    return image;
}

QString writeJpeg(const ScratchFolder& scratch, const QString& name, const QImage& image) {
    const QString path = scratch(name);
    writeAll(path, JpegCodec::encode(image));
    return path;
}

} // namespace

TEST(FitSize, FitsIntoTheBoxRoundingHalvesToEven) {
    const struct {
        int w, h, bw, bh, ew, eh;
    } cases[] = {
        {3000, 2000, 150, 150, 150, 100}, {3000, 2001, 150, 150, 150, 100},
        {150, 150, 150, 150, 150, 150},   {100, 50, 150, 150, 100, 50},
        {20, 5, 10, 10, 10, 2},           {20, 7, 10, 10, 10, 4},
        {800, 600, 500, 0, 500, 375},     {800, 600, 0, 300, 400, 300},
        {800, 600, 0, 0, 800, 600},       {800, 600, -1, 300, 400, 300},
        {4000, 1, 100, 100, 100, 1},      {1, 4000, 100, 100, 1, 100},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FitSize(c.w, c.h, c.bw, c.bh), QSize(c.ew, c.eh))
            << c.w << "x" << c.h << " in " << c.bw << "x" << c.bh;
}

TEST(FitSize, EnlargesOnlyWhenAsked) {
    EXPECT_EQ(FitSizeEx(100, 50, 150, 150, true), QSize(150, 75));
    EXPECT_EQ(FitSizeEx(100, 50, 150, 150, false), QSize(100, 50));
    EXPECT_EQ(FitSizeEx(100, 50, 0, 300, true), QSize(600, 300));
    EXPECT_EQ(FitSizeEx(100, 50, 0, 0, true), QSize(100, 50));
}

TEST(FitSize, RefusesAPictureWithoutPixels) {
    EXPECT_THROW(FitSize(0, 0, 150, 150), PictureError);
    EXPECT_THROW(FitSize(100, 0, 150, 150), PictureError);
    EXPECT_THROW(FitSizeEx(-5, 10, 150, 150, true), PictureError);
}

TEST(PictureLimits, AtMostOneHundredMegapixels) {
    EXPECT_NO_THROW(Picture::checkDimensions(10000, 10000));
    EXPECT_NO_THROW(Picture::checkDimensions(100000000, 1));
    EXPECT_THROW(Picture::checkDimensions(10000, 10001), PictureError);
    EXPECT_THROW(Picture::checkDimensions(65500, 65500), PictureError);
    EXPECT_THROW(Picture::checkDimensions(0, 5), PictureError);
    EXPECT_THROW(Picture::checkDimensions(5, -1), PictureError);
}

TEST(ImageType, ExactExtensionsIgnoringCase) {
    const struct {
        const char* ext;
        const char* type;
    } cases[] = {{".jpg", "JPEG"},  {".jpe", "JPEG"},    {".JPEG", "JPEG"}, {".gif", "GIF"},
                 {".BMP", "BMP"},   {".png", "UNKNOWN"}, {"", "UNKNOWN"},   {".", "UNKNOWN"},
                 {".j", "UNKNOWN"}, {".pe", "UNKNOWN"},  {".g", "UNKNOWN"}, {".b", "UNKNOWN"},
                 {"jpg", "UNKNOWN"}};
    for (const auto& c : cases)
        EXPECT_EQ(GetImageTypeByExt(QString::fromLatin1(c.ext)), QString::fromLatin1(c.type))
            << c.ext;
}

TEST(GetPictureSize, EmptyPictureIsZeroByZero) {
    EXPECT_EQ(GetPictureSize(Picture()), QSize(0, 0));
    EXPECT_EQ(GetPictureSize(LoadPictureFile(fixture("rgb_64x48.jpg"))), QSize(64, 48));
    EXPECT_EQ(GetPictureSize(LoadPictureFile(fixture("interlaced_64x48.gif"))), QSize(64, 48));
}

TEST(UniqueNames, CounterIgnoresCaseAndCountsEveryEntry) {
    ScratchFolder scratch;
    EXPECT_EQ(MakeUniqueFileName(scratch.path(), "photo.jpg"), "photo.jpg");
    writeAll(scratch("PHOTO.JPG"), "x");
    EXPECT_EQ(MakeUniqueFileName(scratch.path(), "photo.jpg"), "photo001.jpg");
    ASSERT_TRUE(QDir().mkpath(scratch("photo001.jpg")));
    EXPECT_EQ(MakeUniqueFileName(scratch.path(), "photo.jpg"), "photo002.jpg");
    EXPECT_EQ(MakeUniqueFileName(scratch.path(), "noext"), "noext");
    writeAll(scratch("noext"), "x");
    EXPECT_EQ(MakeUniqueFileName(scratch.path(), "noext"), "noext001");
    EXPECT_EQ(MakeUniqueFileName(scratch("missing/"), "photo.jpg"), "photo.jpg");
}

TEST(UniqueNames, TheThousandthCollisionGetsFourDigits) {
    ScratchFolder scratch;
    writeAll(scratch("photo.jpg"), "x");
    for (int n = 1; n <= 999; ++n)
        writeAll(scratch(QString::asprintf("photo%.3d.jpg", n)), "x");
    EXPECT_EQ(MakeUniqueFileName(scratch.path(), "photo.jpg"), "photo1000.jpg");
}

TEST(UniqueNames, ProposedNamesLoseCharactersOtherSystemsRefuse) {
    EXPECT_EQ(CleanProposedFileName(QString::fromUtf8("a\\b:c*d?e\"f<g>h|i\x01j\x7fk.jpg")),
              "a_b_c_d_e_f_g_h_i_j_k.jpg");
    EXPECT_EQ(CleanProposedFileName(QString::fromUtf8("Strand Überlingen.jpg")),
              QString::fromUtf8("Strand Überlingen.jpg"));
}

TEST(ImportImageFile, PlainCopiesAreByteForByteUnderUniqueNames) {
    ScratchFolder source, target;
    const QString photo = source("photo.jpg");
    ASSERT_TRUE(QFile::copy(fixture("rgb_64x48.jpg"), photo));
    const QString folder = target("images/deeper/");

    const QString first = ImportImageFile(photo, 0, 0, folder);
    const QString second = ImportImageFile(photo, 0, 0, folder);
    EXPECT_EQ(first, folder + "photo.jpg");
    EXPECT_EQ(second, folder + "photo001.jpg");
    EXPECT_EQ(readAll(first), readAll(photo));
    EXPECT_EQ(readAll(second), readAll(photo));

    // A file that is no picture at all is still copied when nothing is converted.
    const QString music = source("song.MP3");
    writeAll(music, "ID3 not really music");
    EXPECT_EQ(ImportImageFile(music, 0, 0, folder), folder + "song.MP3");
}

TEST(ImportImageFile, MissingSourceWritesNothing) {
    ScratchFolder scratch;
    EXPECT_EQ(ImportImageFile(scratch("nothing.jpg"), 100, 100, scratch("out/")), QString());
    EXPECT_EQ(CreateThumbnailFile(scratch("nothing.jpg"), 100, 100, scratch("out/")), QString());
    EXPECT_EQ(CreateResizedJpegFile(scratch.path(), 100, 100, scratch("out/")), QString());
    EXPECT_EQ(CopyFileUnique(scratch("nothing.mp3"), scratch("out/")), QString());
    EXPECT_FALSE(QFileInfo::exists(scratch("out")));
}

TEST(ImportImageFile, GifBecomesJpegWithRowsInOrder) {
    ScratchFolder source, target;
    const QString beach = source("Beach.GIF");
    ASSERT_TRUE(QFile::copy(fixture("interlaced_64x48.gif"), beach));

    const QString first = ImportImageFile(beach, 0, 0, target.path());
    EXPECT_EQ(first, target("Beach.jpg"));
    const QImage decoded = decodeWithDjpeg(first);
    ASSERT_FALSE(decoded.isNull()) << "djpeg cannot read " << first.toStdString();
    expectBands(decoded, 24);

    EXPECT_EQ(ImportImageFile(beach, 0, 0, target.path()), target("Beach001.jpg"));
}

TEST(ImportImageFile, BitmapsBecomeJpegsOfTheSameSize) {
    for (const char* name : {"rgb24.bmp", "pal8.bmp", "pal4.bmp"}) {
        ScratchFolder target;
        const QString result = ImportImageFile(fixture(name), 0, 0, target.path());
        EXPECT_EQ(QFileInfo(result).fileName(), QString(name).replace(".bmp", ".jpg"));
        const QImage decoded = decodeWithDjpeg(result);
        ASSERT_FALSE(decoded.isNull()) << name;
        expectBands(decoded, 24);
    }
    ScratchFolder target;
    EXPECT_EQ(identify("%wx%h", ImportImageFile(fixture("topdown.bmp"), 0, 0, target.path())),
              "3x2");
}

TEST(ImportImageFile, ReencodesAtQuality90BaselineWhenABoxIsGiven) {
    ScratchFolder target;
    // The source is progressive at quality 80; the copy must be baseline at 90.
    const QString result = ImportImageFile(fixture("progressive.jpg"), 4000, 4000, target.path());
    EXPECT_EQ(identify("%wx%h %Q %[interlace] %[channels]", result), "64x48 90 None srgb");
    EXPECT_NE(readAll(result), readAll(fixture("progressive.jpg")));
    expectBands(decodeWithDjpeg(result), 24);
}

TEST(ImportImageFile, LargePhotoIsFittedIntoTheBox) {
    ScratchFolder source, target;
    const QString photo = writeJpeg(source, "big.jpg", quadrants(3000, 2000));

    const QString imported = ImportImageFile(photo, 800, 600, target.path());
    EXPECT_EQ(identify("%wx%h %Q", imported), "800x533 90");
    const QString thumb = CreateResizedJpegFile(photo, 150, 150, target("thumbs/"));
    EXPECT_EQ(thumb, target("thumbs/big.jpg"));
    EXPECT_EQ(identify("%wx%h", thumb), "150x100");

    // The quadrants keep their colours (checked with djpeg, not with our decoder).
    const QImage small = decodeWithDjpeg(imported);
    ASSERT_EQ(small.size(), QSize(800, 533));
    const QImage reference = quadrants(3000, 2000);
    for (const QPoint p :
         {QPoint(100, 100), QPoint(700, 100), QPoint(100, 430), QPoint(700, 430)}) {
        const QRgb expected = reference.pixel(p.x() * 3000 / 800, p.y() * 2000 / 533);
        EXPECT_TRUE(near(small.pixel(p), expected, 12))
            << p.x() << "," << p.y() << ": " << rgbText(small.pixel(p)) << " vs "
            << rgbText(expected);
    }
}

TEST(ImportImageFile, BoxWithOneSideZeroLimitsOnlyTheOtherSide) {
    ScratchFolder source, target;
    const QString photo = writeJpeg(source, "wide.jpg", quadrants(800, 600));
    EXPECT_EQ(identify("%wx%h", ImportImageFile(photo, 500, 0, target.path())), "500x375");
    EXPECT_EQ(identify("%wx%h", ImportImageFile(photo, 0, 300, target.path())), "400x300");
}

TEST(ImportImageFile, GivenNameReplacesItsFileButNeverTheSourceItself) {
    ScratchFolder target;
    const QString existing = target("photo.jpg");
    writeAll(existing, "old content");
    EXPECT_EQ(ImportImageFile(fixture("rgb_64x48.jpg"), 0, 0, target.path(), "photo.jpg"),
              existing);
    EXPECT_EQ(readAll(existing), readAll(fixture("rgb_64x48.jpg")));

    // Choosing the working copy itself as its own replacement keeps it intact.
    const QByteArray before = readAll(existing);
    EXPECT_EQ(ImportImageFile(existing, 0, 0, target.path(), "photo.jpg"), QString());
    EXPECT_THROW(ImportImageFile(existing, 20, 20, target.path(), "photo.jpg"), FileError);
    EXPECT_THROW(CreateThumbnailFile(existing, 20, 20, target.path(), "photo.jpg"), FileError);
    EXPECT_EQ(CopyFileUnique(existing, target.path(), "photo.jpg"), QString());
    EXPECT_EQ(readAll(existing), before);
    EXPECT_EQ(entriesOf(target.path()), QStringList{"photo.jpg"});
}

TEST(ImportImageFile, GivenNameMayNotLeaveTheFolder) {
    ScratchFolder scratch;
    const QString folder = scratch("inner/");
    EXPECT_THROW(ImportImageFile(fixture("rgb_64x48.jpg"), 0, 0, folder, "../escape.jpg"),
                 FileError);
    EXPECT_THROW(CopyFileUnique(fixture("rgb_64x48.jpg"), folder, ".."), FileError);
    EXPECT_FALSE(QFileInfo::exists(scratch("escape.jpg")));
    // Without a folder nothing may land in the current or the root folder.
    EXPECT_THROW(ImportImageFile(fixture("rgb_64x48.jpg"), 0, 0, ""), FileError);
    EXPECT_THROW(CreateThumbnailFile(fixture("rgb_64x48.jpg"), 10, 10, ""), FileError);
    EXPECT_THROW(CopyFileUnique(fixture("rgb_64x48.jpg"), ""), FileError);
}

TEST(ImportImageFile, ProposedNameLosesIllegalCharacters) {
    ScratchFolder source, target;
    const QString odd = source("a:b?c.jpg");
    ASSERT_TRUE(QFile::copy(fixture("rgb_64x48.jpg"), odd));
    EXPECT_EQ(ImportImageFile(odd, 0, 0, target.path()), target("a_b_c.jpg"));
    EXPECT_EQ(CreateThumbnailFile(odd, 10, 10, target.path()), target("tn_a_b_c.jpg"));
}

TEST(Thumbnails, NamedWithPrefixUniqueAndAlwaysJpeg) {
    ScratchFolder source, target;
    const QString beach = source("beach.gif");
    ASSERT_TRUE(QFile::copy(fixture("interlaced_64x48.gif"), beach));
    const QString folder = target("thumbs"); // no trailing delimiter: it is added

    const QString first = CreateThumbnailFile(beach, 32, 32, folder);
    const QString second = CreateThumbnailFile(beach, 32, 32, folder);
    EXPECT_EQ(first, target("thumbs/tn_beach.jpg"));
    EXPECT_EQ(second, target("thumbs/tn_beach001.jpg"));
    EXPECT_EQ(identify("%m %wx%h", first), "JPEG 32x24");
    EXPECT_EQ(identify("%m %wx%h", second), "JPEG 32x24");
}

TEST(Thumbnails, JpegWithoutABoxIsCopiedUnchanged) {
    ScratchFolder target;
    const QString copy = CreateThumbnailFile(fixture("progressive.jpg"), 0, 0, target.path());
    EXPECT_EQ(copy, target("tn_progressive.jpg"));
    EXPECT_EQ(readAll(copy), readAll(fixture("progressive.jpg")));
}

TEST(CopyFileUnique, KeepsNameAndExtensionAndReplacesAGivenName) {
    ScratchFolder source, target;
    const QString song = source("Song.mp3");
    writeAll(song, QByteArray(300000, 'm'));
    const QString folder = target("music/");
    EXPECT_EQ(CopyFileUnique(song, folder), folder + "Song.mp3");
    EXPECT_EQ(CopyFileUnique(song, folder), folder + "Song001.mp3");
    writeAll(folder + "other.mp3", "old");
    EXPECT_EQ(CopyFileUnique(song, folder, "other.mp3"), folder + "other.mp3");
    EXPECT_EQ(readAll(folder + "other.mp3"), readAll(song));
    EXPECT_EQ(entriesOf(folder), (QStringList{"Song.mp3", "Song001.mp3", "other.mp3"}));
}

TEST(SavePictureAsJpeg, UnwritableTargetRaisesAndLeavesNothing) {
    ScratchFolder scratch;
    writeAll(scratch("file"), "a file where a folder should be");
    const Picture picture(quadrants(40, 30));
    EXPECT_THROW(SavePictureAsJpeg(picture, scratch("file/sub/out.jpg"), 0, 0), FileError);
    EXPECT_THROW(SavePictureAsJpeg(Picture(), scratch("empty.jpg"), 0, 0), PictureError);
    EXPECT_EQ(entriesOf(scratch.path()), QStringList{"file"});
}

TEST(SavePictureAsJpeg, TransparentPartsOfAPictureBecomeWhite) {
    ScratchFolder scratch;
    QImage image(32, 16, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    SavePictureAsJpeg(Picture(image), scratch("out.jpg"), 0, 0);
    const QImage decoded = decodeWithDjpeg(scratch("out.jpg"));
    ASSERT_EQ(decoded.size(), QSize(32, 16));
    EXPECT_TRUE(near(decoded.pixel(3, 8), qRgb(255, 255, 255), 8)) << rgbText(decoded.pixel(3, 8));
    EXPECT_TRUE(near(decoded.pixel(28, 8), qRgb(0, 0, 255), 12)) << rgbText(decoded.pixel(28, 8));
}

namespace {

// JPEG bytes of image with an EXIF block that tags it with the orientation.
QByteArray jpegWithOrientation(const QImage& image, int orientation) {
    const QByteArray jpeg = JpegCodec::encode(image);
    QByteArray exif("\xFF\xE1\x00\x22"
                    "Exif\x00\x00"
                    "II\x2A\x00\x08\x00\x00\x00"
                    "\x01\x00\x12\x01\x03\x00\x01\x00\x00\x00\x00\x00\x00\x00"
                    "\x00\x00\x00\x00",
                    36);
    exif[28] = char(orientation); // the value of the one entry, tag 0x0112
    return jpeg.left(2) + exif + jpeg.mid(2);
}

// The quadrant colour at the centre of each quarter, in the order TL, TR, BL, BR.
QList<QColor> quarterColours(const QImage& image) {
    QList<QColor> colours;
    const std::pair<int, int> centres[] = {{1, 1}, {3, 1}, {1, 3}, {3, 3}};
    for (const auto& [fx, fy] : centres)
        colours << image.pixelColor(image.width() * fx / 4, image.height() * fy / 4);
    return colours;
}

bool similar(const QList<QColor>& a, const QList<QColor>& b) {
    for (int i = 0; i < 4; ++i) {
        if (std::abs(a[i].red() - b[i].red()) > 24 || std::abs(a[i].green() - b[i].green()) > 24 ||
            std::abs(a[i].blue() - b[i].blue()) > 24)
            return false;
    }
    return true;
}

} // namespace

// A photo from a phone held sideways: every copy the album keeps stands upright and carries no
// tag that would turn it once more.
TEST(ImportImageFile, TurnsEveryExifOrientationUpright) {
    const QImage upright = quadrants(96, 48);
    // How the camera stored the upright picture under each tag.
    const QTransform stored[] = {
        QTransform(),
        QTransform::fromScale(-1, 1),
        QTransform().rotate(180),
        QTransform::fromScale(1, -1),
        QTransform(0, 1, 1, 0, 0, 0),
        QTransform().rotate(-90),
        QTransform(0, -1, -1, 0, 0, 0),
        QTransform().rotate(90),
    };
    for (int orientation = 1; orientation <= 8; ++orientation) {
        ScratchFolder source, target;
        const QString photo = source("phone.jpg");
        writeAll(photo,
                 jpegWithOrientation(upright.transformed(stored[orientation - 1]), orientation));
        const QString copies[] = {ImportImageFile(photo, 0, 0, target("images/")),
                                  ImportImageFile(photo, 48, 48, target("reduced/")),
                                  CreateThumbnailFile(photo, 20, 20, target("thumbs/"))};
        const QSize sizes[] = {{96, 48}, {48, 24}, {20, 10}};
        for (int i = 0; i < 3; ++i) {
            QImageReader reader(copies[i]);
            EXPECT_EQ(reader.transformation(), QImageIOHandler::TransformationNone)
                << orientation << " " << i;
            const QImage image = reader.read();
            EXPECT_EQ(image.size(), sizes[i]) << orientation << " " << i;
            EXPECT_TRUE(similar(quarterColours(image), quarterColours(upright)))
                << orientation << " " << i;
        }
    }
}
