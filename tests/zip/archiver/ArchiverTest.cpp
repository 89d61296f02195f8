#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/directory/DirItem.h"
#include "zip/streams/MemoryStream.h"

#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

#include <set>

using namespace zip;
using namespace ziptest;

namespace {

// Builds an archive holding the given files (relative name -> contents) with the archiver.
void MakeArchive(const std::string& archive, const std::map<std::string, std::string>& files,
                 const ScratchDir& dir) {
    const std::string src = dir / "src-of-archive";
    fs::remove_all(src);
    for (const auto& [name, data] : files)
        WriteFile(src + "/" + name, data);
    TZipArchiver a("ZipArchiver");
    a.FileName = archive;
    a.OpenArchive();
    a.BaseDir = src;
    a.AddFiles("*.*");
    a.CloseArchive();
    fs::remove_all(src);
}

std::string Extract(TZipArchiver& a, const std::string& name) {
    MemoryStream out;
    a.ExtractToStream(name, out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

struct PromptsScope {
    platform::ScriptedPrompts scripted;
    PromptsScope() { platform::setPrompts(&scripted); }
    ~PromptsScope() { platform::setPrompts(nullptr); }
};

} // namespace

TEST(ArchiverTest, DefaultsAndCompressionSettings) {
    TZipArchiver a;
    EXPECT_EQ(a.CompressionMode(), 1);
    EXPECT_EQ(a.CompressionLevel(), TZACompressionLevel::clFastest);
    EXPECT_EQ(a.CompressionMethod(), 8);
    EXPECT_EQ(a.Zip64Mode, TZip64Mode::zmDisabled);
    EXPECT_EQ(a.CurrentVersion(), "2.73 ");
    a.SetCurrentVersion("9.99");
    EXPECT_EQ(a.CurrentVersion(), "2.73 ");
    EXPECT_TRUE(a.Options.Recurse);
    EXPECT_EQ(a.Options.StorePath, TZAStorePathMode::spRelativePath);
    EXPECT_EQ(a.Options.ShareMode, TZAFileShareMode::smShareDenyNone);
    EXPECT_EQ(a.Options.OverwriteMode, TZAOverwriteMode::omAlways);
    EXPECT_TRUE(a.Options.CreateDirs && a.Options.ReplaceReadOnly && a.Options.SetAttributes);
    EXPECT_EQ(a.Options.SearchAttr, 0x28BFu);
    EXPECT_TRUE(a.Options.FlushBuffers && a.Options.OEMFileNames);
    EXPECT_EQ(a.SpanningMode(), TZASpanningMode::smNone);
    EXPECT_FALSE(a.InMemory());

    TZABaseArchiver base;
    EXPECT_EQ(base.Zip64Mode, TZip64Mode::zmAuto);
    EXPECT_EQ(base.CompressionMethod(), -1);

    try {
        a.SetCompressionMode(10);
        FAIL() << "mode 10 accepted";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 5);
        EXPECT_EQ(e.ErrorCode(), 2);
    }
    EXPECT_EQ(a.CompressionMode(), 1);
    a.SetCompressionMode(5);
    EXPECT_EQ(a.CompressionLevel(), TZACompressionLevel::clNormal);
    EXPECT_EQ(a.CompressionMethod(), 8);
    a.SetCompressionMode(0);
    EXPECT_EQ(a.CompressionLevel(), TZACompressionLevel::clNone);
    EXPECT_EQ(a.CompressionMethod(), 0);
    a.SetCompressionLevel(TZACompressionLevel::clMax);
    EXPECT_EQ(a.CompressionMode(), 9);

    TZAOptions other;
    other.ShareMode = TZAFileShareMode::smShareExclusive;
    other.Recurse = false;
    other.SearchAttr = 0x20;
    a.Options.Assign(other);
    EXPECT_FALSE(a.Options.Recurse);
    EXPECT_EQ(a.Options.SearchAttr, 0x20u);
    EXPECT_EQ(a.Options.ShareMode, TZAFileShareMode::smShareDenyNone);

    a.SpanningOptions.SetCustomVolumeSize(10);
    EXPECT_EQ(a.SpanningOptions.CustomVolumeSize(), 65536);
}

TEST(ArchiverTest, EmptyArchiveAndOpenModes) {
    ScratchDir dir;
    TZipArchiver a("ZipArchiver");
    a.FileName = dir / "e.zip";
    a.OpenArchive();
    EXPECT_EQ(a.OpenMode(), 0xFFFF);
    EXPECT_THROW(a.SetSpanningMode(TZASpanningMode::smSplitting), EZAPlainError);
    a.CloseArchive();
    const std::string bytes = ReadFile(dir / "e.zip");
    ASSERT_EQ(bytes.size(), 22u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x05\x06", 4));
    EXPECT_EQ(bytes.substr(4), std::string(18, '\0'));

    a.OpenArchive();
    EXPECT_EQ(a.OpenMode(), 34);
    EXPECT_EQ(a.Count(), 0);
    a.CloseArchive();

    a.OpenArchiveMode(64);
    EXPECT_EQ(a.OpenMode(), 64);
    try {
        a.BeginUpdate();
        FAIL() << "update on a read-only archive";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 32);
    }
    a.CloseArchive();

    a.FileName = dir / "missing.zip";
    try {
        a.OpenArchiveMode(34);
        FAIL() << "opened a missing file";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 12);
        EXPECT_NE(std::string(e.what()).find("missing.zip"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir / "missing.zip"));
    a.FileName = dir.Path() + "/";
    EXPECT_THROW(a.OpenArchive(), EZAException);
    EXPECT_THROW(a.AddFiles("*.*"), EZAException);
}

TEST(ArchiverTest, InMemoryArchiveWrittenToItsFile) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "alpha");
    TZipArchiver a;
    a.SetInMemory(true);
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.AddFiles("*.*");
    EXPECT_FALSE(fs::exists(dir / "mem.zip"));
    a.FileName = dir / "mem.zip";
    a.SetInMemory(false);
    EXPECT_TRUE(a.Active());
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(Extract(a, "a.txt"), "alpha");
}

