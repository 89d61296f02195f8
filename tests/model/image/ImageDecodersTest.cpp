#include "tests/model/ImageTestSupport.h"

#include "model/Errors.h"
#include "model/image/BmpDecoder.h"
#include "model/image/GifDecoder.h"
#include "model/image/ImageImport.h"
#include "model/image/ImageResampler.h"
#include "model/image/JpegCodec.h"

using namespace imagetest;
using namespace model;

namespace {

// Largest difference of any channel of any pixel between two pictures of one size.
int largestDifference(const QImage& a, const QImage& b) {
    EXPECT_EQ(a.size(), b.size());
    int largest = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

QImage uniform(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

} // namespace

TEST(JpegCodec, DecodesLikeDjpeg) {
    // Colour, grayscale and progressive files: our decoder against the IJG tool.
    for (const char* name : {"rgb_64x48.jpg", "gray.jpg", "progressive.jpg"}) {
        const QImage ours = JpegCodec::decode(readAll(fixture(name)));
        const QImage theirs = decodeWithDjpeg(fixture(name));
        ASSERT_FALSE(theirs.isNull()) << name;
        EXPECT_EQ(ours.format(), QImage::Format_RGB888);
        EXPECT_LE(largestDifference(ours, theirs), 1) << name;
    }
}

TEST(JpegCodec, CmykFileIsConvertedToRgb) {
    const QImage image = JpegCodec::decode(readAll(fixture("cmyk.jpg")));
    EXPECT_EQ(image.format(), QImage::Format_RGB888);
    expectBands(image, 24);
}

TEST(JpegCodec, ReducedDecodeCoversTheRequestedSize) {
    QImage source(800, 600, QImage::Format_RGB888);
    source.fill(qRgb(10, 200, 30));
    const QByteArray jpeg = JpegCodec::encode(source);
    EXPECT_EQ(JpegCodec::readSize(jpeg), QSize(800, 600));
    EXPECT_EQ(JpegCodec::decode(jpeg, QSize(100, 75)).size(), QSize(100, 75));
    EXPECT_EQ(JpegCodec::decode(jpeg, QSize(150, 113)).size(), QSize(200, 150));
    EXPECT_EQ(JpegCodec::decode(jpeg, QSize(700, 100)).size(), QSize(700, 525));
    EXPECT_EQ(JpegCodec::decode(jpeg, QSize(800, 600)).size(), QSize(800, 600));
    EXPECT_EQ(JpegCodec::decode(jpeg).size(), QSize(800, 600));
    EXPECT_TRUE(near(JpegCodec::decode(jpeg, QSize(50, 40)).pixel(20, 20), qRgb(10, 200, 30), 4));
}

TEST(JpegCodec, EncodesBaselineQuality90ThatOtherToolsRead) {
    ScratchFolder scratch;
    QImage image(37, 23, QImage::Format_ARGB32); // odd sizes, converted from another format
    image.fill(qRgb(200, 100, 50));
    writeAll(scratch("out.jpg"), JpegCodec::encode(image));
    EXPECT_EQ(identify("%wx%h %Q %[interlace] %[channels]", scratch("out.jpg")),
              "37x23 90 None srgb");
    EXPECT_TRUE(near(decodeWithDjpeg(scratch("out.jpg")).pixel(18, 11), qRgb(200, 100, 50), 3));
}

TEST(GifDecoder, InterlacedFileIsDrawnInRowOrder) {
    expectBands(GifDecoder::decode(readAll(fixture("interlaced_64x48.gif"))), 0);
}

TEST(GifDecoder, FirstFrameOfAnAnimation) {
    const QImage image = GifDecoder::decode(readAll(fixture("anim_2frames.gif")));
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 0, 0));
}

TEST(GifDecoder, TransparencyBecomesWhite) {
    const QImage image = GifDecoder::decode(readAll(fixture("transparent.gif")));
    ASSERT_EQ(image.size(), QSize(16, 16));
    EXPECT_EQ(image.pixel(2, 5), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(13, 5), qRgb(0, 0, 255));
}

