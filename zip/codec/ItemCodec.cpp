#include "zip/codec/ItemCodec.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "zip/ZAExcept.h"
#include "zip/codec/CompressionMode.h"
#include "zip/codec/Crc32.h"
#include "zip/codec/Deflater.h"
#include "zip/codec/Inflater.h"
#include "zip/codec/ZipCrypto.h"
#include "zip/directory/DirItem.h"
#include "zip/directory/DirManager.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/records/LocalHeader.h"
#include "zip/streams/Stream.h"

namespace zip {

namespace {
constexpr int64_t kInputBlock = 1 << 20;
// How often a wrong password may be answered with another before the member is skipped.
constexpr int kPasswordAttempts = 3;
} // namespace

struct TZAItemCodec::Buffers {
    Deflater deflater;
    std::unique_ptr<Deflater> probe; // tries a sample of a member; made when first needed
    Inflater inflater;
    std::vector<uint8_t> input;
};

TZAItemCodec::TZAItemCodec(TZACodecSettings settings)
    : settings_(std::move(settings)), buffers_(std::make_unique<Buffers>()) {}

TZAItemCodec::~TZAItemCodec() = default;

bool TZAItemCodec::CompressItem(Stream& source, Stream& archive, TDirItem& item) {
    const int64_t size = source.Size();
    const int64_t chunkSize = BufferSizeForMode(item.CompressionMode);
    const bool encrypted = !item.Password.empty();
    const int64_t dataStart = archive.Position();
    std::vector<uint8_t>& input = buffers_->input;
    input.resize(static_cast<size_t>(std::min(std::max<int64_t>(size, 1), chunkSize)));

    if (!source.SetPosition(0))
        throw EZAException(ZAError::SizeMismatch, settings_.ComponentName, {size, int64_t{0}});
    // The encryption header carries the CRC, so the source is read once before it is written.
    const uint32_t crc = encrypted ? CrcOfSource(source, size, chunkSize) : kCrcInitial;

    uint16_t method = item.Method;
    DataPass pass = WriteData(source, archive, item, method == kMethodDeflate && size > 0, crc);
    const int64_t header = encrypted ? kEncryptionHeaderSize : 0;
    // Data that deflate does not shrink (compressed pictures, music, random bytes) is stored:
    // smaller, and far quicker to write and to read.
    if (pass.Outcome == DataPass::Abandoned ||
        (pass.Outcome == DataPass::Done && method == kMethodDeflate && size > 0 &&
         pass.Compressed - header >= size)) {
        if (!archive.SetSize(dataStart) || !archive.SetPosition(dataStart))
            throw EZAException(ZAError::WriteFailed, settings_.ComponentName);
        if (!source.SetPosition(0))
            throw EZAException(ZAError::SizeMismatch, settings_.ComponentName, {size, int64_t{0}});
        method = kMethodStored;
        pass = WriteData(source, archive, item, false, crc);
    }
    if (pass.Outcome == DataPass::Cancelled)
        return false;
    if (pass.Outcome == DataPass::Short)
        throw EZAException(ZAError::SizeMismatch, settings_.ComponentName, {size, pass.Read});
    // An encrypted source is read twice; if it changed in between, the encryption header
    // carries a CRC that the data does not have.
    if (encrypted && crc != pass.DataCrc)
        throw EZAException(ZAError::SizeMismatch, settings_.ComponentName, {size, pass.Read});

    SetCompressedValues(item, method, pass.Compressed, size, pass.DataCrc ^ 0xFFFFFFFFu);
    return true;
}

TZAItemCodec::DataPass TZAItemCodec::WriteData(Stream& source, Stream& archive,
                                               const TDirItem& item, bool deflated,
                                               uint32_t headerCrc) {
    const int64_t size = source.Size();
    const int64_t chunkSize = BufferSizeForMode(item.CompressionMode);
    std::vector<uint8_t>& input = buffers_->input;
    DataPass pass;
    pass.DataCrc = kCrcInitial;
    std::unique_ptr<TZipCrypto> crypto;
    if (!item.Password.empty()) {
        crypto = std::make_unique<TZipCrypto>(item.Password);
        const auto header = crypto->MakeHeader(headerCrc ^ 0xFFFFFFFFu);
        if (!archive.WriteExact(header.data(), kEncryptionHeaderSize))
            throw EZAException(ZAError::WriteFailed, settings_.ComponentName);
        pass.Compressed = kEncryptionHeaderSize;
    }
    const int64_t dataStart = pass.Compressed;
    const auto sink = [&](uint8_t* data, int64_t length) {
        if (crypto)
            crypto->Encrypt(data, length);
        if (!archive.WriteExact(data, length))
            throw EZAException(ZAError::WriteFailed, settings_.ComponentName);
        pass.Compressed += length;
        return true;
    };
    if (deflated)
        buffers_->deflater.Begin(item.CompressionMode);

    while (pass.Read < size) {
        if (settings_.Progress && settings_.Progress(pass.Read, size)) {
            pass.Outcome = DataPass::Cancelled;
            return pass;
        }
        const int64_t want = std::min(chunkSize, size - pass.Read);
        const int64_t got = source.Read(input.data(), want);
        if (got != want) {
            pass.Outcome = DataPass::Short; // the source shrank or failed
            return pass;
        }
        pass.DataCrc = UpdateCrc32(pass.DataCrc, input.data(), got);
        const bool last = pass.Read + got == size;
        if (deflated)
            buffers_->deflater.Compress(input.data(), got, last, sink);
        else
            sink(input.data(), got);
        pass.Read += got;
        // The first chunk did not shrink: unless the end of the source does, the rest will not
        // either, and deflating it only costs time.
        if (deflated && pass.Read == got && !last && pass.Compressed - dataStart >= got &&
            !TailShrinks(source, size, chunkSize, item.CompressionMode)) {
            pass.Outcome = DataPass::Abandoned;
            return pass;
        }
    }
    return pass;
}

bool TZAItemCodec::TailShrinks(Stream& source, int64_t size, int64_t chunkSize, int level) {
    const int64_t resume = source.Position();
    const int64_t length = std::min(chunkSize, size - resume);
    std::vector<uint8_t>& input = buffers_->input;
    if (!source.SetPosition(size - length) || !source.ReadExact(input.data(), length) ||
        !source.SetPosition(resume))
        return true; // unreadable: the main pass finds out and reports it
    if (!buffers_->probe)
        buffers_->probe = std::make_unique<Deflater>();
    int64_t produced = 0;
    buffers_->probe->Begin(level);
    buffers_->probe->Compress(input.data(), length, true, [&](uint8_t*, int64_t n) {
        produced += n;
        return produced < length;
    });
    return produced < length;
}

uint32_t TZAItemCodec::CrcOfSource(Stream& source, int64_t size, int64_t chunkSize) {
    std::vector<uint8_t>& input = buffers_->input;
    uint32_t crc = kCrcInitial;
    int64_t bytesRead = 0;
    while (bytesRead < size) {
        const int64_t want = std::min(chunkSize, size - bytesRead);
        const int64_t got = source.Read(input.data(), want);
        crc = UpdateCrc32(crc, input.data(), got);
        bytesRead += got;
        if (got != want)
            break;
    }
    if (bytesRead != size)
        throw EZAException(ZAError::SizeMismatch, settings_.ComponentName, {size, bytesRead});
    if (!source.SetPosition(0))
        throw EZAException(ZAError::SizeMismatch, settings_.ComponentName, {size, int64_t{0}});
    return crc;
}

void TZAItemCodec::SetCompressedValues(TDirItem& item, uint16_t method, int64_t compressed,
                                       int64_t size, uint32_t crc32) const {
    const bool always = settings_.Zip64Mode == TZip64Mode::zmAlways;
    TDirItem result = item;
    result.SetCompressedSize64(static_cast<uint64_t>(compressed), always);
    result.SetUncompressedSize64(static_cast<uint64_t>(size), always);
    result.Crc32 = crc32;
    if (result.HasZip64 && settings_.Zip64Mode == TZip64Mode::zmDisabled)
        throw EZAException(ZAError::Zip64DisabledForItem, settings_.ComponentName,
                           {item.SourcePath});
    if (result.HasZip64)
        result.SetZip64Version(settings_.StandardSignatures);
    result.Method = size == 0 ? kMethodStored : method;
    item = std::move(result);
}

int64_t TZAItemCodec::SkipLocalHeader(Stream& archive, TZALocalHeader& local) const {
    const int64_t archiveSize = archive.Size();
    const int64_t headerPos = archive.Position();
    uint8_t raw[kLocalHeaderSize];
    if (headerPos < 0 || headerPos + kLocalHeaderSize > archiveSize ||
        !archive.ReadExact(raw, kLocalHeaderSize))
        throw EZAException(ZAError::MemberDamaged, settings_.ComponentName);
    local = TZALocalHeader::Decode(raw);
    if (local.Signature != kLocalHeaderSignature && local.Signature != kNativeLocalHeaderSignature)
        throw EZAException(ZAError::MemberDamaged, settings_.ComponentName);
    const int64_t dataStart = headerPos + kLocalHeaderSize + local.NameLength + local.ExtraLength;
    if (dataStart > archiveSize || !archive.SetPosition(dataStart))
        throw EZAException(ZAError::MemberDamaged, settings_.ComponentName);
    return dataStart;
}

TZAExtractResult TZAItemCodec::OpenEncryption(Stream& archive, const TZALocalHeader& local,
                                              const TDirItem& item, std::string& password,
                                              int64_t& dataSize,
                                              std::unique_ptr<TZipCrypto>& crypto) {
    if (dataSize < kEncryptionHeaderSize)
        return TZAExtractResult::erFailed;
    uint8_t header[kEncryptionHeaderSize];
    if (!archive.ReadExact(header, kEncryptionHeaderSize))
        return TZAExtractResult::erFailed;
    const uint8_t check = (local.Flags & kFlagDataDescriptor)
                              ? static_cast<uint8_t>(local.Time >> 8)
                              : static_cast<uint8_t>(local.Crc32 >> 24);
    for (int attempt = 0;; ++attempt) {
        auto keys = std::make_unique<TZipCrypto>(password);
        if (keys->CheckHeader(header, check)) {
            crypto = std::move(keys);
            break;
        }
        // Without a way to ask, or when the answer does not change, the member is skipped
        // instead of asking for ever.
        const std::string before = password;
        if (attempt + 1 >= kPasswordAttempts || !settings_.AskPassword ||
            !settings_.AskPassword(item.Name, password) || password == before)
            return TZAExtractResult::erSkipped;
    }
    dataSize -= kEncryptionHeaderSize;
    return TZAExtractResult::erOk;
}

namespace {

// Where a member's data goes: never more than the directory declares or the caller allows, and
// its CRC-32 counted on the way.
class CheckedSink {
public:
    CheckedSink(Stream& dest, uint64_t expected, int64_t limit)
        : dest_(dest), expected_(expected), limit_(limit) {}