TEST(ArchiverTest, ExtractToStreamFindsByNameThenByMask) {
    ScratchDir dir;
    const std::string zipFile = dir / "p.zip";
    MakeArchive(zipFile, {{"package.xml", "<package/>"}, {"sub/other.xml", "<o/>"}}, dir);
    TZipArchiver a("ZipArchiver");
    a.FileName = zipFile;
    a.OpenArchive();
    EXPECT_EQ(Extract(a, "package.xml"), "<package/>");
    EXPECT_EQ(Extract(a, "PACKAGE.XML"), "<package/>");
    EXPECT_EQ(Extract(a, "sub\\other.xml"), "<o/>");
    MemoryStream out;
    try {
        a.ExtractToStream("nope.txt", out);
        FAIL() << "found a missing member";
    } catch (const EZAException& e) {
        EXPECT_STREQ(e.what(), "ZipArchiver: File \"nope.txt\" not found - Native error: 00015");
    }
    EXPECT_THROW(a.ExtractToStream("OTHER.XML", out), EZAException);
    EXPECT_EQ(out.Size(), 0);
    EXPECT_TRUE(a.Options.Recurse);
    EXPECT_TRUE(a.Active());

    a.BeginUpdate();
    try {
        a.ExtractToStream("package.xml", out);
        FAIL() << "extracted inside a transaction";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 26);
    }
    a.CancelUpdate();
}

