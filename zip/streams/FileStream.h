#pragma once
// A stream over a file on disk (a POSIX file descriptor, unbuffered: the engine reads and
// writes in large blocks).

#include <memory>
#include <string>

#include "zip/streams/Stream.h"

namespace zip {

enum class TZAFileMode {
    fmOpenRead,      // existing file, read only
    fmOpenReadWrite, // existing file, read and write
    fmCreate         // create or truncate, read and write
};

class FileStream : public Stream {
public:
    // Opens path; nullptr when that fails (errorNumber, when given, receives errno).
    static std::unique_ptr<FileStream> Open(const std::string& path, TZAFileMode mode,
                                            int* errorNumber = nullptr);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override;
    int64_t Size() override;
    bool SetSize(int64_t newSize) override;
    // Writes the file's data through to the device (fsync).
    bool Flush() override;

    const std::string& Path() const { return path_; }
    int Handle() const { return fd_; }

private:
    FileStream(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    int fd_;
    std::string path_;
};

} // namespace zip
