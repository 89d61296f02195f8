#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/directory/DirItem.h"
#include "zip/streams/MemoryStream.h"

#include <gtest/gtest.h>

using namespace zip;
using namespace ziptest;

namespace {

std::vector<std::string> Names(const TZipArchiver& a) {
    std::vector<std::string> names;
    for (int32_t i = 0; i < a.Count(); ++i)
        names.push_back(a.Item(i).Name);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Extract(TZipArchiver& a, const std::string& name) {
    MemoryStream out;
    a.ExtractToStream(name, out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

struct Tree {
    ScratchDir dir;
    Tree() {
        WriteFile(dir / "src/t.txt", "top");
        WriteFile(dir / "src/a.txt", "top a");
        WriteFile(dir / "src/sub/a.txt", "sub a");
        WriteFile(dir / "src/sub/c.jpg", "jpeg");
        WriteFile(dir / "src/sub/deep/a.txt", "deep a");
        WriteFile(dir / "src/sub/deep/b.txt", "deep b");
        WriteFile(dir / "src/skip/x.txt", "skipped");
        WriteFile(dir / "src/.hidden", "dot");
    }
    void Open(TZipArchiver& a, const std::string& name = "t.zip") {
        a.FileName = dir / name;
        a.OpenArchive();
        a.BaseDir = dir / "src";
    }
};

} // namespace

TEST(ProcessingTest, MasksAndRecursionOnDisk) {
    Tree t;
    {
        TZipArchiver a;
        t.Open(a, "1.zip");
        a.AddFiles("*.*", kDefaultSearchAttr, "skip");
        EXPECT_EQ(Names(a), (std::vector<std::string>{".hidden", "a.txt", "sub/", "sub/a.txt",
                                                      "sub/c.jpg", "sub/deep/", "sub/deep/a.txt",
                                                      "sub/deep/b.txt", "t.txt"}));
        TDirItem folder;
        for (int32_t i = 0; i < a.Count(); ++i)
            if (a.Item(i).Name == "sub/")
                folder = a.Item(i);
        EXPECT_TRUE(folder.IsFolder());
        EXPECT_EQ(folder.Method, 0);
        EXPECT_EQ(folder.Crc32, 0u);
        EXPECT_EQ(folder.Flags, 2);
        EXPECT_EQ(folder.UncompressedSize, 0u);
    }
    {
        TZipArchiver a;
        t.Open(a, "2.zip");
        a.AddFiles("sub/*.txt", 0x20);
        EXPECT_EQ(Names(a),
                  (std::vector<std::string>{"sub/a.txt", "sub/deep/a.txt", "sub/deep/b.txt"}));
    }
    {
        TZipArchiver a;
        t.Open(a, "3.zip");
        a.AddFiles("sub/a.txt", 0x20);
        EXPECT_EQ(Names(a), (std::vector<std::string>{"sub/a.txt"}));
        // A plain name is looked for at every depth.
        a.AddFiles("a.txt", 0x20);
        EXPECT_EQ(Names(a), (std::vector<std::string>{"a.txt", "sub/a.txt", "sub/deep/a.txt"}));
    }
    {
        TZipArchiver a;
        t.Open(a, "4.zip");
        a.Options.Recurse = false;
        a.Options.StorePath = TZAStorePathMode::spNoPath;
        a.AddFiles("*.txt", 0x20);
        EXPECT_EQ(Names(a), (std::vector<std::string>{"a.txt", "t.txt"}));
    }
}

TEST(ProcessingTest, OverwriteModesAndStoredMethods) {
    Tree t;
    TZipArchiver a;
    t.Open(a);
    // Data that deflate shrinks: only the mask keeps the picture from being deflated.
    WriteFile(t.dir / "src/sub/c.jpg", TextData(5000, 1));
    WriteFile(t.dir / "src/sub/deep/b.txt", TextData(5000, 2));
    a.NoCompressionMasks = {"*.jpg"};
    a.AddFiles("*.*");
    std::map<std::string, int> methods;
    for (int32_t i = 0; i < a.Count(); ++i)
        methods[a.Item(i).Name] = a.Item(i).Method;
    ASSERT_TRUE(methods.contains("sub/c.jpg") && methods.contains("sub/deep/b.txt"));
    EXPECT_EQ(methods.at("sub/c.jpg"), 0);
    EXPECT_EQ(methods.at("sub/deep/b.txt"), 8);

    WriteFile(t.dir / "src/t.txt", "changed");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(48);
    fs::last_write_time(t.dir / "src/t.txt", old);
    a.Options.OverwriteMode = TZAOverwriteMode::omNever;
    a.AddFiles("t.txt");
    EXPECT_EQ(Extract(a, "t.txt"), "top");
    a.Options.OverwriteMode = TZAOverwriteMode::omIfNewer;
    a.AddFiles("t.txt");
    EXPECT_EQ(Extract(a, "t.txt"), "top");
    a.Options.OverwriteMode = TZAOverwriteMode::omIfOlder;
    a.AddFiles("t.txt");
    EXPECT_EQ(Extract(a, "t.txt"), "changed");
    fs::last_write_time(t.dir / "src/t.txt",
                        fs::file_time_type::clock::now() + std::chrono::hours(48));
    WriteFile(t.dir / "src/t.txt", "newest");
    fs::last_write_time(t.dir / "src/t.txt",
                        fs::file_time_type::clock::now() + std::chrono::hours(48));
    a.Options.OverwriteMode = TZAOverwriteMode::omIfNewer;
    a.AddFiles("t.txt");
    EXPECT_EQ(Extract(a, "t.txt"), "newest");
    EXPECT_EQ(a.Count(), 11);

    // The store event renames; the name comes back with "/" separators.
    a.OnStoreFile = [](TZABaseArchiver&, std::string& name, uint32_t&, std::string& comment,
                       const std::string&) {
        EXPECT_EQ(name, "sub\\a.txt");
        name = "renamed\\a.txt";
        comment = "note";
    };
    a.AddFiles("sub/a.txt");
    a.OnStoreFile = nullptr;
    EXPECT_EQ(Extract(a, "renamed/a.txt"), "sub a");
    TZAArchiveItem item;
    ASSERT_TRUE(a.FindFirst("renamed/a.txt", item));
    EXPECT_EQ(item.Comment, "note");
    EXPECT_EQ(item.StoredPath, "renamed\\");
    // Hidden entries are found only when the filter allows them.
    EXPECT_TRUE(a.FindFirst(".hidden", item, "", kDefaultSearchAttr));
    EXPECT_FALSE(a.FindFirst(".hidden", item, "", 0x20));
}

TEST(ProcessingTest, ExtractionOptionsAndEvents) {
    Tree t;
    TZipArchiver a;
    t.Open(a);
    a.AddFiles("*.*");

    a.BaseDir = t.dir / "flat";
    fs::create_directories(a.BaseDir);
    a.Options.CreateDirs = false;
    a.ExtractFiles("sub/deep/b.txt");
    EXPECT_EQ(ReadFile(t.dir / "flat/b.txt"), "deep b");
    EXPECT_FALSE(fs::exists(t.dir / "flat/sub"));
    a.Options.CreateDirs = true;

    // Cancel in the first file event: nothing is written, the end event still comes.
    std::vector<std::pair<double, TZAProgressPhase>> overall;
    a.OnOverallProgress = [&](TZABaseArchiver&, double progress, TZAProcessOperation op,
                              TZAProgressPhase phase, bool&) {
        EXPECT_EQ(op, TZAProcessOperation::poExtract);
        overall.emplace_back(progress, phase);
    };
    a.OnFileProgress = [](TZABaseArchiver&, const std::string&, double, TZAProcessOperation,
                          TZAProgressPhase, bool& cancel) { cancel = true; };
    a.BaseDir = t.dir / "cancelled";
    a.ExtractFiles("*.*");
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Cancelled);
    EXPECT_TRUE(!fs::exists(t.dir / "cancelled") || fs::is_empty(t.dir / "cancelled"));
    ASSERT_EQ(overall.size(), 2u);
    EXPECT_EQ(overall.back(), std::make_pair(100.0, TZAProgressPhase::ppEnd));
    a.OnFileProgress = nullptr;
    a.OnOverallProgress = nullptr;

    // A name the extract event makes unsafe is refused like a stored one.
    std::vector<int> failures;
    std::string failureText;
    a.OnExtractFile = [](TZABaseArchiver&, std::string& name, uint32_t&, const std::string&) {
        if (name == "t.txt")
            name = "..\\escaped.txt";
    };
    a.OnProcessFileFailure = [&](TZABaseArchiver&, const std::string&, TZAProcessOperation,
                                 int native, int errorCode, const std::string& message,
                                 TZAAction& action) {
        failures.push_back(native);
        EXPECT_EQ(EZAException::TextAt(errorCode), "Unsafe file name \"%s\"");
        failureText = message;
        action = TZAAction::fxaIgnore;
    };
    a.BaseDir = t.dir / "events";
    a.ExtractFiles("*.txt");
    EXPECT_EQ(failures, std::vector<int>{CodeOf(ZAError::UnsafeName)});
    EXPECT_EQ(failureText, "Unsafe file name \"..\\escaped.txt\" - Native error: 00063");
    EXPECT_FALSE(fs::exists(t.dir / "escaped.txt"));
    EXPECT_EQ(ReadFile(t.dir / "events/sub/deep/b.txt"), "deep b");
    EXPECT_EQ(a.LastOutcome().Failed, 1);

    // A declined member is passed over silently.
    a.OnExtractFile = nullptr;
    a.OnConfirmProcessFile = [](TZABaseArchiver&, const std::string& name, TZAProcessOperation,
                                bool& confirm) { confirm = name != "a.txt"; };
    a.BaseDir = t.dir / "declined";
    a.ExtractFiles("a.txt");
    EXPECT_FALSE(fs::exists(t.dir / "declined/a.txt"));
    EXPECT_TRUE(fs::exists(t.dir / "declined/sub/a.txt"));
}

// Extraction weighs the member's time against the file it would replace: "newer" means the
// member is newer than the file on disk.
TEST(ProcessingTest, ExtractionOverwriteModesCompareTheMemberWithTheFile) {
    Tree t;
    TZipArchiver a;
    t.Open(a);
    a.AddFiles("t.txt");
    a.BaseDir = t.dir / "dest";
    const std::string target = t.dir / "dest/t.txt";
    const auto now = fs::file_time_type::clock::now();
    const auto place = [&](const std::string& text, std::chrono::hours shift) {
        WriteFile(target, text);
        fs::last_write_time(target, now + shift);
    };
    const auto extract = [&](TZAOverwriteMode mode) {
        a.Options.OverwriteMode = mode;
        a.ExtractFiles("t.txt");
        EXPECT_TRUE(a.LastOutcome().Succeeded());
        return ReadFile(target);
    };
    place("older file", std::chrono::hours(-48));
    EXPECT_EQ(extract(TZAOverwriteMode::omNever), "older file");
    EXPECT_EQ(extract(TZAOverwriteMode::omIfOlder), "older file");
    EXPECT_EQ(extract(TZAOverwriteMode::omIfNewer), "top");
    place("newer file", std::chrono::hours(48));
    EXPECT_EQ(extract(TZAOverwriteMode::omIfNewer), "newer file");
    EXPECT_EQ(extract(TZAOverwriteMode::omIfOlder), "top");
    place("any file", std::chrono::hours(48));
    EXPECT_EQ(extract(TZAOverwriteMode::omAlways), "top");
}
