#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>

#include "tests/zip/TestTools.h"
#include "zip/streams/FileStream.h"
#include "zip/streams/MemoryStream.h"
#include "zip/streams/NullStream.h"

using namespace zip;
using namespace ziptest;

TEST(FileStreamTest, ReadWriteSeekAndCut) {
    ScratchDir temp;
    const std::string path = temp / "f.bin";
    auto f = FileStream::Open(path, TZAFileMode::fmCreate);
    ASSERT_TRUE(f);
    const auto data = RandomBytes(100000, 1);
    EXPECT_TRUE(f->WriteExact(data.data(), static_cast<int64_t>(data.size())));
    EXPECT_EQ(f->Size(), 100000);
    EXPECT_TRUE(f->SetPosition(99990));
    uint8_t tail[20];
    EXPECT_EQ(f->Read(tail, 20), 10); // short at the end
    EXPECT_EQ(f->Seek(-5, TZASeekOrigin::soEnd), 99995);
    EXPECT_EQ(f->Seek(-1, TZASeekOrigin::soBeginning), -1);
    EXPECT_TRUE(f->SetSize(500));
    EXPECT_EQ(f->Size(), 500);
    EXPECT_TRUE(f->Flush());
    f.reset();
    const auto back = ReadBytes(path);
    EXPECT_EQ(back, std::vector<uint8_t>(data.begin(), data.begin() + 500));

    auto ro = FileStream::Open(path, TZAFileMode::fmOpenRead);
    ASSERT_TRUE(ro);
    EXPECT_EQ(ro->Write("x", 1), 0); // a read-only stream refuses to write
}

TEST(FileStreamTest, OnlyRegularFilesOpen) {
    ScratchDir temp;
    int err = 0;
    EXPECT_FALSE(FileStream::Open(temp / "missing", TZAFileMode::fmOpenRead, &err));
    EXPECT_EQ(err, ENOENT);
    // A folder, and a FIFO (which would block a plain open for ever).
    EXPECT_FALSE(FileStream::Open(temp.Path(), TZAFileMode::fmOpenRead));
    const std::string fifo = temp / "fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(FileStream::Open(fifo, TZAFileMode::fmOpenRead));
    EXPECT_FALSE(FileStream::Open(fifo, TZAFileMode::fmOpenReadWrite));
}

TEST(MemoryStreamTest, LimitsAndGaps) {
    MemoryStream m = MemoryStream::WithLimit(10);
    EXPECT_EQ(m.Write("0123456789abc", 13), 10);
    EXPECT_EQ(m.Write("x", 1), 0);
    EXPECT_FALSE(m.SetSize(11));
    // Writing past the end fills the gap with zeros.
    MemoryStream g;
    g.Seek(4, TZASeekOrigin::soBeginning);
    g.Write("z", 1);
    EXPECT_EQ(g.Bytes(), (std::vector<uint8_t>{0, 0, 0, 0, 'z'}));
    g.SetPosition(100);
    uint8_t b;
    EXPECT_EQ(g.Read(&b, 1), 0);
    EXPECT_TRUE(g.SetSize(2));
    EXPECT_EQ(g.Position(), 2);

    MemoryStream src(std::vector<uint8_t>(3000000, 7));
    MemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 5000000), 3000000); // stops where the source ends
    EXPECT_EQ(dst.CopyFrom(src, -1), 0);

    NullStream n;
    EXPECT_EQ(n.Write(nullptr, 1 << 30), 1 << 30);
    EXPECT_EQ(n.Size(), 1 << 30);
    EXPECT_EQ(n.Read(&b, 1), 0);
}
