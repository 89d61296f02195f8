// Runs under a virtual X server with the real browser engine: the album preview of a main
// window loads the working folder's "index.html" after the refresh, the page's title is the
// album's name, and the template's player reads "data.xml" from the working folder and shows
// the album's gallery. A screenshot of the screen is kept in the build folder. The pane reads
// nothing outside the working folder and nothing from the network, by navigation or by WebRTC
// even with only the engine's lock. Preview in Browser hands the browser a private page that
// forwards to the editor's loopback server, which plays the album in another engine.

#include "tests/app/AppTestSupport.h"

#include "app/pages/WebRtcBlock.h"
#include "platform/ShellOpen.h"
#include "publish/preview/LoopbackServer.h"

#include <QApplication>
#include <QNetworkDatagram>
#include <QProcess>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTcpServer>
#include <QTest>
#include <QUdpSocket>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

namespace {

// The value of a script expression in the view once it equals `expected` (or the last one).
QString waitForValue(QWebEngineView& view, const QString& script, const QString& expected) {
    // An answer may come after the wait has ended: it goes where it outlives the wait.
    auto value = std::make_shared<QString>();
    for (int i = 0; i < 100 && *value != expected; ++i) {
        QTest::qWait(100);
        view.page()->runJavaScript(script, [value](const QVariant& v) { *value = v.toString(); });
    }
    return *value;
}

// A page in the working folder that reaches for other local files and for the network by every
// way a page has; what it got, joined.
QString spyOnTheDisk(QWebEngineView& view, const QString& outside) {
    const QString preview = model::Folders().PreviewFolder;
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QDir().mkpath(outside);
    QDir().mkpath(preview + "pictavo_thumbs");
    picture.save(outside + "outside.png");
    picture.save(preview + "pictavo_thumbs/inside.png");
    publish::LoopbackServer network(outside);
    QFile::link(outside + "outside.png", preview + "linked.png");
    apptest::writeText(
        preview + "spy.html",
        QStringLiteral(
            "<html><body><script>const x = new XMLHttpRequest(); try { x.open('GET', "
            "'file:///etc/passwd', false); x.send(); window.got = x.responseText; } catch (e) { "
            "window.got = ''; }</script><iframe src=\"file:///etc/passwd\"></iframe>"
            "<img src=\"file://%1outside.png\"><img src=\"linked.png\"><img src=\"%2\">"
            "<img src=\"pictavo_thumbs/inside.png\"></body></html>")
            .arg(outside, network.url("outside.png").toString())
            .toUtf8());
    view.setUrl(QUrl::fromLocalFile(preview + "spy.html"));
    waitForValue(view, "document.readyState", "complete");
    QTest::qWait(1000);
    return waitForValue(
        view,
        "[window.got, (() => { try { return document.querySelector('iframe').contentDocument."
        "body.innerText; } catch (e) { return ''; } })(), Array.from(document.images, i => "
        "i.naturalWidth).join(' ')].join('|')",
        "||0 0 0 8");
}

// What a page in the working folder made of WebRTC (`made` is awaited: "made" or "none" for its
// own frame, one in its markup and one it adds) and how much reached a STUN listener (UDP) and a
// TURN listener (TCP) here, where the program and the page's script also send the pane: "...|0".
QString tryTheNetwork(QWebEngineView& view, const QString& made) {
    QUdpSocket stun;
    QTcpServer turn;
    stun.bind(QHostAddress::LocalHost, 0);
    turn.listen(QHostAddress::LocalHost, 0);
    const QString site = QStringLiteral("http://127.0.0.1:%1/").arg(turn.serverPort());
    view.setUrl(QUrl(site + "typed"));
    apptest::writeText(
        model::Folders().PreviewFolder + "rtc.html",
        QStringLiteral(
            "<html><body><iframe></iframe><script>const servers = [{urls: 'stun:127.0.0.1:%1'}, "
            "{urls: 'turn:127.0.0.1:%2?transport=tcp', username: 'data', credential: 'x'}];"
            "function attempt(w) { try { const pc = new w.RTCPeerConnection({iceServers: "
            "servers}); pc.createDataChannel('x'); pc.createOffer().then(o => "
            "pc.setLocalDescription(o)); return 'made'; } catch (e) { return 'none'; } }"
            "const added = document.createElement('iframe'); document.body.appendChild(added);"
            "window.made = [attempt(window), attempt(frames[0]), attempt(added.contentWindow)]"
            ".join(' ');</script></body></html>")
            .arg(stun.localPort())
            .arg(turn.serverPort())
            .toUtf8());
    view.setUrl(QUrl::fromLocalFile(model::Folders().PreviewFolder + "rtc.html"));
    const QString got = waitForValue(view, "window.made", made);
    view.page()->runJavaScript("location.href = '" + site + "away';");
    int reached = 0; // datagrams and connections
    for (int i = 0; i < 30; ++i) {
        QTest::qWait(100);
        for (; stun.hasPendingDatagrams(); ++reached)
            stun.receiveDatagram();
        for (; turn.hasPendingConnections(); ++reached)
            delete turn.nextPendingConnection();
    }
    return got + '|' + QString::number(reached);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    auto fail = [](const char* what) {
        std::fprintf(stderr, "FAIL: %s\n", what);
        return 1;
    };

    apptest::TestEnvironment env;
    app::MainWindowContext context;
    context.forms = &env.forms;
    context.translator = &env.translator;
    context.userStore = env.store.get();
    app::TfrmMain window(std::move(context)); // the embedded browser
    app::addProgramDialogs(env.forms, &window);
    window.setCommands(std::make_unique<apptest::TestEnvironment::ScriptedCommands>(window, env));
    window.resize(1000, 700);
    window.show();
    auto* view = window.findChild<QWebEngineView*>(QStringLiteral("wbPreview"));
    if (!view)
        return fail("no browser in the album preview");

    env.loadSampleAlbum(window);
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    window.selectNode(window.album().Tree().Root());
    if (!loaded.wait(30000) && loaded.isEmpty())
        return fail("the preview did not load");
    if (!loaded.first().first().toBool())
        return fail("the preview failed to load");
    const QUrl expected = QUrl::fromLocalFile(model::Folders().PreviewFolder + "index.html");
    if (view->url() != expected)
        return fail("the preview shows another page");
    for (int i = 0; i < 50 && view->title() != QStringLiteral("My Album"); ++i)
        QTest::qWait(100);
    if (view->title() != QStringLiteral("My Album"))
        return fail("the page title is not the album's name");

    // The player's gallery tile, read from "data.xml" beside the page.
    const QString kShown = QStringLiteral("[document.querySelector('.pv-title'), "
                                          "document.querySelector('.pv-gallery .pv-caption')]"
                                          ".map(e => e ? e.textContent : '').join('|')");
    if (waitForValue(*view, kShown, QStringLiteral("My Album|Gallery 1")) !=
        QStringLiteral("My Album|Gallery 1"))
        return fail("the player does not show the album");

    QTest::qWait(500);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"),
                       QStringLiteral(FZ_BINARY_DIR "/smoke-album-preview.png")});
    std::puts("album preview loaded");

    // Preview in Browser: a real browser of another engine follows the page handed to it and
    // plays the album.
    QUrl opened;
    platform::setShellOpenHook([&opened](const QUrl& url) {
        opened = url;
        return true;
    });
    apptest::action(window, "acViewPreviewInBrowser")->trigger();
    platform::setShellOpenHook({});
    if (!opened.isLocalFile())
        return fail("Preview in Browser does not hand the browser a page of its own");
    QProcess browser;
    browser.start("chromium", {"--headless", "--no-sandbox", "--disable-gpu",
                               "--virtual-time-budget=5000", "--dump-dom", opened.toString()});
    browser.waitForFinished(60000);
    const QString dom = QString::fromUtf8(browser.readAllStandardOutput());
    if (!dom.contains("<title>My Album</title>") || !dom.contains(">Gallery 1<"))
        return fail("the page handed to the browser does not show the album");

    // The pane reads the working folder only.
    const QString got = spyOnTheDisk(*view, env.dir.path() + "/outside/");
    if (got != QStringLiteral("||0 0 0 8")) {
        std::fprintf(stderr, "%s\n", qPrintable(got.left(300)));
        return fail("a page in the preview read something outside the working folder");
    }
    std::puts("the preview reads the working folder only");

    // Both locks, then the engine's alone: nothing reaches the listeners.
    for (const char* made : {"none made made", "made made made"}) {
        const QString reached = tryTheNetwork(*view, made);
        if (reached != made + QStringLiteral("|0")) {
            std::fprintf(stderr, "%s\n", qPrintable(reached));
            return fail("a page in the preview reached the network");
        }
        for (const QWebEngineScript& lock :
             view->page()->scripts().find(app::WebRtcBlock::kScriptName))
            view->page()->scripts().remove(lock);
    }
    std::puts("the preview reaches no network");
    return 0;
}
