// Runs under a virtual X server with the real browser engine: the album preview of a main
// window loads the working folder's "index.html" after the refresh, the page's title is the
// album's name, and the template's player reads "data.xml" from the working folder and shows
// the album's gallery. A screenshot of the screen is kept in the build folder. Preview in
// Browser hands the browser a private page that forwards to the editor's loopback server,
// which plays the album in another engine.
// Then a hostile page in the working folder, from every context it has, reads nothing outside
// the folder and reaches no listener here: STUN (UDP), TURN and the web (TCP) and, in a private
// network namespace whose resolver is this check (tests/app/private_network.sh), no name is
// looked up. The user's engine switches try to undo it all.

#include "tests/app/AppTestSupport.h"

#include "app/pages/AlbumScheme.h"
#include "platform/ShellOpen.h"
#include "publish/preview/LoopbackServer.h"

#include <QApplication>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkDatagram>
#include <QProcess>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTest>
#include <QUdpSocket>
#include <QWebEngineView>

#include <cstdio>
#include <memory>

namespace {

// Switches a user may set to let the preview out; the program's own must win.
const char* const kUsersSwitches = " --no-proxy-server --force-webrtc-ip-handling-policy=default "
                                   "--host-resolver-rules=\"MAP nowhere.invalid 127.0.0.1\"";

// The value of a script expression in the view once it equals `expected` (or the last one).
QString waitForValue(QWebEngineView& view, const QString& script, const QString& expected,
                     int tries = 100) {
    // An answer may come after the wait has ended: it goes where it outlives the wait.
    auto value = std::make_shared<QString>();
    for (int i = 0; i < tries && *value != expected; ++i) {
        QTest::qWait(100);
        view.page()->runJavaScript(script, [value](const QVariant& v) { *value = v.toString(); });
    }
    return *value;
}

// Everything here that a page could reach: STUN (UDP), TURN and a web server (TCP) on the
// loopback, and the system's resolver (UDP and TCP port 53) where it is this check.
struct Listeners {
    QUdpSocket stun, dns;
    QTcpServer turn, web, dnsTcp;
    bool resolver = false;

    explicit Listeners(bool privateNetwork) {
        stun.bind(QHostAddress::LocalHost, 0);
        turn.listen(QHostAddress::LocalHost, 0);
        web.listen(QHostAddress::LocalHost, 0);
        resolver = privateNetwork && dns.bind(QHostAddress::LocalHost, 53) &&
                   dnsTcp.listen(QHostAddress::LocalHost, 53);
    }
    // What reached each since the last call, as "stun turn web dns", after `ms`.
    QString reached(int ms) {
        int counts[4] = {};
        for (int i = 0; i < ms / 100; ++i) {
            QTest::qWait(100);
            for (; stun.hasPendingDatagrams(); ++counts[0])
                stun.receiveDatagram();
            for (; dns.hasPendingDatagrams(); ++counts[3])
                dns.receiveDatagram();
            for (auto [server, n] : {std::pair{&turn, 1}, {&web, 2}, {&dnsTcp, 3}})
                for (; server->hasPendingConnections(); ++counts[n])
                    delete server->nextPendingConnection();
        }
        return QStringLiteral("%1 %2 %3 %4")
            .arg(counts[0])
            .arg(counts[1])
            .arg(counts[2])
            .arg(counts[3]);
    }
};

// A WAV file of `seconds` of silence, large enough that the engine reads it in ranges.
QByteArray silence(int seconds) {
    const quint32 rate = 22050, bytes = rate * 2 * seconds;
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + bytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << bytes;
    return wav + QByteArray(bytes, '\0');
}

// The hostile album: the probe script and its page in the working folder, files beside it
// and outside it, a link leading out, a hidden file.
struct HostileAlbum {
    QString preview = model::Folders().PreviewFolder;
    QString outside;
    publish::LoopbackServer server;

