#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"

#include "platform/sys/RemovableMedia.h"
#include "platform/sys/ScriptedPrompts.h"

#include <gtest/gtest.h>

using namespace zip;
using namespace ziptest;

namespace {

struct PromptsScope {
    platform::ScriptedPrompts scripted;
    PromptsScope() { platform::setPrompts(&scripted); }
    ~PromptsScope() { platform::setPrompts(nullptr); }
};

// A drive whose disks are kept on a shelf: every disk carries the archive under the same name.
struct Drive {
    ScratchDir dir;
    platform::RemovableMediaSimulation media{dir / "drive"};
    std::string archive = dir / "drive/a.zip";
    int inDrive = 0; // 1-based number of the disk in the drive, 0: none
    std::vector<std::string> requests;

    Drive() {
        fs::create_directories(dir / "drive");
        fs::create_directories(dir / "shelf");
    }
    std::string Shelf(int disk) const { return dir / ("shelf/disk" + std::to_string(disk)); }
    // Takes the disk in the drive out, onto the shelf.
    void TakeOut() {
        if (inDrive > 0 && fs::exists(archive))
            fs::copy_file(archive, Shelf(inDrive), fs::copy_options::overwrite_existing);
        fs::remove(archive);
        inDrive = 0;
    }
    // Puts disk n in; a fresh file, so that a volume still open elsewhere keeps its bytes.
    void Insert(int disk) {
        if (inDrive == disk)
            return;
        TakeOut();
        fs::copy_file(Shelf(disk), archive + ".new");
        fs::rename(archive + ".new", archive);
        inDrive = disk;
    }
    void AttachWriter(TZABaseArchiver& a) {
        a.OnRequestBlankVolume = [this](TZABaseArchiver&, int n, std::string& name, bool&) {
            requests.push_back("blank " + std::to_string(n) + " " +
                               fs::path(name).filename().string());
            TakeOut();
            inDrive = n;
        };
    }
    void AttachReader(TZABaseArchiver& a) {
        const auto insert = [this](const char* what) {
            return [this, what](TZABaseArchiver&, int n, std::string&, bool&) {
                requests.push_back(std::string(what) + " " + std::to_string(n));
                Insert(n);
            };
        };
        a.OnRequestFirstVolume = insert("first");
        a.OnRequestMiddleVolume = insert("middle");
        a.OnRequestLastVolume = insert("last");
    }
};

void Spanning(TZABaseArchiver& a, const std::string& zipFile, bool advanced) {
    a.FileName = zipFile;
    a.SetSpanningMode(TZASpanningMode::smSpanning);
    a.SpanningOptions.AdvancedNaming = advanced;
    a.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    a.SpanningOptions.SetCustomVolumeSize(100000);
}

} // namespace

