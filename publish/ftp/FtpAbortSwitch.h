#pragma once

#include <atomic>
#include <mutex>
#include <set>

namespace publish {

// Ends an FTP session's waits from another thread, or from the same thread while it pumps
// events: tripping it shuts down every socket the session holds open, so that a wait inside
// the client library returns at once instead of running out its deadline. Thread-safe; a
// tripped switch stays tripped.
class FtpAbortSwitch {
public:
    void trip();
    bool tripped() const { return tripped_.load(); }

    // The session's sockets, from when the library opens them until it closes them.
    void add(int socket);
    void remove(int socket);
    // Shuts the sockets down without tripping (a session that ends on its own).
    void shutDownAll();

private:
    std::atomic<bool> tripped_{false};
    std::mutex mutex_;
    std::set<int> sockets_;
};

} // namespace publish
