#pragma once
// Turns one member's data into its stored form and back: store or raw deflate, CRC-32 and the
// traditional encryption. Holds no member state between calls.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "zip/ZAConst.h"

namespace zip {

class Stream;
class TZADirManager;
class TZipCrypto;
struct TZALocalHeader;
struct TDirItem;

struct TZACodecSettings {
    std::string ComponentName; // prefix of error messages
    TZip64Mode Zip64Mode = TZip64Mode::zmDisabled;
    bool StandardSignatures = true;
    // Called before each chunk with the bytes done and the total of the current member;
    // returns true to cancel. May be empty.
    std::function<bool(int64_t processed, int64_t size)> Progress;
    // Called when the password does not open an encrypted member: may change password and
    // returns true to try again, false to skip the member. Empty: the member is skipped.
    std::function<bool(const std::string& storedName, std::string& password)> AskPassword;
    // Bytes the next extraction may write (-1: only the declared size bounds it); more
    // raises ZAError::UnpackLimit before they are written.
    int64_t OutputLimit = -1;
};

enum class TZAExtractResult {
    erOk,        // written in full, size and CRC-32 match
    erFailed,    // damaged, unsupported method or size/CRC mismatch
    erCancelled, // the progress callback cancelled
    erSkipped    // the password did not open it and the member was skipped
};

class TZAItemCodec {
public:
    explicit TZAItemCodec(TZACodecSettings settings);
    ~TZAItemCodec();
    TZAItemCodec(const TZAItemCodec&) = delete;
    TZAItemCodec& operator=(const TZAItemCodec&) = delete;

    TZACodecSettings& Settings() { return settings_; }

    // Compresses all of source (from its start) into archive at its position, by the item's
    // CompressionMode and Method, encrypting with the item's Password when it is not empty.
    // Fills CRC-32, sizes (Zip64 marks per the Zip64 mode) and, for an empty source, method 0.
    // A source that deflate does not make smaller is stored instead (method 0): when its first
    // chunk and its last do not shrink this is seen after the first chunk, otherwise after the
    // whole; archive is cut back to where the data started before it is written again.
    // Returns false when cancelled (the item is left as it was). Raises error 34 on a short
    // read of source, 46 on a short write to archive, 41 when Zip64 is needed but disabled,
    // ECompressionError when zlib fails.
    bool CompressItem(Stream& source, Stream& archive, TDirItem& item);

    // Extracts one member; archive must stand at its local header. dataLimit is where member
    // data must end (the start of the central directory). password is the archiver's and may
    // be replaced through AskPassword. Raises error 55 for Deflate64; other unknown methods,
    // damage and size or CRC mismatches give erFailed. Never writes more than the declared
    // uncompressed size into dest.
    TZAExtractResult ExtractItem(Stream& archive, Stream& dest, const TDirItem& item,
                                 int64_t dataLimit, std::string& password);

    // Extracts entry index of the directory's working array into dest: error 16 for a bad
    // index, error 8 when extraction fails unless extractCorruptedFiles is set. Returns the
    // result (erCancelled and erSkipped raise nothing).
    TZAExtractResult ExtractItemToStream(TZADirManager& directory, int32_t index, Stream& dest,
                                         std::string& password, bool extractCorruptedFiles);

private:
    // One writing of a member's data: the encryption header when the item has a password, then
    // the source deflated or as it is.
    struct DataPass {
        enum { Done, Cancelled, Short, Abandoned } Outcome = Done;
        int64_t Read = 0;       // source bytes taken
        int64_t Compressed = 0; // bytes written, the encryption header included
        uint32_t DataCrc = 0;   // CRC-32 register (not yet inverted) of the bytes taken
    };
    // Writes source from its position. A deflated pass is abandoned after its first chunk when
    // neither that chunk nor the end of the source shrinks. headerCrc goes into the encryption
    // header. Raises error 46 on a short write.
    DataPass WriteData(Stream& source, Stream& archive, const TDirItem& item, bool deflated,
                       uint32_t headerCrc);
    // Whether deflate at level shrinks the last chunk of source; the position is kept.
    bool TailShrinks(Stream& source, int64_t size, int64_t chunkSize, int level);
    // The CRC-32 (not yet inverted) of all size bytes of source, which is left at its start;
    // error 34 when it gives fewer.
    uint32_t CrcOfSource(Stream& source, int64_t size, int64_t chunkSize);
    // The entry's method (0 for an empty source), sizes (Zip64 marks per the mode, error 41
    // when disabled) and CRC-32; the entry is left as it was on an error.
    void SetCompressedValues(TDirItem& item, uint16_t method, int64_t compressed, int64_t size,
                             uint32_t crc32) const;
    // Reads the local header the archive stands at into local and moves to the member's data,
    // whose position it returns; error 8 when there is no local header there.
    int64_t SkipLocalHeader(Stream& archive, TZALocalHeader& local) const;
    // Reads the encryption header and finds the keys that open it with password (asking for
    // another through AskPassword); dataSize loses the header. erSkipped when no password
    // opens it, erFailed when the header is not there.
    TZAExtractResult OpenEncryption(Stream& archive, const TZALocalHeader& local,
                                    const TDirItem& item, std::string& password, int64_t& dataSize,
                                    std::unique_ptr<TZipCrypto>& crypto);

    struct Buffers;
    TZACodecSettings settings_;
    std::unique_ptr<Buffers> buffers_;
};

} // namespace zip
