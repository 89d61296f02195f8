// Pictures converted on many threads at once share one budget of pixels, charged from their
// headers before any raster exists, so crafted files that declare huge pictures cannot add up.

#include "tests/model/ImageTestSupport.h"
#include "tests/model/image/CraftedPictures.h"

#include "model/Errors.h"
#include "model/FolderLayout.h"
#include "model/ParallelJobs.h"
#include "model/image/ImageImport.h"
#include "model/image/PixelBudget.h"
#include "model/items/PhotoFileBatch.h"

#include <QImageWriter>

#include <thread>

using namespace imagetest;
using namespace model;
using craftedpictures::sparseGif;
using craftedpictures::sparseRleBitmap;

namespace {

QString photo(const ScratchFolder& dir, const QString& name, bool progressive) {
    QImage image(2000, 1500, QImage::Format_RGB888);
    image.fill(qRgb(40, 90, 160));
    QImageWriter writer(dir(name), "jpeg");
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image));
    return dir(name);
}

} // namespace

TEST(PixelBudget, EachConversionIsChargedWhatItsHeadersDeclare) {
    ScratchFolder src;
    writeAll(src("screen.gif"), sparseGif(2000));
    writeAll(src("runs.bmp"), sparseRleBitmap(2000));
    const struct {
        QString file;
        qint64 least, most;
    } rows[] = {
        // The screen, not the 1 x 1 frame; a bitmap also holds the reader's 32-bit raster.
        {src("screen.gif"), 4'000'000, 4'100'000},
        {src("runs.bmp"), 4'000'000 * 7 / 3, 4'000'000 * 7 / 3 + 100'000},
        // A progressive file keeps every coefficient, at least 2 bytes a pixel of luma.
        {photo(src, "progressive.jpg", true), 2000 * 1500 * 2 / 3, 2000 * 1500 * 2},
        // A baseline file is decoded at the scale of the box: 1/8 here.
        {photo(src, "baseline.jpg", false), 250 * 188, 100'000},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file.toStdString());
        ScratchFolder out;
        PixelBudget budget;
        EXPECT_FALSE(CreateResizedJpegFile(row.file, 150, 150, out.path(), {}, &budget).isEmpty());
        EXPECT_GE(budget.peak(), row.least);
        EXPECT_LE(budget.peak(), row.most);
        EXPECT_EQ(budget.inUse(), 0);
    }
}

TEST(PixelBudget, ThreadsConvertingAtOnceStayWithinTheSharedBudget) {
    ScratchFolder src, out;
    QStringList files;
    for (int i = 0; i < 8; ++i) {
        files << src(QStringLiteral("p%1.%2").arg(i).arg(i % 2 ? "bmp" : "gif"));
        writeAll(files.back(), i % 2 ? sparseRleBitmap(1500) : sparseGif(1500));
    }
    // Every conversion needs more than half of it: one at a time, whatever the cores.
    PixelBudget budget(4'000'000);
    {
        ParallelJobs work(std::size_t(files.size()), [&](std::size_t i) {
            ImportImageFile(files[qsizetype(i)], 640, 480, out.path(), {}, &budget);
        });
        work.waitForAll();
    }
    EXPECT_EQ(entriesOf(out.path()).size(), files.size());
    EXPECT_EQ(budget.peakLeases(), 1);
    EXPECT_GT(budget.peak(), 2'250'000);
    EXPECT_LE(budget.peak(), budget.capacity());
    EXPECT_EQ(budget.inUse(), 0);
}

// The pictures of the hostile folder that once took a 400 MB canvas on every core.
TEST(PixelBudget, PhotoBatchOfCraftedPicturesHoldsOnePictureAtATime) {
    ScratchFolder root;
    writeAll(root("screen.gif"), sparseGif(10000));
    writeAll(root("runs.bmp"), sparseRleBitmap(10000));
    FolderLayout layout;
    layout.PreviewFolder = root("Preview/");
    layout.PreviewImagesFolder = layout.PreviewFolder + "pictavo_images/";
    layout.ThumbsFolder = root("Thumbs/");
    TpaAlbumSettingsPhoto level;
    level.Show = 1;
    level.ImageFields.Add(1)->W = 640;
    PhotoFileBatch batch(level, {root("screen.gif"), root("runs.bmp")}, layout);
    {
        ParallelJobs work(batch.size(), [&batch](std::size_t i) { batch.make(i); });
        work.waitForAll();
    }
    for (std::size_t i = 0; i < batch.size(); ++i) {
        TpaAlbumSettingsPhoto taken;
        EXPECT_NO_THROW(batch.take(i, taken));
    }
    EXPECT_EQ(batch.budget().peak(), PixelBudget::DefaultPixels);
    EXPECT_EQ(batch.budget().peakLeases(), 1);
}

TEST(PixelBudget, CancelReleasesWaitersAndLendsNothingMore) {
    PixelBudget budget(10);
    PixelBudget::Lease held = budget.acquire(25); // more than the whole budget: all of it
    EXPECT_EQ(held.pixels(), 10);
    std::thread waiter([&budget] { EXPECT_THROW(budget.acquire(1), PictureError); });
    budget.cancel();
    waiter.join();
    EXPECT_THROW(budget.acquire(0), PictureError);
    held = {};
    EXPECT_EQ(budget.inUse(), 0);
}