TEST(ArchiverTest, TransactionsNestAndFindIterates) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "a");
    WriteFile(dir / "src/b.jpg", "b");
    WriteFile(dir / "src/sub/c.txt", "c");
    TZipArchiver a;
    a.FileName = dir / "t.zip";
    a.OpenArchive();
    a.EndUpdate(); // nothing open: nothing happens
    a.BaseDir = dir / "src";
    a.BeginUpdate();
    a.BeginUpdate();
    a.AddFiles("*.txt");
    a.EndUpdate();
    EXPECT_EQ(a.UpdateCount(), 1);
    EXPECT_EQ(fs::file_size(dir / "t.zip"), 0u);
    a.EndUpdate();
    EXPECT_EQ(a.UpdateCount(), 0);
    EXPECT_GT(fs::file_size(dir / "t.zip"), 22u);

    std::vector<std::string> found;
    TZAArchiveItem item;
    for (bool ok = a.FindFirst("*.txt", item); ok; ok = a.FindNext(item))
        found.push_back(item.StoredPath + item.FileName);
    EXPECT_EQ(found, (std::vector<std::string>{"a.txt", "sub\\c.txt"}));
    EXPECT_FALSE(a.FindFirst("*.jpg", item));
    // Adding everything replaces the two files and appends the rest.
    a.AddFiles("*.*");
    EXPECT_EQ(a.Count(), 4);
    EXPECT_EQ(Extract(a, "sub/c.txt"), "c");
    EXPECT_EQ(Extract(a, "b.jpg"), "b");
    // Folders are found only when the attribute filter allows them.
    EXPECT_TRUE(a.FindFirst("sub", item, "", 0x28BF));
    EXPECT_FALSE(a.FindFirst("sub", item, "", 0x20));
    a.Options.Recurse = false;
    EXPECT_FALSE(a.FindFirst("c.txt", item));
    EXPECT_TRUE(a.FindFirst("sub/c.txt", item));
}

TEST(ArchiverTest, NestedCallFromAHandlerIsRefused) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", TextData(2 << 20, 1));
    TZipArchiver a;
    a.FileName = dir / "n.zip";
    a.OpenArchive();
    a.BaseDir = dir / "src";
    int refused = 0;
    a.OnOverallProgress = [&](TZABaseArchiver& sender, double, TZAProcessOperation,
                              TZAProgressPhase phase, bool&) {
        if (phase != TZAProgressPhase::ppProcess)
            return;
        try {
            sender.AddFiles("*.*");
        } catch (const EZAPlainError&) {
            ++refused;
        }
        sender.CloseArchive(); // ignored while busy
    };
    a.AddFiles("*.*");
    EXPECT_GT(refused, 0);
    EXPECT_TRUE(a.LastOutcome().Succeeded());
    a.OnOverallProgress = nullptr;
    EXPECT_EQ(Extract(a, "a.txt"), TextData(2 << 20, 1));
}

TEST(ArchiverTest, DefaultEventsAskThroughThePromptsService) {
    PromptsScope prompts;
    ScratchDir dir;
    const std::string zipFile = dir / "d.zip";
    MakeArchive(zipFile, {{"t.txt", "new"}}, dir);
    WriteFile(dir / "dest/t.txt", "old");
    TZipArchiver a;
    a.FileName = zipFile;
    a.OpenArchive();
    a.BaseDir = dir / "dest";
    a.Options.OverwriteMode = TZAOverwriteMode::omPrompt;
    prompts.scripted.answerButton(platform::PromptButton::NoToAll);
    a.ExtractFiles("*.*");
    EXPECT_EQ(ReadFile(dir / "dest/t.txt"), "old");
    EXPECT_EQ(a.Options.OverwriteMode, TZAOverwriteMode::omNever);
    ASSERT_EQ(prompts.scripted.calls().size(), 1u);
    EXPECT_NE(prompts.scripted.calls()[0].text.find("Overwrite file"), std::string::npos);

    a.Options.OverwriteMode = TZAOverwriteMode::omPrompt;
    prompts.scripted.answerButton(platform::PromptButton::Yes);
    a.ExtractFiles("*.*");
    EXPECT_EQ(ReadFile(dir / "dest/t.txt"), "new");

    // Headless, a failing member is answered with Abort: nothing is left behind.
    platform::setPrompts(nullptr);
    a.Password = "wrong";
    a.CloseArchive();
    const std::string encrypted = dir / "enc.zip";
    {
        TZipArchiver w;
        w.Password = "secret";
        WriteFile(dir / "esrc/e.txt", "hidden");
        w.FileName = encrypted;
        w.OpenArchive();
        w.BaseDir = dir / "esrc";
        w.AddFiles("*.*");
    }
    TZipArchiver r;
    r.FileName = encrypted;
    r.OpenArchive();
    r.BaseDir = dir / "eout";
    r.Password = "wrong";
    r.ExtractFiles("*.*");
    EXPECT_FALSE(r.LastOutcome().Succeeded());
    EXPECT_FALSE(fs::exists(dir / "eout/e.txt"));
    r.Password = "secret";
    r.ExtractFiles("*.*");
    EXPECT_TRUE(r.LastOutcome().Succeeded());
    EXPECT_EQ(ReadFile(dir / "eout/e.txt"), "hidden");
}

