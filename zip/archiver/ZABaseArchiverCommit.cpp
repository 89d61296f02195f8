// Committing an update transaction: everything before the first changed member stays where it
// is, the rest of the archive is kept aside, and from there each member is copied back or
// written anew, then the directory. Any failure or cancel puts the saved bytes back, so the
// archive is byte for byte as it was before the commit.

#include "zip/archiver/ZABaseArchiver.h"

#include "zip/ZAExcept.h"
#include "zip/codec/ItemCodec.h"
#include "zip/directory/DirManager.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/records/LittleEndian.h"
#include "zip/records/LocalHeader.h"
#include "zip/streams/FileStream.h"
#include "zip/streams/MemoryStream.h"
#include "zip/volumes/VolumeWriter.h"

#include "platform/sys/TempFiles.h"

#include <algorithm>
#include <sys/stat.h>
#include <unistd.h>

namespace zip {

namespace {

// Kept in memory up to this size (the directory of an archive that only grows, mostly);
// anything larger goes into a temporary file.
constexpr int64_t kMemoryTailLimit = 8 << 20;
constexpr int64_t kMaxSourcePath = 4096;

// A member bound for volumes is written aside first: its local header is final only once the
// data is written, and a volume already closed cannot be gone back to.
struct MemberAside {
    std::unique_ptr<Stream> Data;
    std::string Path;
    ~MemberAside() {
        Data.reset();
        if (!Path.empty())
            ::unlink(Path.c_str());
    }
};

// The bytes a member's data is read from: its stream, its file, or else what it holds.
int64_t sourceSize(const TDirItem& item) {
    if (item.SourceStream)
        return item.SourceStream->Size();
    struct stat st {};
    if (!item.SourcePath.empty() && ::stat(item.SourcePath.c_str(), &st) == 0)
        return int64_t(st.st_size);
    return int64_t(item.UncompressedSize64());
}

bool copiesOnly(const TDirItem& item) {
    return !item.Modified || item.Operation == TZAProcessOperation::poRename ||
           item.Operation == TZAProcessOperation::poChangeAttr ||
           item.Operation == TZAProcessOperation::poChangeComment;
}

} // namespace

struct TZABaseArchiver::Commit {
    int32_t First = 0;
    int64_t Cut = 0;
    int64_t TailLength = 0;
    std::unique_ptr<Stream> Tail;
    std::string TailPath; // empty while the tail is held in memory
    TZAAction Action = TZAAction::fxaIgnore;
    TZAProcessOperation Operation = TZAProcessOperation::poDelete;
    bool DirectoryStarted = false;

