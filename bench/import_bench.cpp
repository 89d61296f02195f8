// Times the import of 100 camera-sized photos (an 800 x 600 copy and a 150 x 150 thumbnail of
// each), one core and every core, against ImageMagick's convert and libvips' vipsthumbnail
// making the same two resizes of the same files.
//
//   import_bench [--count N] [--width W] [--height H] [--keep]

#include "model/Errors.h"
#include "model/ParallelJobs.h"
#include "model/image/ImageImport.h"
#include "model/image/JpegCodec.h"
#include "model/image/PixelBudget.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

struct Options {
    int count = 100;
    int width = 4000;
    int height = 3000;
    bool keep = false;
};

Options parse(const QStringList& args) {
    Options options;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "--count" && hasValue)
            options.count = args[++i].toInt();
        else if (arg == "--width" && hasValue)
            options.width = args[++i].toInt();
        else if (arg == "--height" && hasValue)
            options.height = args[++i].toInt();
        else if (arg == "--keep")
            options.keep = true;
        else {
            std::fprintf(stderr,
                         "usage: import_bench [--count N] [--width W] [--height H] [--keep]\n");
            std::exit(2);
        }
    }
    if (options.count < 1 || options.width < 16 || options.height < 16) {
        std::fprintf(stderr, "import_bench: count, width and height must be positive\n");
        std::exit(2);
    }
    return options;
}

// A photo-like picture: smooth colour fields, a few hard edges and sensor-like noise,
// so the files are about as large and as hard to compress as camera pictures.
QImage makePhoto(int width, int height, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> noise(-12, 12);
    const double phase = seed * 0.7;
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* row = image.scanLine(y);
        const double fy = double(y) / height;
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / width;
            const bool edge = (x / 250 + y / 170) % 5 == 0;
            const double r = 128 + 100 * std::sin(6.0 * fx + phase) * std::cos(4.0 * fy);
            const double g = 120 + 90 * std::sin(9.0 * fy + 2 * phase + fx);
            const double b = edge ? 40 : 150 + 80 * std::cos(5.0 * (fx + fy) + phase);
            row[3 * x] = static_cast<uchar>(std::clamp(int(r) + noise(random), 0, 255));
            row[3 * x + 1] = static_cast<uchar>(std::clamp(int(g) + noise(random), 0, 255));
            row[3 * x + 2] = static_cast<uchar>(std::clamp(int(b) + noise(random), 0, 255));
        }
    }
    return image;
}

QString imageMagickConvert() {
    // The ImageMagick binary itself, so that no wrapper's start-up is counted.
    for (const char* path : {"/usr/bin/convert-im6.q16", "/usr/bin/convert"})
        if (QFile::exists(path))
            return path;
    return QStandardPaths::findExecutable("convert");
}

bool runConvert(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(QFileInfo(program).fileName()),
                     process.readAllStandardError().constData());
        return false;
    }
    return true;
}

// Both resizes of every file with convert; the seconds taken, or a negative value on failure.
double timeImageMagick(const QString& convert, const QStringList& sources, const QString& folder,
                       bool sizeHint) {
    QDir().mkpath(folder);
    QElapsedTimer timer;
    timer.start();
    for (const QString& source : sources) {
        const QString base = QFileInfo(source).completeBaseName();
        const struct {
            const char* box;
            const char* hint;
            QString target;
        } jobs[] = {{"800x600", "1600x1200", folder + base + ".jpg"},
                    {"150x150", "300x300", folder + "tn_" + base + ".jpg"}};
        for (const auto& job : jobs) {
            QStringList args;
            if (sizeHint)
                args << "-define" << QString("jpeg:size=") + job.hint;
            args << source << "-resize" << job.box << "-quality"
                 << "90" << job.target;
            if (!runConvert(convert, args))
                return -1;
        }
    }
    return timer.nsecsElapsed() / 1e9;
}

// Both resizes of every file with libvips' vipsthumbnail; the seconds taken, or a negative
// value on failure.
double timeVips(const QString& vips, const QStringList& sources, const QString& folder) {
    QDir().mkpath(folder);
    QElapsedTimer timer;
    timer.start();
    for (const QString& source : sources) {
        const QString base = QFileInfo(source).completeBaseName();
        for (const auto& [box, target] :
             {std::pair{QStringLiteral("800x600"), folder + base + ".jpg[Q=90]"},
              std::pair{QStringLiteral("150x150"), folder + "tn_" + base + ".jpg[Q=90]"}}) {
            if (!runConvert(vips, {source, "-s", box, "-o", target}))
                return -1;
        }
    }
    return timer.nsecsElapsed() / 1e9;
}