TEST(GifDecoder, SmallFrameSitsOnItsScreenAtItsOffset) {
    // A 64 x 48 screen whose only frame (20 x 20 at 30, 20) is cut from the fixture.
    ScratchFolder scratch;
    const QString path = scratch("offset.gif");
    const auto made =
        runTool(convertTool(), {fixture("interlaced_64x48.gif"), "-crop", "20x20+30+20", path});
    if (!made)
        GTEST_SKIP() << "ImageMagick is not available";
    ASSERT_EQ(identify("%W %H %w %h %X %Y", path), "64 48 20 20 +30 +20");
    const QImage image = GifDecoder::decode(readAll(path));
    ASSERT_EQ(image.size(), QSize(64, 48));
    EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(35, 22), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(35, 36), qRgb(0, 0, 255));
    EXPECT_EQ(image.pixel(35, 45), qRgb(255, 255, 255));
    EXPECT_EQ(image.pixel(60, 40), qRgb(255, 255, 255));
}

TEST(BmpDecoder, FixturesMatchImageMagick) {
    for (const char* name : {"rgb24.bmp", "pal8.bmp", "pal4.bmp", "topdown.bmp"}) {
        const QImage ours = BmpDecoder::decode(readAll(fixture(name)));
        const QImage theirs = decodeWithImageMagick(fixture(name));
        ASSERT_FALSE(theirs.isNull()) << name;
        EXPECT_EQ(largestDifference(ours, theirs), 0) << name;
    }
    expectBands(BmpDecoder::decode(readAll(fixture("pal8.bmp"))), 0);
    const QImage topDown = BmpDecoder::decode(readAll(fixture("topdown.bmp")));
    EXPECT_EQ(topDown.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(topDown.pixel(2, 0), qRgb(0, 0, 255));
    EXPECT_EQ(topDown.pixel(1, 1), qRgb(0, 0, 0));
    EXPECT_EQ(topDown.pixel(2, 1), qRgb(128, 128, 128));
}

TEST(BmpDecoder, OtherLayoutsWrittenByImageMagickMatchIt) {
    // Bit fields (16 and 32 bits), the OS/2 header, 1 bit, and Qt's own writer.
    ScratchFolder scratch;
    const QString bands = scratch("bands.ppm");
    if (!runTool(convertTool(), {fixture("rgb24.bmp"), bands}))
        GTEST_SKIP() << "ImageMagick is not available";
    const struct {
        const char* name;
        QStringList options;
    } variants[] = {
        {"rgb565.bmp", {"-define", "bmp:subtype=RGB565"}},
        {"argb32.bmp", {"-alpha", "on", "-define", "bmp:subtype=ARGB8888"}},
        {"os2.bmp", {}},
        {"mono.bmp", {"-monochrome"}},
    };
    for (const auto& v : variants) {
        const QString path = scratch(v.name);
        const QString format = QString(v.name) == "os2.bmp" ? "BMP2:" : "BMP:";
        ASSERT_TRUE(
            runTool(convertTool(), QStringList{bands} + v.options + QStringList{format + path}))
            << v.name;
        const QImage theirs = decodeWithImageMagick(path);
        ASSERT_FALSE(theirs.isNull()) << v.name;
        // Qt widens a 5-bit channel by shifting it: within one step of that channel.
        const int tolerance = QString(v.name) == "rgb565.bmp" ? 8 : 1;
        EXPECT_LE(largestDifference(BmpDecoder::decode(readAll(path)), theirs), tolerance)
            << v.name;
    }
    QImage qt(33, 7, QImage::Format_RGB32);
    qt.fill(qRgb(1, 2, 3));
    qt.setPixel(32, 6, qRgb(250, 128, 7));
    ASSERT_TRUE(qt.save(scratch("qt.bmp"), "BMP"));
    const QImage decoded = BmpDecoder::decode(readAll(scratch("qt.bmp")));
    EXPECT_EQ(largestDifference(decoded, qt.convertToFormat(QImage::Format_RGB888)), 0);
}

TEST(BmpDecoder, RunLengthCompressedBitmapsMatchImageMagick) {
    ScratchFolder scratch;
    const QString rle = scratch("rle8.bmp");
    if (!runTool(convertTool(), {fixture("pal8.bmp"), "-compress", "RLE", "BMP3:" + rle}))
        GTEST_SKIP() << "ImageMagick is not available";
    const QByteArray data = readAll(rle);
    ASSERT_EQ(static_cast<uchar>(data[30]), 1) << "ImageMagick wrote no RLE8 bitmap";
    EXPECT_LE(largestDifference(BmpDecoder::decode(data), decodeWithImageMagick(rle)), 1);
}

TEST(BmpDecoder, Os2HeaderSizesAreUnsigned) {
    // The OS/2 header keeps width and height in 16 unsigned bits: 40000 is a valid width.
    const int width = 40000, height = 2;
    const int stride = (width * 3 + 3) / 4 * 4;
    QByteArray bmp;
    const auto le = [&bmp](quint32 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            bmp += static_cast<char>(value >> (8 * i));
    };
    bmp += "BM";
    le(14 + 12 + stride * height, 4);
    le(0, 4);
    le(14 + 12, 4);
    le(12, 4);
    le(width, 2);
    le(height, 2);
    le(1, 2);
    le(24, 2);
    // Bottom row blue, top row red, each stored blue, green, red.
    for (const char* bgr : {"\xff\x00\x00", "\x00\x00\xff"})
        bmp += QByteArray(bgr, 3).repeated(width) + QByteArray(stride - 3 * width, '\0');

    const QImage image = BmpDecoder::decode(bmp);
    ASSERT_EQ(image.size(), QSize(width, height));
    EXPECT_EQ(image.pixel(width - 1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0, 0, 255));
}

TEST(ImageResampler, ShrinkingAveragesTheCoveredArea) {
    // A one-pixel checkerboard halves to an even grey, not to one of its colours.
    QImage board(64, 32, QImage::Format_RGB888);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            board.setPixel(x, y, (x + y) % 2 ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    const QImage half = ImageResampler::resize(board, 32, 16);
    for (const QPoint p : {QPoint(0, 0), QPoint(17, 9), QPoint(31, 15)})
        EXPECT_TRUE(near(half.pixel(p), qRgb(128, 128, 128), 1)) << rgbText(half.pixel(p));

    // Uneven ratios keep a uniform picture exact and respect its edges.
    EXPECT_EQ(largestDifference(ImageResampler::resize(uniform(997, 13, qRgb(9, 99, 199)), 150, 7),
                                uniform(150, 7, qRgb(9, 99, 199))),
              0);
    QImage split = uniform(300, 10, qRgb(0, 0, 0));
    for (int y = 0; y < 10; ++y)
        for (int x = 150; x < 300; ++x)
            split.setPixel(x, y, qRgb(240, 240, 240));
    const QImage narrow = ImageResampler::resize(split, 3, 1);
    EXPECT_EQ(narrow.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(narrow.pixel(1, 0), qRgb(120, 120, 120));
    EXPECT_EQ(narrow.pixel(2, 0), qRgb(240, 240, 240));
}

TEST(ImageResampler, SizesDownToOnePixelAndUp) {
    const QImage source = uniform(4000, 3, qRgb(50, 60, 70));
    EXPECT_EQ(ImageResampler::resize(source, 1, 1).pixel(0, 0), qRgb(50, 60, 70));
    EXPECT_EQ(ImageResampler::resize(uniform(3, 2, qRgb(5, 6, 7)), 30, 20).size(), QSize(30, 20));
    EXPECT_THROW(ImageResampler::resize(source, 0, 1), PictureError);
}

TEST(StretchPicture, DecodesAJpegOnlyAsFarAsNeeded) {
    const Picture picture(JpegCodec::encode(uniform(1600, 1200, qRgb(200, 30, 30))),
                          QSize(1600, 1200));
    EXPECT_TRUE(picture.raster().isNull());
    const QImage small = StretchPicture(picture, 150, 113);
    EXPECT_EQ(small.size(), QSize(150, 113));
    EXPECT_TRUE(near(small.pixel(70, 50), qRgb(200, 30, 30), 4));
    EXPECT_EQ(StretchPicture(picture, 1600, 1200).size(), QSize(1600, 1200));
}
