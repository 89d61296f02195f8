#include <gtest/gtest.h>

#include <filesystem>

#include "tests/zip/TestArchive.h"
#include "tests/zip/TestTools.h"
#include "zip/archiver/ZipArchiver.h"
#include "zip/archiver/ZipRoutines.h"
#include "zip/codec/Crc32.h"
#include "zip/names/ExtractPath.h"
#include "zip/records/LittleEndian.h"

using namespace zip;
using namespace ziptest;

namespace {

std::vector<Member> SmallMembers() {
    return {{"dir/", {}, 0, {}, true},
            {"dir/stored.txt", TextBytes(1200, 1), 0},
            {"deflated.txt", TextBytes(3000, 2), 1},
            {"empty.bin", {}, 1},
            {"random.bin", RandomBytes(700, 3), 6},
            {"dir/sub/", {}, 0, {}, true},
            {"dir/sub/last.txt", TextBytes(500, 4), 9},
            {"secret.txt", TextBytes(400, 5), 1, "pw"}};
}

// What happens to a hostile archive: the engine's own error (its native code) or -1 when it
// opened and every member was handled without one. Any other exception fails the test.
int Outcome(const std::vector<uint8_t>& bytes, bool* recovered = nullptr,
            std::vector<Extracted>* out = nullptr) {
    try {
        auto result = ExtractAll(bytes, "pw", recovered);
        if (out)
            *out = std::move(result);
        return -1;
    } catch (const EZAException& e) {
        return e.NativeError();
    }
}

// Offsets of the records of an archive without a comment.
struct Layout {
    size_t central;
    size_t end;
};

Layout LayoutOf(const std::vector<uint8_t>& bytes) {
    const size_t end = bytes.size() - 22;
    return {le::Get32(bytes.data() + end + 16), end};
}

// A member reported intact holds exactly what was stored under its name.
void ExpectOnlyIntactData(const std::vector<Extracted>& out, const std::vector<Member>& members) {
    for (const Extracted& e : out) {
        if (e.Result != TZAExtractResult::erOk || e.Folder)
            continue;
        for (const Member& m : members) {
            if (m.Name == e.Name) {
                EXPECT_EQ(e.Data, m.Data) << e.Name;
            }
        }
    }
}

std::vector<uint8_t> OneMember() {
    return WriterArchive({{"a.txt", TextBytes(2000, 9), 1}});
}

} // namespace

TEST(HostileTest, EveryTruncation) {
    const auto members = SmallMembers();
    const auto bytes = WriterArchive(members);
    for (size_t length = 0; length < bytes.size(); ++length) {
        SCOPED_TRACE(length);
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + length);
        bool recovered = false;
        std::vector<Extracted> out;
        const int code = Outcome(cut, &recovered, &out);
        if (code != -1) {
            EXPECT_TRUE(code == 8 || code == 35 || code == 57) << code;
            continue;
        }
        // Without its end record an archive only opens as recovered, and what it yields
        // passed the size and CRC checks.
        EXPECT_TRUE(recovered);
        ExpectOnlyIntactData(out, members);
    }
}

TEST(HostileTest, EveryChangedByte) {
    const auto members = SmallMembers();
    const auto original = WriterArchive(members);
    for (size_t i = 0; i < original.size(); ++i) {
        for (const uint8_t mask : {uint8_t{0x01}, uint8_t{0xFF}}) {
            SCOPED_TRACE(testing::Message() << "byte " << i << " mask " << int(mask));
            auto bytes = original;
            bytes[i] ^= mask;
            std::vector<Extracted> out;
            if (Outcome(bytes, nullptr, &out) == -1)
                ExpectOnlyIntactData(out, members);
        }
    }
}