double timeOurs(const QStringList& sources, const QString& folder) {
    QElapsedTimer timer;
    timer.start();
    for (const QString& source : sources) {
        const QString copy = model::ImportImageFile(source, 800, 600, folder + "images/");
        const QString thumb = model::CreateThumbnailFile(source, 150, 150, folder + "thumbs/");
        if (copy.isEmpty() || thumb.isEmpty())
            return -1;
    }
    return timer.nsecsElapsed() / 1e9;
}

// The same two resizes of every file on every core, as the photo import runs them: within one
// shared pixel budget.
double timeOursParallel(const QStringList& sources, const QString& folder) {
    QElapsedTimer timer;
    timer.start();
    std::atomic<bool> failed = false;
    model::PixelBudget budget;
    {
        model::ParallelJobs jobs(std::size_t(sources.size()), [&](std::size_t i) {
            const QString& source = sources[qsizetype(i)];
            const QString name = QFileInfo(source).fileName();
            if (model::ImportImageFile(source, 800, 600, folder + "images/", name, &budget)
                    .isEmpty() ||
                model::CreateThumbnailFile(source, 150, 150, folder + "thumbs/", "tn_" + name,
                                           &budget)
                    .isEmpty())
                failed = true;
        });
        jobs.waitForAll();
    }
    return failed ? -1 : timer.nsecsElapsed() / 1e9;
}

QSize jpegSize(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return model::JpegCodec::readSize(file.readAll());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const Options options = parse(app.arguments());
    const QString convert = imageMagickConvert();
    if (convert.isEmpty()) {
        std::fprintf(stderr, "import_bench: ImageMagick's convert is not installed\n");
        return 1;
    }

    QTemporaryDir scratch;
    scratch.setAutoRemove(!options.keep);
    const QString root = scratch.path() + "/";
    QDir().mkpath(root + "photos");

    try {
        std::printf("Generating %d photos of %d x %d pixels in %s\n", options.count, options.width,
                    options.height, qPrintable(root));
        QStringList sources;
        qint64 bytes = 0;
        for (int i = 0; i < options.count; ++i) {
            const QByteArray jpeg =
                model::JpegCodec::encode(makePhoto(options.width, options.height, 1108u + i));
            const QString path = root + QString::asprintf("photos/photo%02d.jpg", i + 1);
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
                throw model::FileError("Cannot write " + path);
            sources << path;
            bytes += jpeg.size();
        }
        std::printf("Average file size: %.1f MB\n\n", bytes / 1e6 / options.count);

        const double ours = timeOurs(sources, root + "ours/");
        const double parallel = timeOursParallel(sources, root + "ours-parallel/");
        const double theirs = timeImageMagick(convert, sources, root + "convert/", false);
        const double hinted = timeImageMagick(convert, sources, root + "convert-hint/", true);
        const QString vips = QStandardPaths::findExecutable("vipsthumbnail");
        const double vipsTime = vips.isEmpty() ? -1 : timeVips(vips, sources, root + "vips/");
        if (ours < 0 || parallel < 0 || theirs < 0 || hinted < 0)
            return 1;

        const QSize copySize = jpegSize(root + "ours/images/photo01.jpg");
        const QSize thumbSize = jpegSize(root + "ours/thumbs/tn_photo01.jpg");
        std::printf("Each photo: an 800 x 600 box (ours %d x %d) and a 150 x 150 thumbnail (ours "
                    "%d x %d)\n",
                    copySize.width(), copySize.height(), thumbSize.width(), thumbSize.height());
        std::printf("ours:                          %8.3f s  (%6.1f ms per photo)\n", ours,
                    1000 * ours / options.count);
        std::printf("ours on every core:            %8.3f s  (%6.1f photos per second)\n", parallel,
                    options.count / parallel);
        std::printf("convert:                       %8.3f s  (%6.1f ms per photo)\n", theirs,
                    1000 * theirs / options.count);
        std::printf("ratio ours / convert:          %8.3fx  (goal: at most 1.0x)\n", ours / theirs);
        std::printf("convert with jpeg:size hint:   %8.3f s  (ratio ours / hinted %.3fx, for "
                    "information)\n",
                    hinted, ours / hinted);
        if (vipsTime > 0)
            std::printf("vipsthumbnail:                 %8.3f s  (%6.1f photos per second)\n",
                        vipsTime, options.count / vipsTime);
        else
            std::printf("vipsthumbnail:                 not installed (Debian's libvips-tools)\n");
        std::printf("photos per second: ours %.1f, convert %.1f, vipsthumbnail %.1f\n",
                    options.count / parallel, options.count / theirs,
                    vipsTime > 0 ? options.count / vipsTime : 0.0);
        const bool ahead = parallel <= theirs && (vipsTime <= 0 || parallel <= vipsTime);
        return ahead ? 0 : 3;
    } catch (const model::ModelError& e) {
        std::fprintf(stderr, "import_bench: %s\n", e.what());
        return 1;
    }
}
