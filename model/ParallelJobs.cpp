#include "model/ParallelJobs.h"

#include <QThread>

#include <algorithm>
#include <chrono>

namespace model {

ParallelJobs::ParallelJobs(std::size_t count, std::function<void(std::size_t)> work)
    : count_(count), work_(std::move(work)), done_(std::make_unique<bool[]>(count)),
      errors_(std::make_unique<std::exception_ptr[]>(count)) {
    pool_.setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    for (std::size_t i = 0; i < count_; ++i) {
        pool_.start([this, i] {
            bool skip = false;
            {
                const std::lock_guard lock(mutex_);
                skip = cancelled_;
            }
            std::exception_ptr error;
            if (!skip) {
                try {
                    work_(i);
                } catch (...) {
                    // Not out of the pool's thread, where it would end the program.
                    error = std::current_exception();
                }
            }
            finish(i, error);
        });
    }
}

ParallelJobs::~ParallelJobs() {
    cancel();
}

void ParallelJobs::finish(std::size_t index, std::exception_ptr error) {
    {
        const std::lock_guard lock(mutex_);
        done_[index] = true;
        errors_[index] = std::move(error);
    }
    finished_.notify_all();
}

bool ParallelJobs::waitFor(std::size_t index, int msecs) {
    if (index >= count_)
        return true;
    std::unique_lock lock(mutex_);
    const auto ready = [this, index] { return done_[index]; };
    if (msecs < 0) {
        finished_.wait(lock, ready);
        return true;
    }
    return finished_.wait_for(lock, std::chrono::milliseconds(msecs), ready);
}

void ParallelJobs::waitForAll(const std::function<void()>& pump) {
    while (!pool_.waitForDone(pump ? 20 : -1))
        pump();
}

void ParallelJobs::cancel() {
    {
        const std::lock_guard lock(mutex_);
        cancelled_ = true;
    }
    pool_.waitForDone();
}

std::exception_ptr ParallelJobs::error(std::size_t index) {
    const std::lock_guard lock(mutex_);
    return index < count_ ? errors_[index] : nullptr;
}

} // namespace model
