#pragma once
// Reads the volumes of an archive as one stream: the volumes are laid end to end, in order.

#include <vector>

#include "zip/volumes/VolumeStream.h"

namespace zip {

class TZAVolumeReader : public TZAVolumeStream {
public:
    // last: the open last volume, number lastDisk. One volume is open at a time, as one disk
    // is in the drive: going back to the last volume asks for it again. The sizes of the volumes
    // before it are taken from `sizes` when given (one per volume), else learnt by opening each in
    // turn, so a missing volume is reported here rather than halfway through a member.
    TZAVolumeReader(TZAVolumeSource& source, int32_t lastDisk, std::unique_ptr<Stream> last,
                    std::vector<int64_t> sizes = {});

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override;
    int64_t Size() override { return starts_.back(); }
    bool SetSize(int64_t newSize) override { return newSize == Size(); }

    int32_t CurrentDisk() override { return diskOf(position_); }
    int64_t DiskOffset() override { return position_ - starts_[size_t(diskOf(position_))]; }
    int64_t DiskStart(int32_t disk) override;
    int32_t LastDisk() override { return lastDisk_; }
    bool KeepTogether(int64_t) override { return false; }

private:
    int32_t diskOf(int64_t position) const;
    Stream* volume(int32_t disk);

    TZAVolumeSource& source_;
    int32_t lastDisk_;
    std::unique_ptr<Stream> open_;
    int32_t openDisk_ = -1;
    std::vector<int64_t> starts_; // start of each volume, then the total size
    int64_t position_ = 0;
};

} // namespace zip