    explicit HostileAlbum(const QString& outsideFolder)
        : outside(outsideFolder), server((QDir().mkpath(outsideFolder), outsideFolder)) {
        QImage picture(8, 8, QImage::Format_RGB32);
        picture.fill(Qt::red);
        picture.save(outside + "outside.png");
        picture.save(preview + "inside.png");
        picture.save(preview + ".hidden.png");
        for (const QString& where : {outside, preview + "../", preview})
            apptest::writeText(where + "read.txt", "read");
        apptest::writeText(preview + ".hidden.txt", "hidden");
        apptest::writeText(outside + "outside.js", "self.ran_outside = true;");
        apptest::writeText(preview + "inside.js", "self.ran_inside = true;");
        apptest::writeText(outside + "typed.html", "<title>read</title>");
        apptest::writeText(preview + "typed.html", "<title>read</title>");
        apptest::writeText(preview + "music.wav", silence(10));
        QFile::link(outside + "read.txt", preview + "linked.txt");
        QFile::link(outside + "outside.png", preview + "linked.png");
        QFile::remove(preview + "preview-probe.js");
        QFile::copy(FZ_SOURCE_DIR "/tests/data/app/preview-probe.js", preview + "preview-probe.js");
    }
    // Runs the probe of `kind` with `setup` and answers its result once it is `expected`.
    QString probe(QWebEngineView& view, const char* kind, QJsonObject setup,
                  const QString& expected) {
        const QString album = QStringLiteral("fotrenza://album/");
        const auto file = [](const QString& path) { return QUrl::fromLocalFile(path).toString(); };
        setup["targets"] = QJsonObject{
            {"inside", album + "read.txt"},
            {"passwd", "file:///etc/passwd"},
            {"outside", file(outside + "read.txt")},
            {"listing", file(outside)},
            {"sibling", file(preview + "../read.txt")},
            {"climb", album + "..%2fread.txt"},
            {"link", album + "linked.txt"},
            {"hidden", album + ".hidden.txt"},
            {"host", "fotrenza://other/read.txt"},
            {"server", server.url("read.txt").toString()},
        };
        setup["imports"] =
            QJsonObject{{"inside", album + "inside.js"}, {"outside", file(outside + "outside.js")}};
        setup["images"] =
            QJsonArray{file(outside + "outside.png"), album + "linked.png", album + ".hidden.png",
                       server.url("outside.png").toString(), album + "inside.png"};
        apptest::writeText(
            preview + "preview-probe.html",
            "<!DOCTYPE html><html><body><iframe></iframe><script>self.SETUP = " +
                QJsonDocument(setup).toJson(QJsonDocument::Compact) +
                ";</script><script src=\"preview-probe.js\"></script></body></html>");
        view.setUrl(QUrl(album + "preview-probe.html?" + kind));
        return waitForValue(view, "window.result", expected, 50);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    app::AlbumScheme::registerScheme();
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + kUsersSwitches);
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
    if (view->url() != QUrl(QStringLiteral("fotrenza://album/index.html")))
        return fail("the preview shows another page");
    for (int i = 0; i < 50 && view->title() != QStringLiteral("My Album"); ++i)
        QTest::qWait(100);
    if (view->title() != QStringLiteral("My Album"))
        return fail("the page title is not the album's name");

    // The player's gallery tile, read from "data.xml" beside the page.
    const QString kShown = QStringLiteral("[document.querySelector('.pv-title'), "
                                          "document.querySelector('.pv-gallery .pv-caption')]"
                                          ".map(e => e ? e.textContent : '').join('|')");
    const QString shown = waitForValue(*view, kShown, QStringLiteral("My Album|Gallery 1"));
    if (shown != QStringLiteral("My Album|Gallery 1")) {
        std::fprintf(stderr, "%s\n", qPrintable(shown));
        return fail("the player does not show the album");
    }

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

