#include "zip/volumes/VolumeReader.h"

#include <algorithm>

namespace zip {

TZAVolumeReader::TZAVolumeReader(TZAVolumeSource& source, int32_t lastDisk,
                                 std::unique_ptr<Stream> last, std::vector<int64_t> sizes)
    : source_(source), lastDisk_(std::max(lastDisk, 0)) {
    const int64_t lastSize = last->Size();
    starts_.push_back(0);
    if (lastDisk_ == 0 || sizes.size() >= size_t(lastDisk_)) {
        open_ = std::move(last);
        openDisk_ = lastDisk_;
    }
    for (int32_t disk = 0; disk < lastDisk_; ++disk) {
        int64_t size = 0;
        if (size_t(disk) < sizes.size()) {
            size = sizes[size_t(disk)];
        } else {
            last.reset();
            open_.reset();
            open_ = source_.OpenVolume(disk, lastDisk_);
            openDisk_ = disk;
            size = open_->Size();
        }
        starts_.push_back(starts_.back() + std::max<int64_t>(size, 0));
    }
    starts_.push_back(starts_.back() + lastSize);
}

int32_t TZAVolumeReader::diskOf(int64_t position) const {
    // The last volume whose start is at or before the position; an empty volume never holds it.
    const auto it = std::upper_bound(starts_.begin(), starts_.end() - 1, position);
    return std::clamp<int32_t>(int32_t(it - starts_.begin()) - 1, 0, lastDisk_);
}

int64_t TZAVolumeReader::DiskStart(int32_t disk) {
    return disk < 0 || disk > lastDisk_ ? -1 : starts_[size_t(disk)];
}

Stream* TZAVolumeReader::volume(int32_t disk) {
    if (openDisk_ != disk) {
        open_.reset();
        openDisk_ = -1;
        open_ = source_.OpenVolume(disk, lastDisk_);
        openDisk_ = disk;
    }
    return open_.get();
}

int64_t TZAVolumeReader::Read(void* buffer, int64_t count) {
    auto* out = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < count && position_ < Size()) {
        const int32_t disk = diskOf(position_);
        const int64_t local = position_ - starts_[size_t(disk)];
        const int64_t want = std::min(count - done, starts_[size_t(disk) + 1] - position_);
        Stream* stream = volume(disk);
        if (!stream->SetPosition(local))
            break;
        const int64_t got = stream->Read(out + done, want);
        done += got;
        position_ += got;
        if (got < want)
            break;
    }
    return done;
}

int64_t TZAVolumeReader::Seek(int64_t offset, TZASeekOrigin origin) {
    const int64_t base = origin == TZASeekOrigin::soBeginning ? 0
                         : origin == TZASeekOrigin::soCurrent ? position_
                                                              : Size();
    const int64_t target = base + offset;
    if (target < 0)
        return -1;
    position_ = target;
    return position_;
}

} // namespace zip
