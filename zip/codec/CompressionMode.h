#pragma once
// Maps between the compression mode (0-9), the compression level and the buffer sizes.

#include <array>
#include <cstdint>

#include "zip/ZAConst.h"

namespace zip {

TZACompressionLevel CompressionModeToLevel(int mode);
int CompressionLevelToMode(TZACompressionLevel level);
// Chunk buffer for a mode: 1 MB (0 and above 9), 512 KB (1-3), 1 MB (4-6), 1.5 MB (7-9).
int64_t BufferSizeForMode(int mode);
// The two header bytes a zlib stream of that level starts with (00 00 for other levels).
std::array<uint8_t, 2> ZlibHeaderForLevel(int level);

} // namespace zip
