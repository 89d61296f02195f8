#include "zip/directory/DirManager.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "zip/ZAExcept.h"
#include "zip/directory/ForwardScanner.h"
#include "zip/directory/HeaderChains.h"
#include "zip/directory/MemberSpans.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/records/DataDescriptor.h"
#include "zip/records/ExtraField.h"
#include "zip/records/LittleEndian.h"
#include "zip/records/LocalHeader.h"
#include "zip/streams/Stream.h"
#include "zip/volumes/VolumeStream.h"

namespace zip {

namespace {

constexpr int kMaxRebuildExtra = 260;
// Central headers are gathered into blocks of about this size before each write.
constexpr size_t kWriteBlock = 1 << 20;

// a + b when it does not overflow and stays at or below limit.
bool FitsWithin(uint64_t a, uint64_t b, uint64_t limit) {
    return a <= limit && b <= limit - a;
}

// Positions from the file as signed values that leave room for adding a file-sized delta.
int64_t AsPosition(uint64_t value) {
    return static_cast<int64_t>(std::min<uint64_t>(value, INT64_MAX / 4));
}

// The bytes of one volume, seen as a stream of their own.
class VolumeWindow : public Stream {
public:
    VolumeWindow(Stream& inner, int64_t start, int64_t size)
        : inner_(inner), start_(start), size_(size) {}
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t at = inner_.Position() - start_;
        if (at < 0 || at >= size_)
            return 0;
        return inner_.Read(buffer, std::min(count, size_ - at));
    }
    int64_t Write(const void*, int64_t) override { return 0; }
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override {
        const int64_t base = origin == TZASeekOrigin::soBeginning ? 0
                             : origin == TZASeekOrigin::soCurrent ? inner_.Position() - start_
                                                                  : size_;
        const int64_t target = inner_.Seek(start_ + base + offset, TZASeekOrigin::soBeginning);
        return target < 0 ? -1 : target - start_;
    }
    int64_t Size() override { return size_; }
    bool SetSize(int64_t) override { return false; }

private:
    Stream& inner_;
    int64_t start_;
    int64_t size_;
};

// The entry a local header at position stands for, with the header's fields, name and sizes
// (those of its local Zip64 field, which sets zip64Local); none when the name cannot be read or
// the data is cut off by the end of the file.
std::optional<TDirItem> EntryFromLocalHeader(const TZALocalHeader& local, const uint8_t* variable,
                                             int64_t position, int64_t fileSize,
                                             const TZADirSettings& settings, bool& zip64Local) {
    const std::string rawName(reinterpret_cast<const char*>(variable), local.NameLength);
    const std::vector<uint8_t> extra(variable + local.NameLength,
                                     variable + local.NameLength + local.ExtraLength);
    std::optional<std::string> name =
        ZADecodeStoredName(rawName, local.Flags, settings.OemFileNames);
    if (!name)
        return std::nullopt;

    TDirItem item;
    item.Signature =
        settings.StandardSignatures ? kCentralHeaderSignature : kNativeCentralHeaderSignature;
    static_cast<TZAHeaderFields&>(item) = local;
    item.VersionMadeBy = local.VersionNeeded;
    item.ExtraLength = 0; // the local extra field is not kept
    zip64Local = false;
    for (const TZAExtraBlock& block : TZAExtraField::Split(extra.data(), extra.size())) {
        if (block.Id == kZip64ExtraId && block.Data.size() >= 16) {
            zip64Local = true;
            item.HasZip64 = true;
            item.Zip64UncompressedSize = le::Get64(block.Data.data());
            item.Zip64CompressedSize = le::Get64(block.Data.data() + 8);
            item.UncompressedSize = kSentinel32;
            item.CompressedSize = kSentinel32;
        }
    }
    const int64_t dataStart = position + kLocalHeaderSize + local.NameLength + local.ExtraLength;
    // A member cut off by the end of the file is not there to be found.
    if (item.CompressedSize64() > static_cast<uint64_t>(fileSize - dataStart))
        return std::nullopt;
    item.SetLocalHeaderOffset64(static_cast<uint64_t>(position));
    // A folder is what its name says; an empty file stays a file.
    item.ExternalAttributes =
        (!name->empty() && (name->back() == '/' || name->back() == '\\')) ? faDirectory : faArchive;
    item.Name = std::move(*name);
    return item;
}

// A member whose sizes follow its data takes CRC-32 and sizes from the next data descriptor
// after dataStart. Returns where the search for headers goes on: after the descriptor, or just
// after the header when there is none.
int64_t TakeDataDescriptor(TZAForwardScanner& descriptors, TDirItem& item, int64_t dataStart,
                           int64_t position, bool zip64Local) {
    const int ddSize = zip64Local ? 24 : kDataDescriptorSize;
    const int64_t dd = descriptors.Find(dataStart);
    const uint8_t* rec = dd >= 0 ? descriptors.At(dd, ddSize) : nullptr;
    if (!rec)
        return position + 4;
    const TZADataDescriptor d = TZADataDescriptor::Decode(rec, zip64Local);
    item.Crc32 = d.Crc32;
    item.SetCompressedSize64(d.CompressedSize, zip64Local);
    item.SetUncompressedSize64(d.UncompressedSize, zip64Local);
    return dd + ddSize;
}

} // namespace

