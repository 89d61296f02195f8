// The archiver's work on sets of items: searching the disk for files to add, finding entries
// by mask, and extracting, testing or deleting the marked entries one by one.

#include "zip/archiver/ZABaseArchiver.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZAGlobalLock.h"
#include "zip/codec/ItemCodec.h"
#include "zip/directory/DirManager.h"
#include "zip/names/ExtractPath.h"
#include "zip/names/PathRules.h"
#include "zip/names/ZAMasks.h"
#include "zip/names/ZAStrFunc.h"
#include "zip/records/DosDateTime.h"
#include "zip/streams/FileReplacement.h"
#include "zip/streams/FileStream.h"
#include "zip/streams/NullStream.h"

#include "platform/sys/FileAttributes.h"
#include "platform/sys/FileTimes.h"
#include "platform/sys/TempFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <dirent.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace zip {

namespace {

bool hasWildcards(const std::string& s) {
    return s.find_first_of("*?") != std::string::npos;
}

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string filePartOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string dropTrailingSeparator(std::string name) {
    if (!name.empty() && (name.back() == '/' || name.back() == '\\'))
        name.pop_back();
    return name;
}

// The names in a folder, sorted so that archives come out the same every time. A folder that
// is not there has no names; one that is there but cannot be read gives nullopt.
std::optional<std::vector<std::string>> listFolder(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        if (errno == ENOENT || errno == ENOTDIR)
            return names;
        return std::nullopt;
    }
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

uint32_t diskAttributes(const platform::FileAttributes& a) {
    return platform::dosAttributes(a);
}

uint32_t dosStamp(int64_t unixTime) {
    return TZADosDateTime::FromUnix(unixTime).Packed();
}

// Archive-side comparison of a name with a mask: "*.*" is "*", and a mask ending in "."
// takes only names without an extension.
bool matchName(std::string name, std::string mask) {
    if (mask.empty())
        return false;
    const size_t all = mask.find("*.*");
    if (all != std::string::npos)
        mask.replace(all, 3, "*");
    const bool maskEndsWithDot = mask.size() > 1 && mask.back() == '.';
    if (maskEndsWithDot)
        mask.pop_back();
    if (!name.empty() && name.back() == '.')
        name.pop_back();
    if (!WildcardMatch(name, mask, true))
        return false;
    if (maskEndsWithDot) {
        const std::string file = filePartOf(name);
        if (file.find('.') != std::string::npos)
            return false;
    }
    return true;
}

} // namespace

struct TZABaseArchiver::Search {
    uint32_t Attributes = kDefaultSearchAttr;
    std::vector<std::string> Exclusions;
    std::set<std::string> SelfPaths; // the archive's own files, compared exactly
    // The files that must not be added however the search reaches them (through a linked
    // folder, say): the archive's own files and those named by exact exclusion paths.
    std::set<std::pair<dev_t, ino_t>> SelfFiles;
    bool Move = false;
    bool MaskHasFolder = false; // the mask being searched names a folder
};

// One extraction (or deletion, test, update) of marked entries.
struct TZABaseArchiver::Extraction {
    std::string Destination;           // the folder members go to, with a trailing separator
    std::string LastFolder;            // the folder created last, not to be created again
    bool DestinationRemovable = false; // each file is flushed to the removable device
    int64_t Unpacked = 0;              // bytes written so far, against UnpackLimits.Total
};

// --- Adding ---

void TZABaseArchiver::addFilesSearch(const std::vector<std::string>& masks, bool recurse,
                                     uint32_t searchAttr,
                                     const std::vector<std::string>& exclusions, bool move) {
    std::lock_guard<std::recursive_mutex> lock(ZAGlobalLock());
    const std::string saved = workingBase_;
    workingBase_ = TZAPathRules::IncludeTrailingSlash(
        TZAPathRules::FullPath(BaseDir, saved.empty() ? std::string() : saved));
    Search s;
    s.Attributes = searchAttr;
    s.Exclusions = exclusions;
    s.Move = move;
    if (!inMemory_ && !FileName.empty())
        s.SelfPaths.insert(TZAPathRules::FullPath(FileName, {}));
    if (!volumeFileName_.empty())
        s.SelfPaths.insert(TZAPathRules::FullPath(volumeFileName_, {}));
    for (const std::string& path : ExcludedFiles)
        s.SelfPaths.insert(TZAPathRules::FullPath(path, {}));
    auto identify = [&](const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            s.SelfFiles.insert({st.st_dev, st.st_ino});
    };
    for (const std::string& path : s.SelfPaths)
        identify(path);
    for (const std::string& exclusion : exclusions) {
        bool relative = true;
        const std::string full = resolveMaskPath(exclusion, relative);
        if (!relative && !hasWildcards(full))
            identify(full);
    }
    try {
        for (const std::string& mask : masks) {
            s.MaskHasFolder = mask.find('/') != std::string::npos;
            searchFolder(s, mask, recurse, false);
        }
    } catch (...) {
        workingBase_ = saved;
        throw;
    }
    workingBase_ = saved;
}

