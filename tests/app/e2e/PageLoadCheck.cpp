// Loads a published page into the browser engine the editor uses, as a visitor's browser
// would open it from the disk, and checks that it loads, runs its script without an error
// and carries the album's name.
// Usage: app_page_load_check <page file> <expected title> <screenshot file>

#include <QApplication>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <cstdio>

namespace {

// Keeps the page's script errors: a published page must run without any.
class RecordingPage : public QWebEnginePage {
public:
    QStringList errors;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString&) override {
        if (level == ErrorMessageLevel)
            errors << QStringLiteral("line %1: %2").arg(line).arg(message);
    }
};

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <page> <title> <screenshot>\n", argv[0]);
        return 2;
    }
    const QString page = QString::fromLocal8Bit(argv[1]);
    const QString title = QString::fromUtf8(argv[2]);
    auto fail = [&page](const char* what) {
        std::fprintf(stderr, "FAIL: %s: %s\n", qPrintable(page), what);
        return 1;
    };
    if (!QFileInfo(page).isFile())
        return fail("no such page");

    QWebEngineView view;
    auto* recording = new RecordingPage;
    recording->setParent(&view);
    view.setPage(recording);
    view.resize(1000, 700);
    view.show();
    QSignalSpy loaded(&view, &QWebEngineView::loadFinished);
    view.load(QUrl::fromLocalFile(QFileInfo(page).absoluteFilePath()));
    if (!loaded.wait(30000) && loaded.isEmpty())
        return fail("the page did not load");
    if (!loaded.first().first().toBool())
        return fail("the page failed to load");
    for (int i = 0; i < 50 && view.title() != title; ++i)
        QTest::qWait(100);
    if (view.title() != title)
        return fail("the page's title is not the album's name");

    QTest::qWait(500);
    if (!recording->errors.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(recording->errors.join(u'\n')));
        return fail("the page's script failed");
    }
    QProcess::execute(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"),
                                                 QString::fromLocal8Bit(argv[3])});
    std::puts("published page loaded");
    return 0;
}
