// Runs under a virtual X server with the real browser engine: the album preview of a main
// window loads the working folder's "index.html" after the refresh, the page's title is the
// album's name, and the template's player reads "data.xml" from the working folder and shows
// the album's gallery. A screenshot of the screen is kept in the build folder.

#include "tests/app/AppTestSupport.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QWebEngineView>

#include <cstdio>

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
    QString shown;
    for (int i = 0; i < 100 && shown != QStringLiteral("My Album|Gallery 1"); ++i) {
        QTest::qWait(100);
        view->page()->runJavaScript(
            QStringLiteral("[document.querySelector('.pv-title'), "
                           "document.querySelector('.pv-gallery .pv-caption')]"
                           ".map(e => e ? e.textContent : '').join('|')"),
            [&shown](const QVariant& value) { shown = value.toString(); });
    }
    if (shown != QStringLiteral("My Album|Gallery 1"))
        return fail("the player does not show the album");

    QTest::qWait(500);
    QProcess::execute(QStringLiteral("import"),
                      {QStringLiteral("-window"), QStringLiteral("root"),
                       QStringLiteral(FZ_BINARY_DIR "/smoke-album-preview.png")});
    std::puts("album preview loaded");
    return 0;
}
