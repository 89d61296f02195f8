#include <gtest/gtest.h>

#include "tests/zip/TestArchive.h"
#include "tests/zip/TestTools.h"

using namespace zip;
using namespace ziptest;

namespace {

// A stream in memory that counts the bytes read from it: the work of an open, counted.
class CountingStream : public MemoryStream {
public:
    explicit CountingStream(std::vector<uint8_t> bytes) : MemoryStream(std::move(bytes)) {}
    int64_t Read(void* buffer, int64_t count) override {
        const int64_t got = MemoryStream::Read(buffer, count);
        BytesRead += got;
        return got;
    }
    int64_t BytesRead = 0;
};

void Append(std::vector<uint8_t>& bytes, const TZAEndRecord& record) {
    bytes.resize(bytes.size() + 22);
    record.Encode(bytes.data() + bytes.size() - 22);
}

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
        central.resize(central.size() + 46);
        item.EncodeFixed(central.data() + central.size() - 46);
        central.insert(central.end(), item.Name.begin(), item.Name.end());
    }
    a.DirectoryOffset = uint32_t(a.Bytes.size());
    a.DirectorySize = uint32_t(central.size());
    a.Bytes.insert(a.Bytes.end(), central.begin(), central.end());
    TZAEndRecord end;
    end.SetValues(0, a.DirectorySize, a.DirectoryOffset);
    end.EntriesOnDisk = end.TotalEntries = stated;
    Append(a.Bytes, end);
    return a;
}

// Records after a, each naming its directory with the size that reaches up to it, and a last
// byte, so that no record ends the file and every one is a candidate.
std::vector<uint8_t> WithNamingRecords(const Emptyish& a, int64_t members, size_t records) {
    std::vector<uint8_t> bytes = a.Bytes;
    for (size_t k = 1; k <= records; ++k) {
        TZAEndRecord record;
        record.SetValues(uint64_t(members), a.DirectorySize + 22 * k, a.DirectoryOffset);
        Append(bytes, record);
    }
    bytes.push_back(0);
    return bytes;
}

struct Opened {
    int32_t Count = 0;
    bool Recovered = false;
    int64_t BytesRead = 0;
    std::string FirstName;
};

Opened Open(const std::vector<uint8_t>& bytes) {
    CountingStream stream(bytes);
    TZADirManager dir(stream, TZADirSettings{}, false);
    dir.ReadDirectory();
    return {dir.Working().Count(), dir.Recovered(), stream.BytesRead,
            dir.Working().Count() > 0 ? dir.Working().At(0).Name : std::string()};
}

} // namespace

// Other bytes after an archive: records naming its directory with every size up to them (each
// one a full read of the directory before it is found wanting), a megabyte of zeros or of
// other bytes, stray records among them. The archive opens as written, and what the open reads
// stays within a few times the file, however many records there are.
TEST(TrailingRecordTest, OtherBytesAfterTheArchiveCostLinearWork) {
    enum class Tail { NamingRecords, Zeros, Random };
    const struct {
        const char* name;
        Tail tail;
        size_t amount; // records, or bytes
        bool strays;
    } cases[] = {
        {"one record naming the directory", Tail::NamingRecords, 1, false},
        {"2,900 records naming the directory", Tail::NamingRecords, 2900, false},
        {"70,000 zeros", Tail::Zeros, 70000, false},
        {"1 MiB of zeros with stray records", Tail::Zeros, 1 << 20, true},
        {"1 MiB of other bytes with stray records", Tail::Random, 1 << 20, true},
    };
    constexpr int64_t kMembers = 3000;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Emptyish a = EmptyMembers(kMembers, kMembers);
        std::vector<uint8_t> bytes = a.Bytes;
        if (c.tail == Tail::NamingRecords) {
            bytes = WithNamingRecords(a, kMembers, c.amount);
        } else {
            const auto tail = c.tail == Tail::Zeros ? std::vector<uint8_t>(c.amount, 0)
                                                    : RandomBytes(c.amount, 11);
            bytes.insert(bytes.end(), tail.begin(), tail.end());
        }
        if (c.strays) {
            // A count that did not fit, an empty directory, and the real directory's size and
            // offset at another place.
            TZAEndRecord doubtful, empty, misplaced;
            doubtful.TotalEntries = doubtful.EntriesOnDisk = kSentinel16;
            misplaced.SetValues(kMembers, a.DirectorySize, a.DirectoryOffset);
            size_t at = bytes.size() - 1000;
            for (const TZAEndRecord* r : {&doubtful, &empty, &misplaced}) {
                r->Encode(bytes.data() + at);
                at -= 300000;
            }
        }
        const Opened opened = Open(bytes);
        EXPECT_FALSE(opened.Recovered);
        EXPECT_EQ(opened.Count, kMembers);
        EXPECT_EQ(opened.FirstName, "m0");
        EXPECT_LT(opened.BytesRead, 8 * int64_t(bytes.size())) << bytes.size();
    }
}

