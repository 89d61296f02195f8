#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/resource.h>

#include <cstring>

#include "tests/zip/ArchiverTestSupport.h"
#include "tests/zip/TestArchive.h"
#include "tests/zip/TestTools.h"
#include "zip/codec/CompressionMode.h"
#include "zip/codec/Crc32.h"
#include "zip/codec/ItemCodec.h"
#include "zip/codec/ZipCrypto.h"
#include "zip/streams/NullStream.h"

using namespace zip;
using namespace ziptest;

namespace {

// A source that claims more bytes than it delivers (a file that shrank while being read).
class ShrinkingStream : public MemoryStream {
public:
    ShrinkingStream(std::vector<uint8_t> bytes, int64_t claimed)
        : MemoryStream(std::move(bytes)), claimed_(claimed) {}
    int64_t Size() override { return claimed_; }

private:
    int64_t claimed_;
};

// A source whose bytes change between two reads from its start (a file edited meanwhile).
class ChangingStream : public MemoryStream {
public:
    using MemoryStream::MemoryStream;
    int64_t Seek(int64_t offset, TZASeekOrigin origin) override {
        if (offset == 0 && origin == TZASeekOrigin::soBeginning && ++rewinds_ == 2)
            Bytes()[Bytes().size() / 2] ^= 0x20;
        return MemoryStream::Seek(offset, origin);
    }

private:
    int rewinds_ = 0;
};

TDirItem ItemFor(int mode, const std::string& password = {}) {
    TDirItem item;
    item.Name = "member.bin";
    item.VersionMadeBy = item.VersionNeeded = kVersionOem;
    item.Method = mode == 0 ? kMethodStored : kMethodDeflate;
    item.CompressionMode = static_cast<uint8_t>(mode);
    item.Password = password;
    if (!password.empty())
        item.Flags |= kFlagEncrypted;
    return item;
}

std::vector<uint8_t> Inflate(const uint8_t* data, size_t size) {
    z_stream zs{};
    inflateInit2(&zs, -15);
    std::vector<uint8_t> out(1 << 16);
    std::vector<uint8_t> result;
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(size);
    int rc;
    do {
        zs.next_out = out.data();
        zs.avail_out = static_cast<uInt>(out.size());
        rc = inflate(&zs, Z_NO_FLUSH);
        result.insert(result.end(), out.data(), out.data() + (out.size() - zs.avail_out));
    } while (rc == Z_OK);
    inflateEnd(&zs);
    return rc == Z_STREAM_END ? result : std::vector<uint8_t>{};
}

long MaxRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

TEST(Crc32Test, CheckValueAndEmptyInput) {
    EXPECT_EQ(Crc32Of("123456789", 9), 0xCBF43926u);
    EXPECT_EQ(UpdateCrc32(0x12345678, nullptr, 5), 0x12345678u);
    EXPECT_EQ(UpdateCrc32(0x12345678, "x", 0), 0x12345678u);
    // Byte by byte through the table equals the block computation.
    uint32_t reg = kCrcInitial;
    for (const char c : std::string("123456789"))
        reg = Crc32Step(reg, static_cast<uint8_t>(c));
    EXPECT_EQ(reg ^ 0xFFFFFFFFu, 0xCBF43926u);
}

TEST(CompressionModeTest, Tables) {
    EXPECT_EQ(CompressionModeToLevel(0), TZACompressionLevel::clNone);
    EXPECT_EQ(CompressionModeToLevel(3), TZACompressionLevel::clFastest);
    EXPECT_EQ(CompressionModeToLevel(4), TZACompressionLevel::clNormal);
    EXPECT_EQ(CompressionModeToLevel(9), TZACompressionLevel::clMax);
    EXPECT_EQ(CompressionModeToLevel(10), TZACompressionLevel::clNone);
    EXPECT_EQ(CompressionLevelToMode(TZACompressionLevel::clNormal), 6);
    EXPECT_EQ(BufferSizeForMode(0), 1048576);
    EXPECT_EQ(BufferSizeForMode(1), 524288);
    EXPECT_EQ(BufferSizeForMode(6), 1048576);
    EXPECT_EQ(BufferSizeForMode(7), 1572864);
    EXPECT_EQ(BufferSizeForMode(12), 1048576);
    EXPECT_EQ(ZlibHeaderForLevel(1), (std::array<uint8_t, 2>{0x78, 0x01}));
    EXPECT_EQ(ZlibHeaderForLevel(6), (std::array<uint8_t, 2>{0x78, 0x9C}));
    EXPECT_EQ(ZlibHeaderForLevel(9), (std::array<uint8_t, 2>{0x78, 0xDA}));
    EXPECT_EQ(ZlibHeaderForLevel(11), (std::array<uint8_t, 2>{0x00, 0x00}));
}

TEST(ZipCryptoTest, RoundTripAndHeaderCheck) {
    const std::vector<uint8_t> plain = TextBytes(1000, 1);
    TZipCrypto enc("pässwörd1");
    const auto header = enc.MakeHeader(0xA1B2C3D4);
    std::vector<uint8_t> data = plain;
    enc.Encrypt(data.data(), static_cast<int64_t>(data.size()));
    EXPECT_NE(data, plain);

    TZipCrypto dec("pässwörd1");
    EXPECT_TRUE(dec.CheckHeader(header.data(), 0xA1));
    dec.Decrypt(data.data(), static_cast<int64_t>(data.size()));
    EXPECT_EQ(data, plain);

    // A header with fixed random bytes: its check byte passes the right password only.
    std::array<uint8_t, 12> fixed{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 0xB2, 0xA1};
    TZipCrypto("pässwörd1").Encrypt(fixed.data(), 12);
    EXPECT_TRUE(TZipCrypto("pässwörd1").CheckHeader(fixed.data(), 0xA1));
    EXPECT_FALSE(TZipCrypto("pässwörd1").CheckHeader(fixed.data(), 0xA2));
    EXPECT_FALSE(TZipCrypto("password").CheckHeader(fixed.data(), 0xA1));
    // Two headers for the same CRC differ in their random part.
    TZipCrypto a("k"), b("k");
    EXPECT_NE(a.MakeHeader(1), b.MakeHeader(1));
}

TEST(ItemCodecTest, RoundTripOverSizesModesAndPasswords) {
    const std::vector<size_t> sizes = {0, 1, 524287, 524288, 524289, 1048576, 3 * 524288};
    for (const int mode : {0, 1, 6, 9}) {
        for (const std::string& password : {std::string(), std::string("pässwörd1")}) {
            if (!password.empty() && mode == 6)
                continue; // the cipher does not depend on the level; spare the time
            std::vector<Member> members;
            for (size_t i = 0; i < sizes.size(); ++i)
                members.push_back(
                    {"m" + std::to_string(i),
                     i % 2 ? RandomBytes(sizes[i], unsigned(i)) : TextBytes(sizes[i], unsigned(i)),
                     mode, password});
            const auto bytes = WriterArchive(members);
            const auto out = ExtractAll(bytes, password);
            ASSERT_EQ(out.size(), members.size());
            for (size_t i = 0; i < out.size(); ++i) {
                SCOPED_TRACE(testing::Message() << "mode " << mode << " size " << sizes[i]
                                                << " password " << !password.empty());
                EXPECT_EQ(out[i].Result, TZAExtractResult::erOk);
                EXPECT_EQ(out[i].Data, members[i].Data);
            }
        }
    }
}

TEST(ItemCodecTest, EmptySources) {
    TZAItemCodec codec(TZACodecSettings{});
    {
        MemoryStream source, archive;
        TDirItem item = ItemFor(1);
        ASSERT_TRUE(codec.CompressItem(source, archive, item));
        EXPECT_EQ(archive.Size(), 0);
        EXPECT_EQ(item.Method, kMethodStored);
        EXPECT_EQ(item.Crc32, 0u);
        EXPECT_EQ(item.CompressedSize, 0u);
        EXPECT_EQ(item.UncompressedSize, 0u);
    }
    {
        MemoryStream source, archive;
        TDirItem item = ItemFor(1, "secret");
        ASSERT_TRUE(codec.CompressItem(source, archive, item));
        EXPECT_EQ(archive.Size(), 12);
        EXPECT_EQ(item.CompressedSize, 12u);
        EXPECT_EQ(item.Method, kMethodStored);
        EXPECT_EQ(item.Crc32, 0u);
    }
}

TEST(ItemCodecTest, StoredDataIsRawDeflateWithSyncFlushesAndOneFinish) {
    TZAItemCodec codec(TZACodecSettings{});
    // One chunk exactly, and an exact multiple of the chunk: both end in one finish.
    for (const size_t size : {size_t{524288}, size_t{2 * 524288}}) {
        const auto data = TextBytes(size, 7);
        MemoryStream source(data), archive;
        TDirItem item = ItemFor(1);
        ASSERT_TRUE(codec.CompressItem(source, archive, item));
        EXPECT_EQ(Inflate(archive.Bytes().data(), archive.Bytes().size()), data);
        EXPECT_EQ(item.Crc32, Crc32Of(data.data(), static_cast<int64_t>(data.size())));
        EXPECT_EQ(item.CompressedSize, static_cast<uint32_t>(archive.Size()));
        EXPECT_EQ(item.UncompressedSize, size);
    }
    // Mode 0 stores byte for byte.
    const auto data = RandomBytes(1000, 3);
    MemoryStream source(data), archive;
    TDirItem item = ItemFor(0);
    ASSERT_TRUE(codec.CompressItem(source, archive, item));
    EXPECT_EQ(archive.Bytes(), data);
}

TEST(ItemCodecTest, ChunksAreOneSyncFlushEachAndOneFinish) {
    // The stored bytes equal a raw deflate stream made with a sync flush after every chunk but
    // the last and a finish on the last (no empty chunk after an exact multiple, no trailer).
    const std::vector<std::pair<int, std::vector<int64_t>>> cases = {
        {1, {524288, 2 * 524288, 2 * 524288 + 1000}}, {6, {1048576 + 1000}}};
    for (const auto& [mode, sizes] : cases) {
        SCOPED_TRACE(mode);
        const int64_t chunk = BufferSizeForMode(mode);
        for (const int64_t size : sizes) {
            const auto data = TextBytes(static_cast<size_t>(size), 3);
            z_stream zs{};
            ASSERT_EQ(deflateInit2(&zs, mode, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY), Z_OK);
            std::vector<uint8_t> expected(static_cast<size_t>(size) + 4096);
            zs.next_out = expected.data();
            zs.avail_out = static_cast<uInt>(expected.size());
            for (int64_t done = 0; done < size; done += chunk) {
                const int64_t n = std::min(chunk, size - done);
                zs.next_in = const_cast<Bytef*>(data.data() + done);
                zs.avail_in = static_cast<uInt>(n);
                const bool last = done + n == size;
                ASSERT_EQ(deflate(&zs, last ? Z_FINISH : Z_SYNC_FLUSH), last ? Z_STREAM_END : Z_OK);
            }
            expected.resize(zs.total_out);
            deflateEnd(&zs);

            TZAItemCodec codec(TZACodecSettings{});
            MemoryStream source(data), archive;
            TDirItem item = ItemFor(mode);
            ASSERT_TRUE(codec.CompressItem(source, archive, item));
            EXPECT_EQ(archive.Bytes(), expected) << "size " << size;
        }
    }
}

TEST(ItemCodecTest, DataThatDoesNotShrinkIsStored) {
    const int64_t chunk = 524288, big = 20 << 20; // the chunk at mode 1
    const auto join = [](std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> data;
        std::string password;
        bool stored;
        int maxReads; // seen after the first chunk, not after deflating the whole member
    } cases[] = {
        {"0 B", {}, "", true, 0},
        {"1 B", RandomBytes(1, 1), "", true, 2},
        {"chunk - 1", RandomBytes(chunk - 1, 2), "", true, 2},
        {"chunk", RandomBytes(chunk, 3), "", true, 2},
        {"chunk + 1", RandomBytes(chunk + 1, 4), "", true, 4},
        {"20 MB", RandomBytes(big, 5), "", true, 42},
        {"20 MB encrypted", RandomBytes(big, 5), "pw", true, 82},
        {"text", TextBytes(3 * chunk, 6), "", false, 3},
        {"shrinks at its end", join(RandomBytes(4 * chunk, 7), TextBytes(chunk / 2, 7)), "", false,
         6},
        // Shrinks at its start by less than the rest grows: found out after the whole.
        {"text head", join(TextBytes(1000, 8), RandomBytes(big, 8)), "", true, 82},
    };
    TZAItemCodec codec(TZACodecSettings{});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryStream plain(c.data);
        FaultyStream source(plain, -1, -1); // counts the reads
        source.Arm();
        MemoryStream archive(Bytes("before"));
        archive.SetPosition(6);
        TDirItem item = ItemFor(1, c.password);
        ASSERT_TRUE(codec.CompressItem(source, archive, item));
        const size_t header = c.password.empty() ? 0 : 12;
        std::vector<uint8_t> data(archive.Bytes().begin() + 6, archive.Bytes().end());
        TZipCrypto(c.password).Decrypt(data.data(), header ? int64_t(data.size()) : 0);
        data.erase(data.begin(), data.begin() + header);
        EXPECT_EQ(item.Method, c.stored ? kMethodStored : kMethodDeflate);
        EXPECT_EQ(item.Crc32, Crc32Of(c.data.data(), int64_t(c.data.size())));
        EXPECT_EQ(item.CompressedSize, data.size() + header);
        EXPECT_LE(source.Reads(), c.maxReads);
        EXPECT_TRUE(c.stored ? data == c.data
                             : data.size() < c.data.size() &&
                                   Inflate(data.data(), data.size()) == c.data);
    }
}

