#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/streams/MemoryStream.h"

#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace zip;
using namespace ziptest;

namespace {

struct PromptsScope {
    platform::ScriptedPrompts scripted;
    PromptsScope() { platform::setPrompts(&scripted); }
    ~PromptsScope() { platform::setPrompts(nullptr); }
};

// 400 KiB of random data, a compressible file and 50 small files.
std::map<std::string, std::string> MakeSource(const std::string& folder) {
    WriteFile(folder + "/big.bin", RandomData(400 * 1024, 7));
    WriteFile(folder + "/text/words.txt", TextData(300000, 8));
    for (int i = 0; i < 50; ++i)
        WriteFile(folder + "/small/f" + std::to_string(i) + ".txt", TextData(100 + i * 37, i));
    return Snapshot(folder);
}

void SplitInto(TZABaseArchiver& a, const std::string& zipFile, int64_t size, bool advanced) {
    a.FileName = zipFile;
    a.SetSpanningMode(TZASpanningMode::smSplitting);
    a.SpanningOptions.AdvancedNaming = advanced;
    a.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    a.SpanningOptions.SetCustomVolumeSize(size);
}

std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The native error of opening zipFile, 0 when it opens.
int OpenError(TZipArchiver& a, const std::string& zipFile) {
    a.FileName = zipFile;
    try {
        a.OpenArchive();
    } catch (const EZAException& e) {
        return e.NativeError();
    }
    return 0;
}

} // namespace

TEST(SplitArchive, FolderInSmallVolumesReadsBackByteForByte) {
    const struct {
        bool advanced;
        const char* name;  // of the archive
        const char* first; // the first of the volume files by name
        const char* last;  // the last of the volume files by name
    } cases[] = {{true, "a.zip", "a.zip", "a_004.zip"},
                 {false, "a.zip", "a.z01", "a.zip"},
                 {false, "a.exe", "a.exe", "a.zip"}}; // self-extracting: the stub is volume 0
    for (const auto& c : cases) {
        SCOPED_TRACE(c.last);
        ScratchDir dir;
        const auto source = MakeSource(dir / "src");
        WriteFile(dir / "stub", RandomData(5000, 9));
        fs::create_directories(dir / "out");
        TZipArchiver a;
        SplitInto(a, dir / ("out/" + std::string(c.name)), 100000, c.advanced);
        if (std::string(c.name) == "a.exe")
            a.SFXStub = dir / "stub";
        a.OpenArchive();
        a.BaseDir = dir / "src";
        a.AddFiles("*.*");
        ASSERT_TRUE(a.LastOutcome().Succeeded()) << a.LastOutcome().LastError;
        EXPECT_THROW(a.BeginUpdate(), EZAException); // one transaction per open: 62
        a.CloseArchive();
        const std::vector<std::string> files = FilesIn(dir / "out");
        EXPECT_GE(files.size(), 3u);
        EXPECT_LE(files.size(), 5u);
        EXPECT_EQ(files.front(), c.first);
        EXPECT_EQ(files.back(), c.last);
        for (const std::string& name : files)
            EXPECT_LE(fs::file_size(dir / ("out/" + name)), 100000u) << name;

        // A fresh component with the other naming finds the set and keeps the naming found.
        TZipArchiver reader;
        reader.SpanningOptions.AdvancedNaming = !c.advanced;
        reader.FileName = dir / ("out/" + std::string(c.name));
        reader.OpenArchive();
        EXPECT_EQ(reader.SpanningOptions.AdvancedNaming, c.advanced);
        reader.BaseDir = dir / "back";
        reader.ExtractFiles("*.*");
        EXPECT_TRUE(reader.LastOutcome().Succeeded()) << reader.LastOutcome().LastError;
        EXPECT_EQ(Snapshot(dir / "back"), source);
        try {
            reader.AddFiles("*.*"); // a set that was read is not added to
            ADD_FAILURE();
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), 52);
        }
    }
}

