#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>

#include "tests/zip/TestArchive.h"
#include "tests/zip/TestTools.h"
#include "zip/records/LittleEndian.h"

using namespace zip;
using namespace ziptest;

namespace {

std::vector<Member> ThreeMembers() {
    return {{"a.txt", TextBytes(3000, 1), 1},
            {"dir/b.bin", RandomBytes(700, 2), 0},
            {"c.txt", TextBytes(65537, 3), 9}};
}

int NativeErrorOf(const std::vector<uint8_t>& bytes, std::string* message = nullptr) {
    try {
        ExtractAll(bytes);
    } catch (const EZAException& e) {
        if (message)
            *message = e.what();
        return e.NativeError();
    }
    return -1;
}

// Peak resident memory (KiB) of albumzip unpacking file into folder, and what it said.
std::pair<long, std::string> UnpackPeak(const std::string& file, const std::string& folder) {
    const auto r = Shell("/usr/bin/time -f 'peak=%M' " + Quote(FZ_ALBUMZIP) + " unpack " +
                         Quote(file) + " " + Quote(folder) + " 2>&1");
    const size_t at = r.Output.rfind("peak=");
    return {at == std::string::npos ? -1 : std::stol(r.Output.substr(at + 5)), r.Output};
}

// Stored empty members named by their number (or all "a"), with a directory or without one.
void WriteTinyMembers(const std::string& path, int64_t count, bool sameName, bool directory) {
    std::ofstream out(path, std::ios::binary);
    std::vector<uint8_t> central(46);
    TDirItem item;
    item.VersionMadeBy = item.VersionNeeded = 10;
    for (int64_t i = 0; i < count; ++i) {
        item.Name = sameName ? "a" : std::to_string(i);
        item.NameLength = uint16_t(item.Name.size());
        item.LocalHeaderOffset = static_cast<uint32_t>(out.tellp());
        const auto local =
            TZALocalHeader::FromItem(item, item.Name, false).Assemble(item.Name, false, 0, 0);
        out.write(reinterpret_cast<const char*>(local.data()), std::streamsize(local.size()));
        if (!directory)
            continue;
        item.EncodeFixed(central.data() + central.size() - 46);
        central.insert(central.end(), item.Name.begin(), item.Name.end());
        central.resize(central.size() + 46);
    }
    central.resize(directory ? central.size() - 46 : 0);
    const auto start = static_cast<uint64_t>(out.tellp());
    out.write(reinterpret_cast<const char*>(central.data()), std::streamsize(central.size()));
    uint8_t tail[56 + 20 + 22] = {};
    TZAZip64EndRecord rec;
    rec.EntriesOnDisk = rec.TotalEntries = uint64_t(count);
    rec.DirectorySize = central.size();
    rec.DirectoryOffset = start;
    rec.Encode(tail);
    TZAZip64Locator loc;
    loc.Zip64EndOffset = start + central.size();
    loc.Encode(tail + 56);
    TZAEndRecord end;
    end.SetValues(uint64_t(count), central.size(), start);
    end.Encode(tail + 76);
    if (directory)
        out.write(reinterpret_cast<const char*>(tail), sizeof tail);
}

} // namespace

TEST(DirectoryBoundsTest, BytesAfterTheEndRecordAreIgnored) {
    const auto good = WriterArchive(ThreeMembers());
    std::vector<uint8_t> strayRecord(22, 0); // a record naming no directory, inside the junk
    le::Put32(strayRecord.data(), kEndRecordSignature);
    le::Put32(strayRecord.data() + 12, 500);
    const struct {
        size_t size;
        bool junk;
        bool stray;
    } cases[] = {{1, false, false},   {1024, false, false}, {10240, false, false},
                 {1024, true, false}, {10240, true, false}, {4096, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.size << (c.junk ? " junk" : " zeros"));
        auto bytes = good;
        const auto tail = c.junk ? RandomBytes(c.size, 7) : std::vector<uint8_t>(c.size, 0);
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        if (c.stray)
            std::copy(strayRecord.begin(), strayRecord.end(), bytes.end() - 1000);
        bool recovered = true;
        const auto out = ExtractAll(bytes, {}, &recovered);
        EXPECT_FALSE(recovered);
        ASSERT_EQ(out.size(), 3u);
        for (size_t i = 0; i < 3; ++i)
            EXPECT_EQ(out[i].Data, ThreeMembers()[i].Data) << out[i].Name;
    }
}

