#include <gtest/gtest.h>

#include <vector>

#include "tests/zip/ArchiverTestSupport.h"
#include "zip/ZAExcept.h"
#include "zip/directory/DirItem.h"
#include "zip/records/DataDescriptor.h"
#include "zip/records/EndRecord.h"
#include "zip/records/ExtraField.h"
#include "zip/records/LocalHeader.h"
#include "zip/records/Zip64EndRecord.h"
#include "zip/records/Zip64Locator.h"
#include "zip/streams/MemoryStream.h"

using namespace zip;

// Every field gets a value whose bytes are all different, so that a field written at the
// wrong offset, with the wrong width or in the wrong byte order shows in the raw bytes.
TEST(RecordsTest, LocalHeaderFieldByField) {
    TZALocalHeader h;
    h.VersionNeeded = 0x0201;
    h.Flags = 0x0403;
    h.Method = 0x0605;
    h.Time = 0x0807;
    h.Date = 0x0A09;
    h.Crc32 = 0x0E0D0C0B;
    h.CompressedSize = 0x1211100F;
    h.UncompressedSize = 0x16151413;
    h.NameLength = 0x1817;
    h.ExtraLength = 0x1A19;
    uint8_t raw[30];
    h.Encode(raw);
    const uint8_t expected[30] = {0x50, 0x4B, 0x03, 0x04, 1,    2,    3,    4,    5,    6,
                                  7,    8,    9,    10,   0x0B, 0x0C, 0x0D, 0x0E, 0x0F, 0x10,
                                  0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A};
    EXPECT_EQ(std::vector<uint8_t>(raw, raw + 30), std::vector<uint8_t>(expected, expected + 30));
    const TZALocalHeader back = TZALocalHeader::Decode(raw);
    EXPECT_EQ(back.Signature, 0x04034B50u);
    EXPECT_EQ(back.VersionNeeded, h.VersionNeeded);
    EXPECT_EQ(back.Flags, h.Flags);
    EXPECT_EQ(back.Method, h.Method);
    EXPECT_EQ(back.Time, h.Time);
    EXPECT_EQ(back.Date, h.Date);
    EXPECT_EQ(back.Crc32, h.Crc32);
    EXPECT_EQ(back.CompressedSize, h.CompressedSize);
    EXPECT_EQ(back.UncompressedSize, h.UncompressedSize);
    EXPECT_EQ(back.NameLength, h.NameLength);
    EXPECT_EQ(back.ExtraLength, h.ExtraLength);
}

