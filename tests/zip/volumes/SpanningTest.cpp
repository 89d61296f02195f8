#include "tests/zip/ArchiverTestSupport.h"

#include "zip/ZAExcept.h"
#include "zip/archiver/ZipArchiver.h"

#include "tests/support/RemovableMediaSimulation.h"
#include "tests/support/ScriptedPrompts.h"

#include <gtest/gtest.h>

using namespace zip;
using namespace ziptest;

namespace {

struct PromptsScope {
    platform::ScriptedPrompts scripted;
    PromptsScope() { platform::setPrompts(&scripted); }
    ~PromptsScope() { platform::setPrompts(nullptr); }
};

void Spanning(TZABaseArchiver& a, const std::string& zipFile, bool advanced) {
    a.FileName = zipFile;
    a.SetSpanningMode(TZASpanningMode::smSpanning);
    a.SpanningOptions.AdvancedNaming = advanced;
    a.SpanningOptions.VolumeSize = TZAVolumeSize::vsCustom;
    a.SpanningOptions.SetCustomVolumeSize(100000);
}

} // namespace

// A removable drive whose disks all carry the archive under one name; the disks taken out
// wait on a shelf.
TEST(Spanning, DisksAreRequestedLabelledAndReadBack) {
    ScratchDir dir;
    fs::create_directories(dir / "drive");
    platform::RemovableMediaSimulation media(dir / "drive");
    const std::string archive = dir / "drive/a.zip";
    int inDrive = 0;
    std::vector<std::string> requests;
    const auto shelf = [&](int disk) { return dir / ("disk" + std::to_string(disk)); };
    const auto takeOut = [&] {
        if (inDrive > 0)
            fs::rename(archive, shelf(inDrive)); // a volume still open keeps its bytes
        inDrive = 0;
    };
    const auto insert = [&](int disk) {
        if (inDrive == disk)
            return;
        takeOut();
        fs::copy_file(shelf(disk), archive + ".new");
        fs::rename(archive + ".new", archive);
        inDrive = disk;
    };
    WriteFile(dir / "src/photo.jpg", RandomData(230000, 21));
    WriteFile(dir / "src/data.xml", TextData(40000, 22));
    {
        TZipArchiver w;
        Spanning(w, archive, false);
        w.OnRequestBlankVolume = [&](TZABaseArchiver&, int n, std::string& name, bool&) {
            requests.push_back("blank " + std::to_string(n) + " " + name.substr(name.size() - 5));
            takeOut();
            inDrive = n;
        };
        w.OpenArchive();
        w.BaseDir = dir / "src";
        w.AddFiles("*.*");
        ASSERT_TRUE(w.LastOutcome().Succeeded()) << w.LastOutcome().LastError;
    }
    EXPECT_EQ(requests,
              (std::vector<std::string>{"blank 1 a.zip", "blank 2 a.zip", "blank 3 a.zip"}));
    EXPECT_EQ(media.Labels(),
              (std::vector<std::string>{"pkback# 001", "pkback# 002", "pkback# 003"}));

    // The last disk is in the drive; the others are asked for as they are needed.
    requests.clear();
    TZipArchiver r;
    r.FileName = archive;
    for (auto* event : {&r.OnRequestFirstVolume, &r.OnRequestMiddleVolume, &r.OnRequestLastVolume})
        *event = [&](TZABaseArchiver&, int n, std::string&, bool&) {
            requests.push_back(std::to_string(n));
            insert(n);
        };
    r.OpenArchive();
    EXPECT_EQ(r.SpanningMode(), TZASpanningMode::smSpanning);
    r.BaseDir = dir / "back";
    r.ExtractFiles("*.*");
    EXPECT_TRUE(r.LastOutcome().Succeeded()) << r.LastOutcome().LastError;
    EXPECT_EQ(Snapshot(dir / "back"), Snapshot(dir / "src"));
    ASSERT_GE(requests.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(requests.begin(), requests.begin() + 3),
              (std::vector<std::string>{"1", "2", "3"}));

    // No disk in the drive: the last one is asked for; cancelled, that is error 45.
    r.CloseArchive();
    takeOut();
    PromptsScope prompts;
    prompts.scripted.answerButton(platform::PromptButton::Cancel);
    TZipArchiver none;
    none.FileName = archive;
    EXPECT_THROW(none.OpenArchiveMode(kOpenModeReadOnly), EZAException);
    ASSERT_EQ(prompts.scripted.calls().size(), 1u);
    EXPECT_EQ(prompts.scripted.calls()[0].text, "Please insert the last disk");
}

TEST(Spanning, DefaultQuestionsForBlankAndFullDisks) {
    using B = platform::PromptButton;
    const std::string blank = "Please insert a blank disk #";
    const std::string full = "Disk is full. Required free space: 100000 bytes, but available only: "
                             "70000 bytes. Clean the disk or find another blank disk";
    const struct {
        std::optional<uint64_t> free;
        std::vector<B> answers;
        bool fails; // with error 45
        std::vector<std::string> texts;
    } cases[] = {
        {std::nullopt, {B::Ok, B::Ok, B::Ok}, false, {blank + "1", blank + "2", blank + "3"}},
        {std::nullopt, {B::Ok, B::Cancel}, true, {blank + "1", blank + "2"}},
        {70000, {B::Ok, B::Cancel}, true, {blank + "1", full}},
        // Answered OK for ever, the disk stays full: the questions end all the same.
        {70000, std::vector<B>(200, B::Ok), true, {}},
    };
    for (const auto& c : cases) {
        ScratchDir dir;
        fs::create_directories(dir / "drive");
        platform::RemovableMediaSimulation media(dir / "drive");
        media.FreeBytes = c.free;
        WriteFile(dir / "src/photo.jpg", RandomData(230000, 21));
        PromptsScope prompts;
        for (const B answer : c.answers)
            prompts.scripted.answerButton(answer);
        TZipArchiver w;
        Spanning(w, dir / "drive/a.zip", true); // a_001.zip, a_002.zip, ... side by side
        std::string error;
        try {
            w.OpenArchive();
            w.BaseDir = dir / "src";
            w.AddFiles("*.*");
            error = w.LastOutcome().LastError;
        } catch (const EZAException& e) {
            error = e.what();
        }
        EXPECT_EQ(error.find("Native error: 00045") != std::string::npos, c.fails) << error;
        std::vector<std::string> texts;
        for (const auto& call : prompts.scripted.calls())
            texts.push_back(call.text);
        if (!c.texts.empty()) {
            EXPECT_EQ(texts, c.texts);
        }
        EXPECT_LT(texts.size(), 120u);
        EXPECT_EQ(prompts.scripted.unscriptedCalls(), 0);
    }
}
