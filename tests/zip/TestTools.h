#pragma once
// Small helpers of the archive tests: temporary folders, files and running other tools.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace ziptest {

class TempDir {
public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "zipcoreXXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
}

inline std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::vector<uint8_t> out(n);
    for (auto& b : out)
        b = static_cast<uint8_t>(gen());
    return out;
}

// Text-like data that compresses.
inline std::vector<uint8_t> TextBytes(size_t n, unsigned seed) {
    static const char* words[] = {"album ", "photo ", "gallery ", "river ", "light ", "\n"};
    std::mt19937 gen(seed);
    std::vector<uint8_t> out;
    out.reserve(n);
    while (out.size() < n) {
        const char* w = words[gen() % 6];
        for (const char* p = w; *p && out.size() < n; ++p)
            out.push_back(static_cast<uint8_t>(*p));
    }
    return out;
}

struct CommandResult {
    int ExitCode = -1;
    std::string Output;
};

// Runs a shell command, capturing stdout and stderr together.
inline CommandResult RunCommand(const std::string& command) {
    CommandResult result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.Output.append(buffer, n);
    const int status = pclose(pipe);
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

inline bool HaveTool(const std::string& tool) {
    return RunCommand("command -v " + tool + " >/dev/null").ExitCode == 0;
}

// The system Python, which has zipfile and zlib whatever the PATH holds.
inline const char* kPython = "/usr/bin/python3";

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (const char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace ziptest