TZADirManager::TZADirManager(Stream& stream, TZADirSettings settings, bool newArchive)
    : stream_(&stream), settings_(std::move(settings)), onDisk_(settings_.ComponentName),
      working_(settings_.ComponentName) {
    SetStream(stream);
    if (!settings_.StandardSignatures)
        endRecord_.Signature = kNativeEndRecordSignature;
    if (newArchive)
        directoryPosition_ = 0;
}

void TZADirManager::SetStream(Stream& stream) {
    stream_ = &stream;
    volumes_ = dynamic_cast<TZAVolumeStream*>(&stream);
}

void TZADirManager::Fail(ZAError code) const {
    throw EZAException(code, settings_.ComponentName);
}

void TZADirManager::ReadAt(int64_t position, void* buffer, int64_t count) {
    if (count == 0)
        return;
    if (!stream_->SetPosition(position) || !stream_->ReadExact(buffer, count))
        Fail(ZAError::DirectoryUnreadable);
}

int64_t TZADirManager::RecordedDirectoryOffset() const {
    if (zip64_ && endRecord_.DirectoryOffset == kSentinel32)
        return AsPosition(zip64End_.DirectoryOffset);
    return endRecord_.DirectoryOffset;
}

bool TZADirManager::FindEndRecord() {
    ResetRead();
    found_.reset();
    trailingRead_ = false;
    searched_ = true;
    // The end record is kept whole in the last volume: only that one is searched.
    const int64_t lastStart =
        volumes_ ? std::max<int64_t>(volumes_->DiskStart(volumes_->LastDisk()), 0) : 0;
    VolumeWindow last(*stream_, lastStart, stream_->Size() - lastStart);
    if (!settings_.StandardSignatures)
        found_ = TZAEndRecord::Find(last, kNativeEndRecordSignature, settings_.ComponentName);
    if (!found_)
        found_ = TZAEndRecord::Find(last, kEndRecordSignature, settings_.ComponentName);
    if (found_) {
        found_->Position += lastStart;
        // A stray record can end a file as well as one with other bytes after it: it gets the
        // same checks, and when it fails them a record further in that passes them is taken.
        // When none does, the record at the end is read as before, with its own account of
        // what is wrong.
        if (!volumes_ && !EndingRecordSound()) {
            const TZAEndRecord::Found ending = *found_;
            trailingRead_ = ReadFromTrailingRecord(last);
            if (trailingRead_)
                return true;
            ResetRead();
            found_ = ending;
        }
        endRecord_ = found_->Record;
        comment_ = found_->Comment;
        return true;
    }
    // Bytes after the record (a file padded to whole blocks, a download with junk after it)
    // leave the archive readable, but only a record whose directory reads cleanly counts: the
    // directory is read here, once.
    if (!volumes_) {
        trailingRead_ = ReadFromTrailingRecord(last);
        if (trailingRead_)
            return true;
    }
    return settings_.TolerateDamaged;
}

int64_t TZADirManager::EntryBytes(const TDirItem& item) {
    // The entry, its name's copy in the index with a hash node, and what both names and the
    // comment hold outside the strings themselves.
    int64_t bytes = int64_t{sizeof(TDirItem)} + int64_t{sizeof(std::string)} + 32 +
                    2 * static_cast<int64_t>(item.Name.size()) +
                    static_cast<int64_t>(item.Comment.size());
    for (const TZAExtraBlock& block : item.ExtraBlocks)
        bytes += int64_t{sizeof(TZAExtraBlock)} + static_cast<int64_t>(block.Data.size());
    return bytes;
}

void TZADirManager::Budget(const TDirItem& item) {
    budgetBytes_ += EntryBytes(item);
    if (++budgetEntries_ > kMaxEntries || budgetBytes_ > kMaxDirectoryBytes)
        throw EZAException(ZAError::DirectoryTooLarge, settings_.ComponentName,
                           {kMaxEntries, kMaxDirectoryBytes});
}

void TZADirManager::ResetRead() {
    working_.Clear();
    endRecord_ = TZAEndRecord{};
    if (!settings_.StandardSignatures)
        endRecord_.Signature = kNativeEndRecordSignature;
    zip64End_ = TZAZip64EndRecord{};
    zip64Locator_ = TZAZip64Locator{};
    comment_.clear();
    startOffset_ = 0;
    zip64_ = false;
    recovered_ = false;
    budgetEntries_ = 0;
    budgetBytes_ = 0;
}

void TZADirManager::ReadDirectory() {
    if (!searched_)
        FindEndRecord();
    searched_ = false;
    if (trailingRead_)
        return;
    if (found_)
        return ReadFromEndRecord(false);
    if (!settings_.TolerateDamaged)
        Fail(ZAError::NoEndRecord);
    Rebuild();
}

