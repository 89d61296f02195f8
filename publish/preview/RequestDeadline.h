#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

namespace publish {

// Closes a connection that has not sent a whole request within a time limit: an idle timeout
// alone lets a client that sends a byte now and then hold its connection for ever. A thread of
// its own shuts the socket down; the connection's owner then closes it. The owner reports a
// connection closed before it closes the socket, so no number that now names another file is
// ever shut down.
class RequestDeadline {
public:
    explicit RequestDeadline(std::chrono::milliseconds limit);
    ~RequestDeadline();
    RequestDeadline(const RequestDeadline&) = delete;
    RequestDeadline& operator=(const RequestDeadline&) = delete;

    // The connection `key` on socket `fd` waits for a request: its time starts now.
    void waiting(const void* key, int fd);
    // Its request has arrived: no limit while it is answered.
    void serving(const void* key);
    // It is about to be closed.
    void closed(const void* key);

private:
    struct Entry {
        int fd = -1;
        std::chrono::steady_clock::time_point due;
    };
    void run();

    const std::chrono::milliseconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::map<const void*, Entry> entries_; // the connections waiting for a request
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace publish
