#pragma once
// Constants and enumerations shared by every part of the archive engine.

#include <cstdint>

namespace zip {

enum class TZACompressionLevel { clNone, clFastest, clNormal, clMax };
enum class TZASpanningMode { smNone, smSpanning, smSplitting };
enum class TZAStorePathMode { spNoPath, spRelativePath, spFullPath, spFullPathWithDrive };
enum class TZAFileShareMode {
    smShareCompat,
    smShareExclusive,
    smShareDenyWrite,
    smShareDenyRead,
    smShareDenyNone
};
enum class TZAOverwriteMode { omPrompt, omAlways, omNever, omIfNewer, omIfOlder };
enum class TZAProcessOperation {
    poAdd,
    poMove,
    poDelete,
    poUpdate,
    poExtract,
    poTest,
    poRename,
    poChangeAttr,
    poChangeComment,
    poMakeSFX
};
enum class TZAProgressPhase { ppStart, ppProcess, ppEnd };
enum class TZAAction { fxaRetry, fxaIgnore, fxaAbort };
enum class TZip64Mode { zmDisabled, zmAuto, zmAlways };

// Record signatures (standard and the engine's native variant).
inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr uint32_t kEndRecordSignature = 0x06054B50;
inline constexpr uint32_t kZip64EndRecordSignature = 0x06064B50;
inline constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
inline constexpr uint32_t kDataDescriptorSignature = 0x08074B50;
inline constexpr uint32_t kNativeLocalHeaderSignature = 0x05045C61;
inline constexpr uint32_t kNativeCentralHeaderSignature = 0x03025C61;
inline constexpr uint32_t kNativeEndRecordSignature = 0x06054141;

// Fixed record sizes.
inline constexpr int kLocalHeaderSize = 30;
inline constexpr int kCentralHeaderSize = 46;
inline constexpr int kEndRecordSize = 22;
inline constexpr int kZip64EndRecordSize = 56;
inline constexpr int kZip64LocatorSize = 20;
inline constexpr int kDataDescriptorSize = 16;
inline constexpr int kLocalZip64FieldSize = 20;
inline constexpr int kEncryptionHeaderSize = 12;

// Values that say "the real value is in the Zip64 field".
inline constexpr uint32_t kSentinel32 = 0xFFFFFFFF;
inline constexpr uint16_t kSentinel16 = 0xFFFF;
inline constexpr uint16_t kZip64ExtraId = 0x0001;

// Version made by / needed.
inline constexpr uint16_t kVersionOem = 20;
inline constexpr uint16_t kVersionAnsi = 0x0B14;
inline constexpr uint16_t kVersionZip64 = 45;
inline constexpr uint16_t kNativeVersion = 0x4114;
inline constexpr uint16_t kNativeVersionZip64 = 0x412D;

// General-purpose flag bits.
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagFolder = 0x0002;
inline constexpr uint16_t kFlagDataDescriptor = 0x0008;
inline constexpr uint16_t kFlagUtf8 = 0x0800;

// Compression methods.
inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflate = 8;
inline constexpr uint16_t kMethodDeflate64 = 9;

// Open modes.
inline constexpr uint16_t kOpenModeCreate = 0xFFFF;
inline constexpr uint16_t kOpenModeReadWrite = 34;
inline constexpr uint16_t kOpenModeReadOnly = 64;

// File attribute bits as stored in the external attributes.
inline constexpr uint32_t faReadOnly = 0x01;
inline constexpr uint32_t faHidden = 0x02;
inline constexpr uint32_t faSysFile = 0x04;
inline constexpr uint32_t faVolumeID = 0x08;
inline constexpr uint32_t faDirectory = 0x10;
inline constexpr uint32_t faArchive = 0x20;
inline constexpr uint32_t faNormal = 0x80;
inline constexpr uint32_t faCompressed = 0x800;
inline constexpr uint32_t faNotContentIndexed = 0x2000;
inline constexpr uint32_t kDefaultSearchAttr = 10431; // 0x28BF

// Largest number of bytes of any single name, extra field or comment.
inline constexpr int kMaxFieldLength = 65535;
// End-record search window: the record and a comment of the largest length.
inline constexpr int kEndRecordSearchWindow = 65600;
// How far from the end an end record with other bytes after it is looked for: a file padded to
// whole blocks, or a download with a megabyte of something else after it, still opens.
inline constexpr int64_t kTrailingRecordSearchWindow = 2 * 1024 * 1024;

} // namespace zip