    bool operator()(const uint8_t* data, int64_t length) {
        if (written_ + static_cast<uint64_t>(length) > expected_) {
            overflow_ = true; // more than the directory declares: damaged or a bomb
            return false;
        }
        if (limit_ >= 0 && written_ + static_cast<uint64_t>(length) > uint64_t(limit_)) {
            overLimit_ = true;
            return false;
        }
        crc_ = UpdateCrc32(crc_, data, length);
        if (!dest_.WriteExact(data, length)) {
            writeFailed_ = true;
            return false;
        }
        written_ += static_cast<uint64_t>(length);
        return true;
    }

    // A destination that takes no more (a full disk) is a write error, not damage in the
    // archive: it is never kept as a corrupted file, and its message says what happened.
    TZAExtractResult Failed(const std::string& componentName, const std::string& name) const {
        if (writeFailed_)
            throw EZAException(ZAError::WriteFailed, componentName);
        if (overLimit_)
            throw EZAException(ZAError::UnpackLimit, componentName, {TZAFormatArg(name), limit_});
        return TZAExtractResult::erFailed;
    }

    bool Complete(uint32_t crc32) const {
        return !overflow_ && !writeFailed_ && written_ == expected_ &&
               (crc_ ^ 0xFFFFFFFFu) == crc32;
    }

private:
    Stream& dest_;
    uint64_t expected_;
    int64_t limit_;
    uint32_t crc_ = kCrcInitial;
    uint64_t written_ = 0;
    bool overflow_ = false;
    bool overLimit_ = false;
    bool writeFailed_ = false;
};

// The name other programs give a compression method this engine does not unpack.
std::string MethodName(uint16_t method) {
    static constexpr std::pair<uint16_t, const char*> kNames[] = {
        {1, "Shrink"}, {6, "Implode"}, {12, "BZip2"},   {14, "LZMA"}, {93, "Zstandard"},
        {95, "XZ"},    {96, "JPEG"},   {97, "WavPack"}, {98, "PPMd"}, {99, "AES"},
    };
    for (const auto& [number, name] : kNames)
        if (number == method)
            return name;
    return "method " + std::to_string(method);
}

} // namespace

TZAExtractResult TZAItemCodec::ExtractItem(Stream& archive, Stream& dest, const TDirItem& item,
                                           int64_t dataLimit, std::string& password) {
    TZALocalHeader local;
    const int64_t dataStart = SkipLocalHeader(archive, local);
    if (item.Method == kMethodDeflate64)
        throw EZAException(ZAError::Deflate64Unsupported, settings_.ComponentName);
    // Never parsed: its data would be taken for ours. The method is named, since the member is
    // sound and another program unpacks it.
    if (item.Method != kMethodStored && item.Method != kMethodDeflate)
        throw EZAException(
            ZAError::UnsupportedMethod, settings_.ComponentName,
            {TZAFormatArg(ZAPrintableName(item.Name)), TZAFormatArg(MethodName(item.Method))});

    // The data may not run into the directory (or past the end of the archive).
    const int64_t limit = std::clamp<int64_t>(dataLimit, dataStart, archive.Size());
    int64_t dataSize = static_cast<int64_t>(
        std::min<uint64_t>(item.CompressedSize64(), static_cast<uint64_t>(limit - dataStart)));

    std::unique_ptr<TZipCrypto> crypto;
    if (item.IsEncrypted()) {
        const TZAExtractResult opened =
            OpenEncryption(archive, local, item, password, dataSize, crypto);
        if (opened != TZAExtractResult::erOk)
            return opened;
    }

    CheckedSink out(dest, item.UncompressedSize64(), settings_.OutputLimit);
    const std::function<bool(const uint8_t*, int64_t)> sink =
        [&out](const uint8_t* data, int64_t length) { return out(data, length); };
    std::vector<uint8_t>& input = buffers_->input;
    input.resize(static_cast<size_t>(kInputBlock));
    const bool deflated = item.Method == kMethodDeflate;
    if (deflated && !buffers_->inflater.Begin())
        return TZAExtractResult::erFailed;
    int64_t consumed = 0;
    bool streamEnded = false;
    while (consumed < dataSize && !streamEnded) {
        if (settings_.Progress && settings_.Progress(consumed, dataSize))
            return TZAExtractResult::erCancelled;
        const int64_t chunk = std::min(kInputBlock, dataSize - consumed);
        if (!archive.ReadExact(input.data(), chunk))
            return TZAExtractResult::erFailed;
        if (crypto)
            crypto->Decrypt(input.data(), chunk);
        if (deflated) {
            switch (buffers_->inflater.Inflate(input.data(), chunk, sink)) {
            case Inflater::Result::Ok:
                break;
            case Inflater::Result::StreamEnd:
                streamEnded = true;
                break;
            case Inflater::Result::Error:
            case Inflater::Result::Stopped:
                return out.Failed(settings_.ComponentName, item.Name);
            }
        } else if (!out(input.data(), chunk)) {
            return out.Failed(settings_.ComponentName, item.Name);
        }
        consumed += chunk;
    }
    if (!out.Complete(item.Crc32))
        return out.Failed(settings_.ComponentName, item.Name);
    return TZAExtractResult::erOk;
}

TZAExtractResult TZAItemCodec::ExtractItemToStream(TZADirManager& directory, int32_t index,
                                                   Stream& dest, std::string& password,
                                                   bool extractCorruptedFiles) {
    TZADirArray& items = directory.Working();
    if (index < 0 || index >= items.Count())
        throw EZAException(ZAError::ExtractIndexOutOfBounds, settings_.ComponentName);
    const TDirItem& item = items.At(index);
    Stream& archive = directory.ArchiveStream();
    const uint64_t offset = item.LocalHeaderOffset64();
    if (offset > static_cast<uint64_t>(archive.Size()) ||
        !archive.SetPosition(static_cast<int64_t>(offset)))
        throw EZAException(ZAError::MemberDamaged, settings_.ComponentName);
    int64_t dataLimit = directory.DirectoryPosition();
    if (dataLimit <= static_cast<int64_t>(offset))
        dataLimit = archive.Size();
    const TZAExtractResult result = ExtractItem(archive, dest, item, dataLimit, password);
    if (result == TZAExtractResult::erFailed && !extractCorruptedFiles)
        throw EZAException(ZAError::MemberDamaged, settings_.ComponentName);
    return result;
}

} // namespace zip
