#include "app/pages/PreviewRefreshCoalescer.h"

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
    ++requests_;
    timer_.start(); // a running period starts again
}

void PreviewRefreshCoalescer::run() {
    ++runs_;
    if (refresh_)
        refresh_();
}

} // namespace app