bool TZADirManager::ReadFromTrailingRecord(Stream& last) {
    const int64_t fileSize = stream_->Size();
    TZAHeaderChains chains(*stream_, fileSize,
                           settings_.StandardSignatures ? kCentralHeaderSignature
                                                        : kNativeCentralHeaderSignature,
                           settings_.ComponentName);
    // Directories read whole that then fail their checks cost their size; with the walks of
    // the candidates' headers they may cost a few times the file, and no more: past that the
    // search gives up, and the file goes the way of a file without an end record.
    const int64_t budget = 3 * fileSize + (8 << 20);
    int64_t spent = 0;
    bool read = false;
    bool givenUp = false;
    std::optional<int64_t> lastLocalHeader;
    const auto take = [&](const TZAEndRecord::Found& candidate) {
        if (chains.Cost() + spent > budget) {
            givenUp = true;
            return true;
        }
        ResetRead();
        found_ = candidate;
        const std::optional<uint64_t> size = CheckTrailingCandidate(chains);
        if (!size)
            return false;
        spent += static_cast<int64_t>(std::min<uint64_t>(*size, uint64_t(fileSize)));
        if (directoryPosition_ != RecordedDirectoryOffset()) {
            // Data in front and members behind: an archive stored as a member of a larger one
            // that was cut short, not an archive of its own.
            if (!lastLocalHeader)
                lastLocalHeader = LastLocalHeader();
            if (*lastLocalHeader > found_->Position)
                return false;
        }
        try {
            found_->Comment.resize(found_->Record.CommentLength);
            ReadAt(found_->Position + kEndRecordSize, found_->Comment.data(),
                   found_->Record.CommentLength);
            endRecord_ = found_->Record;
            comment_ = found_->Comment;
            ReadFromEndRecord(true);
            read = true;
            return true;
        } catch (const EZAException& e) {
            // A record that names no sound directory is a stray signature: the next is tried.
            if (!e.Is(ZAError::ArchiveDamaged) && !e.Is(ZAError::EntryCountMismatch) &&
                !e.Is(ZAError::Zip64EndRecordMissing) && !e.Is(ZAError::MemberOverlap))
                throw;
            return false;
        }
    };
    if (!settings_.StandardSignatures)
        TZAEndRecord::FindEach(last, kNativeEndRecordSignature, kTrailingRecordSearchWindow,
                               settings_.ComponentName, take);
    if (!read && !givenUp)
        TZAEndRecord::FindEach(last, kEndRecordSignature, kTrailingRecordSearchWindow,
                               settings_.ComponentName, take);
    if (!read) {
        found_.reset();
        ResetRead();
    }
    return read;
}

bool TZADirManager::EndingRecordSound() {
    // A directory that ends where its record begins is the common case and is checked as it is
    // read: walking a million headers a second time would cost the open as much again. A stray
    // record (nothing counted, or counts of 0xFFFF) never meets this.
    const TZAEndRecord& record = found_->Record;
    if (record.TotalEntries != 0 && record.TotalEntries != 0xFFFF &&
        record.DirectoryOffset != 0xFFFFFFFF && record.DirectorySize != 0xFFFFFFFF &&
        uint64_t(record.DirectoryOffset) + record.DirectorySize == uint64_t(found_->Position))
        return true;
    // Nor does a stray record stand right after a Zip64 locator: the read follows the locator
    // and checks the records it names.
    if (found_->Position > kZip64LocatorSize) {
        uint8_t locator[4];
        ReadAt(found_->Position - kZip64LocatorSize, locator, sizeof locator);
        if (le::Get32(locator) == kZip64LocatorSignature)
            return true;
    }
    TZAHeaderChains chains(*stream_, stream_->Size(),
                           settings_.StandardSignatures ? kCentralHeaderSignature
                                                        : kNativeCentralHeaderSignature,
                           settings_.ComponentName);
    try {
        return CheckTrailingCandidate(chains).has_value();
    } catch (const EZAException& e) {
        // Damage is for the read of the record itself to describe; a read that fails is an
        // error here as anywhere.
        if (e.Is(ZAError::DirectoryUnreadable))
            throw;
        return false;
    }
}

std::optional<uint64_t> TZADirManager::CheckTrailingCandidate(TZAHeaderChains& chains) {
    const TZAEndRecord& record = found_->Record;
    // The record of a file that is the whole archive.
    if ((record.ThisDisk != 0 && record.ThisDisk != kSentinel16) ||
        (record.DirectoryDisk != 0 && record.DirectoryDisk != kSentinel16))
        return std::nullopt;
    endRecord_ = record;
    int64_t zip64EndPos = -1;
    try {
        zip64EndPos = ReadZip64Records(found_->Position);
    } catch (const EZAException& e) {
        if (!e.Is(ZAError::Zip64EndRecordMissing))
            throw;
        return std::nullopt;
    }
    const int64_t directoryEnd = zip64_ ? zip64EndPos : found_->Position;
    const uint64_t size = zip64_ ? zip64End_.DirectorySize : record.DirectorySize;
    const uint64_t count = zip64_ ? zip64End_.TotalEntries : record.TotalEntries;
    if (size > static_cast<uint64_t>(directoryEnd))
        return std::nullopt;
    const int64_t start = directoryEnd - static_cast<int64_t>(size);
    directoryPosition_ = start;
    // An empty directory says nothing of itself: only one that lies where its record says it
    // does is taken (zeros with a signature in them would pass for an empty archive).
    if (size == 0 && RecordedDirectoryOffset() != start)
        return std::nullopt;
    const std::optional<uint64_t> entries = chains.EntriesBetween(start, directoryEnd);
    if (!entries || !CountAgrees(*entries, count, true))
        return std::nullopt;
    return size;
}