TEST(HostileTest, CraftedDirectories) {
    const auto good = OneMember();
    const Layout at = LayoutOf(good);

    // The directory claims to be larger than the file.
    {
        auto bytes = good;
        le::Put32(bytes.data() + at.end + 12, 0x7FFFFFFF);
        EXPECT_EQ(Outcome(bytes), 57);
    }
    // More entries than the directory can hold.
    {
        auto bytes = good;
        le::Put16(bytes.data() + at.end + 8, 60000);
        le::Put16(bytes.data() + at.end + 10, 60000);
        EXPECT_EQ(Outcome(bytes), CodeOf(ZAError::EntryCountMismatch));
    }
    // 0xFFFF entries without the Zip64 records: read from the local headers instead.
    {
        auto bytes = good;
        le::Put16(bytes.data() + at.end + 10, 0xFFFF);
        bool recovered = false;
        std::vector<Extracted> out;
        EXPECT_EQ(Outcome(bytes, &recovered, &out), -1);
        EXPECT_TRUE(recovered);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].Data, TextBytes(2000, 9));
    }
    // A directory offset far past the end is not trusted: the directory is found where the
    // end record says it ends.
    {
        auto bytes = good;
        le::Put32(bytes.data() + at.end + 16, 0xFFFFFFF0);
        std::vector<Extracted> out;
        EXPECT_EQ(Outcome(bytes, nullptr, &out), -1);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].Data, TextBytes(2000, 9));
    }
    // A name length running past the end of the file.
    {
        auto bytes = good;
        le::Put16(bytes.data() + at.central + 28, 0xFFFF);
        EXPECT_EQ(Outcome(bytes), 57);
    }
    // A central header whose signature is gone.
    {
        auto bytes = good;
        le::Put32(bytes.data() + at.central, 0);
        EXPECT_EQ(Outcome(bytes), 57);
    }
    // A local header offset past the end, and one that points at no local header.
    {
        auto bytes = good;
        le::Put32(bytes.data() + at.central + 42, 0x7FFFFFF0);
        EXPECT_EQ(Outcome(bytes), CodeOf(ZAError::MemberOverlap));
        le::Put32(bytes.data() + at.central + 42, 7);
        EXPECT_EQ(Outcome(bytes), CodeOf(ZAError::MemberOverlap));
    }
    // A wrong CRC.
    {
        auto bytes = good;
        bytes[at.central + 16] ^= 1;
        EXPECT_EQ(Outcome(bytes), 8);
    }
    // A compressed size below the encryption header of an encrypted member.
    {
        auto bytes = WriterArchive({{"e.txt", TextBytes(100, 1), 1, "pw"}});
        const Layout l = LayoutOf(bytes);
        le::Put32(bytes.data() + l.central + 20, 5);
        le::Put32(bytes.data() + 18, 5);
        EXPECT_EQ(Outcome(bytes), 8);
    }
}

namespace {

// An archive ending in a Zip64 end record and locator, built around a valid one-member
// archive; patch() may change the Zip64 record (offset 0) and the locator (offset 56).
std::vector<uint8_t> WithZip64Records(const std::function<void(uint8_t*)>& patch) {
    auto bytes = OneMember();
    const Layout at = LayoutOf(bytes);
    const uint32_t dirSize = le::Get32(bytes.data() + at.end + 12);
    std::vector<uint8_t> tail(56 + 20);
    TZAZip64EndRecord rec;
    rec.EntriesOnDisk = rec.TotalEntries = 1;
    rec.DirectorySize = dirSize;
    rec.DirectoryOffset = at.central;
    rec.Encode(tail.data());
    TZAZip64Locator loc;
    loc.Zip64EndOffset = at.end;
    loc.Encode(tail.data() + 56);
    patch(tail.data());
    std::vector<uint8_t> end(bytes.begin() + at.end, bytes.end());
    le::Put16(end.data() + 10, 0xFFFF);
    bytes.resize(at.end);
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    bytes.insert(bytes.end(), end.begin(), end.end());
    return bytes;
}

} // namespace

