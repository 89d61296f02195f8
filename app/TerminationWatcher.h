#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace app {

// Turns SIGTERM and SIGINT into a call on the GUI thread, so that a session ending (or a
// test harness) closes the main window the ordinary way instead of killing the process
// with its working folders half-written.
class TerminationWatcher : public QObject {
    Q_OBJECT

public:
    explicit TerminationWatcher(std::function<void()> onTerminate, QObject* parent = nullptr);
    ~TerminationWatcher() override;

private:
    std::function<void()> onTerminate_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace app
