#include "zip/directory/DirItem.h"

#include "zip/records/LittleEndian.h"

namespace zip {

static_assert(kCentralHeaderSize == 6 + TZAHeaderFields::kSize + 14);

void TDirItem::EncodeFixed(uint8_t* out) const {
    le::Put32(out + 0, Signature);
    le::Put16(out + 4, VersionMadeBy);
    EncodeFields(out + 6);
    le::Put16(out + 32, CommentLength);
    le::Put16(out + 34, DiskStart);
    le::Put16(out + 36, InternalAttributes);
    le::Put32(out + 38, ExternalAttributes);
    le::Put32(out + 42, LocalHeaderOffset);
}

void TDirItem::DecodeFixed(const uint8_t* in) {
    Signature = le::Get32(in + 0);
    VersionMadeBy = le::Get16(in + 4);
    DecodeFields(in + 6);
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

namespace {

// The value goes to the Zip64 slot; the 32-bit field keeps it when it fits and Zip64 is not
// forced, else it holds the sentinel and the entry uses Zip64.
void setWide(uint64_t value, bool forceZip64, uint32_t& field, uint64_t& zip64Value,
             bool& hasZip64) {
    zip64Value = value;
    if (value >= kSentinel32 || forceZip64) {
        field = kSentinel32;
        hasZip64 = true;
    } else {
        field = static_cast<uint32_t>(value);
    }
}

} // namespace

void TDirItem::SetCompressedSize64(uint64_t value, bool forceZip64) {
    setWide(value, forceZip64, CompressedSize, Zip64CompressedSize, HasZip64);
}

void TDirItem::SetUncompressedSize64(uint64_t value, bool forceZip64) {
    setWide(value, forceZip64, UncompressedSize, Zip64UncompressedSize, HasZip64);
}

void TDirItem::SetLocalHeaderOffset64(uint64_t value, bool forceZip64) {
    setWide(value, forceZip64, LocalHeaderOffset, Zip64LocalHeaderOffset, HasZip64);
}

void TDirItem::SetZip64Version(bool standardSignatures) {
    const uint16_t version = standardSignatures ? kVersionZip64 : kNativeVersionZip64;
    VersionNeeded = version;
    VersionMadeBy = standardSignatures && (Flags & kFlagUtf8)
                        ? static_cast<uint16_t>((VersionMadeBy & 0xFF00) | version)
                        : version;
}

bool TDirItem::IsFolder() const {
    if (!Name.empty() && (Name.back() == '/' || Name.back() == '\\'))
        return true;
    return (ExternalAttributes & faDirectory) != 0;
}

} // namespace zip
