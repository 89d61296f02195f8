#pragma once
// Small helpers of the archive tests: scratch folders, files, generated data and running other
// tools.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace ziptest {

namespace fs = std::filesystem;

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "ziptestXXXXXX").string();
        path_ = mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~ScratchDir() {
        std::error_code ec;
        // Undo read-only marks so that everything can go.
        for (auto it = fs::recursive_directory_iterator(path_, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (!it->is_symlink())
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Writes data to path, making the folders on the way.
inline void WriteFile(const std::string& path, const std::string& data) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    WriteFile(path, std::string(data.begin(), data.end()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string data = ReadFile(path);
    return {data.begin(), data.end()};
}

inline std::string RandomData(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string out(n, '\0');
    for (char& c : out)
        c = static_cast<char>(gen());
    return out;
}

inline std::vector<uint8_t> RandomBytes(size_t n, unsigned seed) {
    const std::string data = RandomData(n, seed);
    return {data.begin(), data.end()};
}

// Text-like data that compresses: n bytes of words drawn from words.
inline std::string WordData(size_t n, unsigned seed, const std::vector<const char*>& words) {
    std::mt19937 gen(seed);
    std::string out;
    out.reserve(n + 16);
    while (out.size() < n)
        out += words[gen() % words.size()];
    out.resize(n);
    return out;
}

inline std::string TextData(size_t n, unsigned seed) {
    return WordData(n, seed, {"album ", "photo ", "gallery ", "river ", "light\n"});
}

inline std::vector<uint8_t> TextBytes(size_t n, unsigned seed) {
    const std::string data =
        WordData(n, seed, {"album ", "photo ", "gallery ", "river ", "light ", "\n"});
    return {data.begin(), data.end()};
}

struct CommandResult {
    int ExitCode = -1;
    std::string Output;
};

// Runs a shell command, capturing standard output and standard error together.
inline CommandResult Shell(const std::string& command) {
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
    return Shell("command -v " + tool + " >/dev/null").ExitCode == 0;
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
