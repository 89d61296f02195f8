#include "zip/records/HeaderFields.h"

#include "zip/records/LittleEndian.h"

namespace zip {

void TZAHeaderFields::EncodeFields(uint8_t* out) const {
    le::Put16(out + 0, VersionNeeded);
    le::Put16(out + 2, Flags);
    le::Put16(out + 4, Method);
    le::Put16(out + 6, Time);
    le::Put16(out + 8, Date);
    le::Put32(out + 10, Crc32);
    le::Put32(out + 14, CompressedSize);
    le::Put32(out + 18, UncompressedSize);
    le::Put16(out + 22, NameLength);
    le::Put16(out + 24, ExtraLength);
}

void TZAHeaderFields::DecodeFields(const uint8_t* in) {
    VersionNeeded = le::Get16(in + 0);
    Flags = le::Get16(in + 2);
    Method = le::Get16(in + 4);
    Time = le::Get16(in + 6);
    Date = le::Get16(in + 8);
    Crc32 = le::Get32(in + 10);
    CompressedSize = le::Get32(in + 14);
    UncompressedSize = le::Get32(in + 18);
    NameLength = le::Get16(in + 22);
    ExtraLength = le::Get16(in + 24);
}

} // namespace zip
