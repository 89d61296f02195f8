// Peak memory of a photo import of crafted pictures that declare far more pixels than they
// hold: GIFs of a 10000 x 10000 screen with a single 1 x 1 frame and run-length bitmaps of
// 10000 x 10000 that end at once. The files (a few KB in all) are made here and imported as
// the photo commands do, one photo per core, with one main copy, one reduced copy and one
// editor thumbnail each. Prints the peak resident size, the most pixels the import's budget
// lent at once, and the time.
//
//   picture_memory_bench [--count N] [--side S]

#include "model/FolderLayout.h"
#include "model/ParallelJobs.h"
#include "model/items/PhotoFileBatch.h"
#include "tests/model/image/CraftedPictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

namespace {

long peakResidentKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int count = 32;
    int side = 10000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == "--count")
            count = args[i + 1].toInt();
        else if (args[i] == "--side")
            side = args[i + 1].toInt();
    }
    QTemporaryDir dir;
    const QString root = dir.path() + u'/';
    QStringList files;
    for (int i = 0; i < count; ++i) {
        const bool gif = i % 2 == 0;
        const QString path = root + QStringLiteral("src/p%1.%2").arg(i).arg(gif ? "gif" : "bmp");
        QDir().mkpath(root + "src");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(gif ? craftedpictures::sparseGif(side)
                           : craftedpictures::sparseRleBitmap(side)) < 0)
            return 1;
        files << path;
    }
    model::FolderLayout layout;
    layout.PreviewFolder = root + "Preview/";
    layout.PreviewImagesFolder = layout.PreviewFolder + "pictavo_images/";
    layout.PreviewThumbsFolder = layout.PreviewFolder + "pictavo_thumbs/";
    layout.ThumbsFolder = root + "Thumbs/";
    for (const QString& f :
         {layout.PreviewImagesFolder, layout.PreviewThumbsFolder, layout.ThumbsFolder})
        QDir().mkpath(f);
    model::TpaAlbumSettingsPhoto photo;
    photo.Show = 1;
    auto* main = photo.ImageFields.Add(1);
    main->W = 640;
    main->H = 480;
    auto* reduced = photo.ImageFields.Add(2);
    reduced->Thumb = 1;
    reduced->W = 100;
    reduced->H = 75;

    const long before = peakResidentKb();
    QElapsedTimer timer;
    timer.start();
    model::PhotoFileBatch batch(photo, files, layout);
    {
        model::ParallelJobs work(batch.size(), [&batch](std::size_t i) { batch.make(i); });
        work.waitForAll();
    }
    int made = 0;
    for (std::size_t i = 0; i < batch.size(); ++i) {
        model::TpaAlbumSettingsPhoto taken;
        try {
            batch.take(i, taken);
            ++made;
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(files[qsizetype(i)]), e.what());
        }
    }
    std::printf("%d of %d crafted %dx%d pictures imported on %d threads in %.1f s\n", made, count,
                side, side, QThread::idealThreadCount(), timer.nsecsElapsed() / 1e9);
    std::printf("peak resident size %.0f MB (%.0f MB before the import)\n",
                peakResidentKb() / 1024.0, before / 1024.0);
    std::printf("budget: %lld pixels, most lent at once %lld in %d lease(s)\n",
                static_cast<long long>(batch.budget().capacity()),
                static_cast<long long>(batch.budget().peak()), batch.budget().peakLeases());
    return made == count ? 0 : 1;
}