int64_t TZADirManager::LastLocalHeader() {
    const int64_t fileSize = stream_->Size();
    const int64_t from = std::max<int64_t>(fileSize - kTrailingRecordSearchWindow, 0);
    std::vector<uint8_t> bytes(static_cast<size_t>(fileSize - from));
    ReadAt(from, bytes.data(), static_cast<int64_t>(bytes.size()));
    uint8_t signature[4];
    le::Put32(signature,
              settings_.StandardSignatures ? kLocalHeaderSignature : kNativeLocalHeaderSignature);
    const auto hit = std::find_end(bytes.begin(), bytes.end(), signature, signature + 4);
    return hit == bytes.end() ? -1 : from + (hit - bytes.begin());
}

bool TZADirManager::CountAgrees(uint64_t entries, uint64_t count, bool filled) const {
    return entries == count || (!zip64_ && filled && entries % 65536 == count % 65536);
}

void TZADirManager::ReadFromEndRecord(bool strict) {
    const int64_t endPos = found_->Position;
    const int64_t zip64EndPos = ReadZip64Records(endPos);
    // Without Zip64 records a count of 0xFFFF is either exactly 65,535 entries (some writers
    // switch to Zip64 only above that number), a count that wrapped, or a count that did not
    // fit. The directory is taken only when such entries fill it exactly; otherwise, or when it
    // does not parse, the entries are rebuilt from the local headers.
    const bool countInDoubt = !zip64_ && endRecord_.TotalEntries == kSentinel16;
    const auto rebuildInstead = [this] {
        // The entries read so far are dropped, and what they took with them.
        found_.reset();
        budgetEntries_ = 0;
        budgetBytes_ = 0;
        Rebuild();
    };

    const int64_t directoryEnd = zip64_ ? zip64EndPos : endPos;
    const uint64_t size = zip64_ ? zip64End_.DirectorySize : endRecord_.DirectorySize;
    const uint64_t count = zip64_ ? zip64End_.TotalEntries : endRecord_.TotalEntries;
    if (size > static_cast<uint64_t>(directoryEnd) ||
        (countInDoubt && count > size / kCentralHeaderSize)) {
        if (countInDoubt && !strict)
            return rebuildInstead();
        Fail(ZAError::ArchiveDamaged);
    }
    const int64_t start = directoryEnd - static_cast<int64_t>(size);
    directoryPosition_ = start;
    EntriesRead read;
    try {
        read = ReadEntries(start, static_cast<int64_t>(size), count);
    } catch (const EZAException& e) {
        if (!countInDoubt || strict || !e.Is(ZAError::ArchiveDamaged))
            throw;
        return rebuildInstead();
    }
    const bool filled = read.Bytes == static_cast<int64_t>(size);
    const bool agrees = CountAgrees(read.Count, count, filled);
    if (!agrees || (countInDoubt && !filled)) {
        if (countInDoubt && !strict)
            return rebuildInstead();
        if (!agrees)
            throw EZAException(ZAError::EntryCountMismatch, settings_.ComponentName,
                               {static_cast<int64_t>(std::min<uint64_t>(count, INT64_MAX)),
                                static_cast<int64_t>(std::min<uint64_t>(read.Count, INT64_MAX))});
    }
    if (strict && !filled)
        Fail(ZAError::ArchiveDamaged);
    if (!settings_.TolerateDamaged)
        CheckCompressedTotal();

    if (volumes_) {
        ToArchivePositions();
        CheckMembers(start);
        startOffset_ = 0;
        return;
    }
    PlaceLocalHeaders(start);
    if (working_.Count() > 0) {
        CheckMembers(start);
        startOffset_ = AsPosition(working_.At(0).LocalHeaderOffset64());
    } else {
        startOffset_ = zip64_ ? zip64EndPos : endPos;
    }
}

