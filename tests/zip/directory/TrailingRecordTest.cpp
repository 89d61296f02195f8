#include <gtest/gtest.h>

#include "tests/zip/TestArchive.h"
#include "tests/zip/TestTools.h"

using namespace zip;
using namespace ziptest;

namespace {

// Stored empty members named prefix and their number, the end record counting stated of them,
// without Zip64 records; the directory's size and offset for records that name it.
struct Emptyish {
    std::vector<uint8_t> Bytes;
    uint32_t DirectorySize = 0, DirectoryOffset = 0;
};

Emptyish EmptyMembers(int64_t count, uint16_t stated, const std::string& prefix = "m") {
    Emptyish a;
    std::vector<uint8_t> central;
    TDirItem item;
    for (int64_t i = 0; i < count; ++i) {
        item.Name = prefix + std::to_string(i);
        item.NameLength = uint16_t(item.Name.size());
        item.LocalHeaderOffset = uint32_t(a.Bytes.size());
        const auto local =
            TZALocalHeader::FromItem(item, item.Name, false).Assemble(item.Name, false, 0, 0);
        a.Bytes.insert(a.Bytes.end(), local.begin(), local.end());
        item.EncodeFixed(&*central.insert(central.end(), 46, 0));
        central.insert(central.end(), item.Name.begin(), item.Name.end());
    }
    a.DirectoryOffset = uint32_t(a.Bytes.size());
    a.DirectorySize = uint32_t(central.size());
    a.Bytes.insert(a.Bytes.end(), central.begin(), central.end());
    TZAEndRecord end;
    end.SetValues(0, a.DirectorySize, a.DirectoryOffset);
    end.EntriesOnDisk = end.TotalEntries = stated;
    end.Encode(&*a.Bytes.insert(a.Bytes.end(), 22, 0));
    return a;
}

// Records after a's bytes, each naming its directory with the size that reaches up to it, and
// a last byte, so that no record ends the file and every one is a candidate.
void AppendNamingRecords(Emptyish& a, int64_t members, size_t records) {
    for (size_t k = 1; k <= records; ++k) {
        TZAEndRecord record;
        record.SetValues(uint64_t(members), a.DirectorySize + 22 * k, a.DirectoryOffset);
        record.Encode(&*a.Bytes.insert(a.Bytes.end(), 22, 0));
    }
    a.Bytes.push_back(0);
}

} // namespace