std::string TZABaseArchiver::resolveMaskPath(const std::string& mask, bool& relative) const {
    const std::string base = TZAPathRules::IncludeTrailingSlash(workingBase_);
    if (!mask.empty() && mask[0] == '/') {
        relative = false;
        return mask;
    }
    if (mask.compare(0, 2, "./") == 0) {
        relative = false;
        return base + mask.substr(2);
    }
    if (mask == ".." || mask.compare(0, 3, "../") == 0 || mask.find("/../") != std::string::npos) {
        relative = false;
        return TZAPathRules::FullPath(mask, base);
    }
    relative = true;
    return base + mask;
}

void TZABaseArchiver::searchFolder(Search& s, const std::string& mask, bool recurse, bool nested) {
    bool relative = true;
    const std::string full = resolveMaskPath(mask, relative);
    const std::string folder = folderOf(full);
    const std::string filePart = filePartOf(full);
    const bool wild = hasWildcards(full);
    if (!relative && !wild && !nested) {
        const auto a = platform::fileAttributes(full);
        if (a && a->isRegular()) {
            considerFoundEntry(s, full, false);
            return;
        }
    }

    const auto listed = listFolder(folder);
    // Its files would be missing from the archive without a word.
    if (!listed)
        fail(ZAError::CannotOpenFile, folder);
    const std::vector<std::string>& names = *listed;
    const uint32_t fileFilter = s.Attributes & ~faDirectory;
    std::vector<std::string> subfolders;
    for (const std::string& name : names) {
        const std::string path = folder + name;
        const auto a = platform::fileAttributes(path);
        if (!a) {
            // Gone since the listing is fine; there but out of reach is not.
            struct stat st {};
            if (::lstat(path.c_str(), &st) != 0 && errno != ENOENT)
                fail(ZAError::CannotOpenFile, path);
            continue;
        }
        if (a->isDirectory()) {
            subfolders.push_back(name);
            continue;
        }
        // Links are never followed (they could lead out of the folder being packed), and
        // FIFOs, sockets and devices are not files one can archive.
        if (!a->isRegular())
            continue;
        const uint32_t attrs = diskAttributes(*a);
        const bool accepted =
            (attrs & fileFilter) != 0 || (attrs == 0 && (fileFilter & 0x27) == 0x27);
        if (!accepted)
            continue;
        if (filePart == "*.*" || MatchesMask(name, filePart))
            considerFoundEntry(s, path, false);
    }

    if ((s.Attributes & faDirectory) == 0 && !recurse)
        return;
    for (const std::string& name : subfolders) {
        const std::string path = folder + name;
        bool excluded = s.SelfPaths.count(path) > 0;
        for (const std::string& exclusion : s.Exclusions)
            excluded = excluded || matchDiskMask(path, exclusion, true);
        if (excluded)
            continue;
        if (s.Attributes & faDirectory) {
            if (filePart == "*.*" || MatchesMask(path, full) || MatchesMask(path + ".", full)) {
                if (considerFoundEntry(s, path, true))
                    searchFolder(s, path + "/*.*", true, true);
                continue;
            }
        }
        // A mask with a folder part is looked for in subfolders only when it has wildcards.
        if (recurse && (!s.MaskHasFolder || hasWildcards(filePart)))
            searchFolder(s, path + "/" + filePart, true, true);
    }
}

