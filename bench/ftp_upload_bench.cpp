// Uploads a published album of 200 photos to a local FTP server (pyftpdlib) with the upload
// worker, then the same files with Python's ftplib over one session, and prints both times.
// Run by hand: build/bin/ftp_upload_bench [passive|active] [rounds]

#include "../tests/publish/ftp/FtpTestServer.h"

#include "publish/ftp/FtpSession.h"
#include "publish/ftp/TFtpThread.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>

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

double ours(const FtpTestServer& server, const QString& album, const QString& remote,
            bool passive) {
    QElapsedTimer timer;
    timer.start();
    auto session =
        std::make_unique<publish::FtpSession>("127.0.0.1", "u", "p", passive, server.port());
    session->mkd(remote);
    session->cwd(remote);
    publish::TFtpThread worker(std::move(session), album + "/", 403,
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
    QCoreApplication app(argc, argv);
    const bool passive = argc < 2 || QByteArray(argv[1]) != "active";
    const int rounds = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    QTemporaryDir album;
    makeAlbum(album.path());
    FtpTestServer server;
    if (!server.running()) {
        std::fprintf(stderr, "the FTP server did not start\n");
        return 1;
    }
    double bestOurs = 1e9, bestRef = 1e9;
    for (int r = 0; r < rounds; ++r) {
        const double a = ours(server, album.path(), QStringLiteral("/ours%1").arg(r), passive);
        const double b =
            reference(server, album.path(), QStringLiteral("/ftplib%1").arg(r), passive);
        if (a < 0 || b < 0)
            return 1;
        bestOurs = std::min(bestOurs, a);
        bestRef = std::min(bestRef, b);
        std::printf("round %d: upload window worker %.3f s, Python ftplib %.3f s\n", r + 1, a, b);
    }
    if (treeContents(server.root() + "/ours0") != treeContents(album.path())) {
        std::fprintf(stderr, "the uploaded tree differs from the album\n");
        return 1;
    }
    std::printf("%s, 403 files: ours %.3f s, ftplib %.3f s, ratio %.2f\n",
                passive ? "passive" : "active", bestOurs, bestRef, bestOurs / bestRef);
    return 0;
}
