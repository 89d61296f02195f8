#pragma once
// The Zip64 end of central directory record.

#include <cstdint>

#include "zip/ZAConst.h"

namespace zip {

struct TZAZip64EndRecord {
    uint32_t Signature = kZip64EndRecordSignature;
    uint64_t RecordSize = kZip64EndRecordSize - 12; // bytes after this field
    uint16_t VersionMadeBy = kVersionZip64;
    uint16_t VersionNeeded = kVersionZip64;
    uint32_t ThisDisk = 0;
    uint32_t DirectoryDisk = 0;
    uint64_t EntriesOnDisk = 0;
    uint64_t TotalEntries = 0;
    uint64_t DirectorySize = 0;
    uint64_t DirectoryOffset = 0;

    // The 56 fixed bytes (extensible data, when a reader meets it, is skipped by RecordSize).
    void Encode(uint8_t* out) const;
    static TZAZip64EndRecord Decode(const uint8_t* in);
};

} // namespace zip