int64_t TZADirManager::ReadZip64Records(int64_t endPos) {
    // A locator right before the end record names the Zip64 end record.
    if (endPos <= kZip64LocatorSize)
        return -1;
    uint8_t loc[kZip64LocatorSize];
    const int64_t locatorPos = endPos - kZip64LocatorSize;
    ReadAt(locatorPos, loc, sizeof loc);
    if (le::Get32(loc) != kZip64LocatorSignature)
        return -1;
    zip64Locator_ = TZAZip64Locator::Decode(loc);
    // The recorded offset counts from the start of the archive proper; data in front of it
    // moves the record, so the place right before the locator is tried too.
    const int64_t candidates[2] = {zip64Locator_.Zip64EndOffset <= static_cast<uint64_t>(locatorPos)
                                       ? static_cast<int64_t>(zip64Locator_.Zip64EndOffset)
                                       : -1,
                                   locatorPos - kZip64EndRecordSize};
    for (const int64_t candidate : candidates) {
        if (candidate < 0 || candidate + kZip64EndRecordSize > locatorPos)
            continue;
        uint8_t rec[kZip64EndRecordSize];
        ReadAt(candidate, rec, sizeof rec);
        if (le::Get32(rec) != kZip64EndRecordSignature)
            continue;
        zip64End_ = TZAZip64EndRecord::Decode(rec);
        zip64_ = true;
        return candidate;
    }
    throw EZAException(ZAError::Zip64EndRecordMissing);
}

void TZADirManager::CheckCompressedTotal() {
    const uint64_t fileSize = static_cast<uint64_t>(stream_->Size());
    uint64_t total = 0;
    for (int32_t i = 0; i < working_.Count(); ++i) {
        const uint64_t c = working_.At(i).CompressedSize64();
        if (!FitsWithin(total, c, fileSize))
            Fail(ZAError::ArchiveDamaged);
        total += c;
    }
}

void TZADirManager::PlaceLocalHeaders(int64_t directoryStart) {
    // Offsets are recorded relative to the start of the archive proper; data in front of it
    // (a stub, or another archive joined in front) moves every local header by the same amount
    // as the directory moved. The first entry's own header tells which: an archive joined
    // behind another finds a header of the other one where its offsets point.
    if (working_.Count() == 0)
        return;
    const int64_t delta = directoryStart - RecordedDirectoryOffset();
    if (delta == 0)
        return;
    const TDirItem& item = working_.At(0);
    const int64_t first = AsPosition(item.LocalHeaderOffset64());
    const auto hasSignatureAt = [&](int64_t pos) {
        uint8_t sig[4];
        if (pos < 0 || pos + kLocalHeaderSize > stream_->Size())
            return false;
        ReadAt(pos, sig, 4);
        const uint32_t s = le::Get32(sig);
        return s == kLocalHeaderSignature || s == kNativeLocalHeaderSignature;
    };
    if (HasLocalHeaderOf(item, first + delta) ||
        (!hasSignatureAt(first) && hasSignatureAt(first + delta)))
        AdjustOffsets(delta);
}

bool TZADirManager::HasLocalHeaderOf(const TDirItem& item, int64_t pos) {
    const int64_t fileSize = stream_->Size();
    if (pos < 0 || pos > fileSize - kLocalHeaderSize)
        return false;
    uint8_t raw[kLocalHeaderSize];
    ReadAt(pos, raw, kLocalHeaderSize);
    const TZALocalHeader local = TZALocalHeader::Decode(raw);
    if ((local.Signature != kLocalHeaderSignature &&
         local.Signature != kNativeLocalHeaderSignature) ||
        local.NameLength > fileSize - pos - kLocalHeaderSize)
        return false;
    std::string stored(local.NameLength, '\0');
    ReadAt(pos + kLocalHeaderSize, stored.data(), local.NameLength);
    for (const uint16_t flags : {item.Flags, local.Flags}) {
        const std::optional<std::string> name =
            ZADecodeStoredName(stored, flags, settings_.OemFileNames, item.VersionMadeBy);
        if (name && *name == item.Name)
            return true;
    }
    return false;
}