TEST(ItemCodecTest, EncryptionHeaderCarriesTheCrc) {
    const auto data = TextBytes(5000, 9);
    TZAItemCodec codec(TZACodecSettings{});
    MemoryStream source(data), archive;
    TDirItem item = ItemFor(6, "pw");
    ASSERT_TRUE(codec.CompressItem(source, archive, item));
    std::vector<uint8_t> stored = archive.Bytes();
    ASSERT_EQ(stored.size(), item.CompressedSize);
    TZipCrypto keys("pw");
    keys.Decrypt(stored.data(), static_cast<int64_t>(stored.size()));
    EXPECT_EQ(stored[10], static_cast<uint8_t>(item.Crc32 >> 16));
    EXPECT_EQ(stored[11], static_cast<uint8_t>(item.Crc32 >> 24));
    EXPECT_EQ(Inflate(stored.data() + 12, stored.size() - 12), data);
}

TEST(ItemCodecTest, Zip64Marks) {
    TZAItemCodec always(TZACodecSettings{"", TZip64Mode::zmAlways, true, {}, {}});
    MemoryStream source(Bytes("x")), archive;
    TDirItem item = ItemFor(1);
    ASSERT_TRUE(always.CompressItem(source, archive, item));
    EXPECT_TRUE(item.HasZip64);
    EXPECT_EQ(item.CompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(item.UncompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(item.UncompressedSize64(), 1u);
    EXPECT_EQ(item.VersionNeeded, 45);
    EXPECT_EQ(item.VersionMadeBy, 45);
    // A member with a UTF-8 name keeps the host byte of its version made by.
    {
        MemoryStream src(Bytes("y")), out;
        TDirItem utf8 = ItemFor(1);
        utf8.Flags |= kFlagUtf8;
        utf8.VersionMadeBy = kVersionAnsi;
        ASSERT_TRUE(always.CompressItem(src, out, utf8));
        EXPECT_EQ(utf8.VersionNeeded, 45);
        EXPECT_EQ(utf8.VersionMadeBy, 0x0B2D);
    }

    // Needing Zip64 while it is disabled is error 41, naming the source: 4 GiB + 1 of zeros,
    // stored into a counting sink.
    class Huge : public Stream {
    public:
        int64_t Read(void* b, int64_t n) override {
            n = std::max<int64_t>(0, std::min(n, Size() - pos_));
            std::memset(b, 0, static_cast<size_t>(n));
            pos_ += n;
            return n;
        }
        int64_t Write(const void*, int64_t) override { return 0; }
        int64_t Seek(int64_t o, TZASeekOrigin) override { return pos_ = o; }
        int64_t Size() override { return 0x100000001ll; }
        bool SetSize(int64_t) override { return false; }

    private:
        int64_t pos_ = 0;
    };
    TZAItemCodec disabled(TZACodecSettings{"ZipArchiver", TZip64Mode::zmDisabled, true, {}, {}});
    Huge huge;
    NullStream sink;
    TDirItem big = ItemFor(0);
    big.SourcePath = "/album/big.bin";
    try {
        disabled.CompressItem(huge, sink, big);
        FAIL();
    } catch (const EZAException& e) {
        EXPECT_EQ(e.NativeError(), 41);
        EXPECT_STREQ(e.what(), "ZipArchiver: Cannot compress file '/album/big.bin'. Zip64 mode "
                               "is not enabled - Native error: 00041");
    }
    EXPECT_FALSE(big.HasZip64);
    TZAItemCodec automatic(TZACodecSettings{"", TZip64Mode::zmAuto, true, {}, {}});
    ASSERT_TRUE(automatic.CompressItem(huge, sink, big));
    EXPECT_TRUE(big.HasZip64);
    EXPECT_EQ(big.UncompressedSize, 0xFFFFFFFFu);
    EXPECT_EQ(big.UncompressedSize64(), 0x100000001ull);
    EXPECT_EQ(big.CompressedSize64(), 0x100000001ull);
    EXPECT_EQ(big.VersionNeeded, 45);
}

TEST(ItemCodecTest, ShortReadsWritesAndCancel) {
    TZAItemCodec codec(TZACodecSettings{"ZipArchiver", TZip64Mode::zmDisabled, true, {}, {}});
    {
        ShrinkingStream source(TextBytes(1000, 1), 5000);
        MemoryStream archive;
        TDirItem item = ItemFor(1);
        try {
            codec.CompressItem(source, archive, item);
            FAIL();
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), 34);
            EXPECT_STREQ(e.what(), "ZipArchiver: Invalid compressed size, rfs.size = 5000, count "
                                   "= 0 - Native error: 00034");
        }
    }
    {
        // The archive's device fills up: a clear write error, not a zlib "error".
        MemoryStream source(RandomBytes(200000, 2));
        MemoryStream archive = MemoryStream::WithLimit(1000);
        TDirItem item = ItemFor(1);
        try {
            codec.CompressItem(source, archive, item);
            FAIL();
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), 46);
        }
    }
    {
        // Encrypted sources are read twice; a change in between is not stored silently.
        ChangingStream source(TextBytes(5000, 3));
        MemoryStream archive;
        TDirItem item = ItemFor(1, "pw");
        try {
            codec.CompressItem(source, archive, item);
            FAIL();
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), 34);
        }
    }
    {
        int calls = 0;
        TZAItemCodec cancelling(TZACodecSettings{
            "", TZip64Mode::zmDisabled, true, [&](int64_t, int64_t) { return ++calls == 2; }, {}});
        MemoryStream source(TextBytes(3 * 524288, 4)), archive;
        TDirItem item = ItemFor(1);
        const TDirItem before = item;
        EXPECT_FALSE(cancelling.CompressItem(source, archive, item));
        EXPECT_EQ(calls, 2);
        EXPECT_EQ(item.Crc32, before.Crc32);
        EXPECT_EQ(item.CompressedSize, before.CompressedSize);
        EXPECT_EQ(item.Method, before.Method);
    }
}