    void DropTail() {
        Tail.reset();
        if (!TailPath.empty())
            ::unlink(TailPath.c_str());
        TailPath.clear();
    }
};

void TZABaseArchiver::commit() {
    if (updateCount_ < 1)
        return;
    updateCount_ = 0;
    startOutcome();

    TZADirArray& working = directory_->Working();
    TZADirArray& onDisk = directory_->OnDisk();
    Commit c;
    countChanges(c);

    bool cancel = false;
    DoOnOverallProgress(0.0, c.Operation, TZAProgressPhase::ppStart, cancel);
    if (cancel) {
        // Nothing was written: the directory must not list the members that were not.
        working.Assign(onDisk);
        outcome_.Status = TZAOutcome::Result::Cancelled;
        return;
    }
    findCut(c);
    saveTail(c);

    bool aborted = false;
    try {
        aborted = rewriteFromCut(c);
        if (!job_.Cancel && !aborted) {
            c.DirectoryStarted = true;
            directory_->WriteDirectory();
            if (Options.FlushBuffers && !stream_->Flush())
                fail(ZAError::WriteFailed);
            finishVolumes();
        }
    } catch (...) {
        rollback(c);
        throw;
    }

    if (job_.Cancel || aborted) {
        rollback(c);
        outcome_.Status = job_.Cancel ? TZAOutcome::Result::Cancelled : TZAOutcome::Result::Aborted;
        return;
    }
    c.DropTail();
    markCommitted();
    outcome_.Status =
        outcome_.Failed > 0 ? TZAOutcome::Result::Incomplete : TZAOutcome::Result::Completed;
    bool ignored = false;
    DoOnOverallProgress(100.0, c.Operation, TZAProgressPhase::ppEnd, ignored);
}

void TZABaseArchiver::countChanges(Commit& c) {
    const TZADirArray& working = directory_->Working();
    const TZADirArray& onDisk = directory_->OnDisk();
    int modified = 0;
    int64_t units = 0;
    for (int32_t i = 0; i < working.Count(); ++i) {
        if (!working.At(i).Modified)
            continue;
        if (modified == 0)
            c.Operation = working.At(i).Operation;
        ++modified;
        if (!copiesOnly(working.At(i)))
            units += ProgressUnits(sourceSize(working.At(i)));
    }
    // The job starts once its members are counted.
    job_ = TZAJobState::Begin(c.Operation, modified, units);

    const int32_t shorter = std::min(working.Count(), onDisk.Count());
    c.First = shorter;
    for (int32_t i = 0; i < shorter; ++i) {
        if (working.At(i).Modified || working.At(i).Name != onDisk.At(i).Name) {
            c.First = i;
            break;
        }
    }
}

void TZABaseArchiver::findCut(Commit& c) {
    const TZADirArray& onDisk = directory_->OnDisk();
    // Where rewriting starts. Members need not lie in directory order: the cut goes to the
    // lowest record of the rewritten entries, and every earlier entry whose record lies beyond
    // it joins the rewritten ones.
    if (onDisk.Count() > c.First) {
        for (;;) {
            int64_t cut = INT64_MAX;
            for (int32_t j = c.First; j < onDisk.Count(); ++j)
                cut = std::min<int64_t>(cut, int64_t(onDisk.At(j).LocalHeaderOffset64()));
            int32_t lower = c.First;
            for (int32_t j = 0; j < c.First; ++j) {
                // At least its header, name and data: a record reaching past the cut would
                // be cut in two.
                const TDirItem& kept = onDisk.At(j);
                const int64_t start = int64_t(kept.LocalHeaderOffset64());
                const int64_t end =
                    start + kLocalHeaderSize + kept.NameLength + int64_t(kept.CompressedSize64());
                if (start >= cut || end > cut) {
                    lower = j;
                    break;
                }
            }
            c.Cut = cut;
            if (lower == c.First)
                break;
            c.First = lower;
        }
    } else if (onDisk.Count() > 0) {
        c.Cut = directory_->DirectoryPosition();
    } else {
        c.Cut = directory_->StartOffset();
    }
}

void TZABaseArchiver::saveTail(Commit& c) {
    Stream& archive = *stream_;
    const int64_t size = archive.Size();
    if (c.Cut < 0 || c.Cut > size)
        fail(ZAError::ArchiveDamaged);

    // Keep everything from the cut on; the archive is not touched before this succeeded.
    c.TailLength = size - c.Cut;
    if (c.TailLength > 0) {
        if (c.TailLength <= kMemoryTailLimit) {
            c.Tail = std::make_unique<MemoryStream>();
        } else {
            c.TailPath = platform::makeTempFile(TempDir, "FC");
            if (c.TailPath.empty())
                fail(ZAError::CannotCreateFile, TempDir.empty() ? platform::tempFolder() : TempDir);
            c.Tail = FileStream::Open(c.TailPath, TZAFileMode::fmOpenReadWrite);
            if (!c.Tail) {
                c.DropTail();
                fail(ZAError::CannotOpenFile, c.TailPath);
            }
        }
        if (!archive.SetPosition(c.Cut) ||
            c.Tail->CopyFrom(archive, c.TailLength) != c.TailLength) {
            c.DropTail();
            fail(ZAError::WriteFailed);
        }
    }
}

bool TZABaseArchiver::rewriteFromCut(Commit& c) {
    TZADirArray& working = directory_->Working();
    Stream& archive = *stream_;
    bool aborted = false;
    if (!archive.SetSize(c.Cut) || !archive.SetPosition(c.Cut))
        fail(ZAError::WriteFailed);
    int32_t i = c.First;
    while (i < working.Count() && !job_.Cancel) {
        bool written = false;
        const bool copy = copiesOnly(working.At(i));
        do {
            c.Action = TZAAction::fxaIgnore;
            if (copy) {
                copyMember(c, i);
                written = true;
            } else {
                job_.MemberUnits = ProgressUnits(sourceSize(working.At(i)));
                written = writeMember(c, i);
            }
        } while (!written && !job_.Cancel && c.Action == TZAAction::fxaRetry);
        if (job_.Cancel)
            break;
        if (!written && c.Action == TZAAction::fxaAbort) {
            aborted = true;
            break;
        }
        if (written) {
            if (!copy) {
                ++job_.FilesDone;
                job_.UnitsDone += job_.MemberUnits;
                ++outcome_.Done;
            }
            ++i;
        } else {
            ++outcome_.Failed;
            if (working.At(i).Operation == TZAProcessOperation::poAdd) {
                working.Delete(i);
            } else {
                copyMember(c, i);
                ++i;
            }
        }
    }
    return aborted;
}

void TZABaseArchiver::markCommitted() {
    TZADirArray& working = directory_->Working();
    for (int32_t i = 0; i < working.Count(); ++i) {
        TDirItem& item = working.GetItemPtr(i);
        item.Modified = false;
        item.SourcePath.clear();
        item.SourceStream.reset();
        item.PrevName.clear();
        item.DiskIndex = i;
    }
    directory_->OnDisk().Assign(working);
}

// The local header of a member being written: its stored name, whether it carries the local
// Zip64 field, and the Unicode Path field that readers of local headers take the real name from.
struct TZABaseArchiver::LocalHeaderPlan {
    std::string Stored;
    bool Zip64Field = false;
    std::vector<uint8_t> UnicodePath;
    bool Native = false;

