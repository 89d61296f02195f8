#include "zip/DirItem.h"

#include "zip/LittleEndian.h"

namespace zip {

void TDirItem::EncodeFixed(uint8_t* out) const {
    le::Put32(out + 0, Signature);
    le::Put16(out + 4, VersionMadeBy);
    le::Put16(out + 6, VersionNeeded);
    le::Put16(out + 8, Flags);
    le::Put16(out + 10, Method);
    le::Put16(out + 12, Time);
    le::Put16(out + 14, Date);
    le::Put32(out + 16, Crc32);
    le::Put32(out + 20, CompressedSize);
    le::Put32(out + 24, UncompressedSize);
    le::Put16(out + 28, NameLength);
    le::Put16(out + 30, ExtraLength);
    le::Put16(out + 32, CommentLength);
    le::Put16(out + 34, DiskStart);
    le::Put16(out + 36, InternalAttributes);
    le::Put32(out + 38, ExternalAttributes);
    le::Put32(out + 42, LocalHeaderOffset);
}

void TDirItem::DecodeFixed(const uint8_t* in) {
    Signature = le::Get32(in + 0);
    VersionMadeBy = le::Get16(in + 4);
    VersionNeeded = le::Get16(in + 6);
    Flags = le::Get16(in + 8);
    Method = le::Get16(in + 10);
    Time = le::Get16(in + 12);
    Date = le::Get16(in + 14);
    Crc32 = le::Get32(in + 16);
    CompressedSize = le::Get32(in + 20);
    UncompressedSize = le::Get32(in + 24);
    NameLength = le::Get16(in + 28);
    ExtraLength = le::Get16(in + 30);
    CommentLength = le::Get16(in + 32);
    DiskStart = le::Get16(in + 34);
    InternalAttributes = le::Get16(in + 36);
    ExternalAttributes = le::Get32(in + 38);
    LocalHeaderOffset = le::Get32(in + 42);
}

uint64_t TDirItem::CompressedSize64() const {
    return CompressedSize == kSentinel32 && HasZip64 ? Zip64CompressedSize : CompressedSize;
}

uint64_t TDirItem::UncompressedSize64() const {
    return UncompressedSize == kSentinel32 && HasZip64 ? Zip64UncompressedSize : UncompressedSize;
}

uint64_t TDirItem::LocalHeaderOffset64() const {
    return LocalHeaderOffset == kSentinel32 && HasZip64 ? Zip64LocalHeaderOffset
                                                        : LocalHeaderOffset;
}

uint32_t TDirItem::DiskStart32() const {
    return DiskStart == kSentinel16 && HasZip64 ? Zip64DiskStart : DiskStart;
}

void TDirItem::SetCompressedSize64(uint64_t value, bool forceZip64) {
    Zip64CompressedSize = value;
    if (value >= kSentinel32 || forceZip64) {
        CompressedSize = kSentinel32;
        HasZip64 = true;
    } else {
        CompressedSize = static_cast<uint32_t>(value);
    }
}

void TDirItem::SetUncompressedSize64(uint64_t value, bool forceZip64) {
    Zip64UncompressedSize = value;
    if (value >= kSentinel32 || forceZip64) {
        UncompressedSize = kSentinel32;
        HasZip64 = true;
    } else {
        UncompressedSize = static_cast<uint32_t>(value);
    }
}

void TDirItem::SetLocalHeaderOffset64(uint64_t value, bool forceZip64) {
    Zip64LocalHeaderOffset = value;
    if (value >= kSentinel32 || forceZip64) {
        LocalHeaderOffset = kSentinel32;
        HasZip64 = true;
    } else {
        LocalHeaderOffset = static_cast<uint32_t>(value);
    }
}

bool TDirItem::IsFolder() const {
    if (!Name.empty() && (Name.back() == '/' || Name.back() == '\\'))
        return true;
    return (ExternalAttributes & faDirectory) != 0;
}

} // namespace zip
