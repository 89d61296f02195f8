#include "PlayerProbe.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWebEnginePage>

#include <memory>
#include <optional>

namespace playertest {

namespace {

class RecordingPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    QStringList errors;

protected:
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                  int line, const QString&) override {
        if (level == ErrorMessageLevel)
            errors << QStringLiteral("line %1: %2").arg(line).arg(message);
    }
};

} // namespace

PlayerProbe::PlayerProbe() {
    view_.setPage(new RecordingPage(&view_));
    view_.resize(1000, 700);
    view_.show();
}

bool PlayerProbe::load(const QUrl& url, int timeoutMs) {
    QSignalSpy loaded(&view_, &QWebEngineView::loadFinished);
    view_.load(url);
    if (loaded.isEmpty() && !loaded.wait(timeoutMs))
        return false;
    return loaded.first().first().toBool();
}

QVariant PlayerProbe::eval(const QString& script, int timeoutMs) {
    // The answer may come after the wait has given up: it must not reach a finished call.
    auto answer = std::make_shared<std::optional<QVariant>>();
    QEventLoop loop;
    QPointer<QEventLoop> waiting(&loop);
    view_.page()->runJavaScript(script, [answer, waiting](const QVariant& value) {
        *answer = value;
        if (waiting)
            waiting->quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!answer->has_value())
        loop.exec();
    return answer->value_or(QVariant());
}

bool PlayerProbe::waitFor(const QString& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    do {
        if (eval(QStringLiteral("!!(%1)").arg(condition)).toBool())
            return true;
        QTest::qWait(50);
    } while (clock.elapsed() < timeoutMs);
    return false;
}

QStringList PlayerProbe::texts(const QString& selector) {
    return eval(QStringLiteral("Array.from(document.querySelectorAll('%1'), e => e.textContent)")
                    .arg(selector))
        .toStringList();
}

QString PlayerProbe::played(int timeoutMs) {
    const QString state = QStringLiteral("(document.getElementById('album') || {dataset: {}})"
                                         ".dataset.state");
    if (!waitFor(state + QStringLiteral(" == 'ready' || ") + state + QStringLiteral(" == 'error'"),
                 timeoutMs))
        return QString();
    return eval(state).toString();
}

QStringList PlayerProbe::errors() const {
    return static_cast<RecordingPage*>(view_.page())->errors;
}

} // namespace playertest
