#include "platform/sys/TempFiles.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

std::string tempFolder() {
    std::string folder = "/tmp";
    if (const char* env = std::getenv("TMPDIR"); env && *env) {
        struct stat st {};
        if (::stat(env, &st) == 0 && S_ISDIR(st.st_mode))
            folder = env;
    }
    if (folder.back() != '/')
        folder += '/';
    return folder;
}

std::string makeTempFile(const std::string& folder, const std::string& prefix) {
    if (prefix.find('/') != std::string::npos)
        return {};
    std::string dir = folder.empty() ? tempFolder() : folder;
    if (dir.back() != '/')
        dir += '/';
    const std::string suffix = ".tmp";
    std::string pattern = dir + prefix + "XXXXXX" + suffix;
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkstemps(buffer.data(), static_cast<int>(suffix.size()));
    if (fd < 0)
        return {};
    ::close(fd);
    return std::string(buffer.data());
}

} // namespace platform
