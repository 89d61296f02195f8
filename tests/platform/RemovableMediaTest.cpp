#include "platform/sys/RemovableMedia.h"
#include "platform/sys/DiskSpace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

TEST(RemovableMedia, SimulatedDriveCoversItsFolderOnly) {
    std::string pattern = (fs::temp_directory_path() / "mediaXXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    const std::string root = pattern;
    fs::create_directories(root + "/drive/sub");
    fs::create_directories(root + "/drive2");

    // The temporary folder is no removable disk (a build machine has none there).
    EXPECT_FALSE(platform::isRemovableMedia(root + "/drive/sub/a.zip"));
    EXPECT_FALSE(platform::setVolumeLabel(root + "/drive", "pkback# 001"));
    {
        platform::RemovableMediaSimulation drive(root + "/drive/");
        drive.FreeBytes = 70000;
        const struct {
            std::string path;
            bool removable;
        } cases[] = {
            {root + "/drive", true},
            {root + "/drive/sub/missing.zip", true},
            {root + "/drive/../drive/a.zip", true},
            {root + "/drive2/a.zip", false},
            {root, false},
        };
        for (const auto& c : cases) {
            EXPECT_EQ(platform::isRemovableMedia(c.path), c.removable) << c.path;
            EXPECT_EQ(platform::freeDiskSpace(c.path) == std::optional<std::uint64_t>(70000),
                      c.removable)
                << c.path;
        }
        EXPECT_TRUE(platform::setVolumeLabel(root + "/drive/a.zip", "pkback# 001"));
        EXPECT_FALSE(platform::setVolumeLabel(root + "/drive2/a.zip", "pkback# 002"));
        EXPECT_EQ(drive.Labels(), std::vector<std::string>{"pkback# 001"});
    }
    EXPECT_FALSE(platform::isRemovableMedia(root + "/drive/a.zip"));
    fs::remove_all(root);
}