bool TZABaseArchiver::considerFoundEntry(Search& s, const std::string& path, bool isFolder) {
    if (s.SelfPaths.count(path))
        return false;
    if (!isFolder && !s.SelfFiles.empty()) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && s.SelfFiles.count({st.st_dev, st.st_ino}))
            return false;
    }
    for (const std::string& exclusion : s.Exclusions)
        if (matchDiskMask(path, exclusion, isFolder))
            return false;
    return addFoundFile(s, path, isFolder);
}

bool TZABaseArchiver::addFoundFile(Search& s, const std::string& path, bool isFolder) {
    const TZAProcessOperation op =
        s.Move ? TZAProcessOperation::poMove : TZAProcessOperation::poAdd;
    bool confirm = true;
    DoOnConfirmProcessFile(path, op, confirm);
    if (!confirm)
        return false;
    const int32_t index = addItem(path, isFolder);
    if (index < 0)
        return false;
    TDirItem& item = directory_->Working().GetItemPtr(index);
    if (s.Move)
        item.Operation = TZAProcessOperation::poMove;
    if (!isFolder) {
        for (const std::string& mask : NoCompressionMasks) {
            if (matchDiskMask(path, mask, false)) {
                item.CompressionMode = 0;
                item.Method = (compressionMethod_ == 0 || compressionMethod_ == 8) ? 0 : 255;
                break;
            }
        }
    }
    return true;
}

int32_t TZABaseArchiver::addItem(const std::string& path, bool isFolder) {
    std::string stored = TZAPathRules::StoredName(path, workingBase_, Options.StorePath);
    if (stored.empty())
        return -1;
    if (isFolder)
        stored += '/';
    const auto a = platform::fileAttributes(path);
    uint32_t attrs = a ? diskAttributes(*a) : faArchive;
    std::string comment;
    DoOnStoreFile(stored, attrs, comment, path);
    if (stored.empty() || stored == "/")
        return -1;

    TZADirArray& working = directory_->Working();
    int32_t index = -1;
    if (working.FindByName(stored, index)) {
        const TDirItem& existing = working.At(index);
        const uint32_t entryStamp = uint32_t(existing.Date) << 16 | existing.Time;
        const std::optional<uint32_t> diskStamp =
            a ? std::optional<uint32_t>(dosStamp(a->modified)) : std::nullopt;
        if (!overwriteAllowed(path, stored, diskStamp, entryStamp))
            return -1;
        // An entry added earlier in this transaction is not in the archive yet: it stays an
        // addition, so that a failure drops it instead of looking for an old member.
        const bool pendingAdd =
            existing.Modified && existing.Operation == TZAProcessOperation::poAdd;
        TDirItem item;
        prepareItem(item, path, isFolder, stored);
        item.Operation = pendingAdd ? TZAProcessOperation::poAdd : TZAProcessOperation::poUpdate;
        item.PrevName = pendingAdd ? std::string() : existing.Name;
        item.DiskIndex = existing.DiskIndex;
        working.SetItem(index, item);
        if (working.At(index).Name != stored)
            working.RenameItem(index, stored);
    } else {
        TDirItem item;
        prepareItem(item, path, isFolder, stored);
        item.Operation = TZAProcessOperation::poAdd;
        index = working.Append(item);
    }
    TDirItem& item = working.GetItemPtr(index);
    item.NameLength = uint16_t(std::min<size_t>(stored.size(), kMaxFieldLength));
    item.ExternalAttributes = attrs;
    item.Comment = comment;
    item.CommentLength = uint16_t(std::min<size_t>(comment.size(), kMaxFieldLength));
    return index;
}

