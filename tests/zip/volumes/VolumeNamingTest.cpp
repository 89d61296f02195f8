#include "tests/zip/TestTools.h"

#include "zip/archiver/ZASpanningOptions.h"
#include "zip/volumes/VolumeNaming.h"

#include <gtest/gtest.h>

using namespace zip;
using namespace ziptest;

TEST(VolumeNaming, SizesAndNamesOfVolumes) {
    TZASpanningOptions options;
    options.SetCustomVolumeSize(1000);
    EXPECT_EQ(options.CustomVolumeSize(), 65536);
    options.FirstVolumeSize = 100000;
    options.VolumeSize = TZAVolumeSize::vs1_44MB;
    EXPECT_EQ(options.SizeOfVolume(0), 100000);
    EXPECT_EQ(options.SizeOfVolume(3), 1457664);

    using M = TZASpanningMode;
    const struct {
        M mode;
        bool advanced, sfx;
        int32_t volume;
        const char* name;
    } cases[] = {
        {M::smSplitting, true, false, 0, "/t/a_001.zip"},
        {M::smSplitting, true, false, 1, "/t/a_002.zip"},
        {M::smSplitting, true, false, -1, "/t/a.zip"},
        {M::smSplitting, false, false, 0, "/t/a.z01"},
        {M::smSplitting, false, false, 1, "/t/a.z02"},
        {M::smSplitting, false, false, -1, "/t/a.zip"},
        {M::smSplitting, false, false, 99, "/t/a.z100"},
        {M::smSplitting, false, true, 0, "/t/a.exe"},
        {M::smSplitting, true, true, -1, "/t/a.zip"},
        {M::smSpanning, false, false, 3, "/t/a.zip"},
        {M::smSpanning, true, false, 3, "/t/a_004.zip"},
        {M::smSpanning, true, true, 0, "/t/a_001.exe"},
    };
    for (const auto& c : cases) {
        const TZAVolumeNamingRules rules{c.mode, c.advanced, c.sfx, false};
        EXPECT_EQ(TZAVolumeNaming::Name("/t/a.zip", c.volume, rules), c.name);
    }
    // The letter case of the archive's extension, as other readers look for the volumes.
    const TZAVolumeNamingRules classic{M::smSplitting, false, false, false};
    EXPECT_EQ(TZAVolumeNaming::Name("/t/A.ZIP", 0, classic), "/t/A.Z01");
    EXPECT_EQ(TZAVolumeNaming::Name("/t/A.Zip", 0, classic), "/t/A.z01");
    EXPECT_EQ(TZAVolumeNaming::Name("/t/A.EXE", -1, {M::smSplitting, false, true, false}),
              "/t/A.ZIP");
}

TEST(VolumeNaming, ReadingFindsEitherLetterCaseAndTheOtherSpannedNaming) {
    ScratchDir dir;
    const TZAVolumeNamingRules classic{TZASpanningMode::smSplitting, false, false, false};
    WriteFile(dir / "s.Z01", "x");
    EXPECT_EQ(TZAVolumeNaming::Existing(dir / "s.zip", 0, classic), dir / "s.Z01");
    EXPECT_EQ(TZAVolumeNaming::Existing(dir / "s.zip", 1, classic), dir / "s.z02");
    const TZAVolumeNamingRules spanned{TZASpanningMode::smSpanning, false, false, false};
    WriteFile(dir / "d_003.zip", "x");
    EXPECT_EQ(TZAVolumeNaming::Existing(dir / "d.zip", 2, spanned), dir / "d_003.zip");
}
