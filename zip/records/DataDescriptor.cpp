#include "zip/records/DataDescriptor.h"

#include "zip/records/LittleEndian.h"

namespace zip {

TZADataDescriptor TZADataDescriptor::Decode(const uint8_t* in, bool zip64) {
    TZADataDescriptor d;
    d.Crc32 = le::Get32(in + 4);
    if (zip64) {
        d.CompressedSize = le::Get64(in + 8);
        d.UncompressedSize = le::Get64(in + 16);
    } else {
        d.CompressedSize = le::Get32(in + 8);
        d.UncompressedSize = le::Get32(in + 12);
    }
    return d;
}

} // namespace zip