TEST(RecordsTest, LocalHeaderWithZip64Field) {
    TDirItem item;
    item.VersionNeeded = 45;
    item.Method = 8;
    item.Crc32 = 0xDEADBEEF;
    item.SetUncompressedSize64(0x100000001ull);
    item.SetCompressedSize64(0x0A0B0C0D0E0Full);
    item.CompressedSize = 1000; // as if only the uncompressed size needed 64 bits
    const auto bytes = TZALocalHeader::FromItem(item, "big.bin", true)
                           .Assemble("big.bin", true, 0x100000001ull, 0x0A0B0C0D0E0Full);
    ASSERT_EQ(bytes.size(), 30u + 7 + 20);
    const TZALocalHeader decoded = TZALocalHeader::Decode(bytes.data());
    EXPECT_EQ(decoded.ExtraLength, 20);
    // Both size fields point at the field, also when only one size needs 64 bits.
    EXPECT_EQ(decoded.CompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(decoded.UncompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(std::string(bytes.begin() + 30, bytes.begin() + 37), "big.bin");
    const uint8_t field[20] = {1, 0, 16,   0,    1,    0,    0,    0,    1, 0,
                               0, 0, 0x0F, 0x0E, 0x0D, 0x0C, 0x0B, 0x0A, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 37, bytes.end()),
              std::vector<uint8_t>(field, field + 20));
}

TEST(RecordsTest, CentralHeaderFieldByField) {
    TDirItem item;
    item.VersionMadeBy = 0x0201;
    item.VersionNeeded = 0x0403;
    item.Flags = 0x0605;
    item.Method = 0x0807;
    item.Time = 0x0A09;
    item.Date = 0x0C0B;
    item.Crc32 = 0x100F0E0D;
    item.CompressedSize = 0x14131211;
    item.UncompressedSize = 0x18171615;
    item.NameLength = 0x1A19;
    item.ExtraLength = 0x1C1B;
    item.CommentLength = 0x1E1D;
    item.DiskStart = 0x201F;
    item.InternalAttributes = 0x2221;
    item.ExternalAttributes = 0x26252423;
    item.LocalHeaderOffset = 0x2A292827;
    uint8_t raw[46];
    item.EncodeFixed(raw);
    EXPECT_EQ(raw[0], 0x50);
    EXPECT_EQ(raw[3], 0x02);
    for (int i = 4; i < 46; ++i)
        EXPECT_EQ(raw[i], i - 3) << "byte " << i;
    TDirItem back;
    back.DecodeFixed(raw);
    uint8_t again[46];
    back.EncodeFixed(again);
    EXPECT_EQ(std::vector<uint8_t>(raw, raw + 46), std::vector<uint8_t>(again, again + 46));
    EXPECT_EQ(back.LocalHeaderOffset, item.LocalHeaderOffset);
    EXPECT_EQ(back.ExternalAttributes, item.ExternalAttributes);
}

TEST(RecordsTest, EndRecordsFieldByField) {
    TZAEndRecord end;
    end.ThisDisk = 0x0201;
    end.DirectoryDisk = 0x0403;
    end.EntriesOnDisk = 0x0605;
    end.TotalEntries = 0x0807;
    end.DirectorySize = 0x0C0B0A09;
    end.DirectoryOffset = 0x100F0E0D;
    end.CommentLength = 0x1211;
    uint8_t raw[22];
    end.Encode(raw);
    EXPECT_EQ(raw[0], 0x50);
    for (int i = 4; i < 22; ++i)
        EXPECT_EQ(raw[i], i - 3);
    const TZAEndRecord e2 = TZAEndRecord::Decode(raw);
    EXPECT_EQ(e2.DirectoryOffset, end.DirectoryOffset);
    EXPECT_EQ(e2.CommentLength, end.CommentLength);

    TZAZip64EndRecord z;
    z.ThisDisk = 0x11223344;
    z.DirectoryDisk = 0x55667788;
    z.EntriesOnDisk = 0x0102030405060708ull;
    z.TotalEntries = 0x1112131415161718ull;
    z.DirectorySize = 0x2122232425262728ull;
    z.DirectoryOffset = 0x3132333435363738ull;
    uint8_t z64[56];
    z.Encode(z64);
    EXPECT_EQ(z64[4], 44); // size of the rest
    EXPECT_EQ(z64[12], 45);
    EXPECT_EQ(z64[14], 45);
    EXPECT_EQ(z64[24], 0x08);
    EXPECT_EQ(z64[31], 0x01);
    EXPECT_EQ(z64[48], 0x38);
    const TZAZip64EndRecord z2 = TZAZip64EndRecord::Decode(z64);
    EXPECT_EQ(z2.RecordSize, 44u);
    EXPECT_EQ(z2.ThisDisk, z.ThisDisk);
    EXPECT_EQ(z2.DirectoryDisk, z.DirectoryDisk);
    EXPECT_EQ(z2.EntriesOnDisk, z.EntriesOnDisk);
    EXPECT_EQ(z2.TotalEntries, z.TotalEntries);
    EXPECT_EQ(z2.DirectorySize, z.DirectorySize);
    EXPECT_EQ(z2.DirectoryOffset, z.DirectoryOffset);

    TZAZip64Locator l;
    l.Zip64EndDisk = 0x04030201;
    l.Zip64EndOffset = 0x0C0B0A0908070605ull;
    l.TotalDisks = 0x100F0E0D;
    uint8_t loc[20];
    l.Encode(loc);
    EXPECT_EQ(loc[0], 0x50);
    EXPECT_EQ(loc[3], 0x07);
    for (int i = 4; i < 20; ++i)
        EXPECT_EQ(loc[i], i - 3);
    const TZAZip64Locator l2 = TZAZip64Locator::Decode(loc);
    EXPECT_EQ(l2.Zip64EndOffset, l.Zip64EndOffset);
    EXPECT_EQ(l2.TotalDisks, l.TotalDisks);
}

TEST(RecordsTest, EndRecordSentinels) {
    TZAEndRecord end;
    end.SetValues(65534, 0xFFFFFFFEull, 0xFFFFFFFEull);
    EXPECT_EQ(end.TotalEntries, 65534);
    EXPECT_EQ(end.EntriesOnDisk, 65534);
    EXPECT_EQ(end.DirectorySize, 0xFFFFFFFEu);
    end.SetValues(65535, 0xFFFFFFFFull, 0x100000000ull);
    EXPECT_EQ(end.TotalEntries, 0xFFFF);
    EXPECT_EQ(end.EntriesOnDisk, 0xFFFF);
    EXPECT_EQ(end.DirectorySize, 0xFFFFFFFFu);
    EXPECT_EQ(end.DirectoryOffset, 0xFFFFFFFFu);
}

TEST(RecordsTest, DataDescriptorBothForms) {
    const uint8_t dd[24] = {0x50, 0x4B, 0x07, 0x08, 1,  2,  3,  4,  5,  6,  7,  8,
                            9,    10,   11,   12,   13, 14, 15, 16, 17, 18, 19, 20};
    const TZADataDescriptor small = TZADataDescriptor::Decode(dd, false);
    EXPECT_EQ(small.Crc32, 0x04030201u);
    EXPECT_EQ(small.CompressedSize, 0x08070605u);
    EXPECT_EQ(small.UncompressedSize, 0x0C0B0A09u);
    const TZADataDescriptor large = TZADataDescriptor::Decode(dd, true);
    EXPECT_EQ(large.CompressedSize, 0x0C0B0A0908070605ull);
    EXPECT_EQ(large.UncompressedSize, 0x14131211100F0E0Dull);
}

namespace {

std::vector<uint8_t> EndRecordBytes(uint16_t commentLength) {
    std::vector<uint8_t> r(22, 0);
    r[0] = 0x50, r[1] = 0x4B, r[2] = 0x05, r[3] = 0x06;
    r[20] = static_cast<uint8_t>(commentLength);
    r[21] = static_cast<uint8_t>(commentLength >> 8);
    return r;
}

} // namespace

TEST(RecordsTest, EndRecordSearch) {
    // The longest comment is still inside the window.
    {
        std::vector<uint8_t> bytes(100, 'x');
        auto rec = EndRecordBytes(65535);
        bytes.insert(bytes.end(), rec.begin(), rec.end());
        bytes.insert(bytes.end(), 65535, 'c');
        MemoryStream s(bytes);
        const auto found = TZAEndRecord::Find(s, 0x06054B50);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->Position, 100);
        EXPECT_EQ(found->Comment.size(), 65535u);
    }
    // A signature inside the comment whose length does not reach the end is passed over.
    {
        auto bytes = EndRecordBytes(30);
        auto fake = EndRecordBytes(0);
        bytes.insert(bytes.end(), fake.begin(), fake.end());
        bytes.insert(bytes.end(), 8, 'z');
        MemoryStream s(bytes);
        const auto found = TZAEndRecord::Find(s, 0x06054B50);
        ASSERT_TRUE(found);
        EXPECT_EQ(found->Position, 0);
        EXPECT_EQ(found->Comment.size(), 30u);
    }
    // One byte of garbage after the record: nothing that ends exactly at the end.
    {
        auto bytes = EndRecordBytes(0);
        bytes.push_back(0);
        MemoryStream s(bytes);
        EXPECT_FALSE(TZAEndRecord::Find(s, 0x06054B50));
    }
    // Too short, or empty.
    {
        MemoryStream s(std::vector<uint8_t>(21, 0));
        EXPECT_FALSE(TZAEndRecord::Find(s, 0x06054B50));
        MemoryStream empty;
        EXPECT_FALSE(TZAEndRecord::Find(empty, 0x06054B50));
    }
    // A read that fails is an error in the component's name, not a stream without a record.
    {
        MemoryStream s(EndRecordBytes(0));
        ziptest::FaultyStream failing(s, 1, 0);
        failing.Arm();
        try {
            TZAEndRecord::Find(failing, 0x06054B50, "ZipArchiver");
            FAIL() << "no error";
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), 44);
            EXPECT_EQ(std::string(e.what()).rfind("ZipArchiver: ", 0), 0u) << e.what();
        }
    }
}

