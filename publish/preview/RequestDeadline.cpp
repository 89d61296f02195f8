#include "publish/preview/RequestDeadline.h"

#include <sys/socket.h>

namespace publish {

RequestDeadline::RequestDeadline(std::chrono::milliseconds limit)
    : limit_(limit), thread_([this] { run(); }) {}

RequestDeadline::~RequestDeadline() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void RequestDeadline::waiting(const void* key, int fd) {
    {
        std::lock_guard lock(mutex_);
        entries_[key] = {fd, std::chrono::steady_clock::now() + limit_};
    }
    wake_.notify_all();
}

void RequestDeadline::serving(const void* key) {
    std::lock_guard lock(mutex_);
    entries_.erase(key);
}

void RequestDeadline::closed(const void* key) {
    std::lock_guard lock(mutex_);
    entries_.erase(key);
}

void RequestDeadline::run() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        const auto now = std::chrono::steady_clock::now();
        auto next = std::chrono::steady_clock::time_point::max();
        for (auto it = entries_.begin(); it != entries_.end();) {
            if (it->second.due <= now) {
                // Under the lock: the owner cannot have closed this socket yet.
                ::shutdown(it->second.fd, SHUT_RDWR);
                it = entries_.erase(it);
            } else {
                next = std::min(next, it->second.due);
                ++it;
            }
        }
        if (next == std::chrono::steady_clock::time_point::max())
            wake_.wait(lock);
        else
            wake_.wait_until(lock, next);
    }
}

} // namespace publish