TZADirManager::EntriesRead TZADirManager::ReadEntries(int64_t start, int64_t size, uint64_t count) {
    // The directory is read in blocks, so memory stays the same whatever size it claims.
    constexpr size_t kBlock = 1 << 20;
    std::vector<uint8_t> buffer;
    size_t pos = 0;           // parse position in buffer
    int64_t nextRead = start; // file position of the first byte not yet in buffer
    const int64_t end = start + size;
    // Makes n bytes available at pos, or fails when the directory ends before them.
    const auto need = [&](size_t n) {
        if (buffer.size() - pos >= n)
            return;
        buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(pos));
        pos = 0;
        const int64_t want =
            std::min<int64_t>(end - nextRead, static_cast<int64_t>(std::max(n, kBlock)));
        if (static_cast<int64_t>(n - buffer.size()) > want)
            Fail(ZAError::ArchiveDamaged);
        const size_t old = buffer.size();
        buffer.resize(old + static_cast<size_t>(want));
        ReadAt(nextRead, buffer.data() + old, want);
        nextRead += want;
    };
    const auto left = [&] { return (end - nextRead) + static_cast<int64_t>(buffer.size() - pos); };

    const uint32_t signature =
        settings_.StandardSignatures ? kCentralHeaderSignature : kNativeCentralHeaderSignature;
    const auto isCentralHeader = [&](uint32_t s) {
        return s == signature || s == kCentralHeaderSignature;
    };
    // Room is made for the entries that can really be there and fit the caps; a count that
    // claims more is found out as the entries run short.
    working_.Reserve(static_cast<int32_t>(
        std::min<uint64_t>({count, static_cast<uint64_t>(size) / kCentralHeaderSize,
                            static_cast<uint64_t>(kMaxDirectoryBytes / EntryBytes(TDirItem{}))})));
    uint64_t i = 0;
    for (;; ++i) {
        if (i >= count) {
            // Entries past the count are looked for: a count set too low must not hide them.
            if (left() < 4)
                break;
            need(4);
            if (!isCentralHeader(le::Get32(buffer.data() + pos)))
                break;
        } else if (left() == 0) {
            break;
        }
        need(kCentralHeaderSize);
        TDirItem item;
        item.DecodeFixed(buffer.data() + pos);
        if (!isCentralHeader(item.Signature))
            Fail(ZAError::ArchiveDamaged);
        pos += kCentralHeaderSize;
        need(size_t{item.NameLength} + size_t{item.ExtraLength} + size_t{item.CommentLength});
        const std::string_view rawName(reinterpret_cast<const char*>(buffer.data() + pos),
                                       item.NameLength);
        std::optional<std::string> name =
            ZADecodeStoredName(rawName, item.Flags, settings_.OemFileNames, item.VersionMadeBy);
        if (!name && (item.Flags & kFlagUtf8)) {
            // Claimed UTF-8 but is not: read in the OEM code page, as the entry of an OEM
            // system it then says it is, so that the directory opens and writing the entry
            // back gives the same bytes. The other members must not be lost over one name.
            const uint16_t flags = item.Flags & uint16_t(~kFlagUtf8);
            name = ZADecodeStoredName(rawName, flags, true, 0);
            if (name) {
                item.Flags = flags;
                item.VersionMadeBy &= 0x00FF;
            }
        }
        if (!name)
            throw EZAException(ZAError::UnsafeName, settings_.ComponentName,
                               {ZAPrintableName(rawName)});
        pos += item.NameLength;
        for (TZAExtraBlock& block : TZAExtraField::Split(buffer.data() + pos, item.ExtraLength)) {
            if (block.Id == kZip64ExtraId)
                TZAExtraField::ReadZip64Block(block, item);
            else
                item.ExtraBlocks.push_back(std::move(block));
        }
        pos += item.ExtraLength;
        item.Comment.assign(reinterpret_cast<const char*>(buffer.data() + pos), item.CommentLength);
        pos += item.CommentLength;
        item.Name = std::move(*name);
        Budget(item);
        working_.Append(std::move(item));
    }
    return {size - left(), i};
}

void TZADirManager::AdoptVolumes(TZAVolumeStream& volumes) {
    SetStream(volumes);
    ToArchivePositions();
    const uint32_t disk = zip64_ && endRecord_.DirectoryDisk == kSentinel16
                              ? zip64End_.DirectoryDisk
                              : endRecord_.DirectoryDisk;
    directoryPosition_ =
        volumes.DiskStart(int32_t(std::min<uint32_t>(disk, INT32_MAX))) + RecordedDirectoryOffset();
    startOffset_ = 0;
}

void TZADirManager::ToArchivePositions() {
    const int64_t size = stream_->Size();
    for (int32_t i = 0; i < working_.Count(); ++i) {
        TDirItem& item = working_.GetItemPtr(i);
        const uint32_t disk =
            item.DiskStart == kSentinel16 && item.HasZip64 ? item.Zip64DiskStart : item.DiskStart;
        const int64_t diskStart =
            disk > static_cast<uint32_t>(INT32_MAX) ? -1 : volumes_->DiskStart(int32_t(disk));
        const uint64_t offset = item.LocalHeaderOffset64();
        if (diskStart < 0 || offset > static_cast<uint64_t>(size - diskStart))
            Fail(ZAError::ArchiveDamaged);
        const bool viaZip64 = item.LocalHeaderOffset == kSentinel32 && item.HasZip64;
        item.SetLocalHeaderOffset64(static_cast<uint64_t>(diskStart) + offset, viaZip64);
    }
}

void TZADirManager::CheckMembers(int64_t dataEnd) {
    // Whatever damage is tolerated, members that share data or disagree with their headers
    // are not: they are how a small archive unpacks into an unbounded amount of data.
    TZAMemberSpans::Check(*stream_, working_, dataEnd, settings_.OemFileNames,
                          settings_.ComponentName);
}

void TZADirManager::AdjustOffsets(int64_t delta) {
    for (int32_t i = 0; i < working_.Count(); ++i) {
        TDirItem& item = working_.GetItemPtr(i);
        const bool viaZip64 = item.LocalHeaderOffset == kSentinel32 && item.HasZip64;
        const int64_t offset = AsPosition(item.LocalHeaderOffset64()) + delta;
        if (offset >= 0)
            item.SetLocalHeaderOffset64(static_cast<uint64_t>(offset), viaZip64);
    }
}

