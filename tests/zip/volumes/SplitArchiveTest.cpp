#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/directory/DirItem.h"
#include "zip/streams/FileStream.h"
#include "zip/streams/MemoryStream.h"

#include "platform/sys/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zip;
using namespace ziptest;

namespace {

// A folder of 400 KiB of random data, a compressible file and 50 small files.
std::map<std::string, std::string> MakeSource(const std::string& folder) {
    WriteFile(folder + "/big.bin", RandomData(400 * 1024, 7));
    WriteFile(folder + "/text/words.txt", TextData(300000, 8));
    for (int i = 0; i < 50; ++i)
        WriteFile(folder + "/small/f" + std::to_string(i) + ".txt", TextData(100 + i * 37, i));
    return Snapshot(folder);
}

// Packs folder into zipFile split into volumes of volumeSize bytes.
void PackSplit(const std::string& folder, const std::string& zipFile, int64_t volumeSize,
               bool advanced) {
    TZipArchiver a;
    a.FileName = zipFile;
    a.SetSpanningMode(TZASpanningMode::smSplitting);
    a.SpanningOptions.AdvancedNaming = advanced;
    a.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    a.SpanningOptions.SetCustomVolumeSize(volumeSize);
    a.OpenArchive();
    a.BaseDir = folder;
    a.AddFiles("*.*");
    ASSERT_TRUE(a.LastOutcome().Succeeded()) << a.LastOutcome().LastError;
    a.CloseArchiveChecked();
}

// Files of the folder by name (not folders), sorted.
std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file())
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, std::string> Unpack(const std::string& zipFile, const std::string& to,
                                          TZipArchiver& a) {
    a.FileName = zipFile;
    a.OpenArchive();
    a.BaseDir = to;
    a.ExtractFiles("*.*");
    EXPECT_TRUE(a.LastOutcome().Succeeded()) << a.LastOutcome().LastError;
    a.CloseArchive();
    return Snapshot(to);
}

} // namespace

