#pragma once
// Shared helpers of the archiver, transaction, routine and interop tests.

#include "zip/Stream.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace archtest {

namespace fs = std::filesystem;

class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "zipcompXXXXXX").string();
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

inline void WriteFile(const std::string& path, const std::string& data) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string RandomData(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string out(n, '\0');
    for (char& c : out)
        c = static_cast<char>(gen());
    return out;
}

inline std::string TextData(size_t n, unsigned seed) {
    static const char* words[] = {"album ", "photo ", "gallery ", "river ", "light\n"};
    std::mt19937 gen(seed);
    std::string out;
    while (out.size() < n)
        out += words[gen() % 5];
    out.resize(n);
    return out;
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

inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

inline bool HaveTool(const std::string& tool) {
    return Shell("command -v " + tool + " >/dev/null").ExitCode == 0;
}

inline const char* kPython = "/usr/bin/python3";

// Every regular file below root (relative name -> contents) and every folder (name + "/").
inline std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
         ++it) {
        const std::string rel = fs::relative(it->path(), root).string();
        if (it->is_symlink())
            files[rel] = "<link>";
        else if (it->is_directory())
            files[rel + "/"] = "";
        else
            files[rel] = ReadFile(it->path().string());
    }
    return files;
}

// A stream over another that fails one chosen read or write (counted from 1 after Arm()): the
// read gives nothing, the write writes nothing. Every other call passes through.
class FaultyStream : public zip::Stream {
public:
    FaultyStream(zip::Stream& inner, int failRead, int failWrite)
        : inner_(inner), failRead_(failRead), failWrite_(failWrite) {}
    void Arm() { armed_ = true; }
    int64_t Read(void* buffer, int64_t count) override {
        if (armed_ && ++reads_ == failRead_)
            return 0;
        return inner_.Read(buffer, count);
    }
    int64_t Write(const void* buffer, int64_t count) override {
        if (armed_ && ++writes_ == failWrite_)
            return 0;
        return inner_.Write(buffer, count);
    }
    int64_t Seek(int64_t offset, zip::TZASeekOrigin origin) override {
        return inner_.Seek(offset, origin);
    }
    int64_t Size() override { return inner_.Size(); }
    bool SetSize(int64_t newSize) override { return inner_.SetSize(newSize); }
    bool Flush() override { return inner_.Flush(); }
    int Reads() const { return reads_; }
    int Writes() const { return writes_; }

private:
    zip::Stream& inner_;
    int failRead_;
    int failWrite_;
    bool armed_ = false;
    int reads_ = 0;
    int writes_ = 0;
};

} // namespace archtest
