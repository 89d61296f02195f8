// Opening an album of 1,000 photos (800 x 600 JPEG files in two galleries, each with its
// reduced copy, as the importer leaves them) through the open command, beside Info-ZIP's
// unzip of the same file. The open unpacks the album and rebuilds every editor thumbnail, so it
// is expected within about twice unzip's time.
//
// Run by hand: build/bin/open_bench [photos]

#include "app/commands/CommandSet.h"
#include "app/commands/FileCommands.h"
#include "app/frmMain.h"
#include "app/l10n/ApplicationForms.h"
#include "tests/support/ProgramDialogs.h"
#include "tests/support/RecordingPreviewPane.h"

#include "model/FolderLayout.h"
#include "model/document/Album.h"
#include "model/items/Item.h"
#include "model/settings/AlbumSettingsImageField.h"
#include "model/settings/AlbumSettingsTextField.h"
#include "model/tree/TreeNode.h"
#include "platform/sys/ExecutableDir.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

// A photo-like picture: gradients and noise, so that it compresses as a photo does.
QByteArray jpegOf(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int noise = static_cast<int>(random.bounded(40));
            line[x] = qRgb((x * 255 / width + noise) % 256, (y * 255 / height + noise) % 256,
                           (x + y + noise) % 256);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// The sample template's album with `photos` photos in galleries of 500, its files in folder.
void makeAlbumFolder(const QString& templateFolder, const QString& folder, int photos) {
    QDir().mkpath(folder + "pictavo_images");
    QDir().mkpath(folder + "pictavo_thumbs");
    for (const QString& name : QDir(templateFolder).entryList(QDir::Files))
        QFile::copy(templateFolder + name, folder + name);
    model::TpaAlbum album;
    album.LoadFromXml(folder + "data.xml");
    model::TpaTreeNode* root = album.Tree().Root();
    const QByteArray photo = jpegOf(800, 600);
    const QByteArray thumb = jpegOf(100, 75);
    model::TpaTreeNode* gallery = nullptr;
    for (int i = 0; i < photos; ++i) {
        if (i % 500 == 0) {
            gallery = album.Tree().Append(root, album.CreateItem(model::ikGallery, root));
            gallery->Item()->CaptionField()->Value = QStringLiteral("Gallery %1").arg(i / 500 + 1);
        }
        model::TpaTreeNode* node =
            album.Tree().Append(gallery, album.CreateItem(model::ikPhoto, gallery));
        model::TpaItem* item = node->Item();
        item->CaptionField()->Value = QStringLiteral("Photo %1").arg(i + 1);
        const QString name = QStringLiteral("img%1.jpg").arg(i, 4, 10, QChar('0'));
        writeFile(folder + "pictavo_images/" + name, photo);
        writeFile(folder + "pictavo_thumbs/" + name, thumb);
        model::TpaImageInfo& main = item->ImageFields().FindById(1)->Image;
        main.FileName = "pictavo_images/" + name;
        main.Width = 800;
        main.Height = 600;
        model::TpaImageInfo& reduced = item->ImageFields().FindById(2)->Image;
        reduced.FileName = "pictavo_thumbs/" + name;
        reduced.Width = 100;
        reduced.Height = 75;
    }
    album.SaveToXml(folder + "data.xml");
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int photos = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir dir;
    const QString root = dir.path() + '/';
    const QString program = QString::fromStdString(platform::executableDir());
    model::InitFolders(program, root + "data", root);
    const model::FolderLayout& f = model::Folders();

    makeAlbumFolder(f.TemplatesFolder + "fz-simple/", root + "album/", photos);
    const QString albumFile = root + "album.zip";
    {
        zip::TZipArchiver archiver;
        archiver.SetCompressionMode(1);
        if (!zip::ZipFolder(archiver, (root + "album/").toStdString(), albumFile.toStdString())) {
            std::fprintf(stderr, "the album could not be zipped\n");
            return 1;
        }
    }

    QElapsedTimer timer;
    timer.start();
    QProcess unzip;
    unzip.start("unzip", {"-q", "-o", albumFile, "-d", root + "unzipped"});
    unzip.waitForFinished(-1);
    const qint64 unzipMs = timer.elapsed();

    app::ApplicationForms forms;
    app::MainWindowContext context;
    context.forms = &forms;
    context.preview = std::make_unique<app::RecordingPreviewPane>(nullptr);
    app::TfrmMain window(std::move(context));
    app::addProgramDialogs(forms, &window);
    auto commands =
        std::make_unique<app::CommandSet>(window, window.actions(), app::CommandServices{});
    app::FileCommands& file = commands->file();
    window.setCommands(std::move(commands));
    timer.restart();
    const bool opened = file.OpenAlbum(albumFile);
    const qint64 openMs = timer.elapsed();
    if (!opened) {
        std::fprintf(stderr, "the album did not open\n");
        return 1;
    }
    std::printf("album of %d photos, %.1f MB\n", photos, QFileInfo(albumFile).size() / 1048576.0);
    std::printf("unzip:        %6lld ms\n", static_cast<long long>(unzipMs));
    std::printf("open command: %6lld ms (%.2f x unzip)\n", static_cast<long long>(openMs),
                unzipMs > 0 ? double(openMs) / double(unzipMs) : 0.0);
    window.album().SetModified(false);
    return 0;
}
