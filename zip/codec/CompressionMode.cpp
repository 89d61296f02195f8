#include "zip/codec/CompressionMode.h"

namespace zip {

TZACompressionLevel CompressionModeToLevel(int mode) {
    if (mode >= 1 && mode <= 3)
        return TZACompressionLevel::clFastest;
    if (mode >= 4 && mode <= 6)
        return TZACompressionLevel::clNormal;
    if (mode >= 7 && mode <= 9)
        return TZACompressionLevel::clMax;
    return TZACompressionLevel::clNone;
}

int CompressionLevelToMode(TZACompressionLevel level) {
    switch (level) {
    case TZACompressionLevel::clNone:
        return 0;
    case TZACompressionLevel::clFastest:
        return 1;
    case TZACompressionLevel::clNormal:
        return 6;
    case TZACompressionLevel::clMax:
        return 9;
    }
    return 0;
}

int64_t BufferSizeForMode(int mode) {
    switch (CompressionModeToLevel(mode)) {
    case TZACompressionLevel::clFastest:
        return 524288;
    case TZACompressionLevel::clMax:
        return 1572864;
    default:
        return 1048576;
    }
}

std::array<uint8_t, 2> ZlibHeaderForLevel(int level) {
    switch (level) {
    case 0:
    case 7:
    case 8:
    case 9:
        return {0x78, 0xDA};
    case 1:
    case 2:
        return {0x78, 0x01};
    case 3:
    case 4:
        return {0x78, 0x5E};
    case 5:
    case 6:
        return {0x78, 0x9C};
    default:
        return {0x00, 0x00};
    }
}

} // namespace zip