TEST(ExtraFieldTest, SplitCutsAndStopsSafely) {
    // A block claiming more than is left is cut; 1-3 trailing bytes end the split.
    const uint8_t data[] = {0x55, 0x54, 2, 0, 'a', 'b', 0x01, 0x99, 9, 0, 'x', 'y', 'z'};
    auto blocks = TZAExtraField::Split(data, sizeof data);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].Id, 0x5455);
    EXPECT_EQ(blocks[0].Data, (std::vector<uint8_t>{'a', 'b'}));
    EXPECT_EQ(blocks[1].Id, 0x9901);
    EXPECT_EQ(blocks[1].Data.size(), 3u);
    blocks = TZAExtraField::Split(data, 3);
    EXPECT_TRUE(blocks.empty());
    blocks = TZAExtraField::Split(data, 7); // one block and 1 trailing byte
    EXPECT_EQ(blocks.size(), 1u);
    EXPECT_TRUE(TZAExtraField::Split(nullptr, 0).empty());
}

TEST(ExtraFieldTest, Zip64BlockHoldsOnlyTheSentinelFieldsInOrder) {
    TDirItem item;
    item.SetUncompressedSize64(0x123456789ull);
    item.SetCompressedSize64(100);
    item.SetLocalHeaderOffset64(0x200000000ull);
    auto block = TZAExtraField::CentralZip64Block(item);
    ASSERT_EQ(block.size(), 4u + 16);
    EXPECT_EQ(block[0], 1);
    EXPECT_EQ(block[2], 16);
    EXPECT_EQ(block[4], 0x89);
    EXPECT_EQ(block[12], 0x00);
    EXPECT_EQ(block[16], 0x02);

    TDirItem read;
    read.UncompressedSize = read.LocalHeaderOffset = 0xFFFFFFFF;
    read.CompressedSize = 100;
    TZAExtraBlock b{1, std::vector<uint8_t>(block.begin() + 4, block.end())};
    TZAExtraField::ReadZip64Block(b, read);
    EXPECT_TRUE(read.HasZip64);
    EXPECT_EQ(read.UncompressedSize64(), 0x123456789ull);
    EXPECT_EQ(read.CompressedSize64(), 100u);
    EXPECT_EQ(read.LocalHeaderOffset64(), 0x200000000ull);

    // zmAlways: all three values plus a disk number when its field holds the sentinel.
    TDirItem always;
    always.SetUncompressedSize64(1, true);
    always.SetCompressedSize64(2, true);
    always.SetLocalHeaderOffset64(3, true);
    always.DiskStart = 0xFFFF;
    always.Zip64DiskStart = 7;
    block = TZAExtraField::CentralZip64Block(always);
    ASSERT_EQ(block.size(), 4u + 28);
    EXPECT_EQ(block[4], 1);
    EXPECT_EQ(block[12], 2);
    EXPECT_EQ(block[20], 3);
    EXPECT_EQ(block[28], 7);

    // A short block fills what it holds and nothing beyond it.
    TDirItem cut;
    cut.UncompressedSize = cut.CompressedSize = 0xFFFFFFFF;
    TZAExtraBlock shortBlock{1, std::vector<uint8_t>(12, 0x11)};
    TZAExtraField::ReadZip64Block(shortBlock, cut);
    EXPECT_EQ(cut.Zip64UncompressedSize, 0x1111111111111111ull);
    EXPECT_EQ(cut.Zip64CompressedSize, 0u);

    TDirItem small;
    small.SetCompressedSize64(5);
    EXPECT_TRUE(TZAExtraField::CentralZip64Block(small).empty());
}