void TZADirManager::Rebuild() {
    working_.Clear();
    recovered_ = true;
    const int64_t fileSize = stream_->Size();
    const uint32_t signature =
        settings_.StandardSignatures ? kLocalHeaderSignature : kNativeLocalHeaderSignature;
    // Headers and data descriptors are each searched front to back through a buffer of their
    // own: a file full of candidate signatures is read about once, not once per candidate.
    TZAForwardScanner headers(*stream_, fileSize, signature, settings_.ComponentName);
    TZAForwardScanner descriptors(*stream_, fileSize, kDataDescriptorSignature,
                                  settings_.ComponentName);
    // Room for as many entries as the file can hold within the caps, taken up only as they
    // are found: the entries are never moved while the directory grows to its cap.
    working_.Reserve(static_cast<int32_t>(std::min<int64_t>(
        fileSize / kLocalHeaderSize + 1, kMaxDirectoryBytes / EntryBytes(TDirItem{}))));

    bool anySignature = false;
    int64_t pos = 0;
    while (pos + 4 <= fileSize) {
        const int64_t match = headers.Find(pos);
        if (match < 0)
            break;
        anySignature = true;
        pos = match + 4;
        const uint8_t* raw = headers.At(match, kLocalHeaderSize);
        if (!raw)
            continue;
        const TZALocalHeader local = TZALocalHeader::Decode(raw);
        if (local.ExtraLength > kMaxRebuildExtra)
            continue;
        const int64_t nameStart = match + kLocalHeaderSize;
        const uint8_t* variable = headers.At(nameStart, local.NameLength + local.ExtraLength);
        if (!variable)
            continue;
        bool zip64Local = false;
        std::optional<TDirItem> item =
            EntryFromLocalHeader(local, variable, match, fileSize, settings_, zip64Local);
        if (!item)
            continue;
        const int64_t dataStart = nameStart + local.NameLength + local.ExtraLength;
        int64_t next = dataStart + static_cast<int64_t>(item->CompressedSize64());
        if (local.Flags & kFlagDataDescriptor)
            next = TakeDataDescriptor(descriptors, *item, dataStart, match, zip64Local);
        // Members stored inside members (an archive kept uncompressed) are not entries of
        // this archive: the scan goes on after the data when its size is known.
        pos = std::max(pos, std::min(next, fileSize));
        Budget(*item);
        KeepRebuilt(std::move(*item));
    }
    if (!anySignature || working_.Count() == 0)
        Fail(ZAError::NoLocalHeader);
    CheckMembers(fileSize);
    directoryPosition_ = fileSize;
    startOffset_ = static_cast<int64_t>(working_.At(0).LocalHeaderOffset64());
}

void TZADirManager::KeepRebuilt(TDirItem item) {
    // Each header of a name found again (a member updated in place, or a file of copies of one
    // header) would be unpacked over the last: only the last one found is kept.
    int32_t index = -1;
    if (working_.FindByName(item.Name, index))
        working_.SetItem(index, std::move(item));
    else
        working_.Append(std::move(item));
}

void TZADirManager::WriteDirectory() {
    const int64_t start = stream_->Size();
    if (!stream_->SetSize(start) || stream_->Seek(0, TZASeekOrigin::soEnd) != start)
        Fail(ZAError::WriteFailed);
    directoryPosition_ = start;

    std::vector<uint8_t> block;
    block.reserve(kWriteBlock + 4096);
    const auto flush = [&] {
        if (!block.empty() &&
            !stream_->WriteExact(block.data(), static_cast<int64_t>(block.size())))
            Fail(ZAError::WriteFailed);
        block.clear();
    };
    // On volumes each header stays in one volume with its name and extra field, and the
    // directory's place is counted within the volume where it starts.
    int32_t directoryDisk = volumes_ ? volumes_->CurrentDisk() : 0;
    int64_t directoryOffset = start;
    const auto keepTogether = [&](int64_t bytes, bool first) {
        if (!volumes_)
            return;
        flush();
        if (!volumes_->KeepTogether(bytes))
            Fail(ZAError::WriteFailed);
        if (first) {
            directoryDisk = volumes_->CurrentDisk();
            directoryOffset = volumes_->DiskOffset();
        }
    };
    for (int32_t i = 0; i < working_.Count(); ++i) {
        int64_t together = 0;
        const std::vector<uint8_t> header = EncodeCentralHeader(working_.GetItemPtr(i), together);
        keepTogether(together, i == 0);
        block.insert(block.end(), header.begin(), header.end());
        if (block.size() >= kWriteBlock)
            flush();
    }
    flush();
    const int64_t end = stream_->Position();
    const auto count = static_cast<uint64_t>(working_.Count());

    if (comment_.size() > static_cast<size_t>(kMaxFieldLength))
        comment_.resize(kMaxFieldLength);
    zip64_ = static_cast<uint64_t>(end) >= kSentinel32 || count >= kSentinel16;
    const size_t endAt = zip64_ ? kZip64EndRecordSize + kZip64LocatorSize : 0;
    keepTogether(static_cast<int64_t>(endAt + kEndRecordSize + comment_.size()), count == 0);
    const int32_t thisDisk = volumes_ ? volumes_->CurrentDisk() : 0;
    const int64_t zip64EndOffset = volumes_ ? volumes_->DiskOffset() : end;
    if (!volumes_)
        directoryOffset = start;
    const std::vector<uint8_t> tail =
        EncodeEndRecords(thisDisk, directoryDisk, directoryOffset, zip64EndOffset,
                         static_cast<uint64_t>(end - start));
    if (!stream_->WriteExact(tail.data(), static_cast<int64_t>(tail.size())))
        Fail(ZAError::WriteFailed);
}

