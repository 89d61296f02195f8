// albumzip: packs and unpacks folders with the album archiver's settings (fastest compression,
// code page 437 names where they fit, no Zip64, flushed buffers, recursive search).
//
//   albumzip pack FOLDER ARCHIVE
//   albumzip unpack ARCHIVE FOLDER
//   albumzip cat ARCHIVE MEMBER        (the member's bytes on standard output)
//   albumzip extract ARCHIVE FOLDER MASK
//
// Each takes --password PW. pack also takes --volume-size BYTES (65536 or more): the archive is
// split into volume files of at most that size, ARCHIVE.z01, ARCHIVE.z02, ... (in the letter
// case of ARCHIVE's extension) and ARCHIVE last (--advanced-naming: ARCHIVE_001.zip, ...); an
// earlier set of that name is replaced only when the new one is whole. The other commands find the
// volumes by themselves when given the last one. Exit status 0 on success, 1 with the engine's
// message on standard error on failure (unpacking nothing from a file that starts with a member
// is one), 2 on a usage error.

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"
#include "zip/streams/Stream.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Standard output as a stream that only ever grows.
class OutputStream : public zip::Stream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    int64_t Write(const void* buffer, int64_t count) override {
        const char* p = static_cast<const char*>(buffer);
        int64_t done = 0;
        while (done < count) {
            const ssize_t n = ::write(1, p + done, size_t(count - done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += n;
        }
        size_ += done;
        return done;
    }
    int64_t Seek(int64_t offset, zip::TZASeekOrigin origin) override {
        const int64_t target = origin == zip::TZASeekOrigin::soBeginning ? offset : size_ + offset;
        return target == size_ ? size_ : -1;
    }
    int64_t Size() override { return size_; }
    bool SetSize(int64_t newSize) override { return newSize == size_; }

private:
    int64_t size_ = 0;
};

int usage() {
    std::fputs("usage: albumzip pack FOLDER ARCHIVE | unpack ARCHIVE FOLDER | cat ARCHIVE MEMBER |"
               " extract ARCHIVE FOLDER MASK  [--password PW] [--volume-size BYTES]"
               " [--advanced-naming]\n",
               stderr);
    return 2;
}

// Whether the file begins as an archive with members does: with a local header. Unpacking
// nothing from it is no success, whatever the directory that was read said.
bool holdsMembers(const std::string& path) {
    unsigned char head[4] = {};
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    const size_t got = std::fread(head, 1, sizeof head, file);
    std::fclose(file);
    return got == sizeof head && head[0] == 'P' && head[1] == 'K' && head[2] == 3 && head[3] == 4;
}

int failed(const zip::TZABaseArchiver& archiver, const std::string& fallback) {
    const std::string& message = archiver.LastOutcome().LastError;
    std::fprintf(stderr, "albumzip: %s\n", message.empty() ? fallback.c_str() : message.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    std::string password;
    long long volumeSize = 0;
    bool advancedNaming = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--password") {
            if (++i >= argc)
                return usage();
            password = argv[i];
        } else if (arg == "--volume-size") {
            char* end = nullptr;
            if (++i >= argc || (volumeSize = std::strtoll(argv[i], &end, 10)) < 65536 || *end)
                return usage();
        } else if (arg == "--advanced-naming") {
            advancedNaming = true;
        } else {
            args.push_back(arg);
        }
    }
    if (args.empty())
        return usage();
    const std::string& command = args[0];
    const size_t needed = command == "extract" ? 4 : 3;
    if (args.size() != needed ||
        (command != "pack" && command != "unpack" && command != "cat" && command != "extract"))
        return usage();

    zip::TZipArchiver archiver("ZipArchiver");
    archiver.SetCompressionMode(1);
    archiver.NoCompressionMasks = zip::AlbumNoCompressionMasks();
    archiver.Options.OEMFileNames = true;
    archiver.Options.FlushBuffers = true;
    archiver.Options.Recurse = true;
    archiver.Zip64Mode = zip::TZip64Mode::zmDisabled;
    archiver.Password = password;
    // No one to ask: a failing member stops the job, and its message is reported.
    archiver.OnProcessFileFailure =
        [](zip::TZABaseArchiver&, const std::string&, zip::TZAProcessOperation, int, int,
           const std::string&, zip::TZAAction& action) { action = zip::TZAAction::fxaAbort; };
    archiver.OnPassword = [](zip::TZABaseArchiver&, const std::string&, std::string&, bool& skip) {
        skip = true;
    };
    try {
        if (command == "pack" && volumeSize > 0) {
            // The engine writes the volumes under temporary names and gives them their own
            // only when the whole set is written: a failure leaves an earlier set as it was.
            std::error_code ec;
            if (!std::filesystem::is_directory(args[1], ec))
                throw zip::EZAException(zip::ZAError::MemberNotFound, archiver.Name(),
                                        {zip::TZAFormatArg(args[1])});
            archiver.FileName = args[2];
            archiver.SetSpanningMode(zip::TZASpanningMode::smSplitting);
            archiver.SpanningOptions.AdvancedNaming = advancedNaming;
            archiver.SpanningOptions.VolumeSize = zip::TZAVolumeSize::vsCustom;
            archiver.SpanningOptions.SetCustomVolumeSize(volumeSize);
            archiver.OpenArchiveMode(zip::kOpenModeCreate);
            archiver.BaseDir = args[1];
            archiver.AddFiles("*.*", zip::kDefaultSearchAttr, args[2]);
            if (!archiver.LastOutcome().Succeeded())
                return failed(archiver, "packing was not completed");
            archiver.CloseArchiveChecked();
        } else if (command == "pack") {
            if (!zip::ZipFolder(archiver, args[1], args[2]))
                return failed(archiver, "packing was not completed");
        } else if (command == "unpack") {
            if (!zip::UnzipAll(archiver, args[1], args[2]))
                return failed(archiver, "unpacking was not completed");
            if (archiver.LastOutcome().Done == 0 && holdsMembers(args[1]))
                return failed(archiver, "nothing was unpacked from an archive with members");
        } else if (command == "cat") {
            OutputStream out;
            if (!zip::UnzipFileToStream(archiver, args[1], args[2], out))
                return failed(archiver, "cannot extract " + args[2]);
        } else {
            if (!zip::UnzipByMask(archiver, args[1], args[2], args[3]))
                return failed(archiver, "extraction was not completed");
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "albumzip: %s\n", e.what());
        return 1;
    }
    return 0;
}
