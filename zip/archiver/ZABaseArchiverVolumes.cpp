// Archives in several volumes: volume names, finding out on open whether an archive is split
// or spanned, asking for volumes through the volume events, and placing members into them.

#include "zip/archiver/ZABaseArchiver.h"

#include "zip/ZAExcept.h"
#include "zip/directory/DirManager.h"
#include "zip/names/PathRules.h"
#include "zip/names/ZAFormat.h"
#include "zip/records/EndRecord.h"
#include "zip/records/LittleEndian.h"
#include "zip/records/Zip64Locator.h"
#include "zip/volumes/VolumeNaming.h"
#include "zip/volumes/VolumeReader.h"

#include "platform/sys/TempFiles.h"
#include "zip/volumes/VolumeWriter.h"

#include "platform/sys/DiskSpace.h"
#include "platform/sys/RemovableMedia.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace zip {

namespace {

// A request that is answered but never satisfied (a handler that neither cancels nor brings
// the volume, a disk that stays full) ends after this many rounds.
constexpr int kMaxVolumeRequests = 50;
constexpr int64_t kMinFreeSpace = 65536;
constexpr int64_t kCopyChunk = 1000000;

bool isFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Number of the disk that holds the end record: the Zip64 locator's count when the 16-bit
// field overflowed.
int32_t endRecordDisk(Stream& stream, const TZAEndRecord::Found& found) {
    if (found.Record.ThisDisk != kSentinel16 || found.Position < kZip64LocatorSize)
        return found.Record.ThisDisk;
    uint8_t raw[kZip64LocatorSize];
    if (!stream.SetPosition(found.Position - kZip64LocatorSize) ||
        !stream.ReadExact(raw, kZip64LocatorSize) || le::Get32(raw) != kZip64LocatorSignature)
        return found.Record.ThisDisk;
    const TZAZip64Locator locator = TZAZip64Locator::Decode(raw);
    return locator.TotalDisks == 0 || locator.TotalDisks > uint32_t(INT32_MAX)
               ? 0
               : int32_t(locator.TotalDisks - 1);
}

} // namespace

std::unique_ptr<Stream> TZABaseArchiver::OpenVolumeFile(const std::string& path, TZAFileMode mode) {
    return FileStream::Open(path, mode);
}

TZAVolumeNamingRules TZABaseArchiver::namingRules() const {
    TZAVolumeNamingRules rules;
    rules.Mode = spanningMode_;
    rules.AdvancedNaming = SpanningOptions.AdvancedNaming;
    rules.SelfExtracting = !SFXStub.empty() || TZAVolumeNaming::IsSelfExtractingName(FileName);
    rules.NativeFormat = compressionMethod_ >= 252;
    return rules;
}

std::string TZABaseArchiver::volumeName(int32_t number, bool checkExisting) const {
    return checkExisting ? TZAVolumeNaming::Existing(FileName, number, namingRules())
                         : TZAVolumeNaming::Name(FileName, number, namingRules());
}