TEST(Spanning, DisksAreRequestedLabelledAndReadBack) {
    Drive drive;
    WriteFile(drive.dir / "src/photo.jpg", RandomData(230000, 21));
    WriteFile(drive.dir / "src/data.xml", TextData(40000, 22));
    const auto source = Snapshot(drive.dir / "src");
    {
        TZipArchiver w;
        Spanning(w, drive.archive, false);
        drive.AttachWriter(w);
        w.OpenArchive();
        w.BaseDir = drive.dir / "src";
        w.AddFiles("*.*");
        ASSERT_TRUE(w.LastOutcome().Succeeded()) << w.LastOutcome().LastError;
        w.CloseArchiveChecked();
    }
    EXPECT_EQ(drive.requests,
              (std::vector<std::string>{"blank 1 a.zip", "blank 2 a.zip", "blank 3 a.zip"}));
    EXPECT_EQ(drive.media.Labels(),
              (std::vector<std::string>{"pkback# 001", "pkback# 002", "pkback# 003"}));
    drive.TakeOut();

    // The last disk first, then the others as the directory and the members need them.
    drive.requests.clear();
    drive.Insert(3);
    TZipArchiver r;
    r.FileName = drive.archive;
    drive.AttachReader(r);
    r.OpenArchive();
    EXPECT_EQ(r.SpanningMode(), TZASpanningMode::smSpanning);
    r.BaseDir = drive.dir / "back";
    r.ExtractFiles("*.*");
    EXPECT_TRUE(r.LastOutcome().Succeeded()) << r.LastOutcome().LastError;
    EXPECT_EQ(Snapshot(drive.dir / "back"), source);
    ASSERT_GE(drive.requests.size(), 3u);
    EXPECT_EQ(drive.requests[0], "first 1");
    EXPECT_EQ(drive.requests[1], "middle 2");
    EXPECT_EQ(drive.requests[2], "last 3");

    // No disk in the drive (opened for reading: a missing file would be a new archive): the
    // last disk is asked for, and a cancelled request is error 45.
    drive.TakeOut();
    PromptsScope prompts;
    prompts.scripted.answerButton(platform::PromptButton::Cancel);
    TZipArchiver none;
    none.FileName = drive.archive;
    try {
        none.OpenArchiveMode(kOpenModeReadOnly);
        ADD_FAILURE() << "opened without a disk";
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 45);
    }
    ASSERT_EQ(prompts.scripted.calls().size(), 1u);
    EXPECT_EQ(prompts.scripted.calls()[0].text, "Please insert the last disk");
}

TEST(Spanning, DefaultQuestionsForBlankAndFullDisks) {
    struct Case {
        const char* name;
        std::optional<uint64_t> free;
        std::vector<platform::PromptButton> answers;
        const char* error; // part of the job's error message, empty: none
        std::vector<std::string> texts;
    };
    using B = platform::PromptButton;
    const std::string full = "Disk is full. Required free space: 100000 bytes, but available only: "
                             "70000 bytes. Clean the disk or find another blank disk";
    const Case cases[] = {
        {"blank disks confirmed",
         std::nullopt,
         {B::Ok, B::Ok, B::Ok},
         "",
         {"Please insert a blank disk #1", "Please insert a blank disk #2",
          "Please insert a blank disk #3"}},
        {"second disk refused",
         std::nullopt,
         {B::Ok, B::Cancel},
         "00045",
         {"Please insert a blank disk #1", "Please insert a blank disk #2"}},
        {"full disk given up",
         70000,
         {B::Ok, B::Cancel},
         "00045",
         {"Please insert a blank disk #1", full}},
        // Answered OK for ever, the disk stays full: the questions end all the same.
        {"full disk for ever", 70000, std::vector<B>(200, B::Ok), "00045", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Drive drive;
        drive.media.FreeBytes = c.free;
        WriteFile(drive.dir / "src/photo.jpg", RandomData(230000, 21));
        PromptsScope prompts;
        for (const B answer : c.answers)
            prompts.scripted.answerButton(answer);
        TZipArchiver w;
        Spanning(w, drive.archive, true); // a_001.zip, a_002.zip, ... side by side
        w.OnProcessFileFailure = [](TZABaseArchiver&, const std::string&, TZAProcessOperation, int,
                                    int, const std::string&,
                                    TZAAction& action) { action = TZAAction::fxaAbort; };
        std::string error;
        try {
            w.OpenArchive();
            w.BaseDir = drive.dir / "src";
            w.AddFiles("*.*");
            error = w.LastOutcome().LastError;
            w.CloseArchive();
        } catch (const EZAException& e) {
            error = e.what();
        }
        if (*c.error)
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        else
            EXPECT_EQ(error, "");
        std::vector<std::string> texts;
        for (const auto& call : prompts.scripted.calls())
            texts.push_back(call.text);
        if (!c.texts.empty())
            EXPECT_EQ(texts, c.texts);
        EXPECT_LT(texts.size(), 120u);
        EXPECT_EQ(prompts.scripted.unscriptedCalls(), 0);
    }
}
