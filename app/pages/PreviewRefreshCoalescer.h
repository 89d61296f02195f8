#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

namespace app {

// Turns a burst of refresh requests into one refresh: each request starts the quiet period
// anew, and the refresh runs once the requests have paused for that long. Rewriting
// "data.xml" and the album page of a large album takes a while, so typing must not pay for it
// at every keystroke.
class PreviewRefreshCoalescer : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultQuietMs = 250;

    PreviewRefreshCoalescer(std::function<void()> refresh, QObject* parent,
                            int quietMs = DefaultQuietMs);

    void request();
    bool pending() const { return timer_.isActive(); }

private:
    void run();

    std::function<void()> refresh_;
    QTimer timer_;
};

} // namespace app