void TZABaseArchiver::openExisting(const TZADirSettings& settings) {
    spanningMode_ = TZASpanningMode::smNone;
    volumeInfo_.Reset();
    const bool sfx = TZAVolumeNaming::IsSelfExtractingName(FileName);
    const bool removable = TZAPathRules::IsRemovable(FileName);
    const TZAFileMode readMode =
        (openMode_ & 3) != 0 ? TZAFileMode::fmOpenReadWrite : TZAFileMode::fmOpenRead;

    std::unique_ptr<Stream> last;
    if (!isFile(FileName) && removable) {
        spanningMode_ = TZASpanningMode::smSpanning;
        last = OpenVolume(-1, -1);
    } else {
        last = OpenVolumeFile(FileName, readMode);
        if (!last)
            fail(ZAError::CannotOpenFile, FileName);
    }
    std::optional<TZAEndRecord::Found> found = findEndHonestly(*last, settings);
    if (!found && sfx && spanningMode_ == TZASpanningMode::smNone)
        found = openSelfExtractingSet(last, readMode, settings);

    int32_t disk = found ? endRecordDisk(*last, *found) : 0;
    if (found && disk > 0 && spanningMode_ != TZASpanningMode::smSpanning) {
        spanningMode_ = TZASpanningMode::smSplitting;
        if (!findSetNaming(disk)) {
            spanningMode_ = TZASpanningMode::smNone;
            if (sfx)
                disk = 0;
            else if (removable)
                spanningMode_ = TZASpanningMode::smSpanning;
            else
                // Volumes of other disks on a fixed disk: a foreign or damaged archive, not
                // a request for floppies.
                fail(ZAError::DirectoryUnreadable);
        }
    } else if (!found && removable) {
        // Nothing to read on a removable disk: the set's last disk is wanted.
        spanningMode_ = TZASpanningMode::smSpanning;
    }

    if (spanningMode_ == TZASpanningMode::smSpanning && !found)
        fail(ZAError::DirectoryUnreadable);
    if (spanningMode_ == TZASpanningMode::smNone || disk <= 0) {
        spanningMode_ = TZASpanningMode::smNone;
        ownedStream_ = std::move(last);
        stream_ = ownedStream_.get();
        readSingleFileDirectory(settings);
        return;
    }

    readVolumeSetDirectory(std::move(last), disk, settings);
}

std::optional<TZAEndRecord::Found>
TZABaseArchiver::findEndHonestly(Stream& stream, const TZADirSettings& settings) const {
    // A damaged archive must not pass for a part of a set.
    std::optional<TZAEndRecord::Found> found;
    if (!settings.StandardSignatures)
        found = TZAEndRecord::Find(stream, kNativeEndRecordSignature, name_);
    if (!found)
        found = TZAEndRecord::Find(stream, kEndRecordSignature, name_);
    return found;
}

std::optional<TZAEndRecord::Found>
TZABaseArchiver::openSelfExtractingSet(std::unique_ptr<Stream>& last, TZAFileMode readMode,
                                       const TZADirSettings& settings) {
    // A split self-extracting archive: the stub is volume 0, the last volume ".ZIP".
    spanningMode_ = TZASpanningMode::smSplitting;
    const std::string lastName = volumeName(-1, true);
    std::unique_ptr<Stream> other = isFile(lastName) ? OpenVolumeFile(lastName, readMode) : nullptr;
    std::optional<TZAEndRecord::Found> otherFound;
    if (other)
        otherFound = findEndHonestly(*other, settings);
    if (otherFound && endRecordDisk(*other, *otherFound) > 0) {
        last = std::move(other);
        volumeFileName_ = lastName;
        return otherFound;
    }
    spanningMode_ = TZASpanningMode::smNone;
    return std::nullopt;
}

bool TZABaseArchiver::findSetNaming(int32_t lastDisk) {
    // The volume before the last tells the naming; volume 0 alone is the last resort (the one
    // before may be the missing one).
    const auto exists = [&](int32_t volume) {
        for (const std::string& name : TZAVolumeNaming::Candidates(FileName, volume, namingRules()))
            if (isFile(name))
                return true;
        return false;
    };
    for (const int32_t volume : {lastDisk - 1, 0}) {
        if (exists(volume))
            return true;
        SpanningOptions.AdvancedNaming = !SpanningOptions.AdvancedNaming;
        if (exists(volume))
            return true;
        SpanningOptions.AdvancedNaming = !SpanningOptions.AdvancedNaming;
    }
    return false;
}

void TZABaseArchiver::readVolumeSetDirectory(std::unique_ptr<Stream> last, int32_t lastDisk,
                                             const TZADirSettings& settings) {
    multiVolume_ = true;
    volumeInfo_.LastVolumeNumber = lastDisk;
    volumeInfo_.SetLast();
    auto reader = std::make_unique<TZAVolumeReader>(static_cast<TZAVolumeSource&>(*this), lastDisk,
                                                    std::move(last));
    ownedStream_ = std::move(reader);
    stream_ = ownedStream_.get();
    directory_ = std::make_unique<TZADirManager>(*stream_, settings, false);
    if (!directory_->FindEndRecord())
        fail(ZAError::DirectoryUnreadable);
    directory_->ReadDirectory();
}

