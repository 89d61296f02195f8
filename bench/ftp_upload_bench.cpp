// Uploads a published album to a local FTP server (pyftpdlib) three ways in interleaved rounds:
// with the upload worker alone, through the upload window as the user does (from the click on
// Upload until the window shows "Upload Complete", by which time the server has confirmed the
// last file), and with Python's ftplib over one session; prints the best and the median time
// of each. Three albums: "small" (200 pictures up to 300 KB, 403 files), "real" (photos of 3 to
// 5 MB with their thumbnails, 421 files, about 810 MB) and "photos" (205 files, 200 of them
// photos of 3 to 5 MB, about 800 MB); all live on tmpfs (/dev/shm) with the server's folder,
// so that the disk does not decide. The server's own processor time is printed beside each
// run: the server (one Python process) is the busier side, and what a client makes it do
// shows there.
// Run by hand: build/bin/ftp_upload_bench [small|real|photos] [passive|active] [rounds]
// (the window runs on the offscreen platform unless QT_QPA_PLATFORM says otherwise). What the
// window's screen costs shows best on a real display and a small machine:
//   QT_QPA_PLATFORM=xcb taskset -c 2,3 xvfb-run -a build/bin/ftp_upload_bench photos

#include "../tests/publish/ftp/FtpTestServer.h"

#include "publish/ftp/FtpSession.h"
#include "publish/ftp/TFtpThread.h"
#include "publish/ftp/TfrmFtpModule.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QStackedWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <unistd.h>

using namespace ftptest;

namespace {

// The published folder: the page, the player data, 200 pictures (from 180,000 bytes to past
// 256 KiB, the block size of the send loop) and 200 thumbnails.
void makeAlbum(const QString& folder) {
    writeFile(folder + "/photogallery.htm", QByteArray(4000, 'h'));
    writeFile(folder + "/pictavo/data.xml", QByteArray(60000, 'x'));
    writeFile(folder + "/pictavo/player.swf", sampleBytes(300000, 999));
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("photo%1.jpg").arg(i, 3, 10, QChar('0'));
        writeFile(folder + "/pictavo/pictavo_images/" + name, sampleBytes(180000 + i * 600, i));
        writeFile(folder + "/pictavo/pictavo_images/thumbs/tn_" + name,
                  sampleBytes(9000, 1000 + i));
    }
}

// As a camera's album: 200 photos from 3 to 5 MB, the page, the player's data and `skins` skin
// files; with `thumbnails`, the photos' 200 thumbnails too.
void makePhotoAlbum(const QString& folder, int skins, bool thumbnails) {
    writeFile(folder + "/photogallery.htm", QByteArray(4000, 'h'));
    writeFile(folder + "/pictavo/data.xml", QByteArray(60000, 'x'));
    writeFile(folder + "/pictavo/player.swf", sampleBytes(300000, 999));
    for (int i = 0; i < skins; ++i)
        writeFile(folder + QStringLiteral("/pictavo/skin/part%1.png").arg(i),
                  sampleBytes(5000 + 700 * i, 2000 + i));
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("photo%1.jpg").arg(i, 3, 10, QChar('0'));
        writeFile(folder + "/pictavo/pictavo_images/" + name,
                  sampleBytes(3000000 + i * 10000 + (i * 7919) % 1000, i));
        if (thumbnails)
            writeFile(folder + "/pictavo/pictavo_images/thumbs/tn_" + name,
                      sampleBytes(20000 + i * 37, 1000 + i));
    }
}

