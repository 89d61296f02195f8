#include "zip/streams/FileStream.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zip {

namespace {

// Repeats a read or write until count bytes have moved, the call moves nothing (end of file,
// full device) or it fails with anything but an interruption; returns the bytes moved.
template <typename Byte, typename Call>
int64_t transferAll(Byte* buffer, int64_t count, Call call) {
    int64_t done = 0;
    while (done < count) {
        const ssize_t n = call(buffer + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

std::unique_ptr<FileStream> FileStream::Open(const std::string& path, TZAFileMode mode,
                                             int* errorNumber) {
    int flags = O_CLOEXEC;
    switch (mode) {
    case TZAFileMode::fmOpenRead:
        flags |= O_RDONLY;
        break;
    case TZAFileMode::fmOpenReadWrite:
        flags |= O_RDWR;
        break;
    case TZAFileMode::fmCreate:
        flags |= O_RDWR | O_CREAT | O_TRUNC;
        break;
    }
    // Never block on a FIFO or open a device by accident: open non-blocking, then insist on a
    // regular file.
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK, 0644);
    if (fd < 0) {
        if (errorNumber)
            *errorNumber = errno;
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (errorNumber)
            *errorNumber = EINVAL;
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return std::unique_ptr<FileStream>(new FileStream(fd, path));
}

FileStream::~FileStream() {
    if (fd_ >= 0)
        ::close(fd_);
}

int64_t FileStream::Read(void* buffer, int64_t count) {
    return transferAll(static_cast<char*>(buffer), count,
                       [this](char* p, size_t n) { return ::read(fd_, p, n); });
}

int64_t FileStream::Write(const void* buffer, int64_t count) {
    return transferAll(static_cast<const char*>(buffer), count,
                       [this](const char* p, size_t n) { return ::write(fd_, p, n); });
}

int64_t FileStream::Seek(int64_t offset, TZASeekOrigin origin) {
    const int whence = origin == TZASeekOrigin::soBeginning ? SEEK_SET
                       : origin == TZASeekOrigin::soCurrent ? SEEK_CUR
                                                            : SEEK_END;
    const off_t result = ::lseek(fd_, static_cast<off_t>(offset), whence);
    return result < 0 ? -1 : static_cast<int64_t>(result);
}

int64_t FileStream::Size() {
    struct stat st {};
    if (::fstat(fd_, &st) != 0)
        return 0;
    return static_cast<int64_t>(st.st_size);
}

bool FileStream::SetSize(int64_t newSize) {
    return newSize >= 0 && ::ftruncate(fd_, static_cast<off_t>(newSize)) == 0;
}

bool FileStream::Flush() {
    return ::fsync(fd_) == 0;
}

} // namespace zip