// Other bytes around an archive: records naming its directory with every size up to them (each
// one a full read of the directory before it is found wanting), zeros or other bytes with stray
// records among them, another archive in front. Writers without Zip64 let the 16-bit count wrap
// (70,000 members are counted 4,464): a count that agrees modulo 65,536 is taken when the
// entries fill the directory, any other is refused. The archive opens as written, from its own
// local headers, and what the open reads stays within a few times the file.
TEST(TrailingRecordTest, ArchivesAmongOtherBytesOpenAsWrittenInLinearWork) {
    // Ending: a stray record as the file's last bytes, counting `amount` entries of an empty
    // directory at offset 0. Inner: a record naming the directory from its sixth header on,
    // which the search meets first; the real record's walk of the headers joins its walk there.
    enum class Tail { Records, Zeros, Random, Ending, Inner };
    const struct {
        const char* name;
        int64_t members;
        uint16_t stated;
        int64_t front; // members of an archive joined in front
        Tail tail;
        size_t amount; // records, or bytes
        bool strays, refused;
    } cases[] = {
        {"one record naming the directory", 3000, 3000, 0, Tail::Records, 1, false, false},
        {"2,900 records naming the directory", 3000, 3000, 0, Tail::Records, 2900, false, false},
        {"70,000 zeros", 3000, 3000, 0, Tail::Zeros, 70000, false, false},
        {"1 MiB of zeros, stray records", 3000, 3000, 0, Tail::Zeros, 1 << 20, true, false},
        {"1 MiB of other bytes, stray records", 3000, 3000, 0, Tail::Random, 1 << 20, true, false},
        {"wrapped count", 70000, 70000 % 65536, 0, Tail::Zeros, 0, false, false},
        {"wrapped count, zeros after", 70000, 70000 % 65536, 0, Tail::Zeros, 100000, false, false},
        {"wrapped count one off", 70000, 70000 % 65536 + 1, 0, Tail::Zeros, 0, false, true},
        {"joined archives", 30, 30, 40, Tail::Zeros, 0, false, false},
        {"joined archives, 1 MiB of zeros after", 30, 30, 40, Tail::Zeros, 1 << 20, false, false},
        {"an empty record ends the file", 3000, 3000, 0, Tail::Ending, 0, false, false},
        {"a record counting 0xFFFF ends the file", 3000, 3000, 0, Tail::Ending, 0xFFFF, false,
         false},
        {"a record naming the directory's later headers", 3000, 3000, 0, Tail::Inner, 0, false,
         false},
    };
    ScratchDir temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Emptyish a = EmptyMembers(c.members, c.stated);
        if (c.tail == Tail::Records)
            AppendNamingRecords(a, c.members, c.amount);
        else if (c.tail == Tail::Zeros)
            a.Bytes.resize(a.Bytes.size() + c.amount, 0);
        else if (c.tail == Tail::Ending) {
            TZAEndRecord stray;
            stray.TotalEntries = stray.EntriesOnDisk = uint16_t(c.amount);
            stray.Encode(&*a.Bytes.insert(a.Bytes.end(), 22, 0));
        } else if (c.tail == Tail::Inner) {
            const uint32_t sixth = a.DirectoryOffset + 5 * (46 + 2); // after "m0" to "m4"
            TZAEndRecord inner;
            inner.SetValues(uint64_t(c.members - 5), uint32_t(a.Bytes.size()) - sixth, sixth);
            inner.Encode(&*a.Bytes.insert(a.Bytes.end(), 22, 0));
            a.Bytes.push_back(0);
        } else if (c.tail == Tail::Random)
            for (const uint8_t b : RandomBytes(c.amount, 11))
                a.Bytes.push_back(b);
        if (c.strays) {
            // A count that did not fit, an empty directory, and the real directory's size and
            // offset at another place: 1,000, 301,000 and 601,000 bytes before the end.
            TZAEndRecord stray[3];
            stray[0].TotalEntries = stray[0].EntriesOnDisk = kSentinel16;
            stray[2].SetValues(uint64_t(c.members), a.DirectorySize, a.DirectoryOffset);
            for (size_t k = 0; k < 3; ++k)
                stray[k].Encode(a.Bytes.data() + a.Bytes.size() - 1000 - 300000 * k);
        }
        if (c.front != 0) {
            const std::vector<uint8_t> front = EmptyMembers(c.front, uint16_t(c.front), "a").Bytes;
            a.Bytes.insert(a.Bytes.begin(), front.begin(), front.end());
        }
        CountingStream stream(a.Bytes);
        TZADirManager dir(stream, TZADirSettings{}, false);
        try {
            dir.ReadDirectory();
            EXPECT_FALSE(c.refused);
        } catch (const EZAException& e) {
            EXPECT_TRUE(c.refused && e.Is(ZAError::EntryCountMismatch)) << e.what();
            continue;
        }
        EXPECT_FALSE(dir.Recovered());
        ASSERT_EQ(dir.Working().Count(), c.members);
        EXPECT_EQ(dir.Working().At(0).Name, "m0");
        EXPECT_LT(stream.BytesRead, 8 * int64_t(a.Bytes.size())) << a.Bytes.size();
        const Extracted last = ExtractAll(a.Bytes).back();
        EXPECT_EQ(last.Name, "m" + std::to_string(c.members - 1));
        EXPECT_EQ(last.Result, TZAExtractResult::erOk);
        if (c.amount == 0 && c.front == 0 && c.tail != Tail::Ending && c.tail != Tail::Inner &&
            HaveTool("unzip")) { // Info-ZIP reads the same.
            WriteFile(temp / "plain.zip", a.Bytes);
            EXPECT_EQ(Shell("unzip -Z1 " + Quote(temp / "plain.zip") + " | wc -l").Output,
                      std::to_string(c.members) + "\n");
        }
        if (c.tail == Tail::Ending && HaveTool("7z")) { // as 7z reads it
            WriteFile(temp / "ending.zip", a.Bytes);
            EXPECT_EQ(Shell("7z l -ba " + Quote(temp / "ending.zip") + " | wc -l").Output,
                      std::to_string(c.members) + "\n");
        }
    }
}

// Cancel answered at every question the open asks while it searches and reads: the open ends
// with error 69 and a cancelled outcome, and the archiver is left closed; past the last question
// the archive opens.
TEST(TrailingRecordTest, CancelIsAnsweredAtAnyPointOfTheOpen) {
    Emptyish a = EmptyMembers(40000, 40000);
    AppendNamingRecords(a, 40000, 2000);
    int asked = 0;
    TZipArchiver archiver;
    for (int cancelAt = 1;; ++cancelAt) {
        SCOPED_TRACE(cancelAt);
        ASSERT_LT(cancelAt, 1000) << "never opened";
        asked = 0;
        archiver.OnOverallProgress = [&](TZABaseArchiver&, double, TZAProcessOperation,
                                         TZAProgressPhase,
                                         bool& cancel) { cancel = ++asked == cancelAt; };
        MemoryStream stream(a.Bytes);
        try {
            archiver.OpenArchiveStream(stream, kOpenModeReadOnly);
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), CodeOf(ZAError::OpenCancelled));
            EXPECT_EQ(asked, cancelAt);
            EXPECT_FALSE(archiver.Active());
            EXPECT_EQ(archiver.LastOutcome().Status, TZAOutcome::Result::Cancelled);
            continue;
        }
        EXPECT_EQ(archiver.Count(), 40000);
        EXPECT_EQ(asked, cancelAt - 1);
        EXPECT_GE(asked, 3);
        archiver.CloseArchive(); // while the stream lives
        break;
    }
}