std::unique_ptr<Stream> TZABaseArchiver::OpenVolume(int32_t number, int32_t last) {
    TZAVolumeNumberInfo wanted;
    wanted.LastVolumeNumber = last;
    if (number < 0 || number == last)
        wanted.SetLast();
    else if (number == 0)
        wanted.SetFirst();
    else
        wanted.SetNumber(number);
    const bool spanning = spanningMode_ == TZASpanningMode::smSpanning;
    for (int round = 0; round < kMaxVolumeRequests; ++round) {
        bool cancel = false;
        std::string name;
        if (wanted.GetState() == TZAVolumeNumberInfo::State::Last) {
            name = volumeName(-1, true);
            DoOnRequestLastVolume(last + 1, name, cancel);
        } else if (number == 0) {
            const bool handler = bool(OnRequestFirstVolume);
            name = volumeName(0, !handler);
            DoOnRequestFirstVolume(1, name, cancel);
            if (!cancel && spanning && !handler)
                name = volumeName(0, true);
        } else {
            const bool handler = bool(OnRequestMiddleVolume);
            name = volumeName(number, !handler);
            DoOnRequestMiddleVolume(number + 1, name, cancel);
            if (!cancel && !handler)
                name = volumeName(number, true);
        }
        if (cancel)
            fail(ZAError::VolumeUnavailable);
        // A handler that left the name as it was gets the form that exists.
        if (!isFile(name) && name == volumeName(number < 0 || number == last ? -1 : number, false))
            name = volumeName(number < 0 || number == last ? -1 : number, true);
        if (isFile(name)) {
            std::unique_ptr<Stream> stream = OpenVolumeFile(name, TZAFileMode::fmOpenRead);
            if (!stream)
                fail(ZAError::CannotOpenFile, name);
            volumeInfo_ = wanted;
            return stream;
        }
    }
    fail(ZAError::VolumeUnavailable);
}

std::unique_ptr<Stream> TZABaseArchiver::CreateVolume(int32_t number, std::string& path,
                                                      std::string& finalPath) {
    for (int round = 0; round < kMaxVolumeRequests; ++round) {
        bool cancel = false;
        std::string name = volumeName(std::max(number, 0), false);
        DoOnRequestBlankVolume(std::max(number, 0) + 1, name, cancel);
        if (cancel)
            fail(ZAError::VolumeUnavailable);
        const int64_t free = FreeSpace(name);
        const int64_t size = VolumeLimit(number);
        if (free <= kMinFreeSpace ||
            (size > 0 && spanningMode_ != TZASpanningMode::smSplitting && free < size)) {
            DoOnDiskFull(number + 1, name, cancel);
            if (cancel)
                fail(ZAError::VolumeUnavailable);
            continue;
        }
        // Split volumes lie side by side, where an earlier set may lie: they are written under
        // temporary names and take their own only when the whole set is written.
        std::string written = name;
        if (spanningMode_ == TZASpanningMode::smSplitting) {
            const size_t slash = name.rfind('/');
            written = platform::makeTempFile(
                slash == std::string::npos ? "." : name.substr(0, slash), ".FC");
            if (written.empty())
                fail(ZAError::CannotCreateFile, name);
        }
        std::unique_ptr<Stream> stream = OpenVolumeFile(written, TZAFileMode::fmCreate);
        if (!stream) {
            if (written != name)
                ::unlink(written.c_str());
            fail(ZAError::CannotCreateFile, name);
        }
        if (spanningMode_ == TZASpanningMode::smSpanning) {
            char label[32];
            std::snprintf(label, sizeof label, "pkback# %.3d", number + 1);
            platform::setVolumeLabel(name, label); // an unlabelled disk still holds the volume
        }
        if (number == 0)
            volumeInfo_.SetFirst();
        else
            volumeInfo_.SetNumber(number);
        volumeFileName_ = written;
        path = written;
        finalPath = name;
        return stream;
    }
    fail(ZAError::VolumeUnavailable);
}

std::unique_ptr<Stream> TZABaseArchiver::ReopenVolume(const std::string& path) {
    return OpenVolumeFile(path, TZAFileMode::fmOpenReadWrite);
}

