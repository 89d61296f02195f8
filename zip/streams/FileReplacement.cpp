#include "zip/streams/FileReplacement.h"

#include "zip/ZAExcept.h"
#include "zip/names/PathRules.h"

#include "platform/sys/TempFiles.h"

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace zip {

namespace {

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

unsigned TZAFileReplacement::NewFileMode() {
    // Read, not set and put back: setting the mask for a moment would give files that another
    // thread creates meanwhile the wrong permissions.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Umask:", 0) == 0) {
            try {
                return 0666 & ~unsigned(std::stoul(line.substr(6), nullptr, 8));
            } catch (const std::exception&) {
                break;
            }
        }
    }
    static const unsigned fallback = [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~unsigned(mask);
    }();
    return fallback;
}

TZAFileReplacement::TZAFileReplacement(const std::string& target, const std::string& componentName)
    : target_(TZAPathRules::FullPath(target, {})), component_(componentName) {
    std::error_code ec;
    if (std::filesystem::is_symlink(target_, ec)) {
        const auto resolved = std::filesystem::canonical(target_, ec);
        if (!ec)
            target_ = resolved.string();
    }
    const size_t slash = target_.rfind('/');
    folder_ = slash == std::string::npos ? std::string("./") : target_.substr(0, slash + 1);
    const std::string name = target_.substr(folder_.size());
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0)
        throw EZAException(ZAError::CannotCreateFile, component_, {TZAFormatArg(target_)});
    // A hidden name that says whose file it will become; a long name gets a plain one.
    if (name.size() < 200)
        temp_ = platform::makeTempFile(folder_, "." + name + ".");
    if (temp_.empty())
        temp_ = platform::makeTempFile(folder_, ".FC");
    if (temp_.empty())
        throw EZAException(ZAError::CannotCreateFile, component_, {TZAFormatArg(target_)});
}

TZAFileReplacement::~TZAFileReplacement() {
    if (!committed_)
        ::unlink(temp_.c_str());
}

void TZAFileReplacement::Commit() {
    struct stat st {};
    const mode_t mode =
        ::stat(target_.c_str(), &st) == 0 ? (st.st_mode & 07777) : mode_t(NewFileMode());
    if (::chmod(temp_.c_str(), mode) != 0 || ::rename(temp_.c_str(), target_.c_str()) != 0)
        throw EZAException(ZAError::CannotCreateFile, component_, {TZAFormatArg(target_)});
    committed_ = true;
    syncFolder(folder_);
}

} // namespace zip