void TZABaseArchiver::prepareItem(TDirItem& item, const std::string& path, bool isFolder,
                                  const std::string& storedName) {
    const auto a = platform::fileAttributes(path);
    const int64_t when = a ? a->modified : int64_t(std::time(nullptr));
    const TZADosDateTime stamp = TZADosDateTime::FromUnix(when);
    item = TDirItem{};
    item.Name = storedName;
    item.Modified = true;
    item.Password = Password;
    item.SourcePath = path;
    item.CompressionMode = isFolder ? 0 : uint8_t(compressionMode_);
    item.Signature = standardSignatures_ ? kCentralHeaderSignature : kNativeCentralHeaderSignature;
    item.Method = uint16_t(compressionMethod_ < 0 ? 0 : compressionMethod_);
    const uint16_t version =
        Options.OEMFileNames ? kVersionOem : (standardSignatures_ ? kVersionAnsi : kNativeVersion);
    item.VersionNeeded = version;
    item.VersionMadeBy = version;
    item.Flags = Password.empty() ? 0 : kFlagEncrypted;
    item.Time = stamp.Time;
    item.Date = stamp.Date;
    item.Crc32 = 0xFFFFFFFF;
    item.NameLength = uint16_t(std::min<size_t>(storedName.size(), kMaxFieldLength));
    item.ExternalAttributes = a ? diskAttributes(*a) : faArchive;
    if (isFolder) {
        item.Method = kMethodStored;
        item.Crc32 = 0;
        item.Flags = kFlagFolder;
    }
}

bool TZABaseArchiver::matchDiskMask(const std::string& path, const std::string& mask,
                                    bool isFolder) const {
    if (mask == "*.*")
        return true;
    std::string p = path;
    std::string m = mask;
    if (isFolder) {
        p = TZAPathRules::IncludeTrailingSlash(p);
        if (m.empty() || m.back() != '*')
            m = TZAPathRules::IncludeTrailingSlash(m);
    }
    bool relative = true;
    const std::string resolved = resolveMaskPath(m, relative);
    if (relative) {
        const std::string base = TZAPathRules::IncludeTrailingSlash(workingBase_);
        std::string rel = p.compare(0, base.size(), base) == 0 ? p.substr(base.size()) : p;
        if (TZAPathRules::ExcludeTrailingSlash(m).find('/') == std::string::npos)
            rel = isFolder ? filePartOf(TZAPathRules::ExcludeTrailingSlash(rel)) + "/"
                           : filePartOf(rel);
        return MatchesMask(rel, m);
    }
    const std::string pathFolder = folderOf(TZAPathRules::ExcludeTrailingSlash(p));
    const std::string maskFolder = folderOf(TZAPathRules::ExcludeTrailingSlash(resolved));
    if (pathFolder == maskFolder)
        return hasWildcards(resolved) ? MatchesMask(p, resolved)
                                      : TZAPathRules::ExcludeTrailingSlash(p) ==
                                            TZAPathRules::ExcludeTrailingSlash(resolved);
    return filePartOf(resolved) == "*.*" &&
           pathFolder.compare(0, maskFolder.size(), maskFolder) == 0;
}

// --- Finding ---

bool TZABaseArchiver::findNextMatch(TZAArchiveItem& item) {
    const TZADirArray& working = directory_->Working();
    const std::string maskFolder = folderOf(item.FileMask);
    for (int32_t i = std::max(item.Handle, 0); i < working.Count(); ++i) {
        const TDirItem& entry = working.At(i);
        const std::string name = dropTrailingSeparator(entry.Name);
        if (!Options.Recurse && folderOf(name) != maskFolder)
            continue;
        if (!itemMatches(entry, item))
            continue;
        const uint32_t special = faHidden | faSysFile | faVolumeID | faDirectory;
        uint32_t attrs = entry.ExternalAttributes;
        if (entry.IsFolder())
            attrs |= faDirectory;
        if ((attrs & special & ~item.SearchAttr) != 0)
            continue;
        item.FileName = filePartOf(name);
        std::string path = folderOf(name);
        std::replace(path.begin(), path.end(), '/', '\\');
        item.StoredPath = path;
        item.CompressedSize = int64_t(entry.CompressedSize64());
        item.UncompressedSize = int64_t(entry.UncompressedSize64());
        item.CompressionRate = item.UncompressedSize == 0
                                   ? 100.0
                                   : std::max(0.0, (1.0 - double(item.CompressedSize) /
                                                              double(item.UncompressedSize)) *
                                                       100.0);
        item.Encrypted = entry.IsEncrypted();
        item.LastModFileDate = entry.Date;
        item.LastModFileTime = entry.Time;
        item.Crc32 = entry.Crc32;
        item.ExternalFileAttributes = entry.ExternalAttributes;
        item.Comment = entry.Comment;
        item.Handle = i;
        return true;
    }
    item.Handle = working.Count();
    return false;
}

