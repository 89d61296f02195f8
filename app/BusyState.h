#pragma once

#include <functional>

namespace app {

// The busy state of the main window, counted so that nested busy sections (a queued
// refresh that runs inside a long command's message pump) end only with the outermost one.
// `apply(true)` runs when the first section begins, `apply(false)` when the last one ends.
class BusyState {
public:
    explicit BusyState(std::function<void(bool busy)> apply);

    void enter();
    void leave();
    int depth() const { return depth_; }
    bool busy() const { return depth_ > 0; }

private:
    std::function<void(bool)> apply_;
    int depth_ = 0;
};

// One busy section: the window is busy from construction to destruction, also when an
// exception leaves the section.
class BusyScope {
public:
    explicit BusyScope(BusyState& state) : state_(state) { state_.enter(); }
    ~BusyScope() { state_.leave(); }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    BusyState& state_;
};

} // namespace app
