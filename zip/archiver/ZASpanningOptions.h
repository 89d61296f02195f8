#pragma once

#include <cstdint>

namespace zip {

enum class TZAVolumeSize {
    vsAutoDetect,
    vsCustom,
    vs1_44MB,
    vs100MB,
    vs200MB,
    vs250MB,
    vs600MB,
    vs650MB,
    vs700MB,
    vs4700MB
};

// Settings of archives that live in several volumes: how the volume files are named and how
// large each may grow.
class TZASpanningOptions {
public:
    static constexpr int64_t MinCustomVolumeSize = 65536;

    bool AdvancedNaming = true;
    int64_t FirstVolumeSize = 0;
    TZAVolumeSize VolumeSize = TZAVolumeSize::vsAutoDetect;

    int64_t CustomVolumeSize() const { return customVolumeSize_; }
    void SetCustomVolumeSize(int64_t size) {
        customVolumeSize_ = size < MinCustomVolumeSize ? MinCustomVolumeSize : size;
    }

    // Bytes of the given volume (0-based); -1 means whatever the disk holds.
    int64_t SizeOfVolume(int volume) const;

    void Assign(const TZASpanningOptions& source) { *this = source; }

private:
    int64_t customVolumeSize_ = 0;
};

} // namespace zip