// Processor seconds the server process has used so far.
double serverSeconds(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // The fields after the name in parentheses; user and system time are the 12th and 13th.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return 0;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

// "VERB count" for every verb in `commands`, in the order they first came.
QString verbCounts(const QStringList& commands) {
    QStringList order;
    QHash<QString, int> counts;
    for (const QString& line : commands) {
        const QString verb = line.section(u' ', 0, 0);
        if (!counts.contains(verb))
            order << verb;
        ++counts[verb];
    }
    QStringList parts;
    for (const QString& verb : order)
        parts << QStringLiteral("%1 %2").arg(verb).arg(counts[verb]);
    return parts.join(QStringLiteral(", "));
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// `files` is counted beforehand: reading the album to count it would be timed as ours.
double ours(const FtpTestServer& server, const QString& album, int files, const QString& remote,
            bool passive) {
    QElapsedTimer timer;
    timer.start();
    auto session =
        std::make_unique<publish::FtpSession>("127.0.0.1", "u", "p", passive, server.port());
    session->mkd(remote);
    session->cwd(remote);
    publish::TFtpThread worker(std::move(session), album + "/", files,
                               std::make_shared<std::atomic<bool>>(false));
    bool ok = false;
    QObject::connect(&worker, &publish::TFtpThread::completed, [&] { ok = true; });
    QObject::connect(&worker, &publish::TFtpThread::failed,
                     [](const QString& m) { std::fprintf(stderr, "failed: %s\n", qPrintable(m)); });
    worker.run();
    return ok ? timer.elapsed() / 1000.0 : -1;
}

// The window's status page.
QString pageOf(const publish::TfrmFtpModule& window) {
    const auto* pages = window.findChild<QStackedWidget*>(QStringLiteral("nbkStatus"));
    return pages && pages->currentWidget() ? pages->currentWidget()->objectName() : QString();
}

// Runs the event loop until the window shows one of `pages`.
QString waitForPage(const publish::TfrmFtpModule& window, const QStringList& pages) {
    const auto* stack = window.findChild<QStackedWidget*>(QStringLiteral("nbkStatus"));
    QEventLoop loop;
    QObject::connect(stack, &QStackedWidget::currentChanged, &loop, [&] {
        if (pages.contains(pageOf(window)))
            loop.quit();
    });
    if (!pages.contains(pageOf(window)))
        loop.exec();
    return pageOf(window);
}

// Through the window, from the click on Upload; the remote folder is made beforehand.
double throughWindow(const FtpTestServer& server, const QString& album, const QString& remote,
                     bool passive) {
    QDir(server.root()).mkpath(remote.mid(1));
    const publish::FtpDefaults defaults{
        QStringLiteral("127.0.0.1"), QStringLiteral("u"), QStringLiteral("p"), remote,
        passive ? QStringLiteral("passive") : QStringLiteral("active")};
    publish::TfrmFtpModule window(defaults, album, nullptr, server.port());
    window.show();
    if (waitForPage(window, {"Initial", "Failed"}) != "Initial")
        return -1;
    QElapsedTimer timer;
    timer.start();
    window.btnStartClick();
    const QString end = waitForPage(window, {"Complete", "Failed"});
    const double seconds = timer.elapsed() / 1000.0;
    return end == "Complete" ? seconds : -1;
}

double reference(const FtpTestServer& server, const QString& album, const QString& remote,
                 bool passive) {
    QElapsedTimer timer;
    timer.start();
    const int rc = QProcess::execute("/usr/bin/python3", {FZ_SOURCE_DIR "/bench/ftplib_upload.py",
                                                          QString::number(server.port()), album,
                                                          remote, passive ? "passive" : "active"});
    return rc == 0 ? timer.elapsed() / 1000.0 : -1;
}

} // namespace

int main(int argc, char** argv) {
    // Album and server folder in memory (QTemporaryDir follows TMPDIR).
    if (QDir("/dev/shm").exists())
        qputenv("TMPDIR", "/dev/shm");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QString kind = args.contains("real")     ? QStringLiteral("real")
                         : args.contains("photos") ? QStringLiteral("photos")
                                                   : QStringLiteral("small");
    const bool passive = !args.contains("active");
    int rounds = 5;
    for (const QString& a : args)
        rounds = a.toInt() > 0 ? a.toInt() : rounds;
    QTemporaryDir album;
    if (kind == "real")
        makePhotoAlbum(album.path(), 18, true);
    else if (kind == "photos")
        makePhotoAlbum(album.path(), 2, false);
    else
        makeAlbum(album.path());
    const int files = static_cast<int>(treeContents(album.path()).size());
    FtpTestServer server;
    if (!server.running()) {
        std::fprintf(stderr, "the FTP server did not start\n");
        return 1;
    }
    // The three ways, by the name they print under; the worker alone, the window, ftplib.
    struct Side {
        const char* name;
        std::function<double(const QString& remote)> run;
        std::vector<double> times = {};
        QString verbs = {};
    };
    Side sides[] = {
        {"worker",
         [&](const QString& remote) { return ours(server, album.path(), files, remote, passive); }},
        {"window",
         [&](const QString& remote) {
             return throughWindow(server, album.path(), remote, passive);
         }},
        {"ftplib",
         [&](const QString& remote) { return reference(server, album.path(), remote, passive); }},
    };
    const int count = int(std::size(sides));
    for (int r = 0; r < rounds; ++r) {
        std::printf("round %d:", r + 1);
        // Turning who goes first keeps a warming cache from favouring one side.
        for (int k = 0; k < count; ++k) {
            Side& side = sides[(r + k) % count];
            const QString remote = QStringLiteral("/%1%2").arg(side.name).arg(r);
            const double before = serverSeconds(server.pid());
            const qsizetype said = server.commands().size();
            const double seconds = side.run(remote);
            const double busy = serverSeconds(server.pid()) - before;
            if (seconds < 0)
                return 1;
            if (side.name != std::string("ftplib") &&
                treeContents(server.root() + remote) != treeContents(album.path())) {
                std::fprintf(stderr, "the tree uploaded by the %s differs from the album\n",
                             side.name);
                return 1;
            }
            QDir(server.root() + remote).removeRecursively();
            side.times.push_back(seconds);
            std::printf(" %s %.3f s (server busy %.2f s)", side.name, seconds, busy);
            if (r == 0)
                side.verbs = verbCounts(server.commands().mid(said));
        }
        std::printf("\n");
        std::fflush(stdout);
    }
    // What each way made the server do in the first round.
    for (const Side& side : sides)
        std::printf("commands of the %s: %s\n", side.name, qPrintable(side.verbs));
    const Side& ref = sides[count - 1];
    const double bestRef = *std::min_element(ref.times.begin(), ref.times.end());
    const double medRef = median(ref.times);
    std::printf("%s album, %s, %d files: ftplib best %.3f s, median %.3f s\n", qPrintable(kind),
                passive ? "passive" : "active", files, bestRef, medRef);
    for (int k = 0; k + 1 < count; ++k) {
        const Side& side = sides[k];
        const double best = *std::min_element(side.times.begin(), side.times.end());
        const double med = median(side.times);
        std::printf("  %s: best %.3f s (ratio %.2f), median %.3f s (ratio %.2f)\n", side.name, best,
                    best / bestRef, med, med / medRef);
    }
    return 0;
}