bool TZABaseArchiver::itemMatches(const TDirItem& entry, const TZAArchiveItem& search) const {
    const std::string name = dropTrailingSeparator(entry.Name);
    const std::string file = filePartOf(name);
    auto matches = [&](std::string mask) {
        std::replace(mask.begin(), mask.end(), '\\', '/');
        return matchName(name, mask) || matchName(file, mask);
    };
    if (search.UseMaskLists) {
        bool any = false;
        for (const std::string& mask : FileMasks)
            any = any || matches(mask);
        if (!any)
            return false;
        for (const std::string& mask : ExclusionMasks)
            if (matches(mask))
                return false;
        return true;
    }
    if (!matches(search.FileMask))
        return false;
    return search.ExclusionMask.empty() || !matches(search.ExclusionMask);
}

void TZABaseArchiver::markItems(const std::string& fileMask, uint32_t searchAttr,
                                const std::string& exclusionMask) {
    directory_->Working().ClearSelection();
    TZAArchiveItem item;
    bool found = findFirst(fileMask, item, exclusionMask, searchAttr);
    while (found) {
        directory_->Working().GetItemPtr(item.Handle).Selected = true;
        ++item.Handle;
        found = findNextMatch(item);
    }
}

// --- Processing ---

std::string TZABaseArchiver::destinationFolder() const {
    const std::string base = BaseDir.empty() ? workingBase_ : BaseDir;
    return TZAPathRules::IncludeTrailingSlash(TZAPathRules::FullPath(base, {}));
}

bool TZABaseArchiver::fireProgress(int64_t processed, int64_t size, const std::string& name,
                                   TZAProcessOperation op) {
    if (!job_.ProgressOn)
        return job_.Cancel;
    const double part = size > 0 ? double(processed) / double(size) : 0.0;
    bool cancel = false;
    DoOnFileProgress(name, part * 100.0, op, TZAProgressPhase::ppProcess, cancel);
    if (cancel) {
        job_.Cancel = true;
        return true;
    }
    const double overall = job_.UnitsTotal > 0
                               ? (double(job_.UnitsDone) + part * double(job_.MemberUnits)) /
                                     double(job_.UnitsTotal) * 100.0
                           : job_.FileCount > 0 ? (part + job_.FilesDone) / job_.FileCount * 100.0
                                                : 0.0;
    DoOnOverallProgress(overall, op, TZAProgressPhase::ppProcess, cancel);
    if (cancel)
        job_.Cancel = true;
    return job_.Cancel;
}

void TZABaseArchiver::processMarkedItems(TZAProcessOperation op) {
    std::lock_guard<std::recursive_mutex> lock(ZAGlobalLock());
    TZADirArray& working = directory_->Working();
    int selected = 0;
    int64_t units = 0;
    for (int32_t i = 0; i < working.Count(); ++i) {
        if (!working.At(i).Selected)
            continue;
        ++selected;
        units += ProgressUnits(int64_t(working.At(i).CompressedSize64()));
    }
    job_ = TZAJobState::Begin(op, selected, units);
    startOutcome();

    const bool perFile = op == TZAProcessOperation::poExtract || op == TZAProcessOperation::poTest;
    if (op == TZAProcessOperation::poExtract)
        checkClaimedSizes();
    Extraction x;
    x.Destination = destinationFolder();
    x.DestinationRemovable = op == TZAProcessOperation::poExtract && Options.FlushBuffers &&
                             TZAPathRules::IsRemovable(x.Destination);
    if (perFile) {
        bool cancel = false;
        DoOnOverallProgress(0.0, op, TZAProgressPhase::ppStart, cancel);
        job_.Cancel = cancel;
    }
    bool aborted = false;
    int32_t i = 0;
    while (!job_.Cancel && i < working.Count()) {
        if (!working.At(i).Selected) {
            ++i;
            continue;
        }
        working.GetItemPtr(i).Operation = op;
        TZAAction action = TZAAction::fxaIgnore;
        std::string name = working.At(i).Name;
        std::replace(name.begin(), name.end(), '/', '\\');
        bool confirm = true;
        DoOnConfirmProcessFile(name, op, confirm);
        if (!confirm) {
            ++i;
            continue;
        }
        bool deleted = false;
        job_.MemberUnits = ProgressUnits(int64_t(working.At(i).CompressedSize64()));
        try {
            if (!processEntry(i, name, x, deleted))
                break;
        } catch (const EZAException& e) {
            reportFailure(name, op, e, action);
            if (action == TZAAction::fxaRetry)
                continue;
            if (action == TZAAction::fxaAbort) {
                aborted = true;
                break;
            }
            ++outcome_.Failed;
            outcome_.Skipped.push_back(working.At(i).Name);
            deleted = false;
        }
        if (!deleted)
            ++i;
    }
    if (perFile) {
        bool cancel = false;
        DoOnOverallProgress(100.0, op, TZAProgressPhase::ppEnd, cancel);
    }
    if (job_.Cancel || aborted) {
        cancelUpdate();
        outcome_.Status = job_.Cancel ? TZAOutcome::Result::Cancelled : TZAOutcome::Result::Aborted;
    } else {
        outcome_.Status =
            outcome_.Failed > 0 ? TZAOutcome::Result::Incomplete : TZAOutcome::Result::Completed;
    }
}