TEST(SplitArchive, MissingVolumesAndForeignDiskNumbersFailWithoutEndlessQuestions) {
    ScratchDir dir;
    MakeSource(dir / "src");
    fs::create_directories(dir / "out");
    {
        TZipArchiver a;
        SplitInto(a, dir / "out/a.zip", 65536, false);
        a.OpenArchive();
        a.BaseDir = dir / "src";
        a.AddFiles("*.*");
    }
    ASSERT_TRUE(fs::exists(dir / "out/a.z03"));
    fs::copy_file(dir / "out/a.zip", dir / "alone.zip");
    {
        TZipArchiver single; // another disk number patched into a single archive's end record
        single.FileName = dir / "one.zip";
        single.OpenArchive();
        single.BaseDir = dir / "src/text";
        single.AddFiles("*.*");
    }
    std::string hostile = ReadFile(dir / "one.zip");
    hostile[hostile.size() - 18] = hostile[hostile.size() - 16] = 3;
    WriteFile(dir / "hostile.zip", hostile);
    fs::rename(dir / "out/a.z02", dir / "a.z02");
    PromptsScope prompts;

    const struct {
        std::string name;
        bool handler;
        int error;
        std::vector<std::string> requests;
    } cases[] = {
        // The middle volume is missing: its request is cancelled, with a handler or without.
        {dir / "out/a.zip", true, 45, {"first 1", "middle 2"}},
        {dir / "out/a.zip", false, 45, {}},
        // The last volume alone, or an archive naming another disk, on a fixed disk: damaged.
        {dir / "alone.zip", true, 44, {}},
        {dir / "hostile.zip", true, 44, {}},
    };
    for (const auto& c : cases) {
        TZipArchiver a;
        std::vector<std::string> requests;
        const auto record = [&](const char* what) {
            return [&requests, what](TZABaseArchiver&, int n, std::string& name, bool& cancel) {
                requests.push_back(what + std::string(" ") + std::to_string(n));
                cancel = !fs::exists(name);
            };
        };
        if (c.handler) {
            a.OnRequestFirstVolume = record("first");
            a.OnRequestMiddleVolume = record("middle");
            a.OnRequestLastVolume = record("last");
        }
        EXPECT_EQ(OpenError(a, c.name), c.error) << c.name;
        EXPECT_FALSE(a.Active());
        EXPECT_EQ(requests, c.requests) << c.name;
    }
    EXPECT_TRUE(prompts.scripted.calls().empty());

    // Found under the other letter case, as other tools name them.
    fs::rename(dir / "a.z02", dir / "out/a.z02");
    TZipArchiver a;
    EXPECT_EQ(OpenError(a, dir / "out/a.zip"), 0);
    EXPECT_GT(a.Count(), 50);
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

    // Ours, made from the shell with albumzip: 7z tests the set, looking for the volumes in the
    // letter case of the last one's extension, and zip joins it into one archive (zip looks
    // for ".z01" only, and asks for ever for a volume it does not find, hence the timeout).
    const auto source = MakeSource(dir / "src");
    for (const std::string name : {"s.zip", "S.ZIP"}) {
        SCOPED_TRACE(name);
        const std::string set = dir / ("set/" + name);
        fs::remove_all(dir / "set");
        fs::create_directories(dir / "set");
        ASSERT_EQ(Shell(Quote(FZ_ALBUMZIP) + " pack " + Quote(dir / "src") + " " + Quote(set) +
                        " --volume-size 100000")
                      .ExitCode,
                  0);
        EXPECT_GE(FilesIn(dir / "set").size(), 3u);
        const CommandResult test = Shell("7z t " + Quote(set));
        EXPECT_EQ(test.ExitCode, 0) << test.Output;
        EXPECT_NE(test.Output.find("Everything is Ok"), std::string::npos) << test.Output;
        if (name == "s.zip") {
            const std::string joined = dir / "joined.zip";
            const CommandResult join = Shell("timeout 60 zip -s 0 " + Quote(set) + " --out " +
                                             Quote(joined) + " < /dev/null 2>&1 | head -c 2000");
            EXPECT_EQ(Shell("unzip -tq " + Quote(joined)).ExitCode, 0) << join.Output;
        }
        fs::remove_all(dir / "back");
        ASSERT_EQ(Shell(Quote(FZ_ALBUMZIP) + " unpack " + Quote(set) + " " + Quote(dir / "back"))
                      .ExitCode,
                  0);
        EXPECT_EQ(Snapshot(dir / "back"), source);
    }
}

// Packing over a set of volumes replaces it only with a whole new set: a pack that fails
// leaves the old one byte for byte, one that succeeds leaves none of the old volumes behind.
TEST(SplitArchive, RepackingReplacesASetOnlyWhenTheNewOneIsWhole) {
    ScratchDir dir;
    MakeSource(dir / "big");
    WriteFile(dir / "small/one.bin", RandomData(100000, 5)); // two volumes
    WriteFile(dir / "bad/\xff.txt", TextData(300000, 3));    // not a name in any encoding
    WriteFile(dir / "bad/big.bin", RandomData(400 * 1024, 4));
    const std::string set = dir / "set/a.zip";
    const auto pack = [&](const std::string& folder) {
        return Shell(Quote(FZ_ALBUMZIP) + " pack " + Quote(folder) + " " + Quote(set) +
                     " --volume-size 65536")
            .ExitCode;
    };
    fs::create_directories(dir / "set");
    ASSERT_EQ(pack(dir / "big"), 0);
    const auto before = Snapshot(dir / "set");
    ASSERT_GE(before.size(), 7u);
    for (const std::string failing : {"missing", "bad"}) {
        SCOPED_TRACE(failing);
        EXPECT_NE(pack(dir / failing), 0);
        EXPECT_TRUE(Snapshot(dir / "set") == before) << "the old set is kept as it was";
    }
    ASSERT_EQ(pack(dir / "small"), 0);
    std::vector<std::string> files = FilesIn(dir / "set");
    EXPECT_EQ(files, (std::vector<std::string>{"a.z01", "a.zip"}));
    ASSERT_EQ(
        Shell(Quote(FZ_ALBUMZIP) + " unpack " + Quote(set) + " " + Quote(dir / "back")).ExitCode,
        0);
    EXPECT_EQ(Snapshot(dir / "back"), Snapshot(dir / "small"));

    // Volumes of the old set in the other letter case (as other tools name them) go too.
    ASSERT_EQ(pack(dir / "big"), 0);
    for (const std::string& name : FilesIn(dir / "set"))
        if (name != "a.zip")
            fs::rename(dir / ("set/" + name), dir / ("set/a.Z" + name.substr(3)));
    ASSERT_EQ(pack(dir / "small"), 0);
    EXPECT_EQ(FilesIn(dir / "set"), (std::vector<std::string>{"a.z01", "a.zip"}));
}