TEST(ItemCodecTest, PasswordQuestions) {
    // The cipher's check byte lets about one wrong password in 256 through, and the header
    // bytes are random: the member is encrypted again until none of the wrong answers below
    // passes the check by chance.
    const auto passesCheck = [](const std::vector<uint8_t>& bytes, const std::string& password) {
        TZipCrypto keys(password);
        return keys.CheckHeader(bytes.data() + 30 + 5, static_cast<uint8_t>(bytes[17]));
    };
    std::vector<uint8_t> bytes;
    for (bool chance = true; chance;) {
        bytes = WriterArchive({{"s.txt", TextBytes(3000, 5), 1, "right"}});
        chance = false;
        for (const char* wrong : {"wrong", "still wrong", "wrongx", "wrongxx", "wrongxxx"})
            chance = chance || passesCheck(bytes, wrong);
    }
    ASSERT_TRUE(passesCheck(bytes, "right"));
    // No way to ask: skipped at once, nothing written.
    {
        const auto out = ExtractAll(bytes, "wrong");
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].Result, TZAExtractResult::erSkipped);
        EXPECT_TRUE(out[0].Data.empty());
    }
    MemoryStream archive(bytes);
    TZADirManager dir(archive, TZADirSettings{}, false);
    dir.ReadDirectory();
    // The second answer opens it, and the new password stays for later members.
    {
        int asked = 0;
        TZAItemCodec codec(TZACodecSettings{
            "", TZip64Mode::zmDisabled, true, {}, [&](const std::string& name, std::string& pw) {
                EXPECT_EQ(name, "s.txt");
                pw = ++asked == 1 ? "still wrong" : "right";
                return true;
            }});
        std::string password = "wrong";
        MemoryStream dest;
        EXPECT_EQ(codec.ExtractItemToStream(dir, 0, dest, password, false), TZAExtractResult::erOk);
        EXPECT_EQ(asked, 2);
        EXPECT_EQ(password, "right");
        EXPECT_EQ(dest.Bytes(), TextBytes(3000, 5));
    }
    // An answer that changes nothing, or one that never fits, ends the questions.
    for (const bool change : {false, true}) {
        int asked = 0;
        TZAItemCodec codec(TZACodecSettings{
            "", TZip64Mode::zmDisabled, true, {}, [&](const std::string&, std::string& pw) {
                ++asked;
                if (change)
                    pw += "x";
                return true;
            }});
        std::string password = "wrong";
        MemoryStream dest;
        EXPECT_EQ(codec.ExtractItemToStream(dir, 0, dest, password, false),
                  TZAExtractResult::erSkipped);
        EXPECT_LE(asked, 3);
        EXPECT_TRUE(dest.Bytes().empty());
    }
}

