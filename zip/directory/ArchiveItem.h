#pragma once

#include <cstdint>
#include <string>

namespace zip {

// One item found by FindFirst/FindNext, with the state the next search continues from.
struct TZAArchiveItem {
    std::string FileName;   // last component of the stored name
    std::string StoredPath; // folder part of the stored name, "\" separators
    int64_t CompressedSize = 0;
    int64_t UncompressedSize = 0;
    double CompressionRate = 0;
    bool Encrypted = false;
    uint16_t LastModFileDate = 0;
    uint16_t LastModFileTime = 0;
    uint32_t Crc32 = 0;
    uint32_t ExternalFileAttributes = 0;
    std::string Comment;

    // Search state.
    int32_t Handle = -1;    // index of the item found last
    std::string FileMask;   // "/" separators, no length limit
    bool Wildcards = false; // the mask holds "*" or "?"
    uint32_t SearchAttr = 0;
    std::string ExclusionMask; // the further mask given to FindFirst
    bool UseMaskLists = false; // match against the archiver's FileMasks/ExclusionMasks
};

} // namespace zip