// Writers without Zip64 let the 16-bit count wrap: 70,000 members are counted 4,464. A count
// that agrees modulo 65,536 is taken when the entries fill the directory; any other is refused.
TEST(TrailingRecordTest, WrappedCountsAreTakenWhenTheDirectoryIsFull) {
    constexpr int64_t kMembers = 70000;
    const struct {
        uint16_t stated;
        bool padded;
        int expectedError; // 0: read whole
    } cases[] = {
        {uint16_t(kMembers % 65536), false, 0},
        {uint16_t(kMembers % 65536), true, 0},
        {uint16_t(kMembers % 65536 + 1), false, CodeOf(ZAError::EntryCountMismatch)},
    };
    ScratchDir temp;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stated << (c.padded ? " padded" : ""));
        std::vector<uint8_t> bytes = EmptyMembers(kMembers, c.stated).Bytes;
        if (c.padded)
            bytes.resize(bytes.size() + 100000, 0);
        try {
            const Opened opened = Open(bytes);
            EXPECT_EQ(c.expectedError, 0);
            EXPECT_FALSE(opened.Recovered);
            EXPECT_EQ(opened.Count, kMembers);
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), c.expectedError) << e.what();
        }
        if (c.expectedError != 0 || c.padded || !HaveTool("unzip"))
            continue;
        // Info-ZIP reads the same members.
        WriteFile(temp / "wrapped.zip", bytes);
        const auto listed = Shell("unzip -Z1 " + Quote(temp / "wrapped.zip") + " | wc -l");
        EXPECT_EQ(std::stoll(listed.Output), kMembers) << listed.Output;
    }
}

// Two archives joined, with or without bytes after the second: the later one is read, from its
// own local headers. An archive stored inside a cut-off one is no archive of its own.
TEST(TrailingRecordTest, JoinedArchivesReadTheLastOne) {
    const Emptyish first = EmptyMembers(40, 40, "a");
    const Emptyish second = EmptyMembers(30, 30, "b");
    for (const size_t padding : {size_t{0}, size_t{1000}, size_t{1} << 20}) {
        SCOPED_TRACE(padding);
        std::vector<uint8_t> bytes = first.Bytes;
        bytes.insert(bytes.end(), second.Bytes.begin(), second.Bytes.end());
        bytes.resize(bytes.size() + padding, 0);
        const Opened opened = Open(bytes);
        EXPECT_FALSE(opened.Recovered);
        EXPECT_EQ(opened.Count, 30);
        EXPECT_EQ(opened.FirstName, "b0");
        EXPECT_EQ(ExtractAll(bytes).back().Name, "b29");
    }
}

// Cancel answered at every question the open asks while it searches and reads: the open ends
// with error 69 and a cancelled outcome, and the archiver is left closed.
TEST(TrailingRecordTest, CancelIsAnsweredAtAnyPointOfTheOpen) {
    const std::vector<uint8_t> bytes = WithNamingRecords(EmptyMembers(40000, 40000), 40000, 2000);
    int asked = 0;
    int cancelAt = 0;
    TZipArchiver archiver;
    archiver.OnOverallProgress = [&](TZABaseArchiver&, double, TZAProcessOperation,
                                     TZAProgressPhase,
                                     bool& cancel) { cancel = ++asked == cancelAt; };
    MemoryStream whole(bytes);
    archiver.OpenArchiveStream(whole, kOpenModeReadOnly);
    EXPECT_EQ(archiver.Count(), 40000);
    archiver.CloseArchive();
    const int questions = asked;
    ASSERT_GE(questions, 3);
    for (cancelAt = 1; cancelAt <= questions; ++cancelAt) {
        SCOPED_TRACE(cancelAt);
        asked = 0;
        MemoryStream stream(bytes);
        try {
            archiver.OpenArchiveStream(stream, kOpenModeReadOnly);
            ADD_FAILURE() << "opened";
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), CodeOf(ZAError::OpenCancelled));
        }
        EXPECT_EQ(asked, cancelAt);
        EXPECT_FALSE(archiver.Active());
        EXPECT_EQ(archiver.LastOutcome().Status, TZAOutcome::Result::Cancelled);
    }
}
