#pragma once

#include <QThreadPool>

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

namespace model {

// Independent jobs 0 .. count-1 run on every core, started in index order, while the calling
// thread waits for them one by one or all at once and keeps its own work (a pump, a progress
// bar) going. The work must touch only what its own index owns; an exception it lets escape is
// kept for the caller (error). The destructor skips the jobs not yet started and waits for the
// running ones.
class ParallelJobs {
public:
    ParallelJobs(std::size_t count, std::function<void(std::size_t)> work);
    ~ParallelJobs();
    ParallelJobs(const ParallelJobs&) = delete;
    ParallelJobs& operator=(const ParallelJobs&) = delete;

    // Waits at most msecs (-1: for good) for job index to have run or been skipped.
    bool waitFor(std::size_t index, int msecs);
    // Waits for every job, running pump (if given) every few milliseconds meanwhile.
    void waitForAll(const std::function<void()>& pump = {});
    // Jobs not started yet are skipped; returns once none runs any more.
    void cancel();
    // What job index threw, once it has run (nullptr: it succeeded, was skipped or still runs).
    std::exception_ptr error(std::size_t index);

private:
    void finish(std::size_t index, std::exception_ptr error);

    std::size_t count_;
    std::function<void(std::size_t)> work_;
    std::unique_ptr<bool[]> done_;
    std::unique_ptr<std::exception_ptr[]> errors_;
    std::mutex mutex_;
    std::condition_variable finished_;
    bool cancelled_ = false;
    QThreadPool pool_;
};

} // namespace model
