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
