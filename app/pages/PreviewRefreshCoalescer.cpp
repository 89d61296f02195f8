#include "app/pages/PreviewRefreshCoalescer.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace app {

PreviewRefreshCoalescer::PreviewRefreshCoalescer(std::function<void()> refresh, QObject* parent,
                                                 int quietMs)
    : QObject(parent), refresh_(std::move(refresh)) {
    setObjectName(QStringLiteral("previewRefresh"));
    timer_.setSingleShot(true);
    timer_.setInterval(quietMs);
    connect(&timer_, &QTimer::timeout, this, [this] { run(); });
}

void PreviewRefreshCoalescer::request() {
    timer_.start(); // a running period starts again
}

void PreviewRefreshCoalescer::run() {
    // The refresh makes the window busy, which disables it and takes the focus from the edit
    // the user types in; the focus goes back there afterwards.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    if (refresh_)
        refresh_();
    if (focus && focus->isVisible() && focus->isEnabled())
        focus->setFocus();
}

} // namespace app