// A destination that takes no more is a write error whatever the corrupted-files option says:
// it never counts as an extracted member.
TEST(ArchiverTest, FullDestinationIsAWriteError) {
    ScratchDir dir;
    const std::string zipFile = dir / "f.zip";
    MakeArchive(zipFile, {{"big.txt", TextData(300000, 3)}, {"raw.bin", RandomData(5000, 4)}}, dir);
    for (const bool keepCorrupted : {false, true}) {
        TZipArchiver a("ZipArchiver");
        a.FileName = zipFile;
        a.OpenArchive();
        a.ExtractCorruptedFiles = keepCorrupted;
        for (const std::string member : {"big.txt", "raw.bin"}) {
            MemoryStream inner;
            FaultyStream full(inner, 0, 1);
            full.Arm();
            try {
                a.ExtractToStream(member, full);
                FAIL() << member << " extracted into a full stream";
            } catch (const EZAException& e) {
                EXPECT_EQ(e.NativeError(), 46) << e.what();
            }
            EXPECT_FALSE(a.LastOutcome().Succeeded());
        }
        EXPECT_TRUE(a.Active());
        EXPECT_EQ(Extract(a, "raw.bin"), RandomData(5000, 4));
    }
}

// Switching an archive in memory to its file: when the file cannot be written, the archive
// stays open in memory with everything in it.
TEST(ArchiverTest, InMemoryArchiveSurvivesAFailedWrite) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "alpha");
    WriteFile(dir / "old.zip", "previous");
    TZipArchiver a;
    a.SetInMemory(true);
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.AddFiles("*.*");
    a.FileName = dir / "no/such/folder/mem.zip";
    EXPECT_THROW(a.SetInMemory(false), EZAException);
    EXPECT_TRUE(a.InMemory());
    EXPECT_TRUE(a.Active());
    EXPECT_EQ(Extract(a, "a.txt"), "alpha");
    fs::permissions(dir / "old.zip", fs::perms::owner_read);
    a.FileName = dir / "old.zip";
    EXPECT_THROW(a.SetInMemory(false), EZAException);
    EXPECT_EQ(ReadFile(dir / "old.zip"), "previous");
    fs::permissions(dir / "old.zip", fs::perms::owner_write, fs::perm_options::add);
    a.SetInMemory(false);
    EXPECT_FALSE(a.InMemory());
    EXPECT_EQ(a.OpenMode(), 34);
    EXPECT_EQ(Extract(a, "a.txt"), "alpha");
    EXPECT_EQ(Shell("unzip -Z1 " + Quote(dir / "old.zip")).Output, "a.txt\n");

    // Reading a missing file in memory: the file is missing first.
    TZipArchiver m;
    m.SetInMemory(true);
    m.FileName = dir / "missing.zip";
    try {
        m.OpenArchiveMode(34);
        FAIL() << "opened a missing file";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 12);
    }
    m.FileName = dir / "old.zip";
    try {
        m.OpenArchiveMode(34);
        FAIL() << "read a file into memory";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 28);
    }
}

