#include "platform/sys/ExecutableDir.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ExecutableDir, IsTheFolderOfThisTestProgram) {
    const std::string dir = platform::executableDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(std::filesystem::exists(dir + "platform_tests"));
}
