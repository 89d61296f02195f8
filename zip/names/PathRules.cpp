#include "zip/names/PathRules.h"

#include "platform/sys/RemovableMedia.h"

#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zip {

namespace fs = std::filesystem;

std::string TZAPathRules::IncludeTrailingSlash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '/')
        return folder;
    return folder + "/";
}

std::string TZAPathRules::ExcludeTrailingSlash(const std::string& folder) {
    if (folder.size() > 1 && folder.back() == '/')
        return folder.substr(0, folder.size() - 1);
    return folder;
}

std::string TZAPathRules::FullPath(const std::string& name, const std::string& folder) {
    // The current folder is asked only when needed: it may be gone, and absolute paths do not
    // depend on it.
    const auto base = [&] {
        fs::path b = folder.empty() ? fs::current_path() : fs::path(folder);
        return b.is_relative() ? fs::current_path() / b : b;
    };
    const fs::path full =
        name.empty() ? base() : (fs::path(name).is_absolute() ? fs::path(name) : base() / name);
    std::string result = full.lexically_normal().string();
    // A folder given with its separator keeps it; anything else loses a trailing one.
    if (result.size() > 1 && result.back() == '/' && !(name.empty() || name.back() == '/'))
        result.pop_back();
    return result;
}

std::string TZAPathRules::StoredName(const std::string& path, const std::string& base,
                                     TZAStorePathMode mode) {
    const std::string full = ExcludeTrailingSlash(FullPath(path, base));
    std::string result;
    switch (mode) {
    case TZAStorePathMode::spNoPath:
        result = fs::path(full).filename().string();
        break;
    case TZAStorePathMode::spRelativePath: {
        const std::string prefix = IncludeTrailingSlash(FullPath("", base));
        if (full.compare(0, prefix.size(), prefix) == 0)
            result = full.substr(prefix.size());
        else
            result = full;
        break;
    }
    case TZAStorePathMode::spFullPath:
    case TZAStorePathMode::spFullPathWithDrive:
        result = full;
        break;
    }
    while (!result.empty() && result.front() == '/')
        result.erase(0, 1);
    return result;
}

bool TZAPathRules::RemoveFolderTree(const std::string& folder) {
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0)
        return true;
    if (!S_ISDIR(st.st_mode))
        return false;
    if (DIR* dir = ::opendir(folder.c_str())) {
        std::vector<std::string> subfolders;
        while (dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name == "." || name == "..")
                continue;
            const std::string child = IncludeTrailingSlash(folder) + name;
            if (::lstat(child.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
                subfolders.push_back(child);
        }
        ::closedir(dir);
        for (const std::string& sub : subfolders)
            if (!RemoveFolderTree(sub))
                break;
    }
    ::rmdir(ExcludeTrailingSlash(folder).c_str());
    return ::lstat(folder.c_str(), &st) != 0;
}

bool TZAPathRules::IsRemovable(const std::string& path) {
    return platform::isRemovableMedia(path);
}

} // namespace zip