// A cancelled transaction leaves nothing of itself: the entries it added were never written,
// so neither a search nor the directory written at close lists them.
TEST(ArchiverTest, CancelledTransactionLeavesNoEntries) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "alpha");
    WriteFile(dir / "src/b.txt", "beta");
    TZipArchiver a;
    a.FileName = dir / "new.zip";
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.BeginUpdate();
    a.AddFiles("*.*");
    EXPECT_EQ(a.Count(), 2);
    a.CancelUpdate();
    EXPECT_EQ(a.Count(), 0);
    TZAArchiveItem item;
    EXPECT_FALSE(a.FindFirst("*.*", item));
    a.CloseArchive();
    EXPECT_EQ(fs::file_size(dir / "new.zip"), 22u);
    EXPECT_EQ(Shell(std::string(kPython) +
                    " -c 'import sys,zipfile;print(zipfile.ZipFile(sys.argv[1]).namelist())' " +
                    Quote(dir / "new.zip"))
                  .Output,
              "[]\n");

    // On an archive with members, the members stay and the cancelled change is gone.
    MakeArchive(dir / "old.zip", {{"a.txt", "old"}}, dir);
    const std::string before = ReadFile(dir / "old.zip");
    a.FileName = dir / "old.zip";
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.BeginUpdate();
    a.AddFiles("*.*");
    a.CancelUpdate();
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(Extract(a, "a.txt"), "old");
    a.CloseArchive();
    EXPECT_TRUE(ReadFile(dir / "old.zip") == before);

    // From a handler of a running operation it is ignored, like any nested call.
    a.FileName = dir / "third.zip";
    a.OpenArchive();
    a.OnConfirmProcessFile = [](TZABaseArchiver& sender, const std::string&, TZAProcessOperation,
                                bool&) { sender.CancelUpdate(); };
    a.AddFiles("*.*");
    a.OnConfirmProcessFile = nullptr;
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(Extract(a, "b.txt"), "beta");
}

// Spanning settings apply to creating an archive; an existing one is found to be a single
// file, so the limits of multi-volume archives do not hold for it.
TEST(ArchiverTest, ExistingArchiveOpensAsASingleFile) {
    ScratchDir dir;
    WriteFile(dir / "src/a.txt", "a");
    WriteFile(dir / "src/b.txt", "b");
    TZipArchiver a;
    a.SetSpanningMode(TZASpanningMode::smSplitting);
    a.FileName = dir / "s.zip";
    a.OpenArchive();
    a.BaseDir = dir / "src";
    a.AddFiles("a.txt");
    EXPECT_EQ(a.OpenMode(), 34);
    try {
        a.AddFiles("b.txt");
        FAIL() << "added twice to a multi-volume archive";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 52);
    }
    a.CloseArchive();
    a.OpenArchive();
    EXPECT_EQ(a.SpanningMode(), TZASpanningMode::smNone);
    a.AddFiles("b.txt");
    a.AddFiles("a.txt");
    EXPECT_EQ(a.Count(), 2);
    EXPECT_EQ(Extract(a, "b.txt"), "b");
}

// With ExtractCorruptedFiles a damaged member is kept as extracted, but the job does not count
// it as done: the outcome says that something failed.
TEST(ArchiverTest, KeptDamagedMemberIsNoSuccess) {
    ScratchDir dir;
    const std::string zipFile = dir / "d.zip";
    MakeArchive(zipFile, {{"t.txt", TextData(20000, 4)}, {"u.txt", "fine"}}, dir);
    std::string bytes = ReadFile(zipFile);
    const size_t at = bytes.find("t.txt");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 5 + 100] ^= 0x55;
    WriteFile(zipFile, bytes);

    TZipArchiver a("ZipArchiver");
    a.FileName = zipFile;
    a.OpenArchive();
    a.ExtractCorruptedFiles = true;
    a.BaseDir = dir / "out";
    a.ExtractFiles("*.*");
    EXPECT_TRUE(fs::exists(dir / "out/t.txt"));
    EXPECT_EQ(ReadFile(dir / "out/u.txt"), "fine");
    EXPECT_EQ(a.LastOutcome().Status, TZAOutcome::Result::Incomplete);
    EXPECT_EQ(a.LastOutcome().Failed, 1);
    EXPECT_EQ(a.LastOutcome().Done, 1);
    EXPECT_NE(a.LastOutcome().LastError.find("Native error: 00008"), std::string::npos);

    MemoryStream out;
    a.ExtractToStream("t.txt", out);
    EXPECT_GT(out.Size(), 0);
    EXPECT_FALSE(a.LastOutcome().Succeeded());
    a.ExtractToStream("u.txt", out);
    EXPECT_TRUE(a.LastOutcome().Succeeded());
}