bool TZABaseArchiver::processEntry(int32_t index, const std::string& name, Extraction& x,
                                   bool& deleted) {
    const TZAProcessOperation op = job_.Operation;
    const bool perFile = op == TZAProcessOperation::poExtract || op == TZAProcessOperation::poTest;
    TZADirArray& working = directory_->Working();
    job_.Skip = false;
    job_.Damaged = false;
    if (perFile) {
        bool cancel = false;
        DoOnFileProgress(working.At(index).Name, 0.0, op, TZAProgressPhase::ppStart, cancel);
        if (cancel) {
            job_.Cancel = true;
            return false;
        }
    }
    switch (op) {
    case TZAProcessOperation::poDelete:
        deleteItem(index);
        deleted = true;
        break;
    case TZAProcessOperation::poExtract:
        extractItemToFile(index, x);
        break;
    case TZAProcessOperation::poTest:
        testItem(index);
        break;
    case TZAProcessOperation::poUpdate:
        updateItem(index);
        break;
    default:
        break;
    }
    if (perFile) {
        bool cancel = false;
        DoOnFileProgress(deleted ? name : working.At(index).Name, 100.0, op,
                         TZAProgressPhase::ppEnd, cancel);
        job_.Cancel = job_.Cancel || cancel;
        if (job_.Cancel)
            return false;
        ++job_.FilesDone;
        job_.UnitsDone += job_.MemberUnits;
    }
    if (job_.Skip || job_.Damaged) {
        ++outcome_.Failed;
        outcome_.Skipped.push_back(deleted ? name : working.At(index).Name);
    } else
        ++outcome_.Done;
    return true;
}

void TZABaseArchiver::checkClaimedSizes() {
    const TZAUnpackLimits& limits = UnpackLimits;
    const TZADirArray& working = directory_->Working();
    uint64_t total = 0;
    bool overTotal = false;
    for (int32_t i = 0; i < working.Count(); ++i) {
        const TDirItem& entry = working.At(i);
        if (!entry.Selected || entry.IsFolder())
            continue;
        const uint64_t size = std::min<uint64_t>(entry.UncompressedSize64(), INT64_MAX);
        const int64_t cap = limits.MemberCap(entry.Name);
        if (!overTotal && cap != TZAUnpackLimits::kNone && size > uint64_t(cap))
            throw EZAException(ZAError::UnpackLimit, Name(),
                               {TZAFormatArg(ZAPrintableName(entry.Name)), cap});
        total = std::min<uint64_t>(total + size, INT64_MAX);
        // Past the whole's limit the rest is only counted, so that the caller can say how
        // much room the job needs.
        overTotal =
            overTotal || (limits.Total != TZAUnpackLimits::kNone && total > uint64_t(limits.Total));
    }
    if (overTotal) {
        outcome_.Claimed = int64_t(total);
        throw EZAException(ZAError::UnpackLimit, Name(),
                           {TZAFormatArg(ZAPrintableName(FileName)), limits.Total});
    }
}