TEST(ExtraFieldTest, OtherBlocksFollowTheZip64Block) {
    TDirItem item;
    item.ExtraBlocks.push_back({0x5455, {1, 2, 3}});
    item.ExtraBlocks.push_back({0x7875, {4}});
    item.SetCompressedSize64(0x100000000ull);
    const auto field = TZAExtraField::CentralExtraField(item);
    ASSERT_EQ(field.size(), 12u + 7 + 5);
    EXPECT_EQ(field[0], 1);
    EXPECT_EQ(field[12], 0x55);
    EXPECT_EQ(field[14], 3);
    EXPECT_EQ(field[19], 0x75);
    const auto blocks = TZAExtraField::Split(field.data(), field.size());
    ASSERT_EQ(blocks.size(), 3u);
    EXPECT_EQ(blocks[1], item.ExtraBlocks[0]);
    EXPECT_EQ(blocks[2], item.ExtraBlocks[1]);
}

// Each setter keeps a value below 0xFFFFFFFF in its own 32-bit field; from there on (or when
// Zip64 is forced) that field alone holds the sentinel and the value lives in its Zip64 slot.
TEST(RecordsTest, WideValuesTakeTheSentinelFromTheirOwnFieldOn) {
    using Setter = void (TDirItem::*)(uint64_t, bool);
    using Getter = uint64_t (TDirItem::*)() const;
    struct Case {
        Setter set;
        Getter get;
        uint32_t TDirItem::*field;
    };
    const Case cases[] = {
        {&TDirItem::SetCompressedSize64, &TDirItem::CompressedSize64, &TDirItem::CompressedSize},
        {&TDirItem::SetUncompressedSize64, &TDirItem::UncompressedSize64,
         &TDirItem::UncompressedSize},
        {&TDirItem::SetLocalHeaderOffset64, &TDirItem::LocalHeaderOffset64,
         &TDirItem::LocalHeaderOffset},
    };
    for (const Case& c : cases) {
        TDirItem item;
        (item.*c.set)(0xFFFFFFFEull, false);
        EXPECT_EQ(item.*c.field, 0xFFFFFFFEu);
        EXPECT_FALSE(item.HasZip64);
        (item.*c.set)(0xFFFFFFFFull, false);
        EXPECT_EQ(item.*c.field, 0xFFFFFFFFu);
        EXPECT_TRUE(item.HasZip64);
        EXPECT_EQ((item.*c.get)(), 0xFFFFFFFFull);
        TDirItem forced;
        (forced.*c.set)(5, true);
        EXPECT_EQ(forced.*c.field, 0xFFFFFFFFu);
        EXPECT_EQ((forced.*c.get)(), 5u);
        // The other two fields are untouched.
        int sentinels = 0;
        for (const Case& other : cases)
            sentinels += forced.*other.field == 0xFFFFFFFFu;
        EXPECT_EQ(sentinels, 1);
    }
}
