#pragma once
// A stream whose bytes lie in several volumes, one after the other. Positions count through
// all of them; the records of the archive count within one volume (a disk) and name it.

#include <cstdint>
#include <memory>
#include <string>

#include "zip/streams/Stream.h"

namespace zip {

class TZAVolumeStream : public Stream {
public:
    // Number of the volume holding the position, and the position within it.
    virtual int32_t CurrentDisk() = 0;
    virtual int64_t DiskOffset() = 0;
    // Where volume `disk` starts among all bytes; -1 for a volume that does not exist.
    virtual int64_t DiskStart(int32_t disk) = 0;
    virtual int32_t LastDisk() = 0;
    // Writing: makes the next `bytes` land in one volume, moving on to the next volume when
    // the present one has no room for them. False when not even a fresh volume could hold them.
    virtual bool KeepTogether(int64_t bytes) = 0;
};

// Where the volumes come from: the archiver asks for disks, names the files and checks the
// free space; the streams above only count bytes.
class TZAVolumeSource {
public:
    virtual ~TZAVolumeSource() = default;
    // Opens volume `number` of `last` + 1 volumes for reading. Raises when it cannot be had.
    virtual std::unique_ptr<Stream> OpenVolume(int32_t number, int32_t last) = 0;
    // Creates volume `number` for writing and names its file in `path`, and the name it is to
    // have in `finalPath`: when the two differ the volume is written under a temporary name
    // and takes its own only when the whole set is written. Raises when refused.
    virtual std::unique_ptr<Stream> CreateVolume(int32_t number, std::string& path,
                                                 std::string& finalPath) = 0;
    // Opens a volume written before, to cut it back; nullptr when it cannot be.
    virtual std::unique_ptr<Stream> ReopenVolume(const std::string& path) = 0;
    virtual bool RemoveVolume(const std::string& path) = 0;
    virtual bool RenameVolume(const std::string& from, const std::string& to) = 0;
    // Bytes volume `number` may hold; -1 without a limit.
    virtual int64_t VolumeLimit(int32_t number) = 0;
    // Bytes still free where `path` lies.
    virtual int64_t FreeSpace(const std::string& path) = 0;
};

} // namespace zip
