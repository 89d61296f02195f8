#include "platform/sys/ExecutableDir.h"

#include <filesystem>
#include <system_error>

namespace platform {

std::string executableDir() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return "./";
    std::string dir = exe.parent_path().string();
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

} // namespace platform