void TZABaseArchiver::extractItemToFile(int32_t index, Extraction& x) {
    const std::string& destFolder = x.Destination;
    TZADirArray& working = directory_->Working();
    const TDirItem entry = working.GetItem(index);
    uint32_t attrs = entry.ExternalAttributes;
    std::string name = entry.Name;
    DoOnExtractFile(name, attrs, entry.Comment);
    auto relative = TZAExtractPath::Relative(name);
    if (!relative)
        // Refused like any other member failure, so the failure event decides between
        // skipping it and stopping.
        throw EZAException(ZAError::UnsafeName, Name(), {ZAPrintableName(name)});
    const bool folder = (attrs & faDirectory) != 0 || name.empty() || name.back() == '/' ||
                        name.back() == '\\' || entry.IsFolder();
    std::string rel = *relative;
    if (!Options.CreateDirs) {
        if (folder)
            return;
        rel = filePartOf(rel);
    }
    const std::string folderPart = folder ? rel : folderOf(rel);
    const std::string wanted = destFolder + folderPart;
    if ((Options.CreateDirs || !folderPart.empty()) && wanted != x.LastFolder) {
        if (!TZAExtractPath::CreateFolders(destFolder,
                                           TZAPathRules::ExcludeTrailingSlash(folderPart)))
            fail(ZAError::CannotCreateFolder, wanted);
        x.LastFolder = wanted;
    }
    if (folder || rel.empty())
        return;

    std::string target = destFolder + rel;
    if (const auto existing = platform::fileAttributes(target)) {
        if (existing->isDirectory())
            fail(ZAError::CannotCreateOutputFile, target);
        if (!Options.ReplaceReadOnly && existing->readOnly)
            return;
        const uint32_t entryStamp = uint32_t(entry.Date) << 16 | entry.Time;
        if (!overwriteAllowed(name, target, entryStamp, dosStamp(existing->modified)))
            return;
    }
    writeExtracted(index, entry, attrs, target, x);
}

void TZABaseArchiver::writeExtracted(int32_t index, const TDirItem& entry, uint32_t attrs,
                                     const std::string& target, Extraction& x) {
    // The member is written beside its target and renamed over it only when complete, so a
    // failed or cancelled extraction leaves an existing file as it was.
    const std::string temp = platform::makeTempFile(folderOf(target), ".FC");
    if (temp.empty())
        fail(ZAError::CannotCreateOutputFile, target);
    auto out = FileStream::Open(temp, TZAFileMode::fmOpenReadWrite);
    if (!out) {
        ::unlink(temp.c_str());
        fail(ZAError::CannotCreateOutputFile, target);
    }
    TZAExtractResult result = TZAExtractResult::erFailed;
    try {
        codec().Settings().Progress = [this, storedName = entry.Name](int64_t done, int64_t total) {
            return fireProgress(done, total, storedName, TZAProcessOperation::poExtract);
        };
        // A member's own cap needs no watch here: its claimed size passed that cap before the
        // job began, and the codec never writes more than the claimed size.
        codec().Settings().OutputLimit =
            UnpackLimits.Total == TZAUnpackLimits::kNone
                ? TZAUnpackLimits::kNone
                : std::max<int64_t>(UnpackLimits.Total - x.Unpacked, 0);
        result =
            codec().ExtractItemToStream(*directory_, index, *out, Password, ExtractCorruptedFiles);
        codec().Settings().OutputLimit = TZAUnpackLimits::kNone;
        x.Unpacked += out->Size();
        if (Options.FlushBuffers && x.DestinationRemovable && !out->Flush())
            fail(ZAError::WriteFailed);
    } catch (...) {
        codec().Settings().OutputLimit = TZAUnpackLimits::kNone;
        out.reset();
        ::unlink(temp.c_str());
        throw;
    }
    out.reset();
    noteDamage(result);
    if (result == TZAExtractResult::erSkipped)
        job_.Skip = true;
    if (result == TZAExtractResult::erCancelled)
        job_.Cancel = true;
    if (job_.Skip || job_.Cancel) {
        ::unlink(temp.c_str());
        return;
    }
    // The temporary file was made private; the member gets the usual mode of a new file,
    // without write permission when it was stored read-only.
    static const mode_t newFileMode = mode_t(TZAFileReplacement::NewFileMode());
    mode_t mode = newFileMode;
    if (Options.SetAttributes && (attrs & faReadOnly))
        mode &= ~mode_t(0222);
    ::chmod(temp.c_str(), mode);
    platform::setModificationTime(temp, TZADosDateTime{entry.Date, entry.Time}.ToUnix());
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        fail(ZAError::CannotCreateOutputFile, target);
    }
}

