// Uploads a published album of 200 photos to a local FTP server (pyftpdlib) with the upload
// worker, then the same files with Python's ftplib over one session, in interleaved rounds,
// and prints the best and the median time of each. Two albums: "small" (pictures up to
// 300 KB) and "real" (photos of 3 to 5 MB, 421 files, about 810 MB); both live on tmpfs
// (/dev/shm) with the server's folder, so that the disk does not decide. The server's own
// processor time is printed beside each run: the server (one Python process) is the busier
// side, and what a client makes it do shows there.
// Run by hand: build/bin/ftp_upload_bench [small|real] [passive|active] [rounds]

#include "../tests/publish/ftp/FtpTestServer.h"

#include "publish/ftp/FtpSession.h"
#include "publish/ftp/TFtpThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
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

// As a camera's album: 200 photos from 3 to 5 MB, their 200 thumbnails, the page, the
// player's data and its 18 skin files.
void makeRealAlbum(const QString& folder) {
    writeFile(folder + "/photogallery.htm", QByteArray(4000, 'h'));
    writeFile(folder + "/pictavo/data.xml", QByteArray(60000, 'x'));
    writeFile(folder + "/pictavo/player.swf", sampleBytes(300000, 999));
    for (int i = 0; i < 18; ++i)
        writeFile(folder + QStringLiteral("/pictavo/skin/part%1.png").arg(i),
                  sampleBytes(5000 + 700 * i, 2000 + i));
    for (int i = 0; i < 200; ++i) {
        const QString name = QStringLiteral("photo%1.jpg").arg(i, 3, 10, QChar('0'));
        writeFile(folder + "/pictavo/pictavo_images/" + name,
                  sampleBytes(3000000 + i * 10000 + (i * 7919) % 1000, i));
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
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool real = args.contains("real");
    const bool passive = !args.contains("active");
    int rounds = 5;
    for (const QString& a : args)
        rounds = a.toInt() > 0 ? a.toInt() : rounds;
    QTemporaryDir album;
    real ? makeRealAlbum(album.path()) : makeAlbum(album.path());
    const int files = static_cast<int>(treeContents(album.path()).size());
    FtpTestServer server;
    if (!server.running()) {
        std::fprintf(stderr, "the FTP server did not start\n");
        return 1;
    }
    std::vector<double> timesOurs, timesRef;
    for (int r = 0; r < rounds; ++r) {
        const QString mine = QStringLiteral("/ours%1").arg(r);
        const QString theirs = QStringLiteral("/ftplib%1").arg(r);
        // Alternating who goes first keeps a warming cache from favouring one side.
        double a = 0, b = 0, busyOurs = 0, busyRef = 0;
        const auto runOurs = [&] {
            const double before = serverSeconds(server.pid());
            a = ours(server, album.path(), files, mine, passive);
            busyOurs = serverSeconds(server.pid()) - before;
        };
        const auto runRef = [&] {
            const double before = serverSeconds(server.pid());
            b = reference(server, album.path(), theirs, passive);
            busyRef = serverSeconds(server.pid()) - before;
        };
        if (r % 2) {
            runRef();
            runOurs();
        } else {
            runOurs();
            runRef();
        }
        if (a < 0 || b < 0)
            return 1;
        if (treeContents(server.root() + mine) != treeContents(album.path())) {
            std::fprintf(stderr, "the uploaded tree differs from the album\n");
            return 1;
        }
        QDir(server.root() + mine).removeRecursively();
        QDir(server.root() + theirs).removeRecursively();
        timesOurs.push_back(a);
        timesRef.push_back(b);
        std::printf("round %d: upload window worker %.3f s, Python ftplib %.3f s (server busy "
                    "%.2f s and %.2f s)\n",
                    r + 1, a, b, busyOurs, busyRef);
    }
    const double bestOurs = *std::min_element(timesOurs.begin(), timesOurs.end());
    const double bestRef = *std::min_element(timesRef.begin(), timesRef.end());
    const double medOurs = median(timesOurs), medRef = median(timesRef);
    std::printf("%s album, %s, %d files: best ours %.3f s, ftplib %.3f s, ratio %.2f; "
                "median ours %.3f s, ftplib %.3f s, ratio %.2f\n",
                real ? "real" : "small", passive ? "passive" : "active", files, bestOurs, bestRef,
                bestOurs / bestRef, medOurs, medRef, medOurs / medRef);
    return 0;
}