TEST(ItemCodecTest, DamageIsErrorEightUnlessCorruptedFilesAreKept) {
    const auto data = TextBytes(100000, 6);
    for (const int mode : {0, 1}) {
        auto bytes = WriterArchive({{"f.txt", data, mode}});
        bytes[30 + 5 + 100] ^= 0x40; // a byte inside the member's data
        EXPECT_THROW(
            {
                try {
                    ExtractAll(bytes);
                } catch (const EZAException& e) {
                    EXPECT_EQ(e.NativeError(), 8);
                    throw;
                }
            },
            EZAException);
        MemoryStream archive(bytes);
        TZADirManager dir(archive, TZADirSettings{}, false);
        dir.ReadDirectory();
        TZAItemCodec codec(TZACodecSettings{});
        std::string password;
        MemoryStream dest;
        EXPECT_EQ(codec.ExtractItemToStream(dir, 0, dest, password, true),
                  TZAExtractResult::erFailed);
        if (mode == 0) {
            EXPECT_EQ(dest.Size(), static_cast<int64_t>(data.size()));
        }
        EXPECT_THROW(codec.ExtractItemToStream(dir, 1, dest, password, true), EZAException);
        try {
            codec.ExtractItemToStream(dir, -1, dest, password, true);
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), 16);
        }
    }
}

