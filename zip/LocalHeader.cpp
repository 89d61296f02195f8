#include "zip/LocalHeader.h"

#include "zip/DirItem.h"
#include "zip/ExtraField.h"
#include "zip/LittleEndian.h"

namespace zip {

void TZALocalHeader::Encode(uint8_t* out) const {
    le::Put32(out + 0, Signature);
    le::Put16(out + 4, VersionNeeded);
    le::Put16(out + 6, Flags);
    le::Put16(out + 8, Method);
    le::Put16(out + 10, Time);
    le::Put16(out + 12, Date);
    le::Put32(out + 14, Crc32);
    le::Put32(out + 18, CompressedSize);
    le::Put32(out + 22, UncompressedSize);
    le::Put16(out + 26, NameLength);
    le::Put16(out + 28, ExtraLength);
}

TZALocalHeader TZALocalHeader::Decode(const uint8_t* in) {
    TZALocalHeader h;
    h.Signature = le::Get32(in + 0);
    h.VersionNeeded = le::Get16(in + 4);
    h.Flags = le::Get16(in + 6);
    h.Method = le::Get16(in + 8);
    h.Time = le::Get16(in + 10);
    h.Date = le::Get16(in + 12);
    h.Crc32 = le::Get32(in + 14);
    h.CompressedSize = le::Get32(in + 18);
    h.UncompressedSize = le::Get32(in + 22);
    h.NameLength = le::Get16(in + 26);
    h.ExtraLength = le::Get16(in + 28);
    return h;
}

TZALocalHeader TZALocalHeader::FromItem(const TDirItem& item, const std::string& storedName,
                                        bool withZip64Field) {
    TZALocalHeader h;
    h.Signature = item.Signature == kNativeCentralHeaderSignature ? kNativeLocalHeaderSignature
                                                                  : kLocalHeaderSignature;
    h.VersionNeeded = item.VersionNeeded;
    h.Flags = item.Flags;
    h.Method = item.Method;
    h.Time = item.Time;
    h.Date = item.Date;
    h.Crc32 = item.Crc32;
    h.CompressedSize = item.CompressedSize;
    h.UncompressedSize = item.UncompressedSize;
    h.NameLength = static_cast<uint16_t>(storedName.size());
    h.ExtraLength = withZip64Field ? kLocalZip64FieldSize : 0;
    if (withZip64Field) {
        h.CompressedSize = kSentinel32;
        h.UncompressedSize = kSentinel32;
    }
    return h;
}

std::vector<uint8_t> TZALocalHeader::Assemble(const std::string& storedName, bool withZip64Field,
                                              uint64_t uncompressedSize,
                                              uint64_t compressedSize) const {
    std::vector<uint8_t> out(kLocalHeaderSize + storedName.size() +
                             (withZip64Field ? kLocalZip64FieldSize : 0));
    Encode(out.data());
    std::copy(storedName.begin(), storedName.end(), out.begin() + kLocalHeaderSize);
    if (withZip64Field)
        TZAExtraField::EncodeLocalZip64(out.data() + kLocalHeaderSize + storedName.size(),
                                        uncompressedSize, compressedSize);
    return out;
}

} // namespace zip
