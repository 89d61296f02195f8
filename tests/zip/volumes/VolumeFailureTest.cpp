#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/streams/FileStream.h"

#include <gtest/gtest.h>

using namespace zip;
using namespace ziptest;

namespace {

// A file on a disk that holds only `capacity` bytes of it: writes beyond come back short.
class FullDiskStream : public Stream {
public:
    FullDiskStream(std::unique_ptr<Stream> inner, int64_t capacity)
        : inner_(std::move(inner)), capacity_(capacity) {}
    int64_t Read(void* b, int64_t n) override { return inner_->Read(b, n); }
    int64_t Write(const void* b, int64_t n) override {
        const int64_t room = std::max<int64_t>(0, capacity_ - inner_->Position());
        return inner_->Write(b, std::min(n, room));
    }
    int64_t Seek(int64_t o, TZASeekOrigin origin) override { return inner_->Seek(o, origin); }
    int64_t Size() override { return inner_->Size(); }
    bool SetSize(int64_t n) override { return n <= capacity_ && inner_->SetSize(n); }
    bool Flush() override { return inner_->Flush(); }

private:
    std::unique_ptr<Stream> inner_;
    int64_t capacity_;
};

// Writes its third volume onto a disk that fills up after 40,000 bytes.
class FillingArchiver : public TZipArchiver {
public:
    int opened = 0;

protected:
    std::unique_ptr<Stream> OpenVolumeFile(const std::string& path, TZAFileMode mode) override {
        ++opened;
        auto file = TZipArchiver::OpenVolumeFile(path, mode);
        if (file && mode == TZAFileMode::fmCreate && ++created == 3)
            return std::make_unique<FullDiskStream>(std::move(file), 40000);
        return file;
    }

private:
    int created = 0;
};

void SplitSmall(TZABaseArchiver& a, const std::string& zipFile) {
    a.FileName = zipFile;
    a.SetSpanningMode(TZASpanningMode::smSplitting);
    a.SpanningOptions.AdvancedNaming = false;
    a.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    a.SpanningOptions.SetCustomVolumeSize(65536);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// Whatever a failed job left is an archive whose every member extracts intact.
void ExpectIntactArchive(const std::string& zipFile, const std::string& source) {
    TZipArchiver check;
    check.FileName = zipFile;
    check.OpenArchive();
    ScratchDir out;
    check.BaseDir = out.Path();
    check.ExtractFiles("*.*");
    EXPECT_TRUE(check.LastOutcome().Succeeded()) << check.LastOutcome().LastError;
    for (const auto& [name, data] : Snapshot(out.Path()))
        EXPECT_TRUE(data == ReadFile(source + "/" + name)) << name;
}

} // namespace

TEST(VolumeFailure, AVolumeThatCannotBeWrittenEndsTheJobCleanly) {
    for (const TZAAction answer :
         {TZAAction::fxaAbort, TZAAction::fxaIgnore, TZAAction::fxaRetry}) {
        SCOPED_TRACE(int(answer));
        ScratchDir dir;
        for (int i = 0; i < 8; ++i)
            WriteFile(dir / ("src/f" + std::to_string(i) + ".bin"), RandomData(30000, i));
        FillingArchiver a;
        SplitSmall(a, dir / "out/a.zip");
        fs::create_directories(dir / "out");
        int failures = 0;
        a.OnProcessFileFailure = [&](TZABaseArchiver&, const std::string&, TZAProcessOperation,
                                     int native, int, const std::string&, TZAAction& action) {
            EXPECT_EQ(native, 46);
            // A disk that stays full is not asked about for ever.
            action = ++failures > 3 ? TZAAction::fxaAbort : answer;
        };
        a.OpenArchive();
        a.BaseDir = dir / "src";
        std::string error;
        try {
            a.AddFiles("*.*");
            error = a.LastOutcome().LastError;
            EXPECT_FALSE(a.LastOutcome().Succeeded());
        } catch (const EZAException& e) {
            error = e.what();
            EXPECT_EQ(e.NativeError(), 46);
        }
        EXPECT_NE(error.find("Write to stream error"), std::string::npos) << error;
        EXPECT_GE(failures, 1);
        a.CloseArchive();
        // Either a whole set of what could be written, or nothing at all.
        const std::vector<std::string> left = FilesIn(dir / "out");
        if (fs::exists(dir / "out/a.zip"))
            ExpectIntactArchive(dir / "out/a.zip", dir / "src");
        else
            EXPECT_TRUE(left.empty()) << left.front();
        EXPECT_LT(a.opened, 40);
    }
}

TEST(VolumeFailure, AHeaderNoVolumeCanHoldIsAWriteErrorNotEndlessEmptyVolumes) {
    ScratchDir dir;
    WriteFile(dir / "src/f.txt", "small");
    TZipArchiver a;
    SplitSmall(a, dir / "out/a.zip");
    fs::create_directories(dir / "out");
    // 30 bytes of local header and the longest name there is do not fit 65,536 bytes.
    a.OnStoreFile = [](TZABaseArchiver&, std::string& name, uint32_t&, std::string&,
                       const std::string&) { name = std::string(65535, 'n'); };
    int failures = 0;
    a.OnProcessFileFailure = [&](TZABaseArchiver&, const std::string&, TZAProcessOperation,
                                 int native, int, const std::string&, TZAAction& action) {
        EXPECT_EQ(native, 46);
        ++failures;
        action = TZAAction::fxaIgnore;
    };
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.AddFiles("*.*");
    EXPECT_EQ(failures, 1);
    EXPECT_EQ(a.LastOutcome().Failed, 1);
    a.CloseArchive();
    EXPECT_EQ(FilesIn(dir / "out"), std::vector<std::string>{"a.zip"});
}

TEST(VolumeFailure, CancelWhileCopyingIntoVolumesLeavesNothingBehind) {
    ScratchDir dir;
    WriteFile(dir / "src/big.bin", RandomData(2500000, 5));
    TZipArchiver a;
    SplitSmall(a, dir / "out/a.zip");
    a.SpanningOptions.SetCustomVolumeSize(700000);
    fs::create_directories(dir / "out");
    std::vector<std::pair<TZAProgressPhase, int>> progress;
    a.OnCopyTempFileProgress = [&](TZABaseArchiver&, double percent, TZAProgressPhase phase,
                                   bool& cancel) {
        progress.emplace_back(phase, int(percent));
        cancel = percent >= 80.0;
    };
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.AddFiles("*.*");
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Cancelled);
    // 1,000,000-byte chunks of the 2,500,000 stored bytes (and a little header).
    ASSERT_GE(progress.size(), 4u);
    EXPECT_EQ(progress[0], std::make_pair(TZAProgressPhase::ppStart, 0));
    EXPECT_EQ(progress[1], std::make_pair(TZAProgressPhase::ppProcess, 39));
    EXPECT_EQ(progress.back().first, TZAProgressPhase::ppProcess);
    a.CloseArchive();
    EXPECT_TRUE(FilesIn(dir / "out").empty()) << "a cancelled set leaves nothing behind";
}
