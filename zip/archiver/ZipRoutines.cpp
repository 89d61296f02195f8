#include "zip/archiver/ZipRoutines.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZABaseArchiver.h"
#include "zip/streams/FileReplacement.h"

#include <filesystem>

namespace zip {

namespace {

// Leaves the archiver closed with no transaction pending, whatever happened.
class TZACloseOnExit {
public:
    explicit TZACloseOnExit(TZABaseArchiver& archiver) : archiver_(archiver) {}
    ~TZACloseOnExit() {
        archiver_.CancelUpdate();
        archiver_.CloseArchive();
    }
    TZACloseOnExit(const TZACloseOnExit&) = delete;
    TZACloseOnExit& operator=(const TZACloseOnExit&) = delete;

private:
    TZABaseArchiver& archiver_;
};

// Gives the archiver the limits of one job and takes them back after it.
class TZALimitsScope {
public:
    TZALimitsScope(TZABaseArchiver& archiver, const TZAUnpackLimits& limits)
        : archiver_(archiver), saved_(std::move(archiver.UnpackLimits)) {
        archiver_.UnpackLimits = limits;
    }
    ~TZALimitsScope() { archiver_.UnpackLimits = std::move(saved_); }
    TZALimitsScope(const TZALimitsScope&) = delete;
    TZALimitsScope& operator=(const TZALimitsScope&) = delete;

private:
    TZABaseArchiver& archiver_;
    TZAUnpackLimits saved_;
};

// Runs a job whose caller expects a result rather than an exception: whatever the job raises
// becomes false, with its message kept in the archiver's outcome.
template <typename Job> bool failureAsFalse(TZABaseArchiver& archiver, Job job) {
    try {
        return job();
    } catch (const EZAException& e) {
        archiver.NoteFailure(e.what(), e.SystemError());
    } catch (const std::exception& e) {
        archiver.NoteFailure(e.what());
    } catch (...) {
        archiver.NoteFailure("error");
    }
    return false;
}

} // namespace

const std::vector<std::string>& AlbumNoCompressionMasks() {
    static const std::vector<std::string> masks = {"*.jpg", "*.jpeg", "*.gif", "*.mp3", "*.swf"};
    return masks;
}

bool ZipFolder(TZABaseArchiver& archiver, const std::string& folder, const std::string& zipFile) {
    // Called from a handler of a running job: refused before anything of that job changes.
    archiver.CheckNotBusy();
    // A folder that is not there would give an empty archive in place of the album.
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        throw EZAException(ZAError::MemberNotFound, archiver.Name(), {TZAFormatArg(folder)});
    TZAFileReplacement replacement(zipFile, archiver.Name());
    try {
        TZACloseOnExit closer(archiver);
        archiver.FileName = replacement.TempPath();
        archiver.OpenArchiveMode(kOpenModeCreate);
        archiver.BaseDir = folder;
        // The album file itself may lie inside the folder: it is never packed into itself.
        // Left out as that one file: as a mask its name could leave out others.
        archiver.ExcludedFiles = {replacement.Target()};
        archiver.AddFiles("*.*", kDefaultSearchAttr);
        archiver.ExcludedFiles.clear();
        if (!archiver.LastOutcome().Succeeded()) {
            archiver.FileName = zipFile;
            return false;
        }
        archiver.CloseArchiveChecked();
        replacement.Commit();
        archiver.FileName = zipFile;
    } catch (...) {
        archiver.ExcludedFiles.clear();
        archiver.FileName = zipFile;
        throw;
    }
    return true;
}

bool UnzipAll(TZABaseArchiver& archiver, const std::string& zipFile, const std::string& folder,
              const TZAUnpackLimits& limits) {
    archiver.CheckNotBusy();
    TZACloseOnExit closer(archiver);
    TZALimitsScope scoped(archiver, limits);
    archiver.FileName = zipFile;
    // Read only: opening for reading must never create an archive at a mistyped path.
    archiver.OpenArchiveMode(kOpenModeReadOnly);
    archiver.BaseDir = folder;
    archiver.ExtractFiles("*.*", kDefaultSearchAttr, "");
    return archiver.LastOutcome().Succeeded();
}

bool UnzipFileToStream(TZABaseArchiver& archiver, const std::string& zipFile,
                       const std::string& memberName, Stream& stream) {
    if (archiver.Busy())
        return false;
    return failureAsFalse(archiver, [&] {
        TZACloseOnExit closer(archiver);
        archiver.FileName = zipFile;
        archiver.OpenArchiveMode(kOpenModeReadOnly);
        archiver.ExtractToStream(memberName, stream);
        return archiver.LastOutcome().Succeeded();
    });
}

bool UnzipByMask(TZABaseArchiver& archiver, const std::string& zipFile, const std::string& folder,
                 const std::string& mask, const TZAUnpackLimits& limits) {
    if (archiver.Busy())
        return false;
    return failureAsFalse(archiver, [&] {
        TZACloseOnExit closer(archiver);
        TZALimitsScope scoped(archiver, limits);
        archiver.FileName = zipFile;
        archiver.OpenArchiveMode(kOpenModeReadOnly);
        archiver.BaseDir = folder;
        archiver.ExtractFiles(mask, kDefaultSearchAttr, "");
        const TZAOutcome& outcome = archiver.LastOutcome();
        // A mask that matches nothing unpacked nothing: the folder is not in the archive.
        if (outcome.Succeeded() && outcome.Done == 0) {
            archiver.NoteFailure(
                EZAException(ZAError::MemberNotFound, archiver.Name(), {TZAFormatArg(mask)})
                    .what());
            return false;
        }
        return outcome.Succeeded();
    });
}

} // namespace zip
