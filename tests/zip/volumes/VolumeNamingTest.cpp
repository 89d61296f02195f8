#include "tests/zip/TestTools.h"

#include "zip/archiver/VolumeNumberInfo.h"
#include "zip/archiver/ZASpanningOptions.h"
#include "zip/volumes/VolumeNaming.h"

#include <gtest/gtest.h>

using namespace zip;
using namespace ziptest;

TEST(VolumeOptions, SizesOfVolumes) {
    TZASpanningOptions options;
    EXPECT_TRUE(options.AdvancedNaming);
    EXPECT_EQ(options.SizeOfVolume(0), -1);
    for (const int64_t small : {int64_t(1000), int64_t(-5), int64_t(0)}) {
        options.SetCustomVolumeSize(small);
        EXPECT_EQ(options.CustomVolumeSize(), 65536) << small;
    }
    options.SetCustomVolumeSize(70000);
    options.VolumeSize = TZAVolumeSize::vsCustom;
    EXPECT_EQ(options.SizeOfVolume(2), 70000);

    const std::pair<TZAVolumeSize, int64_t> table[] = {
        {TZAVolumeSize::vs1_44MB, 1457664},  {TZAVolumeSize::vs100MB, 104857600},
        {TZAVolumeSize::vs200MB, 209715200}, {TZAVolumeSize::vs250MB, 262144000},
        {TZAVolumeSize::vs600MB, 629145600}, {TZAVolumeSize::vs650MB, 681574400},
        {TZAVolumeSize::vs700MB, 734003200}, {TZAVolumeSize::vs4700MB, 4928307200LL},
        {TZAVolumeSize::vsAutoDetect, -1},
    };
    options.FirstVolumeSize = 100000;
    for (const auto& [size, bytes] : table) {
        options.VolumeSize = size;
        EXPECT_EQ(options.SizeOfVolume(0), 100000);
        EXPECT_EQ(options.SizeOfVolume(3), bytes);
    }
}

TEST(VolumeOptions, VolumeNumberStates) {
    TZAVolumeNumberInfo a, b;
    a.Reset();
    EXPECT_EQ(a.GetState(), TZAVolumeNumberInfo::State::NotSet);
    a.LastVolumeNumber = 4;
    a.SetLast();
    EXPECT_TRUE(a.IsLast());
    EXPECT_EQ(a.VolumeNumber, 4);
    b.SetNumber(4);
    EXPECT_FALSE(TZAVolumeNumberInfo::SameVolume(a, b)); // a last wants b last
    b.SetFirst();
    EXPECT_TRUE(b.IsFirst());
    a.SetNumber(0);
    EXPECT_TRUE(TZAVolumeNumberInfo::SameVolume(a, b));
}

TEST(VolumeNaming, NamesOfVolumes) {
    using M = TZASpanningMode;
    struct Case {
        M mode;
        bool advanced;
        bool sfx;
        int32_t volume;
        const char* name;
    };
    const Case cases[] = {
        {M::smSplitting, true, false, 0, "/t/a_001.zip"},
        {M::smSplitting, true, false, 1, "/t/a_002.zip"},
        {M::smSplitting, true, false, -1, "/t/a.zip"},
        {M::smSplitting, false, false, 0, "/t/a.Z01"},
        {M::smSplitting, false, false, 1, "/t/a.Z02"},
        {M::smSplitting, false, false, -1, "/t/a.zip"},
        {M::smSplitting, false, false, 99, "/t/a.Z100"},
        {M::smSplitting, true, false, 999, "/t/a_1000.zip"},
        {M::smSplitting, false, true, 0, "/t/a.exe"},
        {M::smSplitting, false, true, 1, "/t/a.Z02"},
        {M::smSplitting, true, true, -1, "/t/a.ZIP"},
        {M::smSpanning, false, false, 3, "/t/a.zip"},
        {M::smSpanning, true, false, 3, "/t/a_004.zip"},
        {M::smSpanning, true, true, 0, "/t/a_001.exe"},
        {M::smSpanning, false, true, -1, "/t/a.zip"},
    };
    for (const Case& c : cases) {
        TZAVolumeNamingRules rules;
        rules.Mode = c.mode;
        rules.AdvancedNaming = c.advanced;
        rules.SelfExtracting = c.sfx;
        EXPECT_EQ(TZAVolumeNaming::Name("/t/a.zip", c.volume, rules), c.name)
            << int(c.mode) << c.advanced << c.sfx << " " << c.volume;
    }
    TZAVolumeNamingRules native;
    native.AdvancedNaming = false;
    native.NativeFormat = true;
    EXPECT_EQ(TZAVolumeNaming::Name("/t/a.za", 2, native), "/t/a.F03");
    EXPECT_TRUE(TZAVolumeNaming::IsSelfExtractingName("/t/Setup.EXE"));
    EXPECT_FALSE(TZAVolumeNaming::IsSelfExtractingName("/t.exe/setup"));
}

TEST(VolumeNaming, ReadingFindsEitherLetterCaseAndTheOtherSpannedNaming) {
    ScratchDir dir;
    TZAVolumeNamingRules classic;
    classic.AdvancedNaming = false;
    WriteFile(dir / "s.z01", "x");
    EXPECT_EQ(TZAVolumeNaming::Existing(dir / "s.zip", 0, classic), dir / "s.z01");
    // Nothing there: the name as written.
    EXPECT_EQ(TZAVolumeNaming::Existing(dir / "s.zip", 1, classic), dir / "s.Z02");

    TZAVolumeNamingRules spanned;
    spanned.Mode = TZASpanningMode::smSpanning;
    WriteFile(dir / "d.zip", "x");
    EXPECT_EQ(TZAVolumeNaming::Existing(dir / "d.zip", 2, spanned), dir / "d.zip");
    WriteFile(dir / "d_003.zip", "x");
    EXPECT_EQ(TZAVolumeNaming::Existing(dir / "d.zip", 2, spanned), dir / "d_003.zip");
}
