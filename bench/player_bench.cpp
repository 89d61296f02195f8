// How long a visitor waits for the first picture of an album of 1,000 and 5,000 photos (default)
// from the sample template's player, side by side with a plain page of the same thumbnails as
// <img loading=lazy>: from the start of the page's navigation to the first frame after a picture
// on the screen has loaded, read from the page's own clock by the same watcher in both pages.
// Both pages are served by Python's http.server, as a visitor gets them. Also reports the
// longest task of the page (how long it froze) and the elements built.
// Run by hand as build/bin/player_bench [photos ...] [--rounds N], with QT_QPA_PLATFORM=offscreen,
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
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>

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
    QByteArray plain = "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>Bench</title>"
                       "<link rel=\"icon\" href=\"data:,\"></head><body>";
    for (int i = 0; i < photos; ++i)
        plain += QStringLiteral("<img loading=\"lazy\" width=\"16\" height=\"12\" "
                                "src=\"pictavo_thumbs/tn_p%1.jpg\">")
                     .arg(i, 4, 10, QLatin1Char('0'))
                     .toUtf8();
    if (!writeFile(folder + "plain.html", plain + "</body></html>"))
        return false;
    if (!writeFile(folder + "data.xml", xml))
        return false;
    model::TpaAlbum album;
    album.LoadFromXml(folder + "data.xml");
    album.SaveToXml(folder + "data.xml");
    album.WriteIndexHtml(folder + "index.html",
                         QStringLiteral(FZ_SOURCE_DIR "/resources/Files/index.html"), QString());
    return true;
}

// Watches every frame from the document's start for a picture on the screen that has loaded;
// the next frame is when it was painted. Also keeps the longest task.
const char* const kWatcher = R"(
window.firstPicture = -1; window.longest = 0;
new PerformanceObserver(l => l.getEntries().forEach(e => window.longest = Math.max(window.longest,
  e.duration))).observe({entryTypes: ['longtask']});
(function watch() {
  requestAnimationFrame(() => {
    const shown = Array.from(document.images).some(i => i.complete && i.naturalWidth > 0 &&
      i.getBoundingClientRect().top < innerHeight);
    if (shown) requestAnimationFrame(() => { window.firstPicture = performance.now(); });
    else watch();
  });
})();)";

struct Round {
    double pictureMs = -1;
    double longestMs = 0;
    int elements = 0;
};

Round play(playertest::PlayerProbe& probe, const QUrl& url) {
    Round round;
    // Each page starts once what the one before still asked for has settled.
    probe.load(QUrl(QStringLiteral("about:blank")));
    QTest::qWait(1500);
    if (!probe.load(url) || !probe.waitFor(QStringLiteral("window.firstPicture >= 0"), 60000))
        return round;
    round.pictureMs = probe.eval(QStringLiteral("window.firstPicture")).toDouble();
    round.longestMs = probe.eval(QStringLiteral("window.longest")).toDouble();
    round.elements =
        probe.eval(QStringLiteral("document.getElementsByTagName('*').length")).toInt();
    return round;
}

Round median(std::vector<Round> rounds) {
    std::sort(rounds.begin(), rounds.end(),
              [](const Round& a, const Round& b) { return a.pictureMs < b.pictureMs; });
    return rounds[rounds.size() / 2];
}

// One album size: the player's page and the plain page in turns; false when one did not show.
bool bench(int photos, int rounds) {
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    if (!makeAlbum(folder, photos)) {
        std::fprintf(stderr, "cannot make the album in %s\n", qPrintable(folder));
        return false;
    }
    playertest::LocalWebServer server(folder);
    playertest::PlayerProbe probe;
    QWebEngineScript watcher;
    watcher.setInjectionPoint(QWebEngineScript::DocumentCreation);
    watcher.setWorldId(QWebEngineScript::MainWorld);
    watcher.setName(QStringLiteral("watch"));
    watcher.setSourceCode(QString::fromUtf8(kWatcher));
    probe.view().page()->scripts().insert(watcher);
    std::vector<Round> player, plain;
    for (int i = 0; i < rounds; ++i) {
        player.push_back(play(probe, server.url(QStringLiteral("index.html"))));
        plain.push_back(play(probe, server.url(QStringLiteral("plain.html"))));
        if (player.back().pictureMs < 0 || plain.back().pictureMs < 0) {
            std::fprintf(
                stderr, "no picture shown (%s): %s %s\n",
                player.back().pictureMs < 0 ? "player" : "plain page",
                qPrintable(probe
                               .eval(QStringLiteral("[window.firstPicture, document.images.length, "
                                                    "Array.from(document.images).filter(i => "
                                                    "i.complete && i.naturalWidth).length]"))
                               .toStringList()
                               .join(u' ')),
                qPrintable(probe.errors().join(u'\n')));
            return false;
        }
    }
    const Round a = median(player), b = median(plain);
    std::printf("%6d photos (data.xml %8lld bytes): first picture after %7.1f ms (player) vs "
                "%7.1f ms (plain page), ratio %.2f; longest task %6.1f vs %6.1f ms; %d vs %d "
                "elements\n",
                photos, static_cast<long long>(QFileInfo(folder + "data.xml").size()), a.pictureMs,
                b.pictureMs, a.pictureMs / b.pictureMs, a.longestMs, b.longestMs, a.elements,
                b.elements);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    std::vector<int> sizes;
    int rounds = 5;
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "--rounds") == 0 && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            sizes.push_back(std::max(1, std::atoi(argv[i])));
    }
    if (sizes.empty())
        sizes = {1000, 5000};
    for (int photos : sizes) {
        if (!bench(photos, rounds))
            return 1;
    }
    return 0;
}
