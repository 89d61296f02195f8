#include "zip/records/Zip64Locator.h"

#include "zip/records/LittleEndian.h"

namespace zip {

void TZAZip64Locator::Encode(uint8_t* out) const {
    le::Put32(out + 0, Signature);
    le::Put32(out + 4, Zip64EndDisk);
    le::Put64(out + 8, Zip64EndOffset);
    le::Put32(out + 16, TotalDisks);
}

TZAZip64Locator TZAZip64Locator::Decode(const uint8_t* in) {
    TZAZip64Locator l;
    l.Signature = le::Get32(in + 0);
    l.Zip64EndDisk = le::Get32(in + 4);
    l.Zip64EndOffset = le::Get64(in + 8);
    l.TotalDisks = le::Get32(in + 16);
    return l;
}

} // namespace zip
