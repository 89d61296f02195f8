#include "platform/sys/FileAttributes.h"
#include "platform/sys/FileTimes.h"

#include "tests/platform/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace platform;

namespace {

void writeFile(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
}

} // namespace

TEST(FileAttributes, DescribesEachKindOfEntryWithoutFollowingLinks) {
    testsupport::TempFolder t;
    writeFile(t.path() / "file.txt", "12345");
    fs::create_directory(t.path() / "dir");
    fs::create_directory_symlink(t.path() / "dir", t.path() / "dirlink");
    fs::create_symlink(t.path() / "missing", t.path() / "dangling");
    ASSERT_EQ(::mkfifo((t.path() / "fifo").c_str(), 0600), 0);
    writeFile(t.path() / ".hidden", "");

    auto file = fileAttributes(t.dir() + "file.txt");
    ASSERT_TRUE(file);
    EXPECT_TRUE(file->isRegular());
    EXPECT_EQ(file->size, 5u);
    EXPECT_FALSE(file->hidden);
    EXPECT_EQ(dosAttributes(*file), kDosArchive);

    auto dir = fileAttributes(t.dir() + "dir/");
    ASSERT_TRUE(dir);
    EXPECT_TRUE(dir->isDirectory());
    EXPECT_EQ(dir->size, 0u);
    EXPECT_EQ(dosAttributes(*dir), kDosDirectory);

    auto link = fileAttributes(t.dir() + "dirlink");
    ASSERT_TRUE(link);
    EXPECT_TRUE(link->isSymlink());
    EXPECT_FALSE(link->isDirectory());
    auto dangling = fileAttributes(t.dir() + "dangling");
    ASSERT_TRUE(dangling);
    EXPECT_TRUE(dangling->isSymlink());

    auto fifo = fileAttributes(t.dir() + "fifo");
    ASSERT_TRUE(fifo);
    EXPECT_TRUE(fifo->isSpecial());

    auto hidden = fileAttributes(t.dir() + ".hidden");
    ASSERT_TRUE(hidden);
    EXPECT_TRUE(hidden->hidden);
    EXPECT_EQ(dosAttributes(*hidden), kDosArchive | kDosHidden);

    EXPECT_FALSE(fileAttributes(t.dir() + "nothing"));
    EXPECT_FALSE(fileAttributes(""));
    // "." and ".." are not hidden names.
    EXPECT_FALSE(fileAttributes(t.dir() + "dir/..")->hidden);
}

TEST(FileAttributes, SizesBeyondFourGigabytes) {
    testsupport::TempFolder t;
    const fs::path big = t.path() / "big.bin";
    writeFile(big, "");
    const std::uint64_t size = 5ull * 1024 * 1024 * 1024 + 3; // sparse, takes no space
    ASSERT_EQ(::truncate(big.c_str(), static_cast<off_t>(size)), 0);
    auto a = fileAttributes(big.string());
    ASSERT_TRUE(a);
    EXPECT_EQ(a->size, size);
}

TEST(FileAttributes, ReadOnlyRoundTripAndDosBits) {
    testsupport::TempFolder t;
    const std::string path = t.dir() + "a.txt";
    writeFile(path, "x");
    ASSERT_TRUE(setReadOnly(path, true));
    auto a = fileAttributes(path);
    EXPECT_TRUE(a->readOnly);
    EXPECT_EQ(a->mode & 0222, 0u);
    EXPECT_EQ(dosAttributes(*a), kDosArchive | kDosReadOnly);

    // A link's target is never changed through the link.
    fs::create_symlink(path, t.path() / "link");
    EXPECT_FALSE(setReadOnly(t.dir() + "link", false));
    EXPECT_TRUE(fileAttributes(path)->readOnly);
    EXPECT_FALSE(setReadOnly(t.dir() + "missing", true));
}

TEST(FileAttributes, DeleteFileRemovesFilesAndLinksButNotFolders) {
    testsupport::TempFolder t;
    const std::string target = t.dir() + "target.txt";
    writeFile(target, "keep");
    fs::create_symlink(target, t.path() / "link");
    ASSERT_TRUE(deleteFile(t.dir() + "link"));
    EXPECT_TRUE(fs::exists(target));
    EXPECT_FALSE(fs::is_symlink(t.path() / "link"));

    ASSERT_TRUE(setReadOnly(target, true));
    EXPECT_TRUE(deleteFile(target));
    EXPECT_FALSE(fs::exists(target));

    fs::create_directory(t.path() / "dir");
    EXPECT_FALSE(deleteFile(t.dir() + "dir"));
    EXPECT_TRUE(fs::is_directory(t.path() / "dir"));
    EXPECT_FALSE(deleteFile(t.dir() + "missing"));
}

TEST(FileTimes, ModificationTimeRoundTripsAcrossTheWholeRange) {
    testsupport::TempFolder t;
    const std::string path = t.dir() + "a.txt";
    writeFile(path, "x");
    // 1980-01-01, 2038-01-19 plus a day (beyond 32 bits), and 2107-12-31 (the archive limit).
    for (std::int64_t when : {315532800LL, 2147483647LL + 86400LL, 4354819198LL, 0LL}) {
        ASSERT_TRUE(setModificationTime(path, when));
        EXPECT_EQ(modificationTime(path), when);
        EXPECT_EQ(fileAttributes(path)->modified, when);
    }
    EXPECT_FALSE(modificationTime(t.dir() + "missing"));
    EXPECT_FALSE(setModificationTime(t.dir() + "missing", 0));
}

TEST(FileTimes, SettingTheTimeOfALinkLeavesItsTarget) {
    testsupport::TempFolder t;
    const std::string target = t.dir() + "a.txt";
    writeFile(target, "x");
    ASSERT_TRUE(setModificationTime(target, 1000000000));
    fs::create_symlink(target, t.path() / "link");
    ASSERT_TRUE(setModificationTime(t.dir() + "link", 1500000000));
    EXPECT_EQ(modificationTime(target), 1000000000);
    EXPECT_EQ(modificationTime(t.dir() + "link"), 1500000000);
}
