#pragma once
// A seekable byte stream: the engine reads archives from and writes them to streams, and
// extracts members into streams.

#include <cerrno>
#include <cstdint>

namespace zip {

enum class TZASeekOrigin { soBeginning, soCurrent, soEnd };

class Stream {
public:
    virtual ~Stream() = default;

    // Reads up to count bytes at the position and advances it; returns the bytes read (fewer at
    // the end of the stream or on a read error, never negative).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes at the position and advances it; returns the bytes written (fewer when
    // the device is full or fails).
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position; returns the new position, or -1 when the target is negative.
    virtual int64_t Seek(int64_t offset, TZASeekOrigin origin) = 0;
    virtual int64_t Size() = 0;
    // Cuts or extends the stream to newSize; returns false when that fails.
    virtual bool SetSize(int64_t newSize) = 0;
    // Pushes buffered data to the device; returns false when that fails.
    virtual bool Flush() { return true; }

    int64_t Position() { return Seek(0, TZASeekOrigin::soCurrent); }
    bool SetPosition(int64_t position) {
        return Seek(position, TZASeekOrigin::soBeginning) == position;
    }

    // Reads exactly count bytes; false when fewer arrive. errno is cleared first, so that after
    // a failure it holds the reason of this call or none, never that of an older one.
    bool ReadExact(void* buffer, int64_t count) {
        errno = 0;
        return Read(buffer, count) == count;
    }
    // Writes exactly count bytes; false when fewer are written (errno as for ReadExact).
    bool WriteExact(const void* buffer, int64_t count) {
        errno = 0;
        return Write(buffer, count) == count;
    }
    // Copies count bytes from source (at its position) to this stream; returns the bytes copied.
    int64_t CopyFrom(Stream& source, int64_t count);
};

} // namespace zip