TEST(DirectoryBoundsTest, BlockPaddedArchiveUnpacksExactly) {
    if (!HaveTool("bsdtar"))
        GTEST_SKIP() << "bsdtar is not installed";
    ScratchDir temp;
    WriteFile(temp / "src/one.txt", TextBytes(12000, 4));
    WriteFile(temp / "src/sub/two.bin", RandomBytes(5000, 5));
    ASSERT_EQ(Shell("cd " + Quote(temp / "src") + " && bsdtar --format zip -cf - . | cat > " +
                    Quote(temp / "s.zip"))
                  .ExitCode,
              0);
    ASSERT_EQ(ReadBytes(temp / "s.zip").size() % 10240, 0u);
    const auto r = Shell(Quote(FZ_ALBUMZIP) + " unpack " + Quote(temp / "s.zip") + " " +
                         Quote(temp / "out") + " 2>&1");
    EXPECT_EQ(r.ExitCode, 0) << r.Output;
    EXPECT_EQ(ReadBytes(temp / "out/one.txt"), TextBytes(12000, 4));
    EXPECT_EQ(ReadBytes(temp / "out/sub/two.bin"), RandomBytes(5000, 5));
}

TEST(DirectoryBoundsTest, CountAndDirectoryMustAgree) {
    const auto good = WriterArchive(ThreeMembers());
    const size_t end = good.size() - 22;
    for (const uint16_t count : {uint16_t{1}, uint16_t{2}, uint16_t{4}, uint16_t{500}}) {
        SCOPED_TRACE(count);
        auto bytes = good;
        le::Put16(bytes.data() + end + 8, count);
        le::Put16(bytes.data() + end + 10, count);
        std::string message;
        EXPECT_EQ(NativeErrorOf(bytes, &message), CodeOf(ZAError::EntryCountMismatch));
        EXPECT_NE(message.find("counts " + std::to_string(count) +
                               " entries, its directory "
                               "holds 3"),
                  std::string::npos)
            << message;
    }
}

TEST(DirectoryBoundsTest, BadNameIsNamed) {
    auto bytes = WriterArchive({{"ok.txt", Bytes("1"), 0}, {"bad-name.txt", Bytes("2"), 0}});
    const size_t central = le::Get32(bytes.data() + bytes.size() - 22 + 16);
    const size_t name = central + 46 + 6 + 46 + 3; // "bad" in the second entry
    ASSERT_EQ(bytes[name], '-');
    bytes[name] = 0;
    std::string message;
    EXPECT_EQ(NativeErrorOf(bytes, &message), CodeOf(ZAError::UnsafeName));
    EXPECT_NE(message.find("\"bad\\x00name.txt\""), std::string::npos) << message;
}

TEST(DirectoryBoundsTest, HugeDirectoriesAreRefusedEarly) {
    // 100 MB of headers of one tiny member and no directory (a rebuild), and 1.3 million empty
    // members with a sound directory: both pass the memory cap, and are refused long before
    // their entries would take gigabytes.
    const struct {
        int64_t count;
        bool sameName;
        bool directory;
    } cases[] = {{100'000'000 / 31, true, false}, {1'300'000, false, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.count);
        ScratchDir temp;
        WriteTinyMembers(temp / "big.zip", c.count, c.sameName, c.directory);
        const auto started = std::chrono::steady_clock::now();
        const auto [peakKiB, output] = UnpackPeak(temp / "big.zip", temp / "out");
        const auto seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started);
        EXPECT_NE(output.find("Native error: 00068"), std::string::npos) << output;
        EXPECT_GT(peakKiB, 0);
        EXPECT_LT(peakKiB, 300 * 1024);
        EXPECT_LT(seconds.count(), 20.0);
        EXPECT_FALSE(std::filesystem::exists(temp / "out/a"));
    }
}

TEST(DirectoryBoundsTest, RebuildKeepsOneEntryPerName) {
    // The members of a truncated archive, one of them written three times.
    std::vector<uint8_t> bytes;
    for (const auto& [name, data] : std::vector<std::pair<std::string, std::string>>{
             {"a.txt", "first"}, {"b.txt", "other"}, {"a.txt", "second"}, {"a.txt", "third"}}) {
        const auto one = WriterArchive({{name, Bytes(data), 0}});
        bytes.insert(bytes.end(), one.begin(),
                     one.begin() + le::Get32(one.data() + one.size() - 6));
    }
    bool recovered = false;
    const auto out = ExtractAll(bytes, {}, &recovered);
    EXPECT_TRUE(recovered);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].Name, "a.txt");
    EXPECT_EQ(out[0].Data, Bytes("third"));
    EXPECT_EQ(out[1].Data, Bytes("other"));
}
