#pragma once

// Temporary folders and environment for the platform tests: every test that looks at the
// user's folders points HOME and the XDG variables into a fresh temporary folder.

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace testsupport {

// A fresh folder under the temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "fz-platform-XXXXXX").string();
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (!::mkdtemp(buffer.data()))
            throw std::runtime_error("cannot create a temporary folder");
        path_ = buffer.data();
    }
    ~TempFolder() {
        std::error_code ec;
        // Folders made read-only by a test must become writable again to be removed.
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec))
                std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                             std::filesystem::perm_options::add, ec);
        }
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The folder as a string ending with "/".
    std::string dir() const { return path_.string() + "/"; }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// HOME and the XDG folders inside one temporary folder.
class TempUserFolders {
public:
    TempUserFolders()
        : home_("HOME", sub("home")), data_("XDG_DATA_HOME", sub("data")),
          config_("XDG_CONFIG_HOME", sub("config")), cache_("XDG_CACHE_HOME", sub("cache")),
          runtime_("XDG_RUNTIME_DIR", sub("runtime")) {
        std::filesystem::permissions(root_.path() / "runtime", std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace);
    }
    const TempFolder& root() const { return root_; }
    std::string home() const { return root_.dir() + "home/"; }
    std::string data() const { return root_.dir() + "data/"; }
    std::string config() const { return root_.dir() + "config/"; }
    std::string runtime() const { return root_.dir() + "runtime/"; }

private:
    std::string sub(const char* name) {
        std::filesystem::create_directories(root_.path() / name);
        return (root_.path() / name).string();
    }

    TempFolder root_;
    ScopedEnv home_, data_, config_, cache_, runtime_;
};

} // namespace testsupport