    // The hostile page. Its names are looked up only where the resolver is this check.
    const bool privateNetwork = qgetenv("FZ_PRIVATE_NETWORK") == "1";
    Listeners listeners(privateNetwork);
    if (privateNetwork &&
        (!listeners.resolver ||
         QHostInfo::fromName("control.example.org").error() == QHostInfo::NoError ||
         listeners.reached(200).endsWith(" 0")))
        return fail("the resolver of the private network is not this check");
    if (!listeners.resolver)
        std::printf("SKIP: no name rows: %s\n", qgetenv("FZ_PRIVATE_NETWORK_WHY").constData());
    HostileAlbum album(env.dir.path() + "/outside/");
    // The engine fetches no address of a scheme of ours; the player reads by XMLHttpRequest.
    const QString reads = "done:xhr:inside", imports = "done:import:inside ";
    const QString address = QStringLiteral("127.0.0.1"), name = QStringLiteral("a1.example.org");
    struct Row {
        const char* kind;
        QString host; // of every network target
        QString expected;
    } rows[] = {
        {"page", address, reads},
        {"frame", address, reads},
        {"worker", address, imports + reads.mid(5)},
        {"shared", address, imports + reads.mid(5)},
        {"blob-worker", address, imports + reads.mid(5)},
        {"blob-shared", address, imports + reads.mid(5)},
        {"service-worker", address, "done:refused"},
        {"images", address, "done:0 0 0 0 8"},
        {"music", address, "done:seeked 10"},
        {"rtc", address, "done:made made made"},
        {"web", address, "done:sent"},
        {"navigate", address, "done:sent"},
        {"rtc", name, "done:made made made"},
        {"web", name, "done:sent"},
        {"navigate", name, "done:sent"},
    };
    for (const Row& row : rows) {
        if (row.host == name && !listeners.resolver)
            continue;
        const QString web =
            QStringLiteral("http://%1:%2/").arg(row.host).arg(listeners.web.serverPort());
        // STUN and TURN by names of their own, or both by the address.
        const auto server = [&](const char* prefix, int port) {
            return (row.host == name ? prefix + row.host : row.host) + ':' + QString::number(port);
        };
        const QJsonObject setup{{"stun", server("s.", listeners.stun.localPort())},
                                {"turn", server("t.", listeners.turn.serverPort())},
                                {"web", web}};
        const QString result = album.probe(*view, row.kind, setup, row.expected);
        // Peer connections send as their page goes, if at all.
        view->setUrl(QUrl(QStringLiteral("about:blank")));
        const QString got = result + " | " + listeners.reached(1500);
        if (got != row.expected + " | 0 0 0 0") {
            std::fprintf(stderr, "%s %s: %s\n", row.kind, qPrintable(row.host), qPrintable(got));
            return fail("a page in the preview read outside the working folder or reached out");
        }
    }
    // Asked directly, the view shows no file, inside the folder or out, and no web page.
    for (const QUrl& typed :
         {QUrl::fromLocalFile(album.outside + "typed.html"),
          QUrl::fromLocalFile(album.preview + "typed.html"),
          QUrl(
              QStringLiteral("http://%1:%2/typed").arg(address).arg(listeners.web.serverPort()))}) {
        view->setUrl(typed);
        const bool shown = waitForValue(*view, "document.title", "read", 15) == "read";
        const QString got =
            (shown ? "shown" : "refused") + QStringLiteral(" | ") + listeners.reached(500);
        if (got != "refused | 0 0 0 0") {
            std::fprintf(stderr, "%s: %s\n", qPrintable(typed.toString()), qPrintable(got));
            return fail("the preview showed an address that is not the album's");
        }
    }
    if (const QString late = listeners.reached(2000); late != "0 0 0 0") {
        std::fprintf(stderr, "late: %s\n", qPrintable(late));
        return fail("a page in the preview reached out after its row");
    }
    std::puts("the preview reads the working folder only and reaches no network");
    return 0;
}
