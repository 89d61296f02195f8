#include "zip/ZipRoutines.h"

#include "zip/PathRules.h"
#include "zip/ZABaseArchiver.h"
#include "zip/ZAExcept.h"

#include "platform/sys/TempFiles.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

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

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Runs a job whose caller expects a result rather than an exception: whatever the job raises
// becomes false, with its message kept in the archiver's outcome.
template <typename Job> bool failureAsFalse(TZABaseArchiver& archiver, Job job) {
    try {
        return job();
    } catch (const std::exception& e) {
        archiver.NoteFailure(e.what());
    } catch (...) {
        archiver.NoteFailure("error");
    }
    return false;
}

} // namespace

bool ZipFolder(TZABaseArchiver& archiver, const std::string& folder, const std::string& zipFile) {
    std::string target = TZAPathRules::FullPath(zipFile, {});
    // Saving through a link replaces the file it points to, not the link.
    std::error_code ec;
    if (std::filesystem::is_symlink(target, ec)) {
        const auto resolved = std::filesystem::canonical(target, ec);
        if (!ec)
            target = resolved.string();
    }
    const std::string targetFolder = folderOf(target);
    const std::string targetName = target.substr(targetFolder.size());
    std::string temp = targetName.size() < 200
                           ? platform::makeTempFile(targetFolder, "." + targetName + ".")
                           : std::string();
    if (temp.empty())
        temp = platform::makeTempFile(targetFolder, ".FC");
    if (temp.empty())
        throw EZAException(23, archiver.Name(), {TZAFormatArg(target)});

    bool renamed = false;
    try {
        TZACloseOnExit closer(archiver);
        archiver.FileName = temp;
        archiver.OpenArchiveMode(kOpenModeCreate);
        archiver.BaseDir = folder;
        // The album file itself may lie inside the folder: it is never packed into itself.
        archiver.AddFiles("*.*", kDefaultSearchAttr, target);
        if (!archiver.LastOutcome().Succeeded()) {
            ::unlink(temp.c_str());
            archiver.FileName = zipFile;
            return false;
        }
        archiver.CloseArchiveChecked();
        struct stat st {};
        ::chmod(temp.c_str(),
                ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : newFileMode());
        if (::rename(temp.c_str(), target.c_str()) != 0)
            throw EZAException(23, archiver.Name(), {TZAFormatArg(target)});
        renamed = true;
        syncFolder(targetFolder);
        archiver.FileName = zipFile;
    } catch (...) {
        if (!renamed)
            ::unlink(temp.c_str());
        archiver.FileName = zipFile;
        throw;
    }
    return true;
}

bool UnzipAll(TZABaseArchiver& archiver, const std::string& zipFile, const std::string& folder) {
    TZACloseOnExit closer(archiver);
    archiver.FileName = zipFile;
    // Read only: opening for reading must never create an archive at a mistyped path.
    archiver.OpenArchiveMode(kOpenModeReadOnly);
    archiver.BaseDir = folder;
    archiver.ExtractFiles("*.*", kDefaultSearchAttr, "");
    return archiver.LastOutcome().Succeeded();
}

bool UnzipFileToStream(TZABaseArchiver& archiver, const std::string& zipFile,
                       const std::string& memberName, Stream& stream) {
    return failureAsFalse(archiver, [&] {
        TZACloseOnExit closer(archiver);
        archiver.FileName = zipFile;
        archiver.OpenArchiveMode(kOpenModeReadOnly);
        archiver.ExtractToStream(memberName, stream);
        return archiver.LastOutcome().Succeeded();
    });
}

bool UnzipByMask(TZABaseArchiver& archiver, const std::string& zipFile, const std::string& folder,
                 const std::string& mask) {
    return failureAsFalse(archiver, [&] {
        TZACloseOnExit closer(archiver);
        archiver.FileName = zipFile;
        archiver.OpenArchiveMode(kOpenModeReadOnly);
        archiver.BaseDir = folder;
        archiver.ExtractFiles(mask, kDefaultSearchAttr, "");
        const TZAOutcome& outcome = archiver.LastOutcome();
        // A mask that matches nothing unpacked nothing: the folder is not in the archive.
        if (outcome.Succeeded() && outcome.Done == 0) {
            archiver.NoteFailure(EZAException(15, archiver.Name(), {TZAFormatArg(mask)}).what());
            return false;
        }
        return outcome.Succeeded();
    });
}

} // namespace zip
