#include "platform/sys/FileAttributes.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool hasDotName(const std::string& path) {
    std::string name = path;
    while (name.size() > 1 && name.back() == '/')
        name.pop_back();
    const std::size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    return name.size() > 1 && name[0] == '.' && name != "..";
}

} // namespace

std::optional<FileAttributes> fileAttributes(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0)
        return std::nullopt;
    FileAttributes a;
    if (S_ISREG(st.st_mode))
        a.type = FileType::Regular;
    else if (S_ISDIR(st.st_mode))
        a.type = FileType::Directory;
    else if (S_ISLNK(st.st_mode))
        a.type = FileType::Symlink;
    else
        a.type = FileType::Special;
    a.readOnly = (st.st_mode & S_IWUSR) == 0;
    a.hidden = hasDotName(path);
    a.size = a.isRegular() ? static_cast<std::uint64_t>(st.st_size) : 0;
    a.modified = static_cast<std::int64_t>(st.st_mtim.tv_sec);
    a.mode = static_cast<std::uint32_t>(st.st_mode);
    return a;
}

std::uint8_t dosAttributes(const FileAttributes& attributes) {
    std::uint8_t bits = attributes.isDirectory() ? kDosDirectory : kDosArchive;
    if (attributes.readOnly)
        bits |= kDosReadOnly;
    if (attributes.hidden)
        bits |= kDosHidden;
    return bits;
}

bool setReadOnly(const std::string& path, bool readOnly) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISLNK(st.st_mode))
        return false;
    mode_t mode = st.st_mode & 07777;
    if (readOnly)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else
        mode |= S_IWUSR;
    if (mode == (st.st_mode & 07777))
        return true;
    return ::chmod(path.c_str(), mode) == 0;
}

bool deleteFile(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    if (::unlink(path.c_str()) == 0)
        return true;
    // Deleting depends on the folder here, not on the file: make the file writable anyway
    // (as the caller expects of a read-only file) and try once more.
    if (!S_ISLNK(st.st_mode))
        setReadOnly(path, false);
    return ::unlink(path.c_str()) == 0;
}

} // namespace platform