TEST(ItemCodecTest, AFullDestinationIsAWriteErrorNotDamage) {
    const auto data = TextBytes(300000, 8);
    for (const int mode : {0, 1}) {
        const auto bytes = WriterArchive({{"f.txt", data, mode}});
        MemoryStream archive(bytes);
        TZADirManager dir(archive, TZADirSettings{}, false);
        dir.ReadDirectory();
        TZAItemCodec codec(TZACodecSettings{"ZipArchiver", TZip64Mode::zmDisabled, true, {}, {}});
        for (const bool keepCorrupted : {false, true}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " keep " << keepCorrupted);
            std::string password;
            MemoryStream dest = MemoryStream::WithLimit(100000);
            try {
                codec.ExtractItemToStream(dir, 0, dest, password, keepCorrupted);
                FAIL() << "no error";
            } catch (const EZAException& e) {
                EXPECT_EQ(e.NativeError(), 46);
            }
            EXPECT_LE(dest.Size(), 100000);
        }
    }
}

TEST(ItemCodecTest, BombsStayBounded) {
    // 256 MiB of zeros from about 256 KB: honest sizes, extracted into a counting sink.
    const std::vector<uint8_t> bomb = ZeroBomb(256);
    const uint64_t expanded = 256ull << 20;
    TDirItem item = ItemFor(1);
    item.Name = "zeros.bin";
    std::vector<uint8_t> archiveBytes;
    {
        // Build by hand: the codec would take far too long to compress this much.
        const auto header =
            TZALocalHeader::FromItem(item, item.Name, false).Assemble(item.Name, false, 0, 0);
        archiveBytes = header;
        archiveBytes.insert(archiveBytes.end(), bomb.begin(), bomb.end());
    }
    std::vector<uint8_t> zeroChunk(1 << 20, 0);
    uint32_t crc = kCrcInitial;
    for (int i = 0; i < 256; ++i)
        crc = UpdateCrc32(crc, zeroChunk.data(), static_cast<int64_t>(zeroChunk.size()));
    item.Crc32 = crc ^ 0xFFFFFFFFu;
    item.SetCompressedSize64(bomb.size());
    item.SetUncompressedSize64(expanded);

    TZAItemCodec codec(TZACodecSettings{});
    std::string password;
    {
        MemoryStream archive(archiveBytes);
        NullStream sink;
        const long before = MaxRssKb();
        EXPECT_EQ(codec.ExtractItem(archive, sink, item, archive.Size(), password),
                  TZAExtractResult::erOk);
        EXPECT_EQ(sink.Size(), static_cast<int64_t>(expanded));
        EXPECT_LT(MaxRssKb() - before, 64 * 1024); // far below what the data expands to
    }
    // The same data declared as 1 byte: stops at once, writes at most that byte.
    {
        item.SetUncompressedSize64(1);
        MemoryStream archive(archiveBytes);
        MemoryStream dest;
        EXPECT_EQ(codec.ExtractItem(archive, dest, item, archive.Size(), password),
                  TZAExtractResult::erFailed);
        EXPECT_LE(dest.Size(), 1);
    }
    // A declared size of 2^40 from 10 bytes: no allocation follows the header.
    {
        item.SetUncompressedSize64(1ull << 40);
        item.SetCompressedSize64(10);
        MemoryStream archive(archiveBytes);
        NullStream sink;
        EXPECT_EQ(codec.ExtractItem(archive, sink, item, archive.Size(), password),
                  TZAExtractResult::erFailed);
    }
}

