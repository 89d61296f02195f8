#pragma once
// One entry of the archive directory: the fixed fields of its central header, its name,
// comment and extra blocks, its Zip64 values and the working fields of an open update.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "zip/ZAConst.h"
#include "zip/records/ExtraField.h"
#include "zip/records/HeaderFields.h"

namespace zip {

class Stream;

// The 46 bytes of the central header are, in order: the signature, the version made by, the
// fields shared with the local header (from the version needed to the extra length) and the
// fields below from the comment length on.
struct TDirItem : TZAHeaderFields {
    uint32_t Signature = kCentralHeaderSignature;
    uint16_t VersionMadeBy = 0;
    uint16_t CommentLength = 0;
    uint16_t DiskStart = 0;
    uint16_t InternalAttributes = 0;
    uint32_t ExternalAttributes = 0;
    uint32_t LocalHeaderOffset = 0;

    std::string Name;     // UTF-8, "/" separators
    std::string PrevName; // the name before a rename
    std::string Comment;
    std::vector<TZAExtraBlock> ExtraBlocks; // every block but the Zip64 one, as read

    bool HasZip64 = false;
    uint64_t Zip64UncompressedSize = 0;
    uint64_t Zip64CompressedSize = 0;
    uint64_t Zip64LocalHeaderOffset = 0;
    uint32_t Zip64DiskStart = 0;

    // Working fields of an open update.
    bool Modified = false;
    std::string Password;
    std::shared_ptr<Stream> SourceStream; // nullptr: read from SourcePath
    bool OwnsSourceStream = false;
    int64_t SourceStart = 0;
    bool Selected = false;
    std::string SourcePath;
    uint8_t CompressionMode = 0;
    TZAProcessOperation Operation = TZAProcessOperation::poAdd;
    // The position in the directory on disk of the member this entry stands for (-1: none
    // yet). Names may repeat, so a kept member is found again by this, never by its name.
    int32_t DiskIndex = -1;

    // The 46 fixed bytes, as they stand.
    void EncodeFixed(uint8_t* out) const;
    void DecodeFixed(const uint8_t* in);

    // The 64-bit values: the Zip64 value where the 32/16-bit field holds its sentinel.
    uint64_t CompressedSize64() const;
    uint64_t UncompressedSize64() const;
    uint64_t LocalHeaderOffset64() const;

    // Setters that choose between the 32-bit field and the Zip64 value: the field gets the
    // sentinel and HasZip64 is set when the value reaches 0xFFFFFFFF or forceZip64 is set.
    void SetCompressedSize64(uint64_t value, bool forceZip64 = false);
    void SetUncompressedSize64(uint64_t value, bool forceZip64 = false);
    void SetLocalHeaderOffset64(uint64_t value, bool forceZip64 = false);

    // Version 45 (native variant 0x412D) in both version fields, for an entry that uses Zip64.
    // A UTF-8 name keeps the host of its version made by: readers take the names of the OEM
    // host for OEM text.
    void SetZip64Version(bool standardSignatures);

    // A folder entry: its name ends with "/" (or "\"), or its external attributes carry 0x10.
    bool IsFolder() const;
    bool IsEncrypted() const { return (Flags & kFlagEncrypted) != 0; }
};

} // namespace zip