TEST(SplitArchive, FolderInSmallVolumesReadsBackByteForByte) {
    struct Case {
        bool advanced;
        const char* format; // of volume n, 1-based; the last is "a.zip"
    };
    const Case cases[] = {{true, "a_%.3d.zip"}, {false, "a.Z%.2d"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.advanced ? "advanced naming" : "classic naming");
        ScratchDir dir;
        const auto source = MakeSource(dir / "src");
        fs::create_directories(dir / "out");
        PackSplit(dir / "src", dir / "out/a.zip", 100000, c.advanced);
        const std::vector<std::string> written = FilesIn(dir / "out");
        ASSERT_GE(written.size(), 3u);
        ASSERT_LE(written.size(), 5u);
        std::vector<std::string> expected{"a.zip"};
        for (size_t n = 1; n < written.size(); ++n) {
            char name[32];
            std::snprintf(name, sizeof name, c.format, int(n));
            expected.push_back(name);
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(written, expected);
        for (const std::string& name : written)
            EXPECT_LE(fs::file_size(dir / ("out/" + name)), 100000u) << name;

        // A fresh component with the other naming finds the set and keeps the naming found.
        TZipArchiver reader;
        reader.SpanningOptions.AdvancedNaming = !c.advanced;
        EXPECT_EQ(Unpack(dir / "out/a.zip", dir / "back", reader), source);
        EXPECT_EQ(reader.SpanningOptions.AdvancedNaming, c.advanced);
    }
}

namespace {

struct PromptsScope {
    platform::ScriptedPrompts scripted;
    PromptsScope() { platform::setPrompts(&scripted); }
    ~PromptsScope() { platform::setPrompts(nullptr); }
};

// Counts the volume events; the middle request cancels.
struct VolumeEvents {
    std::vector<std::string> calls;
    void Attach(TZABaseArchiver& a, bool cancelMiddle) {
        a.OnRequestFirstVolume = [this](TZABaseArchiver&, int n, std::string& name, bool& c) {
            calls.push_back("first " + std::to_string(n));
            c = !fs::exists(name);
        };
        a.OnRequestMiddleVolume = [this, cancelMiddle](TZABaseArchiver&, int n, std::string& name,
                                                       bool& c) {
            calls.push_back("middle " + std::to_string(n));
            c = cancelMiddle || !fs::exists(name);
        };
        a.OnRequestLastVolume = [this](TZABaseArchiver&, int n, std::string&, bool&) {
            calls.push_back("last " + std::to_string(n));
        };
    }
};

int OpenError(TZipArchiver& a, const std::string& zipFile) {
    a.FileName = zipFile;
    try {
        a.OpenArchive();
    } catch (const EZAException& e) {
        EXPECT_FALSE(a.Active());
        return e.NativeError();
    }
    return 0;
}

} // namespace

TEST(SplitArchive, MissingVolumesAndForeignDiskNumbersFailWithoutEndlessQuestions) {
    ScratchDir dir;
    MakeSource(dir / "src");
    fs::create_directories(dir / "out");
    PackSplit(dir / "src", dir / "out/a.zip", 65536, false);
    ASSERT_GE(FilesIn(dir / "out").size(), 4u);
    PromptsScope prompts;

    // The middle volume is missing: its request is cancelled and the open fails with 45.
    fs::rename(dir / "out/a.Z02", dir / "a.Z02");
    {
        TZipArchiver a;
        VolumeEvents events;
        events.Attach(a, true);
        EXPECT_EQ(OpenError(a, dir / "out/a.zip"), 45);
        EXPECT_EQ(events.calls, (std::vector<std::string>{"first 1", "middle 2"}));
    }
    {
        TZipArchiver a; // the default answer: the file is not there, so the request is cancelled
        EXPECT_EQ(OpenError(a, dir / "out/a.zip"), 45);
    }
    // Found under the other letter case, as other tools name them.
    fs::rename(dir / "a.Z02", dir / "out/a.z02");
    {
        TZipArchiver a;
        EXPECT_EQ(OpenError(a, dir / "out/a.zip"), 0);
        EXPECT_GT(a.Count(), 50);
    }

    // The last volume alone, or any archive naming another disk, on a fixed disk: damaged.
    fs::create_directories(dir / "alone");
    fs::copy_file(dir / "out/a.zip", dir / "alone/a.zip");
    std::string single = ReadFile(dir / "out/a.zip");
    {
        TZipArchiver packer;
        packer.FileName = dir / "one.zip";
        packer.OpenArchive();
        packer.BaseDir = dir / "src/text";
        packer.AddFiles("*.*");
        packer.CloseArchive();
        single = ReadFile(dir / "one.zip");
        single[single.size() - 22 + 4] = 3; // number of this disk
        single[single.size() - 22 + 6] = 3; // disk where the directory starts
        WriteFile(dir / "hostile.zip", single);
    }
    for (const std::string& name : {dir / "alone/a.zip", dir / "hostile.zip"}) {
        TZipArchiver a;
        VolumeEvents events;
        events.Attach(a, false);
        EXPECT_EQ(OpenError(a, name), 44) << name;
        EXPECT_TRUE(events.calls.empty());
    }
    EXPECT_TRUE(prompts.scripted.calls().empty());
}

TEST(SplitArchive, ReadsSetsOfOtherToolsAndTheyReadOurs) {
    if (!HaveTool("zip") || !HaveTool("7z"))
        GTEST_SKIP() << "zip or 7z is not installed";
    ScratchDir dir;
    const std::string big = RandomData(300000, 11);
    WriteFile(dir / "in/big.bin", big);
    ASSERT_EQ(Shell("cd " + Quote(dir / "in") + " && zip -q -s 64k -r ../s.zip big.bin").ExitCode,
              0);
    ASSERT_TRUE(fs::exists(dir / "s.z01"));
    PromptsScope prompts;
    {
        TZipArchiver a;
        a.FileName = dir / "s.zip";
        a.OpenArchive();
        EXPECT_EQ(a.SpanningMode(), TZASpanningMode::smSplitting);
        MemoryStream out;
        a.ExtractToStream("big.bin", out);
        EXPECT_TRUE(std::string(out.Bytes().begin(), out.Bytes().end()) == big);
    }
    EXPECT_TRUE(prompts.scripted.calls().empty());

    // Ours, made from the shell with albumzip and checked by 7z, which looks for the volumes
    // in the letter case of the last one's extension.
    const auto source = MakeSource(dir / "src");
    const std::string pack = Quote(FZ_ALBUMZIP) + " pack " + Quote(dir / "src") + " " +
                             Quote(dir / "set/S.ZIP") + " --volume-size 100000";
    fs::create_directories(dir / "set");
    ASSERT_EQ(Shell(pack).ExitCode, 0);
    EXPECT_GE(FilesIn(dir / "set").size(), 3u);
    const CommandResult test = Shell("7z t " + Quote(dir / "set/S.ZIP"));
    EXPECT_EQ(test.ExitCode, 0) << test.Output;
    EXPECT_NE(test.Output.find("Everything is Ok"), std::string::npos) << test.Output;
    ASSERT_EQ(Shell(Quote(FZ_ALBUMZIP) + " unpack " + Quote(dir / "set/S.ZIP") + " " +
                    Quote(dir / "back"))
                  .ExitCode,
              0);
    EXPECT_EQ(Snapshot(dir / "back"), source);
}

TEST(SplitArchive, OneTransactionPerOpenAndNoneOnASetThatWasRead) {
    ScratchDir dir;
    WriteFile(dir / "src/a.bin", RandomData(150000, 3));
    TZipArchiver a;
    a.FileName = dir / "a.zip";
    a.SetSpanningMode(TZASpanningMode::smSplitting);
    a.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    a.SpanningOptions.SetCustomVolumeSize(65536);
    a.OpenArchive();
    EXPECT_THROW(a.SetSpanningMode(TZASpanningMode::smNone), EZAPlainError);
    a.BaseDir = dir / "src";
    a.AddFiles("*.*");
    EXPECT_EQ(a.OpenMode(), kOpenModeReadWrite);
    try {
        a.BeginUpdate();
        ADD_FAILURE() << "a second transaction was begun";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 62);
    }
    // What was written reads back in the same open.
    MemoryStream out;
    a.ExtractToStream("a.bin", out);
    EXPECT_EQ(out.Bytes().size(), 150000u);
    a.CloseArchive();

    TZipArchiver reader;
    reader.FileName = dir / "a.zip";
    reader.OpenArchive();
    EXPECT_EQ(reader.SpanningMode(), TZASpanningMode::smSplitting);
    try {
        reader.AddFiles("*.*");
        ADD_FAILURE() << "files were added to a set that was read";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 52);
    }
}

