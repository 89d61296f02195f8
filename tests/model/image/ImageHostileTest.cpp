#include "tests/model/ImageTestSupport.h"
#include "tests/model/image/CraftedPictures.h"

#include "model/Errors.h"
#include "model/image/BmpDecoder.h"
#include "model/image/GifDecoder.h"
#include "model/image/ImageImport.h"
#include "model/image/JpegCodec.h"

#include <QFileInfo>

#include <cstring>
#include <random>

using namespace imagetest;
using namespace model;

namespace {

// Imports a hostile file under its own name and under a given name that already
// holds a good file; both must raise PictureError, write nothing and keep the old file.
void expectRefused(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    ScratchFolder target;
    EXPECT_THROW(ImportImageFile(path, 100, 100, target.path()), PictureError);
    EXPECT_THROW(CreateThumbnailFile(path, 100, 100, target.path()), PictureError);
    EXPECT_THROW(CreateResizedJpegFile(path, 150, 150, target.path()), PictureError);
    EXPECT_TRUE(entriesOf(target.path()).isEmpty())
        << entriesOf(target.path()).join(", ").toStdString();

    const QByteArray good = readAll(fixture("rgb_64x48.jpg"));
    writeAll(target("keep.jpg"), good);
    EXPECT_THROW(ImportImageFile(path, 100, 100, target.path(), "keep.jpg"), PictureError);
    EXPECT_EQ(readAll(target("keep.jpg")), good);
    EXPECT_EQ(entriesOf(target.path()), QStringList{"keep.jpg"});
}

QByteArray truncated(const QString& path, double fraction) {
    const QByteArray bytes = readAll(path);
    return bytes.left(static_cast<qsizetype>(bytes.size() * fraction));
}

} // namespace

TEST(HostilePictures, FixturesAreRefusedCleanly) {
    for (const char* name : {"truncated.jpg", "garbage.jpg", "huge_sof.jpg", "no_colormap.gif",
                             "frame_outside.gif", "huge_header.bmp"})
        expectRefused(fixture(name));
}

TEST(HostilePictures, DamagedJpegReportsTheDecoderCode) {
    // A file of another kind under a JPEG name says what it is not; a damaged JPEG gives the
    // decoder's code.
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += QByteArray(200, '\0');
    const struct {
        QByteArray data;
        QString message;
    } cases[] = {{readAll(fixture("garbage.jpg")), "The file is not a JPEG picture"},
                 {png, "The file is not a JPEG picture"},
                 {readAll(fixture("gray.jpg")).left(40), "JPEG error #"}};
    for (const auto& c : cases) {
        try {
            JpegCodec::decode(c.data);
            ADD_FAILURE() << "decoded";
        } catch (const PictureError& e) {
            EXPECT_TRUE(e.message().startsWith(c.message)) << e.what();
        }
    }
    EXPECT_THROW(JpegCodec::readSize(QByteArray()), PictureError);
    EXPECT_THROW(JpegCodec::readSize(readAll(fixture("huge_sof.jpg"))), PictureError);
}

TEST(HostilePictures, TruncationsOfEveryFormatAreRefused) {
    ScratchFolder scratch;
    const struct {
        const char* fixture;
        double fraction;
    } cuts[] = {{"progressive.jpg", 0.5},      {"gray.jpg", 0.7},  {"interlaced_64x48.gif", 0.6},
                {"interlaced_64x48.gif", 0.1}, {"rgb24.bmp", 0.9}, {"pal8.bmp", 0.05}};
    int n = 0;
    for (const auto& cut : cuts) {
        const QString name = QString::number(n++) + "_" + cut.fixture;
        writeAll(scratch(name), truncated(fixture(cut.fixture), cut.fraction));
        expectRefused(scratch(name));
    }
    // A file cut inside its picture data, where the decoder would otherwise fill
    // the missing rows with grey and report success.
    QImage noise(200, 150, QImage::Format_RGB888);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x * y) % 256));
    const QByteArray whole = JpegCodec::encode(noise);
    writeAll(scratch("cut_in_scan.jpg"), whole.left(whole.size() * 6 / 10));
    expectRefused(scratch("cut_in_scan.jpg"));
}

TEST(HostilePictures, GifIndicesBeyondTheColourMapAreRefused) {
    // Shrink the fixture's 4-entry global map to 2 entries; its pixels still use index 2.
    QByteArray gif = readAll(fixture("interlaced_64x48.gif"));
    ASSERT_EQ(static_cast<uchar>(gif[10]) & 0x87, 0x81);
    gif[10] = static_cast<char>((static_cast<uchar>(gif[10]) & 0xF8) | 0x00);
    gif.remove(13 + 6, 6);
    ScratchFolder scratch;
    writeAll(scratch("beyond.gif"), gif);
    expectRefused(scratch("beyond.gif"));
}

TEST(HostilePictures, BitmapHeadersThatLieAreRefused) {
    ScratchFolder scratch;
    const QByteArray good = readAll(fixture("pal8.bmp"));
    auto patched = [&](const char* name, int offset, QByteArray bytes) {
        QByteArray data = good;
        data.replace(offset, bytes.size(), bytes);
        writeAll(scratch(name), data);
        return scratch(name);
    };
    const auto le32 = [](quint32 v) {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = static_cast<char>(v >> (8 * i));
        return bytes;
    };
    expectRefused(patched("zero_width.bmp", 18, le32(0)));
    expectRefused(patched("min_height.bmp", 22, le32(0x80000000u)));
    expectRefused(patched("offset_beyond.bmp", 10, le32(0x7FFFFFF0u)));
    expectRefused(patched("palette_claim.bmp", 46, le32(100000)));
    expectRefused(patched("header_size.bmp", 14, le32(0xFFFFFF00u)));
    expectRefused(patched("rle4_on_8_bits.bmp", 30, le32(2)));
    expectRefused(patched("bits.bmp", 28, QByteArray("\x07\x00", 2)));
    // A colour table of 2 entries while the pixels use index 2.
    expectRefused(patched("short_table.bmp", 46, le32(2)));
}