bool TZABaseArchiver::RemoveVolume(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool TZABaseArchiver::RenameVolume(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

int64_t TZABaseArchiver::VolumeLimit(int32_t number) {
    return SpanningOptions.SizeOfVolume(number);
}

int64_t TZABaseArchiver::FreeSpace(const std::string& path) {
    const auto free = platform::freeDiskSpace(path);
    return free ? int64_t(std::min<uint64_t>(*free, INT64_MAX / 4)) : INT64_MAX / 4;
}

void TZABaseArchiver::finishVolumes() {
    if (!volumeWriter_)
        return;
    const std::string lastName = volumeName(-1, false);
    std::vector<int64_t> sizes = volumeWriter_->Finish(lastName);
    volumeWriter_ = nullptr;
    if (sizes.empty())
        fail(ZAError::WriteFailed);
    const int32_t lastDisk = int32_t(sizes.size()) - 1;
    removeStaleVolumes(lastDisk);
    std::unique_ptr<Stream> lastStream = OpenVolumeFile(lastName, TZAFileMode::fmOpenRead);
    if (!lastStream)
        fail(ZAError::CannotOpenFile, lastName);
    sizes.pop_back();
    auto reader = std::make_unique<TZAVolumeReader>(static_cast<TZAVolumeSource&>(*this), lastDisk,
                                                    std::move(lastStream), sizes);
    // The directory as written counts within volumes; from here on it counts through the set.
    directory_->AdoptVolumes(*reader);
    ownedStream_ = std::move(reader);
    stream_ = ownedStream_.get();
    volumeFileName_ = lastName;
    volumeInfo_.LastVolumeNumber = lastDisk;
    volumeInfo_.SetLast();
}

void TZABaseArchiver::removeStaleVolumes(int32_t lastDisk) {
    const TZAVolumeNamingRules rules = namingRules();
    if (spanningMode_ != TZASpanningMode::smSplitting || rules.SelfExtracting)
        return;
    for (int32_t volume = 0;; ++volume) {
        const std::string own = TZAVolumeNaming::Name(FileName, volume, rules);
        bool found = false;
        for (const std::string& name : TZAVolumeNaming::CaseForms(own)) {
            if (volume < lastDisk && name == own)
                continue; // a volume of the new set
            if (isFile(name)) {
                found = true;
                ::unlink(name.c_str());
            }
        }
        if (volume >= lastDisk && !found)
            return;
    }
}

bool TZABaseArchiver::copyToVolumes(Stream& member, TDirItem& item, int64_t headerLength) {
    TZAVolumeWriter& writer = *volumeWriter_;
    if (!writer.KeepTogether(headerLength))
        fail(ZAError::WriteFailed);
    const int32_t disk = writer.CurrentDisk();
    const uint64_t offset = uint64_t(writer.DiskOffset());
    item.SetLocalHeaderOffset64(offset, Zip64Mode == TZip64Mode::zmAlways);
    if (item.LocalHeaderOffset == kSentinel32 && Zip64Mode == TZip64Mode::zmDisabled)
        fail(ZAError::Zip64DisabledForMember, item.Name);
    item.DiskStart = uint16_t(std::min<int32_t>(disk, kSentinel16));
    item.Zip64DiskStart = uint32_t(disk);

    const int64_t total = member.Size();
    bool cancel = false;
    DoOnCopyTempFileProgress(0.0, TZAProgressPhase::ppStart, cancel);
    if (!member.SetPosition(0))
        fail(ZAError::WriteFailed);
    int64_t copied = 0;
    while (copied < total && !cancel) {
        const int64_t chunk = std::min(kCopyChunk, total - copied);
        if (writer.CopyFrom(member, chunk) != chunk)
            fail(ZAError::WriteFailed);
        copied += chunk;
        DoOnCopyTempFileProgress(double(copied) * 100.0 / double(total),
                                 TZAProgressPhase::ppProcess, cancel);
    }
    if (cancel)
        return false;
    DoOnCopyTempFileProgress(100.0, TZAProgressPhase::ppEnd, cancel);
    return !cancel;
}

} // namespace zip
