#pragma once
// The Zip64 end of central directory locator, written right before the end record.

#include <cstdint>

#include "zip/ZAConst.h"

namespace zip {

struct TZAZip64Locator {
    uint32_t Signature = kZip64LocatorSignature;
    uint32_t Zip64EndDisk = 0;
    uint64_t Zip64EndOffset = 0;
    uint32_t TotalDisks = 1;

    void Encode(uint8_t* out) const;
    static TZAZip64Locator Decode(const uint8_t* in);
};

} // namespace zip