// The failure event's default box: Retry and the full-disk hint only where a file could not be
// read or written.
TEST(ArchiverTest, FailureBoxOffersRetryAndSpeaksOfTheDiskOnlyForInputOutput) {
    struct Box : TZipArchiver {
        using TZipArchiver::DoOnProcessFileFailure;
    };
    using B = platform::PromptButton;
    const std::pair<ZAError, bool> rows[] = {{ZAError::MemberDamaged, false},
                                             {ZAError::Deflate64Unsupported, false},
                                             {ZAError::NameTooLong, false},
                                             {ZAError::UnsafeName, false},
                                             {ZAError::CannotCreateOutputFile, true},
                                             {ZAError::CannotOpenFile, true},
                                             {ZAError::WriteFailed, true}};
    for (const auto& [error, io] : rows) {
        const int native = CodeOf(error);
        PromptsScope prompts;
        prompts.scripted.answerButton(B::Ignore);
        TZAAction action = TZAAction::fxaAbort;
        Box().DoOnProcessFileFailure("m.jpg", TZAProcessOperation::poExtract, native, 0, "Bad",
                                     action);
        EXPECT_EQ(action, TZAAction::fxaIgnore);
        const auto& call = prompts.scripted.calls().at(0);
        const std::vector<B> buttons = io ? std::vector<B>{B::Abort, B::Retry, B::Ignore}
                                          : std::vector<B>{B::Abort, B::Ignore};
        EXPECT_EQ(call.buttons, buttons) << native;
        // A member's failure names the member unless its text already does.
        EXPECT_EQ(call.text,
                  io ? "Bad. File processing error, possibly disk is full" : "\"m.jpg\": Bad");
    }
}

// Every job starts from a clean state: an extraction into a stream fires no progress, and each
// job after it reports its own members, from nothing to at most the whole.
TEST(ArchiverTest, EachJobReportsItsOwnProgressWhateverCameBefore) {
    ScratchDir dir;
    const std::string zipFile = dir / "p.zip";
    MakeArchive(zipFile, {{"a.txt", TextData(5000, 1)}, {"b.txt", TextData(7000, 2)}}, dir);
    TZipArchiver a("ZipArchiver");
    a.FileName = zipFile;
    a.OpenArchive();
    std::vector<std::string> files;
    double most = 0.0;
    a.OnFileProgress = [&](TZABaseArchiver&, const std::string& name, double, TZAProcessOperation,
                           TZAProgressPhase phase, bool&) {
        if (phase == TZAProgressPhase::ppProcess)
            files.push_back(name);
    };
    a.OnOverallProgress = [&](TZABaseArchiver&, double progress, TZAProcessOperation,
                              TZAProgressPhase phase, bool&) {
        if (phase == TZAProgressPhase::ppProcess)
            most = std::max(most, progress);
    };
    EXPECT_EQ(Extract(a, "a.txt"), TextData(5000, 1));
    EXPECT_TRUE(files.empty());
    for (const std::string run : {"one", "two"}) {
        SCOPED_TRACE(run);
        files.clear();
        most = 0.0;
        a.BaseDir = dir / run;
        a.ExtractFiles("*.*");
        EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
                  (std::set<std::string>{"a.txt", "b.txt"}));
        EXPECT_GT(most, 0.0);
        EXPECT_LE(most, 100.0);
    }
}
