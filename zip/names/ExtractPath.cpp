#include "zip/names/ExtractPath.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace zip {

namespace {

bool isDrive(const std::string& component) {
    return component.size() == 2 && component[1] == ':' &&
           ((component[0] >= 'A' && component[0] <= 'Z') ||
            (component[0] >= 'a' && component[0] <= 'z'));
}

} // namespace

std::optional<std::string> TZAExtractPath::Relative(const std::string& storedName) {
    if (storedName.empty() || storedName.size() > MaxPath)
        return std::nullopt;
    if (storedName[0] == '/' || storedName[0] == '\\')
        return std::nullopt;
    for (unsigned char c : storedName)
        if (c < 0x20 || c == 0x7F)
            return std::nullopt;
    std::vector<std::string> parts;
    std::string current;
    auto finish = [&]() -> bool {
        if (current.empty() || current == ".") {
            current.clear();
            return true;
        }
        if (current == ".." || current.size() > MaxComponent)
            return false;
        if (parts.empty() && isDrive(current))
            return false;
        parts.push_back(current);
        current.clear();
        return true;
    };
    for (char c : storedName) {
        if (c == '/' || c == '\\') {
            if (!finish())
                return std::nullopt;
        } else {
            current += c;
        }
    }
    if (!finish())
        return std::nullopt;
    std::string result;
    for (const std::string& part : parts) {
        if (!result.empty())
            result += '/';
        result += part;
    }
    return result;
}

bool TZAExtractPath::CreateFolders(const std::string& destination,
                                   const std::string& relativeFolder) {
    std::error_code ec;
    std::filesystem::create_directories(destination, ec);
    struct stat st {};
    if (::stat(destination.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return false;
    std::string path = destination;
    if (!path.empty() && path.back() != '/')
        path += '/';
    size_t start = 0;
    while (start < relativeFolder.size()) {
        size_t end = relativeFolder.find('/', start);
        if (end == std::string::npos)
            end = relativeFolder.size();
        path += relativeFolder.substr(start, end - start);
        if (::lstat(path.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return false;
        } else if (::mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
            return false;
        } else if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            return false;
        }
        path += '/';
        start = end + 1;
    }
    return true;
}

} // namespace zip