TEST(HostileTest, CraftedZip64Records) {
    // The well-formed one opens.
    {
        std::vector<Extracted> out;
        EXPECT_EQ(Outcome(WithZip64Records([](uint8_t*) {}), nullptr, &out), -1);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].Data, TextBytes(2000, 9));
    }
    // 2^32 and 2^63 entries claimed.
    EXPECT_EQ(Outcome(WithZip64Records([](uint8_t* t) { le::Put64(t + 32, 1ull << 32); })),
              CodeOf(ZAError::EntryCountMismatch));
    EXPECT_EQ(Outcome(WithZip64Records([](uint8_t* t) { le::Put64(t + 32, 1ull << 63); })),
              CodeOf(ZAError::EntryCountMismatch));
    // A directory size of 2^63.
    EXPECT_EQ(Outcome(WithZip64Records([](uint8_t* t) { le::Put64(t + 40, 1ull << 63); })), 57);
    // A locator pointing past the end still finds the record right before it.
    EXPECT_EQ(Outcome(WithZip64Records([](uint8_t* t) { le::Put64(t + 56 + 8, 1ull << 62); })), -1);
    // A locator signature at the very start of the file, right before an end record, leaves
    // no room for a Zip64 end record: it is not taken for one, and the empty archive opens.
    {
        std::vector<uint8_t> bytes(20 + 22, 0);
        TZAZip64Locator loc;
        loc.Encode(bytes.data());
        TZAEndRecord end;
        end.Encode(bytes.data() + 20);
        std::vector<Extracted> out;
        EXPECT_EQ(Outcome(bytes, nullptr, &out), -1);
        EXPECT_TRUE(out.empty());
    }
    // A locator whose record is nowhere: error 40.
    EXPECT_EQ(Outcome(WithZip64Records([](uint8_t* t) {
                  le::Put32(t, 0);
                  le::Put64(t + 56 + 8, 1ull << 62);
              })),
              40);
}

TEST(HostileTest, BombDeclaringOneByte) {
    // About 1 MB that inflates to 1 GiB, declared as 1 byte: built by hand, as no writer
    // declares a size it did not write.
    const std::vector<uint8_t> bomb = ZeroBomb(1024);
    TDirItem item;
    item.Name = "bomb.bin";
    item.VersionMadeBy = item.VersionNeeded = 20;
    item.Method = kMethodDeflate;
    item.SetCompressedSize64(bomb.size());
    item.SetUncompressedSize64(1);
    MemoryStream archive;
    const auto header =
        TZALocalHeader::FromItem(item, item.Name, false).Assemble(item.Name, false, 0, 0);
    archive.WriteExact(header.data(), static_cast<int64_t>(header.size()));
    archive.WriteExact(bomb.data(), static_cast<int64_t>(bomb.size()));
    TZADirManager dir(archive, TZADirSettings{}, true);
    dir.Working().Append(item);
    dir.WriteDirectory();
    std::vector<Extracted> out;
    EXPECT_EQ(Outcome(archive.Bytes(), nullptr, &out), 8);
}

TEST(HostileTest, NamesThatMustNotBecomePaths) {
    // Stored as they are (other tools write them); refused when they would become paths.
    for (const std::string name : {"../evil.txt", "/etc/x", "a/../../b", "C:/x", "ok\\..\\..\\y"}) {
        SCOPED_TRACE(name);
        const auto bytes = PythonArchive({{name, Bytes("x"), 0}});
        std::vector<Extracted> out;
        ASSERT_EQ(Outcome(bytes, nullptr, &out), -1);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].Name, name);
        EXPECT_FALSE(TZAExtractPath::Relative(out[0].Name).has_value());
    }
    // NUL in a name: the directory is refused, naming it.
    {
        auto bytes = WriterArchive({{"abc.txt", Bytes("x"), 0}});
        const Layout at = LayoutOf(bytes);
        bytes[at.central + 46 + 1] = '\0';
        EXPECT_EQ(Outcome(bytes), CodeOf(ZAError::UnsafeName));
    }
    // Invalid UTF-8 under flag bit 11 is read in the OEM code page: the directory, and every
    // other member, stays readable.
    {
        auto bytes = WriterArchive({{"日本.txt", Bytes("x"), 0}, {"ok.txt", Bytes("y"), 0}});
        const Layout at = LayoutOf(bytes);
        bytes[at.central + 46] = '\xFF';
        bytes[30] = '\xFF'; // as written: the local header holds the same name
        MemoryStream archive(bytes);
        TZADirManager dir(archive, TZADirSettings{}, false);
        ASSERT_NO_THROW(dir.ReadDirectory());
        ASSERT_EQ(dir.Working().Count(), 2);
        EXPECT_TRUE(ZAIsValidUtf8(dir.Working().At(0).Name));
        EXPECT_EQ(dir.Working().At(0).NameLength, 10);
        EXPECT_EQ(dir.Working().At(1).Name, "ok.txt");
        uint16_t flags = dir.Working().At(0).Flags;
        EXPECT_EQ(ZAEncodeStoredName(dir.Working().At(0).Name, true, flags,
                                     dir.Working().At(0).VersionMadeBy),
                  std::string("\xFF\x97\xA5\xE6\x9C\xAC.txt"))
            << "written back as it was read";
    }
}

