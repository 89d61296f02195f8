#include "zip/archiver/ZASpanningOptions.h"

namespace zip {

int64_t TZASpanningOptions::SizeOfVolume(int volume) const {
    if (volume == 0 && FirstVolumeSize > 0)
        return FirstVolumeSize;
    switch (VolumeSize) {
    case TZAVolumeSize::vsAutoDetect:
        return -1;
    case TZAVolumeSize::vsCustom:
        return customVolumeSize_;
    case TZAVolumeSize::vs1_44MB:
        return 1457664;
    case TZAVolumeSize::vs100MB:
        return 104857600;
    case TZAVolumeSize::vs200MB:
        return 209715200;
    case TZAVolumeSize::vs250MB:
        return 262144000;
    case TZAVolumeSize::vs600MB:
        return 629145600;
    case TZAVolumeSize::vs650MB:
        return 681574400;
    case TZAVolumeSize::vs700MB:
        return 734003200;
    case TZAVolumeSize::vs4700MB:
        return 4928307200LL;
    }
    return -1;
}

} // namespace zip
