#pragma once
// Helpers of the tests that drive the archiver: folder snapshots and a stream that fails on
// purpose.

#include "tests/zip/TestTools.h"
#include "zip/streams/Stream.h"

#include <map>
#include <string>

namespace ziptest {

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

} // namespace ziptest