TEST(HostileTest, UnzipAllWritesNothingOutsideTheTarget) {
    ScratchDir temp;
    std::filesystem::create_directories(temp / "out");
    for (const std::string name : {"../escaped.txt", "/tmp/zipcore-escaped-abs.txt"}) {
        SCOPED_TRACE(name);
        const std::string path = temp / "evil.zip";
        WriteFile(path, PythonArchive({{name, Bytes("x"), 0}, {"fine.txt", Bytes("y"), 0}}));
        TZipArchiver archiver("ZipArchiver");
        archiver.OnProcessFileFailure = [](TZABaseArchiver&, const std::string&,
                                           TZAProcessOperation, int, int, const std::string&,
                                           TZAAction& action) { action = TZAAction::fxaIgnore; };
        try {
            UnzipAll(archiver, path, temp / "out");
        } catch (const EZAException&) {
        }
        EXPECT_FALSE(std::filesystem::exists(temp / "escaped.txt"));
        EXPECT_FALSE(std::filesystem::exists("/tmp/zipcore-escaped-abs.txt"));
    }
}

TEST(HostileTest, ForeignMethodsFromSevenZip) {
    if (!HaveTool("7z"))
        GTEST_SKIP() << "7z is not installed";
    ScratchDir temp;
    WriteFile(temp / "data.txt", TextBytes(50000, 3));
    const std::vector<std::pair<std::string, int>> cases = {
        {"-mm=BZip2", 66}, {"-mm=LZMA", 66}, {"-mm=Deflate64", 55}, {"-mem=AES256 -psecret", 66}};
    for (const auto& [switches, code] : cases) {
        SCOPED_TRACE(switches);
        const std::string zip = temp / "m.zip";
        std::filesystem::remove(zip);
        const auto r =
            Shell("cd " + Quote(temp.Path()) + " && 7z a -tzip " + switches + " m.zip data.txt");
        ASSERT_EQ(r.ExitCode, 0) << r.Output;
        EXPECT_EQ(Outcome(ReadBytes(zip)), code);
    }
}

namespace {

// One local header holding 4 MiB of deflated zeros, listed by the given central entries
// (name, local header offset, declared compressed size; -1 for the real one).
struct Listing {
    std::string Name;
    uint32_t Offset;
    int64_t Compressed = -1;
};

std::vector<uint8_t> OneDataManyEntries(const std::string& localName,
                                        const std::vector<Listing>& entries) {
    const std::vector<uint8_t> zeros(4 << 20, 0);
    const std::vector<uint8_t> data = ZeroBomb(4);
    TDirItem item;
    item.VersionMadeBy = item.VersionNeeded = 20;
    item.Method = kMethodDeflate;
    item.Crc32 = Crc32Of(zeros.data(), int64_t(zeros.size()));
    item.SetCompressedSize64(data.size());
    item.SetUncompressedSize64(zeros.size());
    MemoryStream archive;
    const auto header =
        TZALocalHeader::FromItem(item, localName, false).Assemble(localName, false, 0, 0);
    archive.WriteExact(header.data(), int64_t(header.size()));
    archive.WriteExact(data.data(), int64_t(data.size()));
    TZADirManager dir(archive, TZADirSettings{}, true);
    for (const Listing& entry : entries) {
        TDirItem listed = item;
        listed.Name = entry.Name;
        listed.LocalHeaderOffset = entry.Offset;
        if (entry.Compressed >= 0)
            listed.SetCompressedSize64(uint64_t(entry.Compressed));
        dir.Working().Append(listed);
    }
    dir.WriteDirectory();
    return archive.Bytes();
}

} // namespace

