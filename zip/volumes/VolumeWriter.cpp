#include "zip/volumes/VolumeWriter.h"

#include <algorithm>

namespace zip {

TZAVolumeWriter::TZAVolumeWriter(TZAVolumeSource& source, bool revisit)
    : source_(source), revisit_(revisit) {
    std::string path;
    std::string finalPath;
    stream_ = source_.CreateVolume(0, path, finalPath);
    paths_.push_back(path);
    finalPaths_.push_back(finalPath);
    starts_.push_back(0);
    free_ = source_.FreeSpace(path);
    limit_ = source_.VolumeLimit(0);
}

int64_t TZAVolumeWriter::Room() const {
    if (!stream_)
        return 0;
    int64_t room = free_ - currentSize_;
    if (limit_ > 0)
        room = std::min(room, limit_ - currentSize_);
    return std::max<int64_t>(room, 0);
}

void TZAVolumeWriter::nextVolume() {
    if (!stream_->Flush()) {
        // The volume may not hold what it took: leave the stream as it is, the write comes
        // back short.
        return;
    }
    const int64_t start = Size();
    stream_.reset();
    std::string path;
    std::string finalPath;
    ++disk_;
    starts_.push_back(start);
    currentSize_ = 0;
    try {
        stream_ = source_.CreateVolume(disk_, path, finalPath);
    } catch (...) {
        --disk_;
        starts_.pop_back();
        currentSize_ = start - starts_.back();
        // The volume before goes on, when it can still be reached.
        stream_ = source_.ReopenVolume(paths_.back());
        if (stream_)
            stream_->Seek(0, TZASeekOrigin::soEnd);
        throw;
    }
    paths_.push_back(path);
    finalPaths_.push_back(finalPath);
    free_ = source_.FreeSpace(path);
    limit_ = source_.VolumeLimit(disk_);
}

int64_t TZAVolumeWriter::Write(const void* buffer, int64_t count) {
    const auto* in = static_cast<const char*>(buffer);
    int64_t done = 0;
    while (done < count && stream_) {
        int64_t room = Room();
        if (room == 0) {
            if (currentSize_ == 0)
                break;
            const int32_t before = disk_;
            nextVolume();
            if (disk_ == before)
                break;
            continue;
        }
        const int64_t want = std::min(room, count - done);
        const int64_t wrote = stream_->Write(in + done, want);
        done += std::max<int64_t>(wrote, 0);
        currentSize_ += std::max<int64_t>(wrote, 0);
        if (wrote < want)
            break;
    }
    return done;
}

bool TZAVolumeWriter::KeepTogether(int64_t bytes) {
    if (!stream_)
        return false;
    if (Room() >= bytes)
        return true;
    // A volume is not begun for what it could not hold even when empty.
    const int64_t nextLimit = source_.VolumeLimit(disk_ + 1);
    if (currentSize_ == 0 || (nextLimit > 0 && bytes > nextLimit))
        return false;
    const int32_t before = disk_;
    nextVolume();
    return disk_ != before && Room() >= bytes;
}

int64_t TZAVolumeWriter::Seek(int64_t offset, TZASeekOrigin origin) {
    const int64_t base = origin == TZASeekOrigin::soBeginning ? 0
                         : origin == TZASeekOrigin::soCurrent ? Size()
                                                              : Size();
    return base + offset == Size() ? Size() : -1;
}

int64_t TZAVolumeWriter::DiskStart(int32_t disk) {
    return disk < 0 || disk > disk_ ? -1 : starts_[size_t(disk)];
}

bool TZAVolumeWriter::SetSize(int64_t newSize) {
    if (newSize == Size())
        return true;
    if (newSize > Size() || newSize < 0 || !stream_)
        return false;
    int32_t disk = disk_;
    while (disk > 0 && starts_[size_t(disk)] > newSize)
        --disk;
    if (disk != disk_) {
        if (!revisit_) {
            // Earlier disks are out of reach: at least this one starts again empty.
            if (stream_->SetSize(0) && stream_->SetPosition(0))
                currentSize_ = 0;
            return false;
        }
        stream_.reset();
        for (int32_t d = disk_; d > disk; --d)
            source_.RemoveVolume(paths_[size_t(d)]);
        paths_.resize(size_t(disk) + 1);
        finalPaths_.resize(size_t(disk) + 1);
        starts_.resize(size_t(disk) + 1);
        disk_ = disk;
        stream_ = source_.ReopenVolume(paths_.back());
        if (!stream_)
            return false;
        free_ = source_.FreeSpace(paths_.back()) + (stream_->Size());
        limit_ = source_.VolumeLimit(disk_);
    }
    const int64_t local = newSize - starts_.back();
    if (!stream_->SetSize(local) || !stream_->SetPosition(local))
        return false;
    currentSize_ = local;
    return true;
}

std::vector<int64_t> TZAVolumeWriter::Finish(const std::string& lastName) {
    std::vector<int64_t> sizes;
    for (size_t d = 1; d < starts_.size(); ++d)
        sizes.push_back(starts_[d] - starts_[d - 1]);
    sizes.push_back(currentSize_);
    stream_.reset();
    if (abandoned_)
        return {};
    finalPaths_.back() = lastName;
    // The last volume is the archive's own file: it is replaced after all the others.
    for (size_t d = 0; d < paths_.size(); ++d) {
        if (paths_[d] == finalPaths_[d])
            continue;
        if (!source_.RenameVolume(paths_[d], finalPaths_[d]))
            return {};
        paths_[d] = finalPaths_[d];
    }
    return sizes;
}

void TZAVolumeWriter::Abandon() {
    stream_.reset();
    abandoned_ = true;
    for (size_t d = 0; d < paths_.size(); ++d)
        if (paths_[d] != finalPaths_[d])
            source_.RemoveVolume(paths_[d]);
}

} // namespace zip