TEST(SplitArchive, SelfExtractingSetStartsWithTheStubAndEndsInZip) {
    ScratchDir dir;
    WriteFile(dir / "stub.bin", RandomData(5000, 9));
    const auto source = MakeSource(dir / "src");
    fs::create_directories(dir / "out");
    TZipArchiver a;
    a.FileName = dir / "out/a.exe";
    a.SFXStub = dir / "stub.bin";
    a.SetSpanningMode(TZASpanningMode::smSplitting);
    a.SpanningOptions.AdvancedNaming = false;
    a.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    a.SpanningOptions.SetCustomVolumeSize(100000);
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.AddFiles("*.*");
    a.CloseArchive();
    const std::vector<std::string> files = FilesIn(dir / "out");
    ASSERT_GE(files.size(), 3u);
    EXPECT_EQ(files.front(), "a.Z02");
    EXPECT_EQ(files[files.size() - 2], "a.ZIP");
    EXPECT_EQ(files.back(), "a.exe");
    EXPECT_EQ(ReadFile(dir / "out/a.exe").substr(0, 5000), ReadFile(dir / "stub.bin"));

    // Opened by the stub's name or by the last volume's.
    for (const std::string& name : {dir / "out/a.exe", dir / "out/a.ZIP"}) {
        TZipArchiver reader;
        ScratchDir back;
        EXPECT_EQ(Unpack(name, back.Path(), reader), source) << name;
    }

    // A stub larger than the first volume cannot be placed.
    WriteFile(dir / "stub.bin", RandomData(70000, 9));
    TZipArchiver small;
    small.FileName = dir / "small/b.zip";
    fs::create_directories(dir / "small");
    small.SFXStub = dir / "stub.bin";
    small.SetSpanningMode(TZASpanningMode::smSplitting);
    small.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    small.SpanningOptions.SetCustomVolumeSize(65536);
    try {
        small.OpenArchive();
        ADD_FAILURE() << "the stub was placed";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 47);
    }
}