// Rows that the runs never reach take the table's first colour, not what the memory held.
TEST(HostilePictures, RunsEndingEarlyLeaveTheFirstColour) {
    for (int side : {63, 64, 65, 300}) {
        SCOPED_TRACE(side);
        void* dirty = std::malloc(size_t(side + 3) / 4 * 4 * size_t(side));
        std::memset(dirty, 0xAB, size_t(side + 3) / 4 * 4 * size_t(side));
        std::free(dirty);
        const QImage image = BmpDecoder::decode(craftedpictures::sparseRleBitmap(side));
        ASSERT_EQ(image.size(), QSize(side, side));
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                ASSERT_EQ(image.pixel(x, y), qRgb(0, 0, 0)) << x << "," << y;
    }
}

TEST(HostilePictures, UnknownExtensionIsNamedInTheMessage) {
    ScratchFolder target;
    try {
        ImportImageFile(fixture("x.png"), 100, 100, target.path());
        FAIL() << "a PNG was imported";
    } catch (const PictureError& e) {
        EXPECT_EQ(e.message(), "Unknown picture file extension (.png)");
    }
    EXPECT_TRUE(entriesOf(target.path()).isEmpty());
    EXPECT_THROW(LoadPictureFile(target("noextension")), PictureError);
}

TEST(HostilePictures, AnAbsurdBoxIsNoProblem) {
    ScratchFolder target;
    const QString result =
        CreateResizedJpegFile(fixture("rgb_64x48.jpg"), 2147483647, 1, target.path());
    EXPECT_EQ(identify("%wx%h", result), "1x1");
}

TEST(HostilePictures, GifScreenOverThePixelLimitIsRefused) {
    QByteArray gif = readAll(fixture("interlaced_64x48.gif"));
    gif[6] = gif[7] = gif[8] = gif[9] = static_cast<char>(0xFF); // 65535 x 65535
    ScratchFolder scratch;
    writeAll(scratch("huge_screen.gif"), gif);
    expectRefused(scratch("huge_screen.gif"));
}

TEST(HostilePictures, ProgressiveFileWithEndlessScansIsRefused) {
    // The last scan of a progressive file repeated 600 times: each repetition walks
    // the whole picture again, so such files would take unbounded time.
    const QByteArray progressive = readAll(fixture("progressive.jpg"));
    const qsizetype lastScan = progressive.lastIndexOf("\xFF\xDA");
    const qsizetype end = progressive.lastIndexOf("\xFF\xD9");
    ASSERT_GT(lastScan, 0);
    ASSERT_GT(end, lastScan);
    const QByteArray many = progressive.left(end) +
                            progressive.mid(lastScan, end - lastScan).repeated(600) + "\xFF\xD9";
    ScratchFolder scratch;
    writeAll(scratch("many.jpg"), many);
    try {
        JpegCodec::decode(many);
        FAIL() << "a file of over 500 scans was decoded";
    } catch (const PictureError& e) {
        EXPECT_TRUE(e.message().contains("scans")) << e.what();
    }
    expectRefused(scratch("many.jpg"));
    // Up to the limit the file still decodes, repeated scans and all.
    const QByteArray fewer =
        progressive.left(end) + progressive.mid(lastScan, end - lastScan).repeated(20) + "\xFF\xD9";
    EXPECT_EQ(JpegCodec::decode(fewer).size(), QSize(64, 48));
}

TEST(HostilePictures, DamagedBytesNeverCrashTheDecoders) {
    // Random damage to a few bytes of each fixture: every result is a picture or a
    // PictureError. Under the sanitizers this also proves no read or write goes astray.
    const int mutantsPerFixture = qEnvironmentVariableIntValue("FZ_IMAGE_MUTANTS") > 0
                                      ? qEnvironmentVariableIntValue("FZ_IMAGE_MUTANTS")
                                      : 150;
    std::mt19937 random(1108);
    for (const char* name : {"rgb_64x48.jpg", "progressive.jpg", "cmyk.jpg", "gray.jpg",
                             "interlaced_64x48.gif", "anim_2frames.gif", "transparent.gif",
                             "rgb24.bmp", "pal8.bmp", "pal4.bmp", "topdown.bmp"}) {
        const QByteArray original = readAll(fixture(name));
        ASSERT_FALSE(original.isEmpty()) << name;
        const QString extension = QString(name).section('.', -1);
        int nullPictures = 0;
        for (int i = 0; i < mutantsPerFixture; ++i) {
            QByteArray mutant = original;
            const int changes = 1 + static_cast<int>(random() % 4);
            for (int c = 0; c < changes; ++c) {
                const auto at = static_cast<qsizetype>(random() % mutant.size());
                mutant[at] = static_cast<char>(random() % 3 == 0 ? 0xFF : random() % 256);
            }
            try {
                const QImage picture = extension == "jpg"   ? JpegCodec::decode(mutant)
                                       : extension == "gif" ? GifDecoder::decode(mutant)
                                                            : BmpDecoder::decode(mutant);
                nullPictures += picture.isNull();
            } catch (const PictureError&) {
            }
        }
        EXPECT_EQ(nullPictures, 0) << name << ": a failed decode must be a PictureError";
    }
}
