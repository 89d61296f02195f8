#pragma once
// Writes an archive across volumes: each volume takes what its size and its disk allow, then
// the next one is asked for. Only appends: the archive is written front to back.

#include <vector>

#include "zip/volumes/VolumeStream.h"

namespace zip {

class TZAVolumeWriter : public TZAVolumeStream {
public:
    // Creates volume 0 at once. revisit: earlier volumes can be opened again to cut the
    // archive back (files side by side, not disks that were taken out).
    TZAVolumeWriter(TZAVolumeSource& source, bool revisit);

    int64_t Read(void*, int64_t) override { return 0; }
    // Short when a volume takes fewer bytes than its room promised, or a fresh volume has no
    // room at all: never an endless run of empty volumes.
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override;
    int64_t Size() override { return starts_.back() + currentSize_; }
    // Cuts the archive back to newSize: later volumes are removed.
    bool SetSize(int64_t newSize) override;
    bool Flush() override { return stream_ && stream_->Flush(); }

    int32_t CurrentDisk() override { return disk_; }
    int64_t DiskOffset() override { return currentSize_; }
    int64_t DiskStart(int32_t disk) override;
    int32_t LastDisk() override { return disk_; }
    bool KeepTogether(int64_t bytes) override;

    // Bytes the present volume can still take.
    int64_t Room() const;
    // Closes the last volume and gives every volume its own name, the last one `lastName` (files
    // of those names are replaced). Returns the sizes of all volumes, none when the renaming
    // failed; the writer takes nothing more.
    std::vector<int64_t> Finish(const std::string& lastName);
    // Gives the set up: volumes written under temporary names are removed, so that files of
    // their own names stay as they were. The writer takes nothing more.
    void Abandon();
    bool Abandoned() const { return abandoned_; }

private:
    void nextVolume();

    TZAVolumeSource& source_;
    bool revisit_;
    std::unique_ptr<Stream> stream_;
    int32_t disk_ = 0;
    std::vector<std::string> paths_;
    std::vector<std::string> finalPaths_; // the names the volumes take when the set is whole
    bool abandoned_ = false;
    std::vector<int64_t> starts_; // start of each volume
    int64_t currentSize_ = 0;
    int64_t free_ = 0;  // free space of the volume's disk when it was opened
    int64_t limit_ = 0; // the volume's size limit, -1 none
};

} // namespace zip