std::vector<uint8_t> TZADirManager::EncodeCentralHeader(TDirItem& item, int64_t& together) {
    const std::string stored =
        ZAEncodeStoredName(item.Name, settings_.OemFileNames, item.Flags, item.VersionMadeBy);
    if (stored.size() > static_cast<size_t>(kMaxFieldLength))
        throw EZAException(ZAError::NameTooLong, settings_.ComponentName, {item.Name});
    if (item.Comment.size() > static_cast<size_t>(kMaxFieldLength))
        item.Comment.resize(kMaxFieldLength);
    if (settings_.OemFileNames)
        TZAExtraField::SetUnicodePath(item, stored);
    std::vector<uint8_t> extra = TZAExtraField::CentralExtraField(item);
    if (extra.size() > static_cast<size_t>(kMaxFieldLength)) {
        // Kept blocks that no longer fit beside the Zip64 block are dropped whole.
        item.ExtraBlocks.clear();
        extra = TZAExtraField::CentralExtraField(item);
    }
    item.NameLength = static_cast<uint16_t>(stored.size());
    item.ExtraLength = static_cast<uint16_t>(extra.size());
    item.CommentLength = static_cast<uint16_t>(item.Comment.size());
    std::vector<uint8_t> out(kCentralHeaderSize);
    item.EncodeFixed(out.data());
    out.insert(out.end(), stored.begin(), stored.end());
    out.insert(out.end(), extra.begin(), extra.end());
    together = static_cast<int64_t>(out.size());
    out.insert(out.end(), item.Comment.begin(), item.Comment.end());
    return out;
}

std::vector<uint8_t> TZADirManager::EncodeEndRecords(int32_t thisDisk, int32_t directoryDisk,
                                                     int64_t directoryOffset,
                                                     int64_t zip64EndOffset, uint64_t size) {
    const auto count = static_cast<uint64_t>(working_.Count());
    const size_t endAt = zip64_ ? kZip64EndRecordSize + kZip64LocatorSize : 0;
    endRecord_.Signature =
        settings_.StandardSignatures ? kEndRecordSignature : kNativeEndRecordSignature;
    endRecord_.ThisDisk = static_cast<uint16_t>(std::min<int32_t>(thisDisk, kSentinel16));
    endRecord_.DirectoryDisk = static_cast<uint16_t>(std::min<int32_t>(directoryDisk, kSentinel16));
    endRecord_.SetValues(count, size, static_cast<uint64_t>(directoryOffset));
    endRecord_.CommentLength = static_cast<uint16_t>(comment_.size());

    std::vector<uint8_t> tail;
    if (zip64_) {
        zip64End_ = TZAZip64EndRecord{};
        zip64End_.ThisDisk = static_cast<uint32_t>(thisDisk);
        zip64End_.DirectoryDisk = static_cast<uint32_t>(directoryDisk);
        zip64End_.EntriesOnDisk = count;
        zip64End_.TotalEntries = count;
        zip64End_.DirectorySize = size;
        zip64End_.DirectoryOffset = static_cast<uint64_t>(directoryOffset);
        zip64Locator_ = TZAZip64Locator{};
        zip64Locator_.Zip64EndDisk = static_cast<uint32_t>(thisDisk);
        zip64Locator_.Zip64EndOffset = static_cast<uint64_t>(zip64EndOffset);
        zip64Locator_.TotalDisks = static_cast<uint32_t>(thisDisk) + 1;
        tail.resize(kZip64EndRecordSize + kZip64LocatorSize);
        zip64End_.Encode(tail.data());
        zip64Locator_.Encode(tail.data() + kZip64EndRecordSize);
    }
    tail.resize(endAt + kEndRecordSize);
    endRecord_.Encode(tail.data() + endAt);
    tail.insert(tail.end(), comment_.begin(), comment_.end());
    return tail;
}

void TZADirManager::WriteSFXStub(Stream& stub) {
    if (!stream_->SetSize(0) || !stream_->SetPosition(0) || !stub.SetPosition(0))
        Fail(ZAError::WriteFailed);
    const int64_t size = stub.Size();
    if (stream_->CopyFrom(stub, size) != size)
        Fail(ZAError::WriteFailed);
    startOffset_ = size;
}

} // namespace zip
