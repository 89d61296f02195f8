#include "platform/sys/DiskSpace.h"

#include "platform/sys/RemovableMedia.h"

#include <sys/stat.h>
#include <sys/statvfs.h>

namespace platform {

std::optional<std::uint64_t> freeDiskSpace(const std::string& path) {
    if (const auto* standIn = removableMediaStandIn(); standIn && standIn->Covers(path))
        if (const auto free = standIn->FreeSpace())
            return free;
    std::string probe = path.empty() ? std::string(".") : path;
    struct stat st {};
    while (::stat(probe.c_str(), &st) != 0) {
        while (probe.size() > 1 && probe.back() == '/')
            probe.pop_back();
        const std::size_t slash = probe.rfind('/');
        if (slash == std::string::npos)
            probe = ".";
        else if (slash == 0)
            probe = "/";
        else
            probe.erase(slash);
        if (probe == "." || probe == "/") {
            if (::stat(probe.c_str(), &st) != 0)
                return std::nullopt;
            break;
        }
    }
    struct statvfs vfs {};
    if (::statvfs(probe.c_str(), &vfs) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(vfs.f_bavail) * static_cast<std::uint64_t>(vfs.f_frsize);
}

} // namespace platform
