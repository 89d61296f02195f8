#include "platform/sys/TempFiles.h"
#include "platform/sys/DiskSpace.h"

#include "tests/platform/TestFolders.h"

#include <gtest/gtest.h>

#include <set>

namespace fs = std::filesystem;

TEST(TempFiles, CreatesDistinctEmptyFilesWithThePrefix) {
    testsupport::TempFolder t;
    std::set<std::string> names;
    for (int i = 0; i < 200; ++i) {
        const std::string path = platform::makeTempFile(t.dir(), "FC");
        ASSERT_FALSE(path.empty());
        const fs::path p(path);
        EXPECT_EQ(p.parent_path(), t.path());
        EXPECT_EQ(p.filename().string().rfind("FC", 0), 0u);
        EXPECT_EQ(p.extension(), ".tmp");
        EXPECT_TRUE(fs::is_regular_file(p));
        EXPECT_EQ(fs::file_size(p), 0u);
        names.insert(path);
    }
    EXPECT_EQ(names.size(), 200u);
    // A folder without the trailing slash works alike.
    EXPECT_EQ(fs::path(platform::makeTempFile(t.path().string(), "FC")).parent_path(), t.path());
}

TEST(TempFiles, RefusesWhatCannotBeCreatedSafely) {
    testsupport::TempFolder t;
    EXPECT_EQ(platform::makeTempFile(t.dir() + "missing/", "FC"), "");
    EXPECT_EQ(platform::makeTempFile(t.dir(), "../FC"), "");
    EXPECT_TRUE(fs::is_empty(t.path()));
}

TEST(TempFiles, TempFolderFollowsTmpdir) {
    testsupport::TempFolder t;
    {
        testsupport::ScopedEnv env("TMPDIR", t.path().string());
        EXPECT_EQ(platform::tempFolder(), t.dir());
        const std::string path = platform::makeTempFile("", "FC");
        EXPECT_EQ(fs::path(path).parent_path(), t.path());
    }
    {
        testsupport::ScopedEnv env("TMPDIR", t.dir() + "not-there");
        EXPECT_EQ(platform::tempFolder(), "/tmp/");
    }
}

TEST(DiskSpace, MeasuresTheFileSystemOfTheNearestExistingFolder) {
    testsupport::TempFolder t;
    const auto here = platform::freeDiskSpace(t.dir());
    ASSERT_TRUE(here);
    EXPECT_GT(*here, 0u);
    const auto expected = fs::space(t.path()).available;
    // Other programs write meanwhile; the two readings agree within 64 MiB.
    EXPECT_NEAR(static_cast<double>(*here), static_cast<double>(expected), 64.0 * 1024 * 1024);
    const auto deeper = platform::freeDiskSpace(t.dir() + "not/yet/there.zip");
    ASSERT_TRUE(deeper);
    EXPECT_NEAR(static_cast<double>(*deeper), static_cast<double>(*here), 64.0 * 1024 * 1024);
    EXPECT_TRUE(platform::freeDiskSpace("relative/missing"));
}