void TZABaseArchiver::testItem(int32_t index) {
    const TDirItem& entry = directory_->Working().At(index);
    if (entry.IsFolder())
        return;
    // Testing needs only the check of size and CRC-32; nothing is written anywhere.
    NullStream sink;
    codec().Settings().Progress = [this, storedName = entry.Name](int64_t done, int64_t total) {
        return fireProgress(done, total, storedName, TZAProcessOperation::poTest);
    };
    const TZAExtractResult result =
        codec().ExtractItemToStream(*directory_, index, sink, Password, ExtractCorruptedFiles);
    noteDamage(result);
    if (result == TZAExtractResult::erSkipped)
        job_.Skip = true;
    if (result == TZAExtractResult::erCancelled)
        job_.Cancel = true;
}

// A damaged member kept under ExtractCorruptedFiles is there, but it does not count as done.
void TZABaseArchiver::noteDamage(TZAExtractResult result) {
    if (result != TZAExtractResult::erFailed)
        return;
    job_.Damaged = true;
    outcome_.LastError = EZAException(ZAError::MemberDamaged, Name()).what();
}

bool TZABaseArchiver::overwriteAllowed(const std::string& sourceName, std::string& destName,
                                       std::optional<uint32_t> newStamp, uint32_t oldStamp) {
    switch (Options.OverwriteMode) {
    case TZAOverwriteMode::omPrompt: {
        bool confirm = false;
        DoOnConfirmOverwrite(sourceName, destName, confirm);
        return confirm;
    }
    case TZAOverwriteMode::omAlways:
        return true;
    case TZAOverwriteMode::omNever:
        return false;
    case TZAOverwriteMode::omIfNewer:
        return newStamp && *newStamp > oldStamp;
    case TZAOverwriteMode::omIfOlder:
        return newStamp && *newStamp < oldStamp;
    }
    return true;
}

void TZABaseArchiver::updateItem(int32_t index) {
    const TDirItem entry = directory_->Working().GetItem(index);
    if (entry.IsFolder())
        return;
    const std::string base = BaseDir.empty() ? workingBase_ : BaseDir;
    std::string path = TZAPathRules::FullPath(dropTrailingSeparator(entry.Name), base);
    const auto a = platform::fileAttributes(path);
    if (!a || !a->isRegular())
        return;
    if (!Options.ReplaceReadOnly && (entry.ExternalAttributes & faReadOnly))
        return;
    const uint32_t entryStamp = uint32_t(entry.Date) << 16 | entry.Time;
    if (!overwriteAllowed(entry.Name, path, dosStamp(a->modified), entryStamp))
        return;
    const std::string saved = workingBase_;
    workingBase_ = TZAPathRules::IncludeTrailingSlash(TZAPathRules::FullPath(BaseDir, saved));
    try {
        replaceItemFromFile(index, path);
    } catch (...) {
        workingBase_ = saved;
        throw;
    }
    workingBase_ = saved;
}

void TZABaseArchiver::replaceItemFromFile(int32_t index, const std::string& path) {
    TZADirArray& working = directory_->Working();
    if (index < 0 || index >= working.Count())
        fail(ZAError::ReplaceIndexOutOfBounds);
    if (updateCount_ == 0)
        fail(ZAError::ReplaceWithoutUpdate);
    const TDirItem old = working.At(index);
    TDirItem item;
    prepareItem(item, path, false, old.Name);
    item.Operation = TZAProcessOperation::poUpdate;
    item.PrevName = old.Name;
    item.DiskIndex = old.DiskIndex;
    item.Comment = old.Comment;
    item.CommentLength = old.CommentLength;
    working.SetItem(index, item);
}

void TZABaseArchiver::deleteItem(int32_t index) {
    TZADirArray& working = directory_->Working();
    if (index < 0 || index >= working.Count())
        fail(ZAError::ProcessIndexOutOfBounds);
    if (updateCount_ == 0)
        fail(ZAError::DeleteWithoutUpdate);
    working.Delete(index);
}

} // namespace zip
