#include "platform/SpecialFolders.h"

#include "tests/platform/TestFolders.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(SpecialFolders, FollowTheXdgVariablesAndEndWithASlash) {
    testsupport::TempUserFolders user;
    EXPECT_EQ(platform::appDataFolder().toStdString(), user.data());
    EXPECT_EQ(platform::configFolder().toStdString(), user.config());
    // No user-dirs.dirs: the pictures folder is the home's "Pictures".
    EXPECT_EQ(platform::picturesFolder().toStdString(), user.home() + "Pictures/");
}

TEST(SpecialFolders, PicturesFolderComesFromUserDirs) {
    testsupport::TempUserFolders user;
    std::ofstream(user.config() + "user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder ü\"\n";
    EXPECT_EQ(platform::picturesFolder().toStdString(), user.home() + "Bilder ü/");
}

TEST(SpecialFolders, DataFolderDefaultsToLocalShareUnderHome) {
    testsupport::TempUserFolders user;
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(platform::appDataFolder().toStdString(), user.home() + ".local/share/");
}