TEST(HostileTest, MembersSharingDataOrDisagreeingWithTheirHeadersAreRefused) {
    std::vector<Listing> bomb;
    for (int i = 0; i < 300; ++i)
        bomb.push_back({"z" + std::to_string(1000 + i), 0});
    struct Case {
        const char* What;
        std::vector<Listing> Entries;
        int Code; // -1: opens and unpacks
    };
    const std::vector<Case> cases = {
        {"one header listed 300 times", bomb, CodeOf(ZAError::MemberOverlap)},
        {"the same name twice at one header",
         {{"z1000", 0}, {"z1000", 0}},
         CodeOf(ZAError::MemberOverlap)},
        {"another name than the header's", {{"other", 0}}, CodeOf(ZAError::MemberOverlap)},
        {"a size other than the header's", {{"z1000", 0, 100}}, CodeOf(ZAError::MemberOverlap)},
        {"a header inside the data of another",
         {{"z1000", 0}, {"z1000", 40}},
         CodeOf(ZAError::MemberOverlap)},
        {"listed once, as written", {{"z1000", 0}}, -1},
    };
    ScratchDir temp;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.What);
        const std::string path = temp / "bomb.zip";
        const std::string out = temp / "out";
        std::filesystem::remove_all(out);
        std::filesystem::create_directories(out);
        WriteFile(path, OneDataManyEntries("z1000", c.Entries));
        // Damaged archives are tolerated, as always: that must not let these through.
        TZipArchiver archiver("ZipArchiver");
        int code = -1;
        try {
            EXPECT_TRUE(UnzipAll(archiver, path, out));
        } catch (const EZAException& e) {
            code = e.NativeError();
        }
        EXPECT_EQ(code, c.Code);
        const auto written = std::distance(std::filesystem::directory_iterator(out),
                                           std::filesystem::directory_iterator());
        EXPECT_EQ(written, c.Code == -1 ? 1 : 0);
    }
}

namespace {

// The directory of an archive, read as the engine reads it.
std::vector<TDirItem> ListedItems(const std::vector<uint8_t>& bytes) {
    MemoryStream stream(bytes);
    TZADirManager dir(stream, TZADirSettings{}, false);
    dir.ReadDirectory();
    std::vector<TDirItem> items;
    for (int32_t i = 0; i < dir.Working().Count(); ++i)
        items.push_back(dir.Working().At(i));
    return items;
}

// A stored member "outer.bin" whose data is the whole local header and data of "inner.txt",
// with a directory that lists both, the inner one at its header inside the outer's data.
std::vector<uint8_t> MemberInsideAStoredMember() {
    const auto inner = WriterArchive({{"inner.txt", TextBytes(300, 6), 0}});
    const std::vector<uint8_t> nested(inner.begin(), inner.begin() + LayoutOf(inner).central);
    const auto outer = WriterArchive({{"outer.bin", nested, 0}});
    TDirItem listed = ListedItems(inner).at(0);
    listed.LocalHeaderOffset =
        kLocalHeaderSize + le::Get16(outer.data() + 26) + le::Get16(outer.data() + 28);
    MemoryStream archive;
    archive.WriteExact(outer.data(), int64_t(LayoutOf(outer).central));
    TZADirManager dir(archive, TZADirSettings{}, true);
    dir.Working().Append(ListedItems(outer).at(0));
    dir.Working().Append(listed);
    dir.WriteDirectory();
    return archive.Bytes();
}

std::vector<uint8_t> LastHeaderWithoutItsSignature() {
    auto bytes = WriterArchive({{"a.txt", TextBytes(700, 7), 0}, {"b.txt", TextBytes(900, 8), 1}});
    le::Put32(bytes.data() + ListedItems(bytes).at(1).LocalHeaderOffset, 0x08074B50);
    return bytes;
}

} // namespace

// Each guard of the overlap check on its own: a header that is whole and valid but stands in
// another member's bytes, and a header in the right place that is no header.
TEST(HostileTest, EachOverlapGuardRefusesOnItsOwn) {
    const struct {
        const char* What;
        std::vector<uint8_t> Bytes;
        int Code;
    } cases[] = {
        {"a valid header of a listed member inside a stored member", MemberInsideAStoredMember(),
         CodeOf(ZAError::MemberOverlap)},
        {"a bad signature at the last member's header", LastHeaderWithoutItsSignature(),
         CodeOf(ZAError::MemberOverlap)},
        {"two members as written",
         WriterArchive({{"a.txt", TextBytes(700, 7), 0}, {"b.txt", TextBytes(900, 8), 1}}), -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.What);
        std::vector<Extracted> out;
        EXPECT_EQ(Outcome(c.Bytes, nullptr, &out), c.Code);
        if (c.Code == -1)
            EXPECT_EQ(out.size(), 2u);
    }
}
