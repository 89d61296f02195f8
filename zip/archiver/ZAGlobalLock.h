#pragma once

#include <mutex>

namespace zip {

// Held while files are searched and added and while marked items are processed, so that only
// one archiver in the process works on files at a time. Re-entrant for the holding thread,
// since event handlers run inside it.
inline std::recursive_mutex& ZAGlobalLock() {
    static std::recursive_mutex lock;
    return lock;
}

} // namespace zip
