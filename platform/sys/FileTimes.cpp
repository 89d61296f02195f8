#include "platform/sys/FileTimes.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace platform {

std::optional<std::int64_t> modificationTime(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    return static_cast<std::int64_t>(st.st_mtim.tv_sec);
}

bool setModificationTime(const std::string& path, std::int64_t secondsSinceEpoch) {
    if (path.empty())
        return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(secondsSinceEpoch);
    times[1].tv_nsec = 0;
    return ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

} // namespace platform