TEST(ItemCodecTest, ForeignMethodsAreRefusedNotParsed) {
    // Refused whatever the setting, naming the member and the method that other programs use.
    const struct {
        uint16_t method;
        int code;
        const char* named;
    } cases[] = {{9, 55, ""},       {12, 66, "(BZip2)"}, {14, 66, "(LZMA)"},
                 {99, 66, "(AES)"}, {95, 66, "(XZ)"},    {77, 66, "(method 77)"}};
    auto bytes = WriterArchive({{"dir/a.bin", TextBytes(2000, 1), 1}});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.method);
        MemoryStream archive(bytes);
        TZADirManager dir(archive, TZADirSettings{}, false);
        dir.ReadDirectory();
        dir.Working().GetItemPtr(0).Method = c.method;
        dir.Working().GetItemPtr(0).VersionNeeded = 63;
        TZAItemCodec codec(TZACodecSettings{});
        std::string password;
        MemoryStream dest;
        try {
            codec.ExtractItemToStream(dir, 0, dest, password, true);
            ADD_FAILURE() << "not refused";
        } catch (const EZAException& e) {
            EXPECT_EQ(e.NativeError(), c.code);
            if (c.code == 66) {
                EXPECT_NE(std::string(e.what()).find(
                              std::string("\"dir/a.bin\": its compression method ") + c.named),
                          std::string::npos)
                    << e.what();
            }
        }
        EXPECT_EQ(dest.Size(), 0);
    }
}

TEST(ItemCodecTest, OutputLimitStopsBeforeTheMemberIsWrittenInFull) {
    const int64_t size = (1 << 20) + 1; // crosses the input block
    for (const int mode : {0, 1}) {
        const auto bytes = WriterArchive({{"m", TextBytes(size_t(size), 4), mode}});
        for (const int64_t limit : {int64_t{0}, size - 1, size, size + 1}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " limit " << limit);
            MemoryStream archive(bytes);
            TZADirManager dir(archive, TZADirSettings{}, false);
            dir.ReadDirectory();
            TZACodecSettings settings;
            settings.OutputLimit = limit;
            TZAItemCodec codec(settings);
            MemoryStream dest;
            std::string password;
            int code = -1;
            try {
                EXPECT_EQ(codec.ExtractItemToStream(dir, 0, dest, password, true),
                          TZAExtractResult::erOk);
            } catch (const EZAException& e) {
                code = e.NativeError();
            }
            EXPECT_EQ(code, limit < size ? CodeOf(ZAError::UnpackLimit) : -1);
            EXPECT_LE(dest.Size(), limit);
        }
    }
}
