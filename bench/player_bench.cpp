// How long the sample template's player takes to show an album of 1,000 photos (default): from
// the start of the page's navigation to the first frame after the player has built the album's
// gallery, read from the page's own clock. The album's page is written by the album document as
// the editor writes it; it is loaded from the disk, as the editor's preview does, and over HTTP
// from Python's http.server, as a visitor does. Also counts the thumbnails asked for by then
// (the rest wait until they are scrolled near).
// Run by hand as build/bin/player_bench [photos] [rounds], with QT_QPA_PLATFORM=offscreen,
// QTWEBENGINE_DISABLE_SANDBOX=1 and QTWEBENGINE_CHROMIUM_FLAGS=--disable-gpu set.

#include "tests/app/player/LocalWebServer.h"
#include "tests/app/player/PlayerProbe.h"

#include "model/document/Album.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The sample template with "data.xml" holding `photos` photos in the album itself, each with
// its own picture and thumbnail, and the page written by the album document.
bool makeAlbum(const QString& folder, int photos) {
    const QString source = QStringLiteral(FZ_SOURCE_DIR "/resources/Templates/fz-simple/");
    QDirIterator files(source, QDir::Files);
    while (files.hasNext()) {
        const QString from = files.next();
        if (!QFile::copy(from, folder + files.fileName()))
            return false;
    }
    QDir().mkpath(folder + "pictavo_images");
    QDir().mkpath(folder + "pictavo_thumbs");
    QByteArray xml = "<?xml version=\"1.0\"?>\r\n<photogallery defaultfolder=\"0\">"
                     "<txt id=\"1\"><![CDATA[<font size=\"18\">Bench</font>]]></txt>"
                     "<folder/><photo>";
    for (int i = 0; i < photos; ++i) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(QColor::fromHsv(i % 360, 150, 200));
        const QString name = QStringLiteral("p%1.jpg").arg(i, 4, 10, QLatin1Char('0'));
        if (!image.save(folder + "pictavo_images/" + name, "JPEG") ||
            !image.scaled(16, 12).save(folder + "pictavo_thumbs/tn_" + name, "JPEG"))
            return false;
        xml += QStringLiteral("<item fid=\"0\"><txt id=\"1\"><![CDATA[Photo <b>%1</b>]]></txt>"
                              "<txt id=\"2\"><![CDATA[Taken on day %1]]></txt>"
                              "<src id=\"1\" w=\"64\" h=\"48\">pictavo_images/%2</src>"
                              "<src id=\"2\" w=\"16\" h=\"12\">pictavo_thumbs/tn_%2</src>"
                              "<link src=\"\" target=\"_blank\"/></item>")
                   .arg(i)
                   .arg(name)
                   .toUtf8();
    }
    xml += "</photo></photogallery>\r\n";
    if (!writeFile(folder + "data.xml", xml))
        return false;
    model::TpaAlbum album;
    album.LoadFromXml(folder + "data.xml");
    album.SaveToXml(folder + "data.xml");
    album.WriteIndexHtml(folder + "index.html",
                         QStringLiteral(FZ_SOURCE_DIR "/resources/Files/index.html"), QString());
    return true;
}

struct Round {
    double shownMs = -1;
    int tiles = 0;
    int thumbsAsked = 0;
};

Round play(playertest::PlayerProbe& probe, const QUrl& url) {
    Round round;
    probe.load(QUrl(QStringLiteral("about:blank")));
    if (!probe.load(url) ||
        !probe.waitFor(QStringLiteral("performance.getEntriesByName('album-shown').length"), 30000))
        return round;
    round.shownMs =
        probe.eval(QStringLiteral("performance.getEntriesByName('album-shown')[0].startTime"))
            .toDouble();
    round.tiles =
        probe.eval(QStringLiteral("document.querySelectorAll('.pv-photo').length")).toInt();
    round.thumbsAsked =
        probe.eval(QStringLiteral("document.querySelectorAll('.pv-photo img[src]').length"))
            .toInt();
    return round;
}

void report(const char* how, std::vector<Round> rounds) {
    std::sort(rounds.begin(), rounds.end(),
              [](const Round& a, const Round& b) { return a.shownMs < b.shownMs; });
    const Round& median = rounds[rounds.size() / 2];
    std::printf("%-22s shown after %7.1f ms median, %7.1f ms worst; %d photo tiles, %d "
                "thumbnails asked for\n",
                how, median.shownMs, rounds.back().shownMs, median.tiles, median.thumbsAsked);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    const int photos = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    if (!makeAlbum(folder, photos)) {
        std::fprintf(stderr, "cannot make the album in %s\n", qPrintable(folder));
        return 1;
    }
    std::printf("album of %d photos, data.xml %lld bytes\n", photos,
                static_cast<long long>(QFileInfo(folder + "data.xml").size()));

    playertest::LocalWebServer server(folder);
    playertest::PlayerProbe probe;
    const QUrl file = QUrl::fromLocalFile(folder + QStringLiteral("index.html"));
    const QUrl http = server.url(QStringLiteral("index.html"));
    std::vector<Round> fromDisk, overHttp;
    for (int i = 0; i < rounds; ++i) {
        fromDisk.push_back(play(probe, file));
        overHttp.push_back(play(probe, http));
        if (fromDisk.back().shownMs < 0 || overHttp.back().shownMs < 0) {
            std::fprintf(stderr, "the player did not show the album: %s\n",
                         qPrintable(probe.errors().join(u'\n')));
            return 1;
        }
    }
    report("from the disk:", fromDisk);
    report("over HTTP:", overHttp);
    return 0;
}