    std::vector<uint8_t> Bytes(TZALocalHeader h, uint64_t uncompressed, uint64_t compressed) const {
        if (Native)
            h.Signature = kNativeLocalHeaderSignature;
        h.ExtraLength = uint16_t(h.ExtraLength + UnicodePath.size());
        std::vector<uint8_t> out = h.Assemble(Stored, Zip64Field, uncompressed, compressed);
        out.insert(out.end(), UnicodePath.begin(), UnicodePath.end());
        return out;
    }
};

std::unique_ptr<Stream> TZABaseArchiver::openAside(const TDirItem& item, std::string& path) {
    if (sourceSize(item) <= kMemoryTailLimit)
        return std::make_unique<MemoryStream>();
    path = platform::makeTempFile(TempDir, "FC");
    std::unique_ptr<Stream> stream =
        path.empty() ? nullptr : FileStream::Open(path, TZAFileMode::fmOpenReadWrite);
    if (!stream)
        fail(ZAError::CannotCreateFile, TempDir.empty() ? platform::tempFolder() : TempDir);
    return stream;
}

TZABaseArchiver::LocalHeaderPlan TZABaseArchiver::planLocalHeader(TDirItem& item, int64_t start,
                                                                  uint64_t sourceSize,
                                                                  bool withData,
                                                                  const std::string& eventName) {
    const bool zip64Always = Zip64Mode == TZip64Mode::zmAlways;
    item.HasZip64 = false;
    item.SetLocalHeaderOffset64(uint64_t(start), zip64Always);
    // A folder has no data: zmAlways gives it Zip64 for its offset only.
    item.SetUncompressedSize64(sourceSize, zip64Always && withData);
    item.SetCompressedSize64(0, zip64Always && withData);
    if (item.HasZip64 && Zip64Mode == TZip64Mode::zmDisabled)
        fail(ZAError::Zip64DisabledForMember, eventName);
    LocalHeaderPlan plan;
    plan.Zip64Field = item.UncompressedSize == kSentinel32;

    // A name that is not UTF-8 (a disk file named in another encoding) could only be stored as
    // bytes that no reader, this one included, accepts as the name.
    if (!ZAIsValidUtf8(item.Name))
        fail(ZAError::UnsafeName, ZAPrintableName(eventName));
    plan.Stored = ZAEncodeStoredName(item.Name, Options.OEMFileNames, item.Flags);
    if (plan.Stored.size() > size_t(kMaxFieldLength))
        fail(ZAError::NameTooLong, item.Name);
    // A UTF-8 name is not in the OEM code page: the entry says so by the version of the
    // non-OEM (NTFS) host, or readers would convert the name as OEM text once more.
    if ((item.Flags & kFlagUtf8) && item.VersionMadeBy == kVersionOem)
        item.VersionMadeBy = kVersionAnsi;
    if (item.HasZip64)
        item.SetZip64Version(standardSignatures_);
    item.NameLength = uint16_t(plan.Stored.size());
    if (Options.OEMFileNames)
        plan.UnicodePath = TZAExtraField::UnicodePathBlock(item.Name, plan.Stored, item.Flags);
    plan.Native = !standardSignatures_;
    return plan;
}

bool TZABaseArchiver::writeMember(Commit& c, int32_t index) {
    UpdateCompressionMethod();
    TDirItem& item = directory_->Working().GetItemPtr(index);
    MemberAside aside;
    const int64_t volumeStart = volumeWriter_ ? volumeWriter_->Size() : 0;
    if (volumeWriter_)
        aside.Data = openAside(item, aside.Path);
    Stream& archive = aside.Data ? *aside.Data : *stream_;
    const TZAProcessOperation op = item.Operation;
    const bool fromPath = op == TZAProcessOperation::poAdd || op == TZAProcessOperation::poMove;
    const std::string eventName =
        fromPath && !item.SourcePath.empty() ? item.SourcePath : item.Name;

    bool cancel = false;
    DoOnFileProgress(eventName, 0.0, op, TZAProgressPhase::ppStart, cancel);
    if (cancel) {
        job_.Cancel = true;
        return false;
    }

    const int64_t start = archive.Position();
    // A failed or cancelled member leaves nothing behind: the next one starts where it started.
    const auto cutBack = [&] {
        archive.SetSize(start);
        archive.SetPosition(start);
        if (volumeWriter_)
            volumeWriter_->SetSize(volumeStart);
    };
    std::unique_ptr<Stream> source;
    try {
        Stream* input = item.SourceStream.get();
        if (!input && !item.IsFolder()) {
            if (int64_t(item.SourcePath.size()) >= kMaxSourcePath)
                fail(ZAError::NameTooLong, item.SourcePath);
            int error = 0;
            source = FileStream::Open(item.SourcePath, TZAFileMode::fmOpenRead, &error);
            if (!source)
                fail(ZAError::CannotOpenFile, item.SourcePath);
            input = source.get();
        }
        const uint64_t sourceSize = input ? uint64_t(input->Size()) : 0;
        const LocalHeaderPlan plan =
            planLocalHeader(item, start, sourceSize, input != nullptr, eventName);
        TZALocalHeader header = TZALocalHeader::FromItem(item, plan.Stored, plan.Zip64Field);
        header.CompressedSize = item.CompressedSize;
        std::vector<uint8_t> bytes = plan.Bytes(header, sourceSize, 0);
        const int64_t headerLength = int64_t(bytes.size());
        if (!archive.WriteExact(bytes.data(), int64_t(bytes.size())))
            fail(ZAError::WriteFailed);

        if (input) {
            codec().Settings().Progress = [this, eventName, op](int64_t done, int64_t total) {
                return fireProgress(done, total, eventName, op);
            };
            if (!codec().CompressItem(*input, archive, item)) {
                job_.Cancel = true;
                archive.SetSize(start);
                archive.SetPosition(start);
                return false;
            }
            if (item.CompressedSize == kSentinel32 && !plan.Zip64Field)
                fail(ZAError::Zip64DisabledForMember, eventName);
            // The sizes and CRC-32 are known now: the header is written again with them.
            const int64_t end = archive.Position();
            bytes = plan.Bytes(TZALocalHeader::FromItem(item, plan.Stored, plan.Zip64Field),
                               item.UncompressedSize64(), item.CompressedSize64());
            if (!archive.SetPosition(start) ||
                !archive.WriteExact(bytes.data(), int64_t(bytes.size())) ||
                !archive.SetPosition(end))
                fail(ZAError::WriteFailed);
        }
        if (!job_.Cancel && volumeWriter_ && !copyToVolumes(archive, item, headerLength))
            job_.Cancel = true;
        if (job_.Cancel) {
            cutBack();
            return false;
        }
        return true;
    } catch (const EZAException& e) {
        source.reset();
        cutBack();
        reportFailure(op == TZAProcessOperation::poUpdate ? item.Name : eventName, op, e, c.Action);
        return false;
    }
}

void TZABaseArchiver::copyMember(Commit& c, int32_t index) {
    TZADirArray& working = directory_->Working();
    TZADirArray& onDisk = directory_->OnDisk();
    Stream& archive = *stream_;
    TDirItem& item = working.GetItemPtr(index);
    const bool renamed = item.Modified && item.Operation == TZAProcessOperation::poRename;
    // By identity: a name lookup would give every member of a repeated name the first one's data.
    const int32_t old = item.DiskIndex;
    if (old < 0 || old >= onDisk.Count())
        fail(ZAError::DiskMemberNotFound);
    if (item.Modified && item.Operation == TZAProcessOperation::poUpdate)
        working.SetItem(index, onDisk.At(old));
    TDirItem& entry = working.GetItemPtr(index);
    const TDirItem& original = onDisk.At(old);

    const int64_t offset = int64_t(original.LocalHeaderOffset64()) - c.Cut;
    if (!c.Tail || offset < 0 || offset + kLocalHeaderSize > c.TailLength)
        fail(ZAError::ArchiveDamaged);
    uint8_t fixed[kLocalHeaderSize];
    if (!c.Tail->SetPosition(offset) || !c.Tail->ReadExact(fixed, kLocalHeaderSize))
        fail(ZAError::ArchiveDamaged);
    const TZALocalHeader local = TZALocalHeader::Decode(fixed);
    int64_t length = kLocalHeaderSize + local.NameLength + local.ExtraLength +
                     int64_t(original.CompressedSize64());
    if (local.Flags & kFlagDataDescriptor) {
        // The descriptor after the data belongs to the member; its signature is optional.
        uint8_t sig[4] = {};
        int64_t descriptor = original.HasZip64 ? 20 : 12;
        if (c.Tail->SetPosition(offset + length) && c.Tail->ReadExact(sig, 4) &&
            le::Get32(sig) == kDataDescriptorSignature)
            descriptor += 4;
        length += descriptor;
    }
    if (offset + length > c.TailLength)
        fail(ZAError::ArchiveDamaged);

    const int64_t position = archive.Position();
    entry.SetLocalHeaderOffset64(uint64_t(position), Zip64Mode == TZip64Mode::zmAlways);
    if (entry.LocalHeaderOffset == kSentinel32 && Zip64Mode == TZip64Mode::zmDisabled)
        fail(ZAError::Zip64DisabledForMember, entry.Name);

    if (renamed) {
        uint16_t flags = entry.Flags;
        const std::string stored =
            ZAEncodeStoredName(entry.Name, Options.OEMFileNames, flags, entry.VersionMadeBy);
        TZALocalHeader header = local;
        header.NameLength = uint16_t(stored.size());
        header.Flags = flags;
        uint8_t out[kLocalHeaderSize];
        header.Encode(out);
        const int64_t rest = length - kLocalHeaderSize - local.NameLength;
        if (!archive.WriteExact(out, kLocalHeaderSize) ||
            !archive.WriteExact(stored.data(), int64_t(stored.size())) ||
            !c.Tail->SetPosition(offset + kLocalHeaderSize + local.NameLength) ||
            archive.CopyFrom(*c.Tail, rest) != rest)
            fail(ZAError::WriteFailed);
        entry.Flags = flags;
    } else {
        if (!c.Tail->SetPosition(offset) || archive.CopyFrom(*c.Tail, length) != length)
            fail(ZAError::WriteFailed);
    }
}

void TZABaseArchiver::rollback(Commit& c) {
    directory_->Working().Assign(directory_->OnDisk());
    if (!stream_)
        return;
    if (volumeWriter_ && !c.Tail) {
        // A new set of volumes has nothing to restore. Split volumes, written under temporary
        // names, go, so that the set they were to replace stays whole; spanned ones are cut
        // back as far as they can still be reached (disks taken out cannot).
        if (spanningMode_ == TZASpanningMode::smSplitting)
            volumeWriter_->Abandon();
        else
            volumeWriter_->SetSize(c.Cut);
        return;
    }
    Stream& archive = *stream_;
    bool restored = archive.SetSize(c.Cut) && archive.SetPosition(c.Cut);
    if (restored && c.Tail)
        restored =
            c.Tail->SetPosition(0) && archive.CopyFrom(*c.Tail, c.TailLength) == c.TailLength;
    if (!restored) {
        // The saved bytes are the only copy of the rest of the archive: keep them on disk.
        if (c.TailPath.empty() && c.Tail) {
            const std::string path = platform::makeTempFile(TempDir, "FC");
            if (auto file =
                    path.empty() ? nullptr : FileStream::Open(path, TZAFileMode::fmOpenReadWrite)) {
                c.Tail->SetPosition(0);
                file->CopyFrom(*c.Tail, c.TailLength);
                file->Flush();
                c.TailPath = path;
            }
        }
        const std::string kept = c.TailPath;
        c.Tail.reset();
        c.TailPath.clear();
        throw EZAPlainError("The archive could not be restored; its previous contents from byte " +
                            std::to_string(c.Cut) + " on are kept in \"" + kept + "\"");
    }
    c.DropTail();
    if (c.DirectoryStarted && archive.Size() > 0 && !volumeWriter_) {
        // The directory manager's records may describe the half-written directory.
        directory_->FindEndRecord();
        directory_->ReadDirectory();
        TZADirArray& reread = directory_->Working();
        for (int32_t i = 0; i < reread.Count(); ++i)
            reread.GetItemPtr(i).DiskIndex = i;
        directory_->OnDisk().Assign(reread);
    }
}

void TZABaseArchiver::reportFailure(const std::string& fileName, TZAProcessOperation op,
                                    const EZAException& e, TZAAction& action) {
    outcome_.LastError = e.what();
    if (e.SystemError() != 0)
        outcome_.SystemError = e.SystemError();
    if (!stream_) {
        action = TZAAction::fxaAbort;
        return;
    }
    DoOnProcessFileFailure(fileName, op, e.NativeError(), e.ErrorCode(), e.what(), action);
}

} // namespace zip
