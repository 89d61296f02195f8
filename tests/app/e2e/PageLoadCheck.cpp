// Loads a published page into the browser engine the editor uses, from the disk or from a web
// server, and checks that it loads, runs its script without an error, carries the album's name
// and that the album's player shows the album: its title, the galleries named, every picture
// loaded. A screenshot of the screen is kept.
// Usage: app_page_load_check <page file or http URL> <expected title> <screenshot>
//        [--page-only | gallery caption ...]
// --page-only: a user's own page with the embed code: the album plays in it (in the page or in
// a frame, from this server or another), at least one of its pictures shown.

#include "tests/app/player/PlayerProbe.h"

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

#include <cstdio>

namespace {

// What the player got wrong in showing the album, or nullptr when it shows it whole.
const char* playerFault(playertest::PlayerProbe& probe, const QString& title,
                        const QStringList& galleries) {
    if (probe.played() != QStringLiteral("ready")) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(probe.eval(QStringLiteral("document.body.innerText")).toString()));
        return "the player does not show the album";
    }
    if (probe.texts(QStringLiteral(".pv-title")) != QStringList{title})
        return "the player does not show the album's title";
    const QStringList shown = probe.texts(QStringLiteral(".pv-gallery .pv-caption"));
    if (shown != galleries) {
        std::fprintf(stderr, "galleries shown: %s\n", qPrintable(shown.join(QStringLiteral(", "))));
        return "the player does not show the album's galleries";
    }
    if (!probe.waitFor(QStringLiteral("Array.from(document.querySelectorAll('#album img[src]'))"
                                      ".every(i => i.complete && i.naturalWidth > 0)")))
        return "a picture of the album did not load";
    return nullptr;
}

// Whether the page, or a frame in it however deep, shows a picture of the album's player.
const QString kAlbumPictureShown = QStringLiteral(
    "(function shown(w) { try { const d = w.document; return Array.from(d.querySelectorAll("
    "'.pv img[src]')).some(i => i.complete && i.naturalWidth > 0) || Array.from(d."
    "querySelectorAll('iframe, object, embed')).some(f => f.contentWindow && "
    "shown(f.contentWindow)); } catch (e) { return false; } })(window)");

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // An embedded album may come from another server: the check looks into its frame.
    if (argc == 5 && qstrcmp(argv[4], "--page-only") == 0)
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
                qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --disable-web-security");
    QApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <page> <title> <screenshot> [--page-only | gallery ...]\n",
                     argv[0]);
        return 2;
    }
    const QString page = QString::fromLocal8Bit(argv[1]);
    const QString title = QString::fromUtf8(argv[2]);
    const bool pageOnly = argc == 5 && qstrcmp(argv[4], "--page-only") == 0;
    QStringList galleries;
    for (int i = 4; i < argc && !pageOnly; ++i)
        galleries << QString::fromUtf8(argv[i]);
    auto fail = [&page](const char* what) {
        std::fprintf(stderr, "FAIL: %s: %s\n", qPrintable(page), what);
        return 1;
    };
    QUrl url(page);
    if (url.scheme() != QStringLiteral("http")) {
        if (!QFileInfo(page).isFile())
            return fail("no such page");
        url = QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath());
    }

    playertest::PlayerProbe probe;
    if (!probe.load(url))
        return fail("the page did not load");
    for (int i = 0; i < 50 && probe.view().title() != title; ++i)
        QTest::qWait(100);
    if (probe.view().title() != title)
        return fail("the page's title is not the album's name");

    if (!pageOnly) {
        if (const char* fault = playerFault(probe, title, galleries))
            return fail(fault);
    } else if (!probe.waitFor(kAlbumPictureShown, 10000)) {
        return fail("the page plays no album");
    }

    QTest::qWait(500);
    if (!probe.errors().isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(probe.errors().join(u'\n')));
        return fail("the page's script failed");
    }
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                 QString::fromLocal8Bit(argv[3])});
    std::puts("published page loaded");
    return 0;
}
